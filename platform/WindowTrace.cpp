#include "WindowTrace.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QWidget>

namespace lapora {

namespace {

Q_LOGGING_CATEGORY(lcWindows, "lapora.windows", QtWarningMsg)

class WindowTrace : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow()) {
                QString line = QStringLiteral("shown %1 \"%2\"")
                                   .arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle());
                if (const auto* box = qobject_cast<const QMessageBox*>(w))
                    line += QStringLiteral(" \"%1\"").arg(box->text());
                qCDebug(lcWindows).noquote() << line;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void installWindowTrace(QCoreApplication& app) {
    if (!lcWindows().isDebugEnabled())
        return;
    app.installEventFilter(new WindowTrace(&app));
}

} // namespace lapora
