#include "QtPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace lapora {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Ends a local event loop once the watched window is no longer shown. A close the window refuses, or a
// minimise, leaves it visible, so the check runs after the event has been handled.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QWidget* window, QEventLoop& loop) : window_(window), loop_(loop) {}

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj == window_ && (e->type() == QEvent::Close || e->type() == QEvent::Hide)) {
            QTimer::singleShot(0, &loop_, [this] {
                if (!window_ || !window_->isVisible())
                    loop_.quit();
            });
        }
        return QObject::eventFilter(obj, e);
    }

private:
    QPointer<QWidget> window_;
    QEventLoop& loop_;
};

} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& title, const QString& text,
                                            Icon icon, Buttons buttons) {
    const bool yesNo = buttons == Buttons::YesNo;
    auto box = std::make_unique<QMessageBox>(
        boxIcon(icon), title, text, yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box->setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    return box;
}

Answer answerOf(int clicked, Buttons buttons) {
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    // Closing a Yes/No box some other way (Escape) counts as No.
    return clicked == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtPrompter::message(const QString& title, const QString& text, Icon icon, Buttons buttons) {
    const auto box = makeMessageBox(parent_, title, text, icon, buttons);
    return answerOf(box->exec(), buttons);
}

std::optional<QString> QtPrompter::input(const QString& title, const QString& prompt,
                                         const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void QtPrompter::beep() {
    QApplication::beep();
}

void QtPrompter::pointer(Pointer p) {
    if (p == Pointer::Hourglass) {
        // Nested hourglass calls must not stack, or one Arrow would leave the wait cursor up.
        if (!hourglass_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass_ = true;
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    hourglass_ = false;
}

void QtModalHost::showModal(QWidget* window) {
    if (!window)
        return;
    if (auto* dlg = qobject_cast<QDialog*>(window)) {
        dlg->exec();
        return;
    }
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    CloseWatcher watcher(window, loop);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->installEventFilter(&watcher);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    if (guard && guard->isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (guard)
        guard->removeEventFilter(&watcher);
}

} // namespace lapora
