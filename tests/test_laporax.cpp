#include "DataGrid.h"
#include "Database.h"
#include "HelpFormX.h"
#include "LaporaFelhasznaloiKezikonyvForm.h"
#include "MainWindowTest.h"
#include "NullSafe.h"
#include "StoreError.h"
#include "Twips.h"
#include "View.h"

#include <QAction>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kJobsSource = u("select * from Laporak order by Dátum, MunkalapSzáma");

void addJob(const QDate& d, const char* name, const char* number, Fields more = {}) {
    more[u("Dátum")] = Value::date(d);
    if (name)
        more[u("CégNeve")] = Value::text(u(name));
    more[u("MunkalapSzáma")] = Value::text(u(number));
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"), more);
}

void addCompany(const char* name, const char* seat, const char* street) {
    addRow(QStringLiteral("lapora.mdb"), u("Címzett"),
           {{u("CimNev"), Value::text(u(name))},
            {u("CimIrszam"), Value::text(u("1111"))},
            {u("CimSzekhely"), Value::text(u(seat))},
            {u("CimCim"), Value::text(u(street))}});
}

// One column of the job sheets as stored, in the main window's order.
QStringList jobColumn(const char* field) {
    return storedColumn(QStringLiteral("lapora.mdb"), kJobsSource, u(field));
}

Value storedJobField(int row, const char* field) {
    return storedValue(QStringLiteral("lapora.mdb"), kJobsSource, row, u(field));
}

QStringList logActions() {
    return loggedActions(QStringLiteral("LaporaX"), QStringLiteral("Lapora"));
}

class LaporaXTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        // Every flow of the window: a beep and the arrow before each question and warning.
        EXPECT_TRUE(prompter.dialogOrderFaults().isEmpty())
            << prompter.dialogOrderFaults().join(QLatin1Char('\n')).toStdString();
    }

    void expectExitQuestion(Answer a) {
        prompter.expectMessage(msg::kFigyelem, u("Ellenőrzi az összes adatot?"), Icon::Question,
                               Buttons::YesNo, a);
    }

    QLineEdit* text(int n) { return child<QLineEdit>(QStringLiteral("Text%1").arg(n)); }
    QPlainTextEdit* text7() { return child<QPlainTextEdit>("Text7"); }
    DataGrid* grid(const char* name) { return child<DataGrid>(name); }
    QString current(View& v, const char* field) { return NullText(v.field(u(field))); }
};

// ---- start-up and activation ------------------------------------------------------------------------------

TEST_F(LaporaXTest, EmptyTableYesMakesOneJobSheetWithTodayAndNow) {
    start(Answer::Yes);
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(w->firstActivation());
    EXPECT_EQ(jobColumn("Dátum"), QStringList{u("2013.05.07.")});
    EXPECT_EQ(storedJobField(0, "Idő").asTime(), kNow);
    for (const char* f : {"CégNeve", "MunkalapSzáma", "NettóÁr", "ÁFA", "BruttóÁr", "Szoveg"})
        EXPECT_TRUE(storedJobField(0, f).isNull()) << f;
    EXPECT_TRUE(w->jobs().hasCurrent());
    EXPECT_EQ(child<QDateEdit>("DTPicker1")->date(), kToday);
    EXPECT_EQ(child<QLineEdit>("MaskEdBox1")->text(), QStringLiteral("09:15"));
    EXPECT_TRUE(logActions().isEmpty()); // the start-up row is not logged
    EXPECT_GE(prompter.beeps, 1);
    ASSERT_FALSE(prompter.pointers.empty());
    EXPECT_EQ(prompter.pointers.front(), Pointer::Arrow); // before the question
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(LaporaXTest, EmptyTableNoEndsTheProgramAndNothingElse) {
    start(Answer::No);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(prompter.asked.size(), 1); // no exit question: there is no job sheet
    EXPECT_FALSE(w->quitFlag());
    EXPECT_TRUE(jobColumn("Dátum").isEmpty());
    EXPECT_TRUE(logActions().isEmpty());
}

TEST_F(LaporaXTest, AnswerNoWithJobSheetsLeavesTheLastInDateAndNumberOrderCurrent) {
    addJob(QDate(2013, 3, 4), "C", "00003");
    addJob(QDate(2013, 5, 1), "E", "00002");
    addJob(QDate(2013, 5, 1), "D", "00001");
    addJob(QDate(2013, 1, 2), "A", "00009");
    start(Answer::No);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(current(w->jobs(), "CégNeve"), QStringLiteral("E"));
    EXPECT_EQ(text(1)->text(), QStringLiteral("E"));
    EXPECT_EQ(text(5)->text(), QStringLiteral("00002"));
    // Later activations ask nothing and keep the row.
    w->activate();
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(text(1)->text(), QStringLiteral("E"));
}

TEST_F(LaporaXTest, MissingDataFileEndsTheProgramWithoutTheExitRoutine) {
    for (const char* file : {"lapora.mdb", "Parameter.lpb", "Regiszt.lpb"}) {
        SCOPED_TRACE(file);
        WorkFolder folder; // fresh files; this one goes
        ASSERT_TRUE(QFile::remove(folder.file(QString::fromLatin1(file))));
        ended = 0;
        make();
        prompter.expectMessage(u("FIGYELEM! NINCS ADATBÁZIS!"),
                               u("SÚLYOS HIBA! Nem találhatók az adatbázisok!"), Icon::Error, Buttons::Ok,
                               Answer::Ok);
        w->activate();
        EXPECT_EQ(ended, 1);
        EXPECT_TRUE(w->quitFlag()); // the exit routine did not run
        EXPECT_TRUE(prompter.done());
        w->activate(); // the program is ending: nothing more is asked
        EXPECT_EQ(ended, 1);
        w.reset();
    }
}

TEST_F(LaporaXTest, ActivationCopiesTheLastSettingsRowIntoTheSessionValues) {
    session.settings.FakturoNextPath = QStringLiteral("old");
    session.settings.KeverdaPath = QStringLiteral("kept");
    make();
    // Loading empties these three; the others keep what they had until a settings row is read.
    EXPECT_TRUE(session.settings.FakturoNextPath.isEmpty());
    EXPECT_EQ(session.settings.KeverdaPath, QStringLiteral("kept"));

    addJob(kToday, "A", "1");
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("FakturoNextPath"), Value::text(u("régi"))}});
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("FakturoNextPath"), Value::text(u("C:\\Fakt"))},
            {u("TaroloPath"), Value::text(u("C:\\Tar"))},
            {u("AdorakPath"), Value::text(u("C:\\Ado"))},
            {u("InterfacePath"), Value::text(u("C:\\If"))},
            {u("ÁllandóSzöveg"), Value::text(u("Állandó"))},
            {u("SorszámKiegészités"), Value::text(u("/2013"))}});
    w.reset();
    start(Answer::No);
    EXPECT_EQ(session.settings.FakturoNextPath, u("C:\\Fakt"));
    EXPECT_EQ(session.settings.TaroloPath, u("C:\\Tar"));
    EXPECT_EQ(session.settings.KeverdaPath, QString()); // Null gives empty text
    EXPECT_EQ(session.settings.AdorakPath, u("C:\\Ado"));
    EXPECT_EQ(session.settings.InterfacePath, u("C:\\If"));
    EXPECT_EQ(session.settings.AllandoSzoveg, u("Állandó"));
    EXPECT_EQ(child<QLabel>("Label16")->text(), u("/2013"));

    // A changed record applies at the next activation, without a question.
    {
        View p(Database::open(QStringLiteral("Parameter.lpb")), QStringLiteral("EmblemaPath"));
        p.moveLast();
        p.edit();
        p.setField(u("ÁllandóSzöveg"), Value::text(u("Új szöveg")));
        p.update();
    }
    w->activate();
    EXPECT_EQ(session.settings.AllandoSzoveg, u("Új szöveg"));
    EXPECT_EQ(prompter.asked.size(), 1);
}

// ---- exit -------------------------------------------------------------------------------------------------

TEST_F(LaporaXTest, ExitCheckRemovesJobSheetsWithoutACompanyOnlyOnYes) {
    for (Answer a : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(a == Answer::Yes ? "Yes" : "No");
        WorkFolder folder;
        addJob(QDate(2013, 1, 1), "A", "1");
        addJob(QDate(2013, 1, 2), nullptr, "2");
        addJob(QDate(2013, 1, 3), "", "3");
        addJob(QDate(2013, 1, 4), "B", "4");
        addJob(QDate(2013, 1, 5), nullptr, "5");
        ended = 0;
        start(Answer::No);
        expectExitQuestion(a);
        child<QAction>("Kilepes")->trigger();
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(w->quitFlag());
        EXPECT_FALSE(w->jobs().isOpen());
        EXPECT_FALSE(w->companies().isOpen());
        EXPECT_FALSE(w->settingsView().isOpen());
        EXPECT_FALSE(w->logView().isOpen());
        const QStringList expected =
            a == Answer::Yes ? QStringList{"1", "4"} : QStringList{"1", "2", "3", "4", "5"};
        EXPECT_EQ(jobColumn("MunkalapSzáma"), expected);
        w.reset();
    }
}

TEST_F(LaporaXTest, ClosingByTheFrameRunsTheExitRoutineOnce) {
    addJob(kToday, "A", "1");
    start();
    expectExitQuestion(Answer::No);
    w->close();
    EXPECT_EQ(ended, 1);
    w->close(); // the flag is clear now
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(prompter.asked.size(), 2);
}

TEST_F(LaporaXTest, ClosingWithTheQuitFlagClearedRunsNoExitRoutine) {
    addJob(kToday, "A", "1");
    start();
    w->SetQui(false);
    w->close();
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(prompter.asked.size(), 1); // only the new-row question
    // Set again, the flag sends the frame's close through the exit routine.
    w->SetQui(true);
    expectExitQuestion(Answer::No);
    w->close();
    EXPECT_EQ(ended, 1);
}

TEST_F(LaporaXTest, ExitWritesTheEditsOnScreenBeforeClosing) {
    addJob(kToday, "A", "1");
    start();
    text(4)->setText(u("Szerelés"));
    expectExitQuestion(Answer::No);
    w->exitRoutine();
    EXPECT_EQ(storedJobField(0, "ElvégzettMunka").asText(), u("Szerelés"));
}

// ---- gross calculation ------------------------------------------------------------------------------------

TEST_F(LaporaXTest, GrossIsNetTimesRateRoundedHalfToEven) {
    struct Case {
        const char* net;
        const char* rate;
        const char* gross;
    };
    const Case cases[] = {
        {"10000", "25", "12500"}, {"10", "27", "13"}, {"1", "150", "2"},    {"3", "50", "4"},
        {"", "25", "0"},          {"100", "", "100"}, {"1,2,3", "25", "0"}, {"-100", "25", "-125"},
        {"12,5", "20", "15"},     {"abc", "25", "0"},
    };
    addJob(kToday, "A", "1");
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.net) + " / " + c.rate);
        text(8)->setText(u(c.net));
        text(9)->setText(u(c.rate));
        w->recalcGross();
        EXPECT_EQ(text(10)->text(), u(c.gross));
    }
    // Leaving the rate recalculates; the gross goes into the row with it.
    text(8)->setText(QStringLiteral("200"));
    text(9)->setText(QStringLiteral("25"));
    w->fieldFocusOut(text(9));
    EXPECT_EQ(text(10)->text(), QStringLiteral("250"));
    EXPECT_TRUE(w->writePendingEdits());
    EXPECT_EQ(storedJobField(0, "BruttóÁr").asNumber(), 250.0);
    EXPECT_EQ(storedJobField(0, "NettóÁr").asNumber(), 200.0);
}

TEST_F(LaporaXTest, GrossDoesNothingWithoutAJobSheet) {
    make(); // never activated: no row
    text(8)->setText(QStringLiteral("100"));
    w->recalcGross();
    EXPECT_TRUE(text(10)->text().isEmpty());
}

// ---- keys and focus ---------------------------------------------------------------------------------------

TEST_F(LaporaXTest, AmountFieldsRefuseOtherKeysWithABeep) {
    addJob(kToday, "A", "1");
    start();
    for (int n : {8, 9, 11}) {
        SCOPED_TRACE(n);
        QLineEdit* e = text(n);
        e->clear();
        const int before = prompter.beeps;
        QTest::keyClicks(e, QStringLiteral("1a2"));
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(QChar(0xE9)), Qt::NoModifier); // é
        QTest::keyClicks(e, QStringLiteral(",-3."));
        EXPECT_EQ(e->text(), QStringLiteral("12,-3"));
        EXPECT_EQ(prompter.beeps - before, 3);
        QTest::keyClick(e, Qt::Key_Backspace);
        EXPECT_EQ(e->text(), QStringLiteral("12,-"));
        EXPECT_EQ(prompter.beeps - before, 3);
    }
    // Other fields take letters.
    const int before = prompter.beeps;
    text(1)->clear();
    QTest::keyClicks(text(1), QStringLiteral("Abc"));
    EXPECT_EQ(text(1)->text(), QStringLiteral("Abc"));
    EXPECT_EQ(prompter.beeps, before);
}

TEST_F(LaporaXTest, FieldsAcceptNoMoreThanTheirLimitFromTheKeyboard) {
    addJob(kToday, "A", "1");
    start();
    const std::pair<int, int> limits[] = {{1, 50}, {2, 50}, {3, 50}, {4, 200}, {5, 5},
                                          {6, 50}, {8, 5},  {9, 5},  {11, 5}};
    for (const auto& [n, limit] : limits) {
        SCOPED_TRACE(n);
        text(n)->clear();
        QTest::keyClicks(text(n), QString(limit + 3, QLatin1Char('7')));
        EXPECT_EQ(text(n)->text().size(), limit);
    }
    // The program's own texts are not cut: a six-digit gross shows whole.
    text(8)->setText(QStringLiteral("99999"));
    text(9)->setText(QStringLiteral("25"));
    w->recalcGross();
    EXPECT_EQ(text(10)->text(), QStringLiteral("124999"));
}

TEST_F(LaporaXTest, FocusColourAndSelectAll) {
    addJob(kToday, "A", "1", {{u("NettóÁr"), Value::number(1500)}});
    start();
    const QColor cyan(128, 255, 255);
    for (const char* name :
         {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text8", "Text9", "Text11", "MaskEdBox1"}) {
        SCOPED_TRACE(name);
        QLineEdit* e = child<QLineEdit>(name);
        w->fieldFocusIn(e);
        EXPECT_EQ(e->palette().color(QPalette::Base), cyan);
        w->fieldFocusOut(e);
        EXPECT_EQ(e->palette().color(QPalette::Base), QApplication::palette(e).color(QPalette::Base));
    }
    w->fieldFocusIn(text(8));
    EXPECT_EQ(text(8)->selectedText(), QStringLiteral("1500"));
    w->fieldFocusIn(text(1));
    EXPECT_FALSE(text(1)->hasSelectedText());
    EXPECT_EQ(text(10)->palette().color(QPalette::Base), QColor(255, 255, 192));
}

TEST_F(LaporaXTest, FocusColourFollowsRealFocusChanges) {
    addJob(kToday, "A", "1", {{u("NettóÁr"), Value::number(1500)}});
    start();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    const QColor cyan(128, 255, 255);
    QLineEdit* name = text(1);
    const QColor normal = QApplication::palette(name).color(QPalette::Base);
    name->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(name->hasFocus());
    EXPECT_EQ(name->palette().color(QPalette::Base), cyan);
    text(8)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(name->palette().color(QPalette::Base), normal);
    EXPECT_EQ(text(8)->palette().color(QPalette::Base), cyan);
    EXPECT_EQ(text(8)->selectedText(), QStringLiteral("1500"));
    // The description takes the default away from OK while it has the focus, and gives it back.
    text7()->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(8)->palette().color(QPalette::Base), normal);
    EXPECT_FALSE(child<QPushButton>("Command1")->isDefault());
    text(2)->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_TRUE(child<QPushButton>("Command1")->isDefault());
    EXPECT_EQ(text(2)->palette().color(QPalette::Base), cyan);
}

TEST_F(LaporaXTest, EnterSavesExceptInTheDescription) {
    addJob(kToday, "A", "1");
    start();
    auto* ok = child<QPushButton>("Command1");
    EXPECT_TRUE(ok->isDefault());

    w->fieldFocusIn(text7());
    EXPECT_FALSE(ok->isDefault());
    text7()->setPlainText(QStringLiteral("első"));
    text7()->moveCursor(QTextCursor::End);
    QTest::keyClick(text7(), Qt::Key_Return);
    EXPECT_EQ(text7()->toPlainText(), u("első\n"));
    EXPECT_TRUE(logActions().isEmpty());
    w->fieldFocusOut(text7());
    EXPECT_TRUE(ok->isDefault());

    text(1)->setText(QStringLiteral("B"));
    QTest::keyClick(text(1), Qt::Key_Return);
    EXPECT_EQ(logActions(), QStringList{u("Adatmentés")});
    EXPECT_EQ(storedJobField(0, "CégNeve").asText(), QStringLiteral("B"));
    EXPECT_EQ(storedJobField(0, "Szoveg").asText(), u("első\r\n"));
}

// ---- new, save, delete ------------------------------------------------------------------------------------

TEST_F(LaporaXTest, NewJobSheetDefaultsAndIsWrittenOnSave) {
    addJob(QDate(2012, 1, 1), "A", "1");
    start();
    Clock::fix(kToday, QTime(10, 0, 5));
    child<QAction>("LPUj")->trigger();
    EXPECT_EQ(text(8)->text(), QStringLiteral("0"));
    EXPECT_EQ(text(9)->text(), QStringLiteral("25"));
    EXPECT_EQ(text(10)->text(), QStringLiteral("0"));
    EXPECT_EQ(child<QDateEdit>("DTPicker1")->date(), kToday);
    EXPECT_EQ(child<QLineEdit>("MaskEdBox1")->text(), QStringLiteral("10:00"));
    EXPECT_TRUE(text(1)->text().isEmpty());
    EXPECT_EQ(w->jobs().position(), 1);
    EXPECT_EQ(logActions(), QStringList{u("Új adatsor")});
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);

    text(1)->setText(u("Új Kft."));
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(jobColumn("CégNeve"), (QStringList{"A", u("Új Kft.")}));
    EXPECT_EQ(storedJobField(1, "NettóÁr").asNumber(), 0.0);
    EXPECT_EQ(storedJobField(1, "ÁFA").asNumber(), 25.0);
    EXPECT_EQ(storedJobField(1, "BruttóÁr").asNumber(), 0.0);
    EXPECT_EQ(storedJobField(1, "Idő").asTime(), QTime(10, 0, 5));
    EXPECT_EQ(logActions(), (QStringList{u("Új adatsor"), u("Adatmentés")}));
    EXPECT_EQ(current(w->jobs(), "CégNeve"), u("Új Kft."));
}

TEST_F(LaporaXTest, NewJobSheetKeepsTheEditsOfTheRowItLeaves) {
    addJob(QDate(2012, 1, 1), "A", "1");
    start();
    text(6)->setText(u("Kiss Béla"));
    w->newJobSheet();
    EXPECT_EQ(storedJobField(0, "MunkátVégezte").asText(), u("Kiss Béla"));
}

TEST_F(LaporaXTest, SaveStaysOnTheRowAndStoresTheGross) {
    addJob(QDate(2013, 1, 1), "A", "1");
    addJob(QDate(2013, 1, 2), "B", "2");
    addJob(QDate(2013, 1, 3), "C", "3");
    start();
    grid("DBGrid2")->selectRow(1);
    text(8)->setText(QStringLiteral("10"));
    text(9)->setText(QStringLiteral("27"));
    w->save(); // Enter in the amount field: no focus change before it
    EXPECT_EQ(current(w->jobs(), "CégNeve"), QStringLiteral("B"));
    EXPECT_EQ(text(10)->text(), QStringLiteral("13"));
    EXPECT_EQ(storedJobField(1, "BruttóÁr").asNumber(), 13.0);
    EXPECT_EQ(storedJobField(1, "NettóÁr").asNumber(), 10.0);
}

TEST_F(LaporaXTest, MovingToAnotherRowWritesTheEdits) {
    addJob(QDate(2013, 1, 1), "A", "1");
    addJob(QDate(2013, 1, 2), "B", "2");
    start();
    ASSERT_EQ(text(1)->text(), QStringLiteral("B"));
    text(1)->setText(QStringLiteral("B2"));
    child<QDateEdit>("DTPicker1")->setDate(QDate(2013, 2, 1));
    grid("DBGrid2")->selectRow(0);
    EXPECT_EQ(text(1)->text(), QStringLiteral("A"));
    EXPECT_EQ(jobColumn("CégNeve"), (QStringList{"A", "B2"}));
    EXPECT_EQ(storedJobField(1, "Dátum").asDate(), QDate(2013, 2, 1));
    // Navigation bar moves write the same way.
    text(2)->setText(QStringLiteral("Pécs"));
    child<QWidget>("LaporakData")->findChild<QAbstractButton*>(QStringLiteral("Last"))->click();
    EXPECT_EQ(text(1)->text(), QStringLiteral("B2"));
    EXPECT_EQ(storedJobField(0, "CégSzékhelye").asText(), u("Pécs"));
}

TEST_F(LaporaXTest, TheJobGridShowsTheTimeAsHoursAndMinutes) {
    addJob(kToday, "A", "1", {{u("Idő"), Value::time(QTime(8, 5, 59))}});
    start();
    QAbstractItemModel* m = grid("DBGrid2")->model();
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QStringLiteral("08:05"));
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QStringLiteral("2013.05.07."));
}

TEST_F(LaporaXTest, TimeFieldKeepsSecondsUntilChanged) {
    struct Case {
        const char* typed;
        bool isNull;
        QTime stored;
    };
    const Case cases[] = {
        {"09:15", false, QTime(9, 15, 30)}, // unchanged
        {"10:45", false, QTime(10, 45, 0)},
        {"10:4", false, QTime(9, 15, 30)}, // incomplete: the stored time stays
        {"25:00", false, QTime(9, 15, 30)},
        {"", true, QTime()}, // emptied on purpose
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        WorkFolder folder;
        addJob(kToday, "A", "1", {{u("Idő"), Value::time(QTime(9, 15, 30))}});
        start();
        auto* mask = child<QLineEdit>("MaskEdBox1");
        EXPECT_EQ(mask->displayText(), QStringLiteral("09:15"));
        if (QString::fromLatin1(c.typed) != mask->text()) {
            mask->clear();
            QTest::keyClicks(mask, QString::fromLatin1(c.typed).remove(QLatin1Char(':')));
        }
        w->save();
        const Value v = storedJobField(0, "Idő");
        EXPECT_EQ(v.isNull(), c.isNull);
        if (!c.isNull) {
            EXPECT_EQ(v.asTime(), c.stored);
        }
        w.reset();
    }
}

TEST_F(LaporaXTest, DeleteAsksAndOnNoKeepsTheRow) {
    addJob(kToday, "A", "1");
    start();
    prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                           Icon::Question, Buttons::YesNo, Answer::No);
    prompter.events.clear();
    child<QAction>("LPTorol")->trigger();
    EXPECT_EQ(jobColumn("CégNeve"), QStringList{"A"});
    EXPECT_TRUE(logActions().isEmpty());
    EXPECT_EQ(prompter.events, (QStringList{"arrow", "beep", u("question FIGYELEM! TÖRLÉS!"), "arrow"}));
}

TEST_F(LaporaXTest, DeletingTheOnlyJobSheet) {
    for (Answer a : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(a == Answer::Yes ? "Yes" : "No");
        WorkFolder folder;
        addJob(QDate(2012, 1, 1), "A", "1");
        ended = 0;
        start();
        prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                               Icon::Question, Buttons::YesNo, Answer::Yes);
        prompter.expectMessage(msg::kFigyelem, u("Minden adat törölve (Deleted All)! Kér új adatot (New)?"),
                               Icon::Question, Buttons::YesNo, a);
        w->deleteJobSheet();
        if (a == Answer::Yes) {
            EXPECT_EQ(ended, 0);
            EXPECT_EQ(jobColumn("Dátum"), QStringList{u("2013.05.07.")});
            EXPECT_TRUE(storedJobField(0, "CégNeve").isNull());
            EXPECT_EQ(logActions(), (QStringList{u("Törlés (adatsor)"), u("Új adatsor")}));
        } else {
            EXPECT_EQ(ended, 1); // the exit routine, with no row left to check
            EXPECT_TRUE(jobColumn("Dátum").isEmpty());
            EXPECT_EQ(logActions(), QStringList{u("Törlés (adatsor)")});
        }
        w.reset();
    }
}

TEST_F(LaporaXTest, DeletingRowsMovesOnOrToTheNewLastRow) {
    addJob(QDate(2013, 1, 1), "A", "1");
    addJob(QDate(2013, 1, 2), "B", "2");
    addJob(QDate(2013, 1, 3), "C", "3");
    start();
    auto yes = [this] {
        prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                               Icon::Question, Buttons::YesNo, Answer::Yes);
    };
    yes(); // the last row
    w->deleteJobSheet();
    EXPECT_EQ(current(w->jobs(), "CégNeve"), QStringLiteral("B"));
    EXPECT_EQ(text(1)->text(), QStringLiteral("B"));
    grid("DBGrid2")->selectRow(0);
    yes(); // a row in the middle: the next one follows
    w->deleteJobSheet();
    EXPECT_EQ(current(w->jobs(), "CégNeve"), QStringLiteral("B"));
    EXPECT_EQ(jobColumn("CégNeve"), QStringList{"B"});
    EXPECT_EQ(logActions(), (QStringList{u("Törlés (adatsor)"), u("Törlés (adatsor)")}));
}

// ---- header-click sorting ---------------------------------------------------------------------------------

TEST_F(LaporaXTest, HeaderClicksSortAscendingDescendingAndTheTenthStartsOver) {
    addJob(kToday, "A", "1");
    addCompany("Béla Bt.", "Eger", "Fő u. 1.");
    addCompany("alma Kft.", "Pécs", "Kő u. 2.");
    addCompany("Cukor Zrt.", "Győr", "Tó u. 3.");
    start();
    DataGrid* g = grid("DBGrid1");
    View& v = w->companies();
    auto names = [&v] {
        QStringList out;
        for (int i = 0; i < v.recordCount(); ++i)
            out << v.valueAt(i, 0).display();
        return out;
    };
    const QStringList asc{u("alma Kft."), u("Béla Bt."), u("Cukor Zrt.")};
    const QStringList desc{u("Cukor Zrt."), u("Béla Bt."), u("alma Kft.")};
    g->clickHeader(0);
    EXPECT_EQ(names(), asc);
    g->clickHeader(0);
    EXPECT_EQ(names(), desc);
    g->clickHeader(0);
    EXPECT_EQ(names(), asc);
    g->clickHeader(2); // another column: ascending by it
    EXPECT_EQ(names(), (QStringList{u("Béla Bt."), u("Cukor Zrt."), u("alma Kft.")}));
    for (int i = 0; i < 5; ++i)
        g->clickHeader(0); // clicks 5..9: asc, desc, asc, desc, asc
    EXPECT_EQ(names(), asc);
    g->clickHeader(0); // the tenth re-creates the view: ascending again
    EXPECT_EQ(names(), asc);
    EXPECT_EQ(v.sortText(), QStringLiteral("CimNev"));
    g->clickHeader(0);
    EXPECT_EQ(names(), desc);

    // The staging grid sorts the same way, with a counter of its own.
    DataGrid* g3 = grid("DBGrid3");
    EXPECT_EQ(g3->headerSort().counter(), 0);
    g3->clickHeader(1);
    EXPECT_EQ(w->staging().sortText(), QStringLiteral("Szamlaszam"));
}

// ---- searches ---------------------------------------------------------------------------------------------

TEST_F(LaporaXTest, SearchLinksFindTheFirstMatchInViewOrder) {
    addJob(QDate(2013, 4, 2), "Kovács Kft.", "120");
    addJob(QDate(2013, 5, 3), "Nagy Bt.", "125");
    addJob(QDate(2013, 5, 9), "kovács és fia", "200");
    addJob(QDate(2013, 6, 1), "Zeta", "0120");
    addCompany("Alfa Kft.", "Eger", "Fő u. 1.");
    addCompany("Kovács \"Kis\" Kft.", "Pécs", "Kő u. 2.");
    start();
    struct Case {
        const char* link;
        const char* title;
        const char* prompt;
        const char* answer;
        bool companies;
        const char* found; // field value of the row found
    };
    const char* nameTitle = "Keresés (cég)névre";
    const char* namePrompt = "Kérem a cég vagy vállalkozó nevét:";
    const Case cases[] = {
        {"Label10", "Keresés dátumra", "Kérem a dátumot:", "2013.05", false, "Nagy Bt."},
        {"Label11", nameTitle, namePrompt, "KOVÁCS É", false, "kovács és fia"},
        {"Label12", "Keresés munkalap sorszámra", "Kérem a munkalap sorszámát:", "12", false, "Kovács Kft."},
        {"Label12", "Keresés munkalap sorszámra", "Kérem a munkalap sorszámát:", "01", false, "Zeta"},
        {"Label12", "Keresés munkalap sorszámra", "Kérem a munkalap sorszámát:", "2?0", false,
         "kovács és fia"},
        {"Label1", nameTitle, namePrompt, "kov", true, "Kovács \"Kis\" Kft."},
        {"Label1", nameTitle, namePrompt, "Kovács \"K", true, "Kovács \"Kis\" Kft."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.link) + " " + c.answer);
        View& v = c.companies ? w->companies() : w->jobs();
        v.moveLast();
        prompter.expectInput(u(c.title), u(c.prompt), u(c.answer));
        w->search(QString::fromLatin1(c.link));
        EXPECT_EQ(current(v, c.companies ? "CimNev" : "CégNeve"), u(c.found));
        EXPECT_TRUE(prompter.done());
    }
    EXPECT_EQ(text(1)->text(), u("kovács és fia")); // the edit fields follow the job sheet found
}

TEST_F(LaporaXTest, SearchWithoutAHitWarnsAndGoesToTheFirstRow) {
    addJob(QDate(2013, 4, 2), "Alfa", "1");
    addJob(QDate(2013, 5, 3), "Beta", "2");
    addCompany("Alfa Kft.", "Eger", "Fő u. 1.");
    addCompany("Beta Kft.", "Pécs", "Kő u. 2.");
    start();
    struct Case {
        const char* link;
        const char* title;
        const char* prompt;
        const char* answer;
        const char* message;
        bool companies;
    };
    const Case cases[] = {
        {"Label1", "Keresés (cég)névre", "Kérem a cég vagy vállalkozó nevét:", "Nincs", "Nincs ilyen név!",
         true},
        {"Label10", "Keresés dátumra", "Kérem a dátumot:", "2014", "Nincs ilyen dátum!", false},
        {"Label11", "Keresés (cég)névre", "Kérem a cég vagy vállalkozó nevét:", "x\"y", "Nincs ilyen név!",
         false},
        {"Label12", "Keresés munkalap sorszámra", "Kérem a munkalap sorszámát:", "9",
         "Nincs ilyen munkalap sorszám!", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        View& v = c.companies ? w->companies() : w->jobs();
        v.moveLast();
        const int beeps = prompter.beeps;
        prompter.expectInput(u(c.title), u(c.prompt), u(c.answer));
        prompter.expectMessage(msg::kFigyelem, u(c.message), Icon::Exclamation, Buttons::Ok, Answer::Ok);
        w->search(QString::fromLatin1(c.link));
        EXPECT_EQ(v.position(), 0);
        EXPECT_EQ(prompter.beeps, beeps + 1);
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
    }
}

TEST_F(LaporaXTest, SearchWithAnEmptyAnswerOrCancelDoesNothing) {
    addJob(QDate(2013, 4, 2), "Alfa", "1");
    addJob(QDate(2013, 5, 3), "Beta", "2");
    addCompany("Alfa Kft.", "Eger", "Fő u. 1.");
    addCompany("Beta Kft.", "Pécs", "Kő u. 2.");
    start();
    w->companies().moveLast();
    for (std::optional<QString> answer : {std::optional<QString>(QString()), std::optional<QString>()}) {
        prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég vagy vállalkozó nevét:"), answer);
        w->search(QStringLiteral("Label1"));
        EXPECT_EQ(w->companies().position(), 1);
        prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég vagy vállalkozó nevét:"), answer);
        w->search(QStringLiteral("Label11"));
        EXPECT_EQ(w->jobs().position(), 1);
    }
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(LaporaXTest, SearchOnAnEmptyViewAsksNothing) {
    addJob(kToday, "A", "1");
    start(); // no company
    w->search(QStringLiteral("Label1"));
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(LaporaXTest, ClickingASearchLinkStartsItsSearch) {
    addJob(kToday, "A", "1");
    start();
    auto* link = child<QLabel>("Label12");
    EXPECT_EQ(link->text(), u("< Munkalap sorszámra >"));
    EXPECT_TRUE(link->font().bold());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(link->palette().color(QPalette::Window), QColor(255, 255, 255));
    prompter.expectInput(u("Keresés munkalap sorszámra"), u("Kérem a munkalap sorszámát:"), std::nullopt);
    QTest::mouseClick(link, Qt::LeftButton);
}

// ---- company pick and staging copy ------------------------------------------------------------------------

TEST_F(LaporaXTest, CompanyPickCopiesNameSeatAndAddress) {
    addJob(QDate(2013, 1, 1), nullptr, "1");
    addJob(QDate(2013, 1, 2), "Régi Kft.", "2");
    addCompany("Alfa Kft.", "Eger", "Fő u. 1.");
    start();
    grid("DBGrid2")->selectRow(0);
    // No name yet: at once, without a question.
    w->companyPick();
    EXPECT_EQ(text(1)->text(), u("Alfa Kft."));
    EXPECT_EQ(text(2)->text(), u("Eger"));
    EXPECT_EQ(text(3)->text(), u("Fő u. 1."));
    EXPECT_EQ(prompter.asked.size(), 1);

    // A name already there: No leaves the three fields, Yes copies.
    grid("DBGrid2")->selectRow(1);
    EXPECT_EQ(storedJobField(0, "CégSzékhelye").asText(), u("Eger")); // written by the move
    const auto ask = [this](Answer a) {
        prompter.expectMessage(u("FIGYELEM! Adatmódosítás kérése!"), u("Javítja a felvitt adatokat?"),
                               Icon::Question, Buttons::YesNo, a);
    };
    ask(Answer::No);
    emit grid("DBGrid1")->rowActivated(0);
    EXPECT_EQ(text(1)->text(), u("Régi Kft."));
    EXPECT_TRUE(text(2)->text().isEmpty());
    ask(Answer::Yes);
    w->companyPick();
    EXPECT_EQ(text(1)->text(), u("Alfa Kft."));
    w->save();
    EXPECT_EQ(storedJobField(1, "CégNeve").asText(), u("Alfa Kft."));
}

TEST_F(LaporaXTest, StagingCopyReplacesTheDescription) {
    addJob(kToday, "A", "1", {{u("Szoveg"), Value::text(u("régi leírás"))}});
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
           {{u("Sorszám"), Value::number(1)},
            {u("Szamlaszam"), Value::number(1234)},
            {u("Megnevezes"), Value::text(u("Csavar"))},
            {u("Netto"), Value::number(12.5)},
            {u("AFA"), Value::number(27)},
            {u("Brutto"), Value::number(15.875)},
            {u("Mennyiség"), Value::number(3)}});
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
           {{u("Sorszám"), Value::number(2)}, {u("Megnevezes"), Value::text(u("Anya"))}});
    start();
    DataGrid* g = grid("DBGrid3");
    g->selectRow(0);
    w->stagingCopy();
    EXPECT_EQ(text7()->toPlainText(), u("Okmány sorszáma: 1234\nCsavar\nMennyiség: 3\nNettó: 12,5\nÁFA: 27\n"
                                        "Bruttó: 15,875\n"));
    g->selectRow(1);
    emit g->rowActivated(1); // a double click
    const QString second =
        u("Okmány sorszáma: 0\r\nAnya\r\nMennyiség: 0\r\nNettó: 0\r\nÁFA: 0\r\nBruttó: 0\r\n");
    EXPECT_EQ(text7()->toPlainText(), QString(second).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // The copy changed the description: Enter no longer saves, until the description loses the focus.
    EXPECT_FALSE(child<QPushButton>("Command1")->isDefault());
    w->fieldFocusIn(text7());
    w->fieldFocusOut(text7());
    EXPECT_TRUE(child<QPushButton>("Command1")->isDefault());
    w->save();
    EXPECT_EQ(storedJobField(0, "Szoveg").asText(), second);
}

TEST_F(LaporaXTest, StagingCopyNeedsAJobSheetAndAStagingLine) {
    addJob(kToday, "A", "1", {{u("Szoveg"), Value::text(u("marad"))}});
    start();
    w->stagingCopy(); // no staging line
    EXPECT_EQ(text7()->toPlainText(), u("marad"));
}

// ---- store failures ---------------------------------------------------------------------------------------

TEST_F(LaporaXTest, ARefusedWriteIsReportedAndTheTypedDataStay) {
    addJob(QDate(2013, 1, 1), "A", "1");
    addJob(QDate(2013, 1, 2), "B", "2");
    start();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE UPDATE ON Laporak "
                                       "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    const auto refused = [this] {
        prompter.expectMessage(msg::kFigyelem, msg::kIrasHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    };

    text(1)->setText(QStringLiteral("B2"));
    refused();
    w->save();
    EXPECT_EQ(text(1)->text(), QStringLiteral("B2"));
    EXPECT_TRUE(logActions().isEmpty()); // not reported as saved
    EXPECT_EQ(storedJobField(1, "CégNeve").asText(), QStringLiteral("B"));

    const auto moveRefused = [this] {
        prompter.expectMessage(msg::kFigyelem, msg::kLepesHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    };
    moveRefused(); // a grid click may not leave the row either
    grid("DBGrid2")->selectRow(0);
    EXPECT_EQ(w->jobs().position(), 1);
    EXPECT_EQ(text(1)->text(), QStringLiteral("B2"));

    // nor a search
    prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég vagy vállalkozó nevét:"),
                         QStringLiteral("A"));
    moveRefused();
    w->search(QStringLiteral("Label11"));
    EXPECT_EQ(text(1)->text(), QStringLiteral("B2"));

    // nor a new job sheet
    prompter.expectMessage(msg::kFigyelem, msg::kUjSorHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    w->newJobSheet();
    EXPECT_EQ(jobColumn("CégNeve").size(), 2);

    blocker->executeRaw(QStringLiteral("DROP TRIGGER block"));
    w->save();
    EXPECT_EQ(storedJobField(1, "CégNeve").asText(), QStringLiteral("B2"));
    EXPECT_EQ(logActions(), QStringList{u("Adatmentés")});
}

TEST_F(LaporaXTest, ARefusedDeleteIsReportedAndKeepsTheRow) {
    addJob(kToday, "A", "1");
    start();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE DELETE ON Laporak "
                                       "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                           Icon::Question, Buttons::YesNo, Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, msg::kTorlesHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    w->deleteJobSheet();
    EXPECT_EQ(jobColumn("CégNeve"), QStringList{"A"});
    EXPECT_EQ(text(1)->text(), QStringLiteral("A"));
    EXPECT_TRUE(logActions().isEmpty());
}

// ---- other windows ----------------------------------------------------------------------------------------

TEST_F(LaporaXTest, ACompanyWindowHidesThisOneAndItsChangesShowAfter) {
    addJob(kToday, "A", "1");
    addCompany("Alfa Kft.", "Eger", "Fő u. 1.");
    start();
    w->show();
    text(4)->setText(u("Javítás"));
    w->setWindowFactory(QStringLiteral("LPCeg"), [] {
        auto window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("CimzettForm"));
        return window;
    });
    bool hiddenMeanwhile = false;
    modal.on(QStringLiteral("CimzettForm"), [&](QWidget*) {
        hiddenMeanwhile = !w->isVisible();
        // The job sheet on screen was written before the window opened.
        EXPECT_EQ(storedJobField(0, "ElvégzettMunka").asText(), u("Javítás"));
        addCompany("Zeta Bt.", "Győr", "Tó u. 3.");
    });
    child<QAction>("LPCeg")->trigger();
    EXPECT_EQ(modal.shown, QStringList{"CimzettForm"});
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->companies().recordCount(), 2);
    EXPECT_EQ(current(w->companies(), "CimNev"), u("Zeta Bt."));
    EXPECT_EQ(prompter.asked.size(), 1); // the activation after it asked nothing
}

TEST_F(LaporaXTest, ReturningFromTheCompanyRegisterDropsTheHeaderSort) {
    addJob(kToday, "A", "1");
    addCompany("Béla Bt.", "Eger", "Fő u. 1.");
    addCompany("alma Kft.", "Pécs", "Kő u. 2.");
    start();
    DataGrid* g = grid("DBGrid1");
    g->clickHeader(0);
    g->clickHeader(0); // descending: Béla, alma
    ASSERT_EQ(w->companies().sortText(), QStringLiteral("CimNev DESC"));
    w->setWindowFactory(QStringLiteral("LPCeg"), [] {
        auto window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("CimzettForm"));
        return window;
    });
    modal.on(QStringLiteral("CimzettForm"), [](QWidget*) { addCompany("Zeta Bt.", "Győr", "Tó u. 3."); });
    w->openCompanyRegister();
    View& v = w->companies();
    QStringList names;
    for (int i = 0; i < v.recordCount(); ++i)
        names << v.valueAt(i, 0).display();
    // Stored order again, the new company last and current, on the grid too.
    EXPECT_EQ(names, (QStringList{u("Béla Bt."), u("alma Kft."), u("Zeta Bt.")}));
    EXPECT_TRUE(v.sortText().isEmpty());
    EXPECT_EQ(current(v, "CimNev"), u("Zeta Bt."));
    EXPECT_EQ(g->currentIndex().row(), 2);
    EXPECT_EQ(g->model()->data(g->model()->index(2, 0)).toString(), u("Zeta Bt."));
    // The next click on the column sorts ascending, not descending.
    g->clickHeader(0);
    EXPECT_EQ(v.sortText(), QStringLiteral("CimNev"));
    EXPECT_EQ(v.valueAt(0, 0).display(), u("alma Kft."));
    EXPECT_EQ(v.valueAt(2, 0).display(), u("Zeta Bt."));
}

TEST_F(LaporaXTest, StagingRefreshDropsTheHeaderSort) {
    addJob(kToday, "A", "1");
    for (int n : {2, 1, 3})
        addRow(
            QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
            {{u("Sorszám"), Value::number(n)}, {u("Megnevezes"), Value::text(QStringLiteral("t%1").arg(n))}});
    start();
    DataGrid* g3 = grid("DBGrid3");
    g3->clickHeader(4); // Megnevezes ascending
    g3->clickHeader(4); // descending: t3, t2, t1
    ASSERT_EQ(w->staging().sortText(), QStringLiteral("Megnevezes DESC"));
    w->setWindowFactory(QStringLiteral("AthozatTabla"), [] {
        auto window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("AdatathozatalFormX"));
        return window;
    });
    modal.on(QStringLiteral("AdatathozatalFormX"), [](QWidget*) {
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
               {{u("Sorszám"), Value::number(0)}, {u("Megnevezes"), Value::text(QStringLiteral("t0"))}});
    });
    w->openStagingTable();
    View& v = w->staging();
    QStringList items;
    for (int i = 0; i < v.recordCount(); ++i)
        items << v.valueAt(i, 4).display();
    EXPECT_EQ(items, (QStringList{"t0", "t1", "t2", "t3"})); // Sorszám order of the source
    EXPECT_TRUE(v.sortText().isEmpty());
    EXPECT_EQ(v.position(), 0);
    EXPECT_EQ(g3->currentIndex().row(), 0);
    g3->clickHeader(4);
    EXPECT_EQ(v.sortText(), QStringLiteral("Megnevezes"));
}

TEST_F(LaporaXTest, StagingWindowsRefreshTheStagingGrid) {
    addJob(kToday, "A", "1");
    start();
    for (const char* item : {"AthozatTabla", "SzamlA", "RaktarbolAthoz"}) {
        SCOPED_TRACE(item);
        w->setWindowFactory(QString::fromLatin1(item), [] {
            auto window = std::make_unique<QWidget>();
            window->setObjectName(QStringLiteral("Staging"));
            return window;
        });
    }
    int n = 0;
    modal.on(QStringLiteral("Staging"), [&](QWidget*) {
        ++n;
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
               {{u("Sorszám"), Value::number(10 - n)}});
    });
    for (const char* item : {"AthozatTabla", "SzamlA", "RaktarbolAthoz"}) {
        child<QAction>(item)->trigger();
        EXPECT_EQ(w->staging().recordCount(), n);
        EXPECT_EQ(w->staging().position(), 0); // back on the first row, in Sorszám order
    }
    EXPECT_EQ(NullNumber(w->staging().field(u("Sorszám"))).value(), 7.0);
}

TEST_F(LaporaXTest, JobListGetsTheCompanyAndOpensOnlyWithJobSheets) {
    addJob(kToday, "Alfa Kft.", "1");
    start();
    w->setWindowFactory(QStringLiteral("LPNyom"), [] {
        auto window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("LPNyomtatFormX"));
        return window;
    });
    modal.on(QStringLiteral("LPNyomtatFormX"), [](QWidget*) {});
    w->openJobList();
    EXPECT_EQ(session.jobListCompany, u("Alfa Kft."));
    EXPECT_EQ(modal.shown.size(), 1);

    {
        View v(Database::open(QStringLiteral("lapora.mdb")), QStringLiteral("Laporak"));
        v.moveFirst();
        v.remove();
    }
    w->jobs().requery();
    w->openJobList();
    EXPECT_EQ(modal.shown.size(), 1);
}

TEST_F(LaporaXTest, MenuItemsOpenTheirWindowsAndTheManualLeavesThisWindowVisible) {
    addJob(kToday, "A", "1");
    start();
    w->show();
    // The staging table, the settings and the log open their real windows, with this window hidden meanwhile.
    for (const char* name : {"AdatathozatalFormX", "NaploFormX"})
        modal.on(QString::fromLatin1(name), [](QWidget* window) { window->close(); });
    // The settings window's help is the real help window.
    bool helpIsTheHelpWindow = false;
    modal.on(QStringLiteral("ParameterFormX"), [](QWidget* window) {
        window->findChild<QAction*>(QStringLiteral("Segedlet"))->trigger();
        window->close();
    });
    modal.on(QStringLiteral("HelpFormX"),
             [&](QWidget* window) { helpIsTheHelpWindow = qobject_cast<HelpFormX*>(window) != nullptr; });
    for (const char* item : {"AthozatTabla", "ParametereK", "naplozaS"})
        child<QAction>(item)->trigger();
    EXPECT_EQ(modal.shown, (QStringList{"AdatathozatalFormX", "ParameterFormX", "HelpFormX", "NaploFormX"}));
    EXPECT_TRUE(helpIsTheHelpWindow);
    EXPECT_TRUE(w->isVisible());
    modal.shown.clear();

    bool visibleMeanwhile = false;
    bool isTheManual = false;
    modal.on(QStringLiteral("LaporaFelhasznaloiKezikonyvForm"), [&](QWidget* window) {
        visibleMeanwhile = w->isVisible();
        isTheManual = qobject_cast<LaporaFelhasznaloiKezikonyvForm*>(window) != nullptr;
    });
    child<QAction>("Kezikonyv")->trigger();
    EXPECT_EQ(modal.shown, QStringList{QStringLiteral("LaporaFelhasznaloiKezikonyvForm")});
    EXPECT_TRUE(isTheManual);
    EXPECT_TRUE(visibleMeanwhile);
    EXPECT_TRUE(w->isVisible());
}

// ---- layout -----------------------------------------------------------------------------------------------

TEST_F(LaporaXTest, MenuItemsInOrder) {
    make();
    QStringList items;
    for (QAction* top : w->menuBar()->actions()) {
        items << top->text();
        if (QMenu* m = top->menu())
            for (QAction* a : m->actions())
                items << (a->isSeparator() ? QStringLiteral("-")
                                           : a->objectName() + QLatin1Char('=') + a->text());
        else
            items << top->objectName();
    }
    const QStringList expected{u("&Adatkezelés"),
                               u("LPUj=Új adat felvitele"),
                               "-",
                               u("LPTorol=Kijelölt sor törlése"),
                               "-",
                               u("AthozatTabla=Adat áthozatal tábla kezelése"),
                               u("A&datkapcsolatok"),
                               u("SzamlA=Számlázóból áthozatal (FakturoNext)"),
                               "-",
                               u("RaktarbolAthoz=Raktárból, vámraktárból áthozat (Tarolow, Keverda, Adorak)"),
                               u("&Nyomtatás"),
                               u("AktLapNyom=Aktuális lap nyomtatása"),
                               "-",
                               u("LPNyom=Lista"),
                               u("&Cégek-Vállalkozók törzs"),
                               u("LPCeg"),
                               u("S&zerviz"),
                               u("ParametereK=Paraméter adatok"),
                               "-",
                               u("naplozaS=Napló"),
                               u("&Segédlet"),
                               u("Kezikonyv=Kézikönyv"),
                               u("&Mentés-Kilépés"),
                               u("Kilepes")};
    EXPECT_EQ(items, expected);
}

TEST_F(LaporaXTest, LinksGridsBarsAndEditRowsSitAtTheirPlaces) {
    make();
    struct Place {
        const char* name;
        QRect twips;
        const char* caption; // the link's text, the grid's caption, the bar's caption
    };
    // Search links: their left, top and height as designed; bold blue on white.
    const Place links[] = {
        {"Label10", {360, 120, 2400, 195}, "< Dátumra keres >"},
        {"Label11", {3360, 120, 2400, 195}, "< Névre keres >"},
        {"Label12", {10320, 120, 2400, 195}, "< Munkalap sorszámra >"},
        {"Label1", {120, 2520, 3000, 195}, "<              Keresés névre            >"},
    };
    for (const Place& p : links) {
        SCOPED_TRACE(p.name);
        auto* l = child<QLabel>(p.name);
        const QRect r = twipsRect(p.twips.left(), p.twips.top(), p.twips.width(), p.twips.height());
        EXPECT_EQ(l->pos(), r.topLeft());
        EXPECT_EQ(l->height(), r.height());
        EXPECT_EQ(l->text(), u(p.caption));
        EXPECT_TRUE(l->font().bold());
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_EQ(l->palette().color(QPalette::Window), QColor(255, 255, 255));
    }
    // Grids: the caption bar and the grid together take the designed place.
    const Place grids[] = {
        {"DBGrid2", {120, 360, 14655, 2055}, "Munkák adatai - oszlopnévre kattintva rendez sorba"},
        {"DBGrid1", {120, 3480, 4455, 2895}, "CÉGEK-VÁLLALKOZÓK TÖRZS"},
        {"DBGrid3", {120, 7080, 4380, 2475}, "Áthozat"},
    };
    for (const Place& p : grids) {
        SCOPED_TRACE(p.name);
        DataGrid* g = grid(p.name);
        EXPECT_EQ(g->captionLabel()->geometry().united(g->geometry()),
                  twipsRect(p.twips.left(), p.twips.top(), p.twips.width(), p.twips.height()));
        EXPECT_EQ(g->captionLabel()->text(), u(p.caption));
    }
    // Navigation bars, with their captions.
    const Place bars[] = {
        {"LaporakData", {6000, 2400, 8775, 345}, "                    Munkák adatai - Mozgás a táblában"},
        {"Cimzett", {120, 6360, 4455, 345}, "CÉGEK-VÁLLALKOZÓK-Mozgás a táblában"},
        {"AthozData", {135, 9480, 4425, 345}, "          Adat áthozatal más rendszerekből"},
    };
    for (const Place& p : bars) {
        SCOPED_TRACE(p.name);
        auto* bar = child<QWidget>(p.name);
        EXPECT_EQ(bar->geometry(),
                  twipsRect(p.twips.left(), p.twips.top(), p.twips.width(), p.twips.height()));
        auto* caption = bar->findChild<QLabel*>(QStringLiteral("Caption"));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), u(p.caption));
        QStringList buttons;
        for (const char* b : {"First", "Previous", "Next", "Last"})
            if (bar->findChild<QWidget*>(QString::fromLatin1(b)))
                buttons << QString::fromLatin1(b);
        EXPECT_EQ(buttons.size(), 4);
    }
    // The edit area: ten rows from 3472 to 6240, evenly; each caption at 4680 beside its field at 6240.
    struct Row {
        const char* caption;
        const char* field;
        int top;
    };
    const Row rows[] = {
        {"Dátum:", "DTPicker1", 3472},
        {"Idő:", "MaskEdBox1", 3748},
        {"Cég-vállalkozó neve:", "Text1", 4025},
        {"Székhelye:", "Text2", 4302},
        {"Címe:", "Text3", 4579},
        {"Elvégzett munka:", "Text4", 4856},
        {"Munkát végezte:", "Text6", 5132},
        {"Nettó ár és ÁFA%:", "Text8", 5409},
        {"Munkalap sorszáma:", "Text5", 5686},
        {"Munkaóra:", "Text11", 5963},
    };
    QMap<QString, QLabel*> captions;
    for (QLabel* l : w->findChildren<QLabel*>())
        captions[l->text()] = l;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        QWidget* f = child<QWidget>(r.field);
        EXPECT_EQ(f->pos(), QPoint(twipsToPixels(6240), twipsToPixels(r.top, Qt::Vertical)));
        EXPECT_LE(f->geometry().bottom(), twipsToPixels(6240, Qt::Vertical));
        QLabel* l = captions.value(u(r.caption));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->x(), twipsToPixels(4680));
        // The caption sits on its field's row.
        EXPECT_GE(l->geometry().top(), f->geometry().top());
        EXPECT_LE(l->geometry().bottom(), f->geometry().bottom());
    }
    EXPECT_EQ(child<QWidget>("Text9")->y(), child<QWidget>("Text8")->y());
    EXPECT_EQ(child<QWidget>("Text10")->y(), child<QWidget>("Text8")->y());
    // The settings field's label stands on the job-sheet number's row, right of it.
    const QRect number = child<QWidget>("Text5")->geometry();
    const QRect label16 = child<QWidget>("Label16")->geometry();
    EXPECT_GT(label16.left(), number.right());
    EXPECT_GE(label16.top(), number.top());
    EXPECT_LE(label16.bottom(), number.bottom());
}

TEST_F(LaporaXTest, ControlsCarryTheirNamesTooltipsAndPlaces) {
    addJob(kToday, "A", "1");
    start();
    EXPECT_EQ(w->objectName(), QStringLiteral("LaporaX"));
    EXPECT_EQ(w->windowTitle(), u("Lapora V.2.2  2013. Munkalap-teljesítés igazolás") + LaporaX::kImprint);
    const std::pair<const char*, const char*> tips[] = {
        {"DTPicker1", "év.hónap.nap"},
        {"MaskEdBox1", "Óra:perc:másodperc"},
        {"Text1", "Név"},
        {"Text2", "Székhely"},
        {"Text3", "Cím"},
        {"Text4", "Munka röviden"},
        {"Text5", "Sorszám max. 5 hosszú"},
        {"Text6", "Név, beosztás"},
        {"Text7", "Munka"},
        {"Text8", "Nettó ár"},
        {"Text9", "ÁFA%"},
        {"Text10", "Bruttó ár"},
        {"Text11", "Munkaóra"},
        {"Command1", "Adatok mentése"},
        {"DBGrid2", "Sorra kattintva módosíthat"},
        {"DBGrid3", "Oszlopnévre kattintva rendez"},
    };
    for (const auto& [name, tip] : tips)
        EXPECT_EQ(child<QWidget>(name)->toolTip(), u(tip)) << name;
    EXPECT_EQ(child<QDateEdit>("DTPicker1")->displayFormat(), QStringLiteral("yyyy.MM.dd."));
    EXPECT_EQ(child<QLineEdit>("MaskEdBox1")->inputMask(), QStringLiteral("99:99;_"));
    EXPECT_EQ(child<QLineEdit>("MaskEdBox1")->displayText(), QStringLiteral("__:__"));
    // The grid's caption bar takes the top of the grid's place.
    EXPECT_EQ(child<QWidget>("DBGrid1Caption")->geometry().united(child<QWidget>("DBGrid1")->geometry()),
              twipsRect(120, 3480, 4455, 2895));
    EXPECT_EQ(child<QLabel>("DBGrid1Caption")->text(), QString::fromUtf8("CÉGEK-VÁLLALKOZÓK TÖRZS"));
    EXPECT_EQ(child<QWidget>("Text7")->geometry(), twipsRect(4710, 6960, 10065, 2175));
    EXPECT_EQ(child<QWidget>("Command1")->geometry(), twipsRect(12840, 9240, 1935, 615));
    EXPECT_EQ(child<QWidget>("Label16")->geometry(), twipsRect(7080, 5760, 660, 195));
    EXPECT_EQ(grid("DBGrid1")->caption(), u("CÉGEK-VÁLLALKOZÓK TÖRZS"));

    const auto captions = [this](const char* name) {
        QStringList out;
        auto* m = grid(name)->viewModel();
        for (int i = 0; i < m->columnCount(); ++i)
            out << m->column(i).caption + QLatin1Char('=') + m->column(i).field;
        return out;
    };
    EXPECT_EQ(captions("DBGrid2").size(), 11);
    EXPECT_EQ(captions("DBGrid2").value(10), u("Megjegyzés=Szoveg"));
    EXPECT_EQ(captions("DBGrid1").size(), 16);
    EXPECT_EQ(captions("DBGrid1").value(15), u("Vevőkód=VevoKodja"));
    const QStringList staging = captions("DBGrid3");
    ASSERT_EQ(staging.size(), 25);
    EXPECT_EQ(staging.value(1), u("Számlaszám=Szamlaszam"));
    EXPECT_EQ(staging.value(4), u("Megnevezés=Megnevezes"));
    EXPECT_EQ(staging.value(24), u("Mennyiség=Mennyiség"));

    w->show();
    w->resize(twipsToPixels(12000), w->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(w->width(), twipsToPixels(12000));
    EXPECT_EQ(child<QWidget>("DBGrid2")->width(), w->width() - twipsToPixels(345));
}

} // namespace
