#include "QtPlatform.h"
#include "QtPrinters.h"
#include "ScriptedPrompter.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <gtest/gtest-spi.h>

#include <gtest/gtest.h>

using namespace lapora;
using lapora::test::ScriptedPrompter;
using lapora::test::TestModalHost;

namespace {

const QString kTitle = QString::fromUtf8("FIGYELEM!");
const QString kAsk = QString::fromUtf8("Biztosan törli a munkalapot?");

TEST(ScriptedPrompter, AnswersInOrderAndRecordsWhatWasAsked) {
    ScriptedPrompter p;
    p.expectMessage(kTitle, kAsk, Icon::Question, Buttons::YesNo, Answer::Yes)
        .expectInput(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), QString::fromUtf8("Őrség"))
        .expectMessage(kTitle, kAsk, Icon::Question, Buttons::YesNo, Answer::No)
        .expectInput(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), std::nullopt)
        .expectMessage(QString::fromUtf8("Hiba"), QString::fromUtf8("Nincs ilyen cég."), Icon::Error,
                       Buttons::Ok, Answer::Ok);
    EXPECT_FALSE(p.done());

    EXPECT_EQ(p.message(kTitle, kAsk, Icon::Question, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(p.input(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), QString()),
              std::optional<QString>(QString::fromUtf8("Őrség")));
    EXPECT_EQ(p.message(kTitle, kAsk, Icon::Question, Buttons::YesNo), Answer::No);
    EXPECT_EQ(
        p.input(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), QString::fromUtf8("előző")),
        std::nullopt);
    EXPECT_EQ(
        p.message(QString::fromUtf8("Hiba"), QString::fromUtf8("Nincs ilyen cég."), Icon::Error, Buttons::Ok),
        Answer::Ok);

    EXPECT_TRUE(p.done());
    EXPECT_EQ(p.asked, (QStringList{kTitle + " | " + kAsk, QString::fromUtf8("Keresés | Cég neve:"),
                                    kTitle + " | " + kAsk, QString::fromUtf8("Keresés | Cég neve:"),
                                    QString::fromUtf8("Hiba | Nincs ilyen cég.")}));
}

TEST(ScriptedPrompter, RecordsBeepsAndPointers) {
    ScriptedPrompter p;
    p.beep();
    p.pointer(Pointer::Hourglass);
    p.pointer(Pointer::Hourglass);
    p.beep();
    p.pointer(Pointer::Arrow);
    EXPECT_EQ(p.beeps, 2);
    EXPECT_EQ(p.pointers, (std::vector<Pointer>{Pointer::Hourglass, Pointer::Hourglass, Pointer::Arrow}));
    EXPECT_TRUE(p.asked.isEmpty());
    EXPECT_TRUE(p.done());
}

TEST(ScriptedPrompter, FindsAQuestionWithoutItsBeepOrUnderTheHourglass) {
    struct OrderCase {
        const char* name;
        std::function<void(ScriptedPrompter&)> steps;
        QStringList faults;
    };
    auto ask = [](ScriptedPrompter& p, Icon icon) {
        p.expectMessage(QStringLiteral("T"), QStringLiteral("?"), icon, Buttons::YesNo, Answer::Yes);
        p.message(QStringLiteral("T"), QStringLiteral("?"), icon, Buttons::YesNo);
    };
    const OrderCase cases[] = {
        {"beep and arrow first",
         [&](ScriptedPrompter& p) {
             p.pointer(Pointer::Hourglass);
             p.pointer(Pointer::Arrow);
             p.beep();
             ask(p, Icon::Question);
         },
         {}},
        {"no beep",
         [&](ScriptedPrompter& p) { ask(p, Icon::Exclamation); },
         {"no beep before exclamation T"}},
        {"one beep for two questions",
         [&](ScriptedPrompter& p) {
             p.beep();
             ask(p, Icon::Question);
             ask(p, Icon::Question);
         },
         {"no beep before question T"}},
        {"hourglass still up",
         [&](ScriptedPrompter& p) {
             p.beep();
             p.pointer(Pointer::Hourglass);
             ask(p, Icon::Error);
         },
         {"hourglass during error T"}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter p;
        c.steps(p);
        EXPECT_EQ(p.dialogOrderFaults(), c.faults);
    }
}

// Each dialog that comes is compared with the single expected step; a mismatch fails the test and the dialog
// is answered No / Cancel, and the step is used up.
TEST(ScriptedPrompter, FailsOnADialogOtherThanTheExpectedOne) {
    struct Case {
        const char* name;
        bool askInput; // what the code under test shows
        QString title, text;
        Icon icon;
        Buttons buttons;
        const char* failure; // text the failure message must show
    };
    const Case cases[] = {
        {"wrong title", false, QString::fromUtf8("FIGYELEM! TÖRLÉS!"), kAsk, Icon::Question, Buttons::YesNo,
         "FIGYELEM! TÖRLÉS!"},
        {"wrong text", false, kTitle, QString::fromUtf8("Biztosan törli a céget?"), Icon::Question,
         Buttons::YesNo, "Biztosan törli a céget?"},
        {"wrong icon", false, kTitle, kAsk, Icon::Exclamation, Buttons::YesNo, "Exclamation"},
        {"wrong buttons", false, kTitle, kAsk, Icon::Question, Buttons::Ok, "Ok]"},
        {"input instead", true, kTitle, kAsk, Icon::None, Buttons::Ok, "input box"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter p;
        p.expectMessage(kTitle, kAsk, Icon::Question, Buttons::YesNo, Answer::Yes);
        if (c.askInput) {
            std::optional<QString> got = QString("x");
            EXPECT_NONFATAL_FAILURE(got = p.input(c.title, c.text, QString()), c.failure);
            EXPECT_EQ(got, std::nullopt);
        } else {
            Answer got = Answer::Yes;
            EXPECT_NONFATAL_FAILURE(got = p.message(c.title, c.text, c.icon, c.buttons), c.failure);
            EXPECT_EQ(got, Answer::No);
        }
        EXPECT_TRUE(p.done());
        EXPECT_EQ(p.asked, QStringList{c.title + " | " + c.text});
    }
}

TEST(ScriptedPrompter, FailsOnAMessageWhereAnInputWasExpected) {
    ScriptedPrompter p;
    p.expectInput(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), QString::fromUtf8("Őrség"));
    Answer got = Answer::Yes;
    EXPECT_NONFATAL_FAILURE(got = p.message(kTitle, kAsk, Icon::Question, Buttons::YesNo), "Keresés");
    EXPECT_EQ(got, Answer::No);
}

TEST(ScriptedPrompter, FailsOnInputWithWrongPrompt) {
    ScriptedPrompter p;
    p.expectInput(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), QString::fromUtf8("Őrség"));
    std::optional<QString> got;
    EXPECT_NONFATAL_FAILURE(
        got = p.input(QString::fromUtf8("Keresés"), QString::fromUtf8("Munkalap száma:"), QString()),
        "Munkalap száma:");
    EXPECT_EQ(got, std::nullopt);
}

TEST(ScriptedPrompter, FailsOnAnyDialogOnceTheScriptIsSpent) {
    ScriptedPrompter p;
    Answer answer = Answer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = p.message(kTitle, kAsk, Icon::Question, Buttons::YesNo),
                            "no more dialogs expected");
    EXPECT_EQ(answer, Answer::No);

    p.expectMessage(kTitle, kAsk, Icon::Question, Buttons::YesNo, Answer::Yes);
    EXPECT_EQ(p.message(kTitle, kAsk, Icon::Question, Buttons::YesNo), Answer::Yes);
    std::optional<QString> text = QString("x");
    EXPECT_NONFATAL_FAILURE(text =
                                p.input(QString::fromUtf8("Keresés"), QString::fromUtf8("Cég neve:"), "alma"),
                            "no more dialogs expected");
    EXPECT_EQ(text, std::nullopt);
    EXPECT_EQ(p.asked.size(), 3);
}

TEST(TestModalHost, HandsTheWindowToItsHandlerAndClosesItAfter) {
    TestModalHost host;
    QWidget filled, leftOpen;
    filled.setObjectName("frmCimzett");
    leftOpen.setObjectName("frmKereses");
    QWidget* seen = nullptr;
    host.on("frmCimzett", [&](QWidget* w) {
        seen = w;
        w->setWindowTitle("kitöltve");
        w->close();
    });
    bool leftOpenRan = false;
    host.on("frmKereses", [&](QWidget* w) {
        leftOpenRan = true;
        w->show(); // a handler that forgets to close it
    });

    host.showModal(&filled);
    host.showModal(&leftOpen);

    EXPECT_EQ(seen, &filled);
    EXPECT_EQ(filled.windowTitle(), QString::fromUtf8("kitöltve"));
    EXPECT_TRUE(leftOpenRan);
    EXPECT_FALSE(leftOpen.isVisible());
    EXPECT_EQ(host.shown, (QStringList{"frmCimzett", "frmKereses"}));
}

TEST(TestModalHost, SurvivesAHandlerThatDeletesTheWindow) {
    TestModalHost host;
    auto* w = new QWidget;
    w->setObjectName("frmTorles");
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> guard(w);
    host.on("frmTorles", [](QWidget* win) {
        win->show();
        delete win;
    });
    host.showModal(w);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(host.shown, QStringList{"frmTorles"});
}

TEST(TestModalHost, FailsAndClosesAWindowWithoutAHandler) {
    TestModalHost host;
    host.on("frmCimzett", [](QWidget*) { ADD_FAILURE() << "wrong handler"; });
    QDialog dlg;
    dlg.setObjectName("frmIsmeretlen");
    dlg.show();
    EXPECT_NONFATAL_FAILURE(host.showModal(&dlg), "frmIsmeretlen");
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(host.shown, QStringList{"frmIsmeretlen"});
}

TEST(QtPrompter, HourglassDoesNotStackAndArrowClearsEveryOverride) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QtPrompter p;
    p.pointer(Pointer::Hourglass);
    p.pointer(Pointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // One restore must be enough to take the nested hourglass away.
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Arrow also clears overrides someone else stacked, and the hourglass can come back after it.
    p.pointer(Pointer::Hourglass);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    p.pointer(Pointer::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    p.pointer(Pointer::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    p.pointer(Pointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    p.pointer(Pointer::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtPrompter, MessageBoxCarriesTitleTextIconAndButtons) {
    struct Case {
        Icon icon;
        Buttons buttons;
        QMessageBox::Icon boxIcon;
        QMessageBox::StandardButtons boxButtons;
    };
    const Case cases[] = {
        {Icon::Question, Buttons::YesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No},
        {Icon::Exclamation, Buttons::Ok, QMessageBox::Warning, QMessageBox::Ok},
        {Icon::Error, Buttons::Ok, QMessageBox::Critical, QMessageBox::Ok},
        {Icon::Information, Buttons::YesNo, QMessageBox::Information, QMessageBox::Yes | QMessageBox::No},
        {Icon::None, Buttons::Ok, QMessageBox::NoIcon, QMessageBox::Ok},
    };
    QWidget parent;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.icon));
        const auto box = makeMessageBox(&parent, kTitle, kAsk, c.icon, c.buttons);
        EXPECT_EQ(box->windowTitle(), kTitle);
        EXPECT_EQ(box->text(), kAsk);
        EXPECT_EQ(box->icon(), c.boxIcon);
        EXPECT_EQ(box->standardButtons(), c.boxButtons);
        EXPECT_EQ(box->parentWidget(), &parent);
    }
}

TEST(QtPrompter, ReadsTheClickedButtonAsTheAnswer) {
    EXPECT_EQ(answerOf(QMessageBox::Yes, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(answerOf(QMessageBox::No, Buttons::YesNo), Answer::No);
    EXPECT_EQ(answerOf(QMessageBox::Escape, Buttons::YesNo), Answer::No);
    EXPECT_EQ(answerOf(QMessageBox::Ok, Buttons::Ok), Answer::Ok);
    EXPECT_EQ(answerOf(QMessageBox::Escape, Buttons::Ok), Answer::Ok);
}

} // namespace
