#include "Clock.h"
#include "FolderLock.h"
#include "Imprint.h"
#include "LPMRepX.h"
#include "RunSupport.h"
#include "ScriptedPrompter.h"
#include "StoreError.h"
#include "TestRows.h"
#include "Twips.h"
#include "WorkFolder.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

TEST(LPMRepX, TheWindowAsDesigned) {
    WorkFolder wf;
    ScriptedPrompter p;
    LPMRepX w(p, wf.path(), test::templateDir());
    EXPECT_EQ(w.windowTitle(), u("LPMRep Adatbázis frissítése/javítása - Lapora"));
    EXPECT_EQ(w.size(), QSize(twipsToPixels(6390), twipsToPixels(3150, Qt::Vertical)));

    const struct {
        const char* name;
        QRect twips;
    } layout[] = {
        {"l1", {0, 120, 6375, 255}},         {"pb1", {0, 480, 6375, 375}},
        {"l2", {0, 960, 6375, 255}},         {"pb2", {0, 1320, 6375, 375}},
        {"Label1", {1800, 1800, 2895, 255}}, {"Frame1", {1320, 2160, 3735, 855}},
        {"Command1", {120, 2400, 975, 615}}, {"Command2", {5280, 2400, 975, 615}},
    };
    for (const auto& c : layout) {
        auto* wdg = w.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(wdg, nullptr) << c.name;
        EXPECT_EQ(wdg->geometry(), twipsRect(c.twips.x(), c.twips.y(), c.twips.width(), c.twips.height()))
            << c.name;
    }
    auto* frame = w.findChild<QGroupBox*>(QStringLiteral("Frame1"));
    EXPECT_EQ(frame->title(), u("V.1.2  Verzión belüli modul:"));
    auto* label3 = frame->findChild<QLabel*>(QStringLiteral("Label3"));
    ASSERT_NE(label3, nullptr);
    EXPECT_EQ(label3->text(), imprint::oneLine());

    auto* c1 = w.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* c2 = w.findChild<QPushButton*>(QStringLiteral("Command2"));
    EXPECT_EQ(c1->text(), u("&Indít"));
    EXPECT_EQ(c1->toolTip(), u("Frissítés indítása"));
    EXPECT_TRUE(c1->isDefault());
    EXPECT_EQ(c2->text(), u("Kilép - ESC"));
    EXPECT_EQ(c2->toolTip(), u("Kilépés"));
    for (const char* l : {"l1", "l2", "Label1"})
        EXPECT_EQ(w.findChild<QLabel*>(QString::fromLatin1(l))->text(), QString()) << l;
}

TEST(LPMRepX, OnlySlashSRunsAtOnce) {
    const struct {
        QStringList args;
        bool atOnce;
    } cases[] = {
        {{QStringLiteral("/s")}, true},
        {{QStringLiteral("/S")}, true},
        {{}, false},
        {{QStringLiteral("-s")}, false},
        {{QStringLiteral("/s"), QStringLiteral("x")}, false},
        {{QStringLiteral("/sx")}, false},
        {{QStringLiteral("s")}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LPMRepX::runsAtOnce(c.args), c.atOnce) << c.args.join(' ').toStdString();
}

// Enter starts the run ("&Indít" is the default button); the window stays up afterwards.
TEST(LPMRepX, EnterRunsAndTheWindowWaitsAgain) {
    WorkFolder wf;
    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    LPMRepX w(p, wf.path(), test::templateDir());
    w.show();
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_TRUE(p.done());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(QFile::exists(wf.file("SAVE-20240305-140709/lapora.mdb")));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l1"))->text(), u("Adatbázis :Regiszt.lpb"));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l2"))->text(), u("Tábla :Regisztrálás"));
    EXPECT_EQ(w.findChild<QProgressBar*>(QStringLiteral("pb1"))->value(), 3);
    EXPECT_EQ(w.findChild<QProgressBar*>(QStringLiteral("pb1"))->maximum(), 3);
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command2"))->isEnabled());

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}

// While the run works, the buttons are off and neither Esc nor the frame closes the window.
TEST(LPMRepX, ClosingIsRefusedWhileRunning) {
    WorkFolder wf;
    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    LPMRepX w(p, wf.path(), test::templateDir());
    w.show();
    int tried = 0;
    w.maintenance().beforeStep = [&](const QString& step) {
        if (step != QStringLiteral("copy lapora.mdb Laporak"))
            return;
        ++tried;
        EXPECT_TRUE(w.running());
        EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
        EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("Command2"))->isEnabled());
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Label1"))->text(), u("Adatok másolása..."));
        EXPECT_FALSE(w.close());
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible());
    };
    w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(tried, 1);
    EXPECT_TRUE(p.done());
    EXPECT_FALSE(w.running());
    EXPECT_TRUE(w.close());
}

// "/s": the run at once, its questions and its final message all the same, then the end.
TEST(LPMRepX, SlashSStillAsksAndShowsTheFinalMessageThenEnds) {
    WorkFolder wf;
    FixedClock clock;
    ScriptedPrompter p;
    p.expectMessage(QStringLiteral("Hiba!"), u("LPMRep\nbefecskendezett hiba\nFolytatja a futtatást?"),
                    Icon::Error, Buttons::YesNo, Answer::Yes);
    expectDone(p);
    LPMRepX w(p, wf.path(), test::templateDir());
    w.show();
    w.maintenance().beforeStep = [](const QString& step) {
        if (step == QStringLiteral("template Parameter.lpb"))
            throw StoreError("befecskendezett hiba");
    };
    w.runAndEnd();
    EXPECT_TRUE(p.done());
    EXPECT_FALSE(w.isVisible());
}

// Lapora runs on the folder: the message, and LPMRep ends without touching a file.
TEST(LPMRepX, EndsWhenLaporaHoldsTheFolder) {
    WorkFolder wf;
    const FolderLock lapora(wf.path());
    const auto before = test::checksums(wf.path());
    ScriptedPrompter p;
    p.expectMessage(
        u("FIGYELEM!"),
        u("A Lapora most is fut, kérem lépjen ki belőle, és csak azután indítsa a karbantartást!"),
        Icon::Error, Buttons::Ok, Answer::Ok);
    LPMRepX w(p, wf.path(), test::templateDir());
    w.show();
    w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_TRUE(p.done());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(test::checksums(wf.path()), before);
}

} // namespace
