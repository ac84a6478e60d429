#include "WindowTrace.h"

#include <QApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QStringList gLines;

void capture(QtMsgType, const QMessageLogContext& ctx, const QString& msg) {
    if (ctx.category && QByteArray(ctx.category) == "lapora.windows")
        gLines << msg;
}

// Shows a message box, a plain window and a widget inside it, and returns the trace lines they gave.
QStringList showSome() {
    gLines.clear();
    const QtMessageHandler old = qInstallMessageHandler(capture);
    QMessageBox box(QMessageBox::Question, QString::fromUtf8("FIGYELEM! Új üres sor kérése!"),
                    QString::fromUtf8("Kér most új adatot (üres sort)?"), QMessageBox::Yes | QMessageBox::No);
    box.show();
    QWidget window;
    window.setWindowTitle(QStringLiteral("LPMRep"));
    auto* child = new QLabel(QStringLiteral("nem ablak"), &window);
    window.show();
    child->hide();
    child->show();
    QApplication::processEvents();
    qInstallMessageHandler(old);
    return gLines;
}

TEST(WindowTrace, SilentUnlessTheLoggingRulesTurnItOn) {
    QLoggingCategory::setFilterRules(QStringLiteral("lapora.windows.debug=false"));
    lapora::installWindowTrace(*qApp);
    EXPECT_TRUE(showSome().isEmpty());
}

TEST(WindowTrace, NamesEachShownWindowAndAMessageBoxText) {
    QLoggingCategory::setFilterRules(QStringLiteral("lapora.windows.debug=true"));
    lapora::installWindowTrace(*qApp);
    const QStringList lines = showSome();
    QLoggingCategory::setFilterRules(QStringLiteral("lapora.windows.debug=false"));
    EXPECT_EQ(
        lines,
        (QStringList{
            QString::fromUtf8(
                "shown QMessageBox \"FIGYELEM! Új üres sor kérése!\" \"Kér most új adatot (üres sort)?\""),
            QStringLiteral("shown QWidget \"LPMRep\""),
        }));
}

} // namespace
