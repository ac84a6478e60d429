#include "DataGrid.h"
#include "Database.h"
#include "MainWindowTest.h"
#include "ParameterFormX.h"
#include "View.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kSettings = QStringLiteral("EmblemaPath");

Value storedSetting(const char* field, int row = 0) {
    return storedValue(QStringLiteral("Parameter.lpb"), kSettings, row, u(field));
}

int settingsRows() {
    View v(Database::open(QStringLiteral("Parameter.lpb")), kSettings);
    return v.recordCount();
}

// "action | window" of every log row.
QStringList logRows() {
    QStringList out;
    for (const LogRow& r : readLog())
        out << r.action + QStringLiteral(" | ") + r.window;
    return out;
}

void blockWrites(const char* when) {
    Database::open(QStringLiteral("Parameter.lpb"))
        ->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE %1 ON EmblemaPath "
                                    "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                         .arg(QString::fromLatin1(when)));
}

void allowWrites() {
    Database::open(QStringLiteral("Parameter.lpb"))->executeRaw(QStringLiteral("DROP TRIGGER block"));
}

class ParameterFormTest : public WindowTest<ParameterFormX> {
protected:
    ParameterFormX& open() {
        w = std::make_unique<ParameterFormX>(session);
        w->activate();
        return *w;
    }
    QLineEdit* text1() { return child<QLineEdit>("Text1"); }
    // Types into a cell of the settings record's row.
    void typeInCell(int col, const QString& keys) { test::typeInCell(w->grid(), 0, col, keys); }
};

TEST_F(ParameterFormTest, AnEmptyTableGetsOneRecordWithNormalSize) {
    open();
    EXPECT_EQ(settingsRows(), 1);
    EXPECT_EQ(storedSetting("KépernyöMérete").display(), QStringLiteral("N"));
    EXPECT_TRUE(storedSetting("FakturoNextPath").isNull());
    EXPECT_EQ(text1()->text(), QStringLiteral("N"));
    // The grid: every field of the record in stored order, headed by its name.
    DataGrid* g = w->grid();
    ASSERT_EQ(g->model()->columnCount(), 14);
    EXPECT_EQ(g->model()->headerData(0, Qt::Horizontal).toString(), u("FakturoNextPath"));
    EXPECT_EQ(g->model()->headerData(9, Qt::Horizontal).toString(), u("KépernyöMérete"));
    EXPECT_EQ(g->model()->headerData(13, Qt::Horizontal).toString(), u("ÁllandóSzöveg"));
    EXPECT_EQ(g->model()->data(g->model()->index(0, 9)).toString(), QStringLiteral("N"));

    // A second activation (back from help) adds nothing; a record there is not touched.
    w->activate();
    EXPECT_EQ(settingsRows(), 1);
    EXPECT_TRUE(logRows().isEmpty());
}

TEST_F(ParameterFormTest, OpeningStandsOnTheLastRecord) {
    addRow(QStringLiteral("Parameter.lpb"), kSettings,
           {{u("KépernyöMérete"), Value::text(QStringLiteral("N"))}});
    addRow(QStringLiteral("Parameter.lpb"), kSettings,
           {{u("KépernyöMérete"), Value::text(QStringLiteral("M"))}});
    open();
    EXPECT_EQ(settingsRows(), 2);
    EXPECT_EQ(w->settings().position(), 1);
    EXPECT_EQ(text1()->text(), QStringLiteral("M"));
}

TEST_F(ParameterFormTest, SizeFieldTakesOneKeyAtATimeAndLogsTheLetters) {
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    text1()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(text1()->palette().color(QPalette::Base), kFocusColour);
    EXPECT_EQ(text1()->selectedText(), QStringLiteral("N"));

    struct Step {
        const char* key;
        const char* shown;
        bool beep;
        bool logged;
    };
    // Each key replaces the letter: the field always holds the last key that went through.
    const Step steps[] = {
        {"x", "N", true, false}, {"m", "m", false, true}, {"7", "7", false, false}, {"?", "7", true, false},
        {"N", "N", false, true}, {"n", "n", false, true}, {"m", "m", false, true},
    };
    int logged = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        const int beeps = prompter.beeps;
        type(text1(), u(s.key));
        EXPECT_EQ(text1()->text(), u(s.shown));
        EXPECT_EQ(prompter.beeps - beeps, s.beep ? 1 : 0);
        logged += s.logged ? 1 : 0;
        EXPECT_EQ(logRows().size(), logged);
    }
    EXPECT_EQ(logRows().first(), u("Képernyőméret változtatása | ParameterFormX"));
    QTest::keyClick(text1(), Qt::Key_Backspace);
    EXPECT_TRUE(text1()->text().isEmpty());
    type(text1(), QStringLiteral("m"));

    // Stored as typed only at the exit, and then in upper case.
    child<QAction>("Kilepes")->trigger();
    EXPECT_EQ(storedSetting("KépernyöMérete").display(), QStringLiteral("M"));
    EXPECT_FALSE(w->quitFlag());
    EXPECT_FALSE(w->settings().isOpen());
    EXPECT_FALSE(w->logView().isOpen());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ParameterFormTest, GridKeysFollowTheColumnRules) {
    open();
    DataGrid* g = w->grid();
    g->setPrompter(&prompter);
    struct Case {
        const char* name;
        int column;
        QString text;
        const char* key;
        int qtKey;
        bool through;
    };
    const QString bs = QStringLiteral("\b");
    const Case cases[] = {
        {"letter in column 1", 1, QString(), "a", Qt::Key_A, false},
        {"digit in column 1", 1, u("201"), "3", Qt::Key_3, true},
        {"comma in column 1", 1, u("2"), ",", Qt::Key_Comma, false},
        {"fifth digit in column 1", 1, u("2013"), "4", Qt::Key_4, false},
        {"backspace after four digits", 1, u("2013"), "\b", Qt::Key_Backspace, true},
        {"eighth digit in column 2", 2, u("2013050"), "7", Qt::Key_7, true},
        {"ninth digit in column 2", 2, u("20130507"), "7", Qt::Key_7, false},
        {"letter in column 2", 2, QString(), "x", Qt::Key_X, false},
        {"fourth character in column 3", 3, u("HUF"), "X", Qt::Key_X, false},
        {"letter in column 0", 0, u("C:\\Fakt"), "x", Qt::Key_X, true},
        {"column 0 at 100", 0, QString(100, u'a'), "b", Qt::Key_B, false},
        {"comma at the limit", 0, QString(100, u'a'), ",", Qt::Key_Comma, true},
        {"column 6 at 15", 6, QString(15, u'1'), "2", Qt::Key_2, false},
        {"column 8 at 159", 8, QString(159, u'a'), "b", Qt::Key_B, true},
        {"column 8 at 160", 8, QString(160, u'a'), "b", Qt::Key_B, false},
        {"m in column 9", 9, QString(), "m", Qt::Key_M, true},
        {"N in column 9", 9, QString(), "N", Qt::Key_N, true},
        {"x in column 9", 9, QString(), "x", Qt::Key_X, false},
        {"digit in column 9", 9, QString(), "1", Qt::Key_1, false},
        {"second letter in column 9", 9, u("N"), "M", Qt::Key_M, false},
        {"column 13 at 999", 13, QString(999, u'a'), "b", Qt::Key_B, true},
        {"column 13 at 1000", 13, QString(1000, u'a'), "b", Qt::Key_B, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int beeps = prompter.beeps;
        const QKeyEvent k(QEvent::KeyPress, c.qtKey, Qt::NoModifier, u(c.key));
        EXPECT_EQ(g->typedKey(c.column, c.text, k), c.through);
        EXPECT_EQ(prompter.beeps - beeps, c.through ? 0 : 1);
    }
    // A column past the ruled ones takes Backspace and "," only.
    const QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, Qt::NoModifier, QStringLiteral(","));
    EXPECT_FALSE(ParameterFormX::gridKeyAllowed(14, QString(), letter));
    EXPECT_TRUE(ParameterFormX::gridKeyAllowed(14, QString(), comma));
    EXPECT_EQ(ParameterFormX::columnLimit(14), 0);
    EXPECT_EQ(ParameterFormX::columnLimit(-1), 100); // no current column: the rule of column 0
}

TEST_F(ParameterFormTest, TypedCellsAreStoredAtTheExit) {
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    typeInCell(1, u("20a13x5"));
    ASSERT_NE(w->grid()->cellEditor(), nullptr);
    EXPECT_EQ(w->grid()->cellEditor()->text(), u("2013"));
    EXPECT_EQ(prompter.beeps, 3); // a, x, and the fifth digit
    QTest::keyClick(w->grid()->cellEditor(), Qt::Key_Return);
    QCoreApplication::processEvents();

    // A thousand characters go into the constant text, the next one no more.
    const QString long1000 = QString(998, u'x') + u("őű");
    typeInCell(13, long1000 + u("z"));
    ASSERT_NE(w->grid()->cellEditor(), nullptr);
    EXPECT_EQ(w->grid()->cellEditor()->text(), long1000);
    EXPECT_EQ(prompter.beeps, 4);

    child<QAction>("Kilepes")->trigger();
    EXPECT_EQ(storedSetting("Evszam").display(), u("2013"));
    EXPECT_EQ(storedSetting("ÁllandóSzöveg").display(), long1000);
    EXPECT_EQ(storedSetting("KépernyöMérete").display(), QStringLiteral("N"));
    EXPECT_EQ(session.settings.AllandoSzoveg, long1000);
}

TEST_F(ParameterFormTest, ExitHandsThePathsToTheProgram) {
    addRow(QStringLiteral("Parameter.lpb"), kSettings,
           {{u("FakturoNextPath"), Value::text(u("/régi/fakt"))},
            {u("TaroloPath"), Value::text(u("/tar"))},
            {u("KeverdaPath"), Value::text(u("/kev"))},
            {u("AdorakPath"), Value::text(u("/ado"))},
            {u("ÁllandóSzöveg"), Value::text(u("Köszönjük!"))}});
    session.settings.InterfacePath = QStringLiteral("was");
    open();
    QAbstractItemModel* m = w->grid()->model();
    ASSERT_TRUE(m->setData(m->index(0, 0), u("/új/fakt")));
    w->exit();
    EXPECT_EQ(session.settings.FakturoNextPath, u("/új/fakt"));
    EXPECT_EQ(session.settings.TaroloPath, u("/tar"));
    EXPECT_EQ(session.settings.KeverdaPath, u("/kev"));
    EXPECT_EQ(session.settings.AdorakPath, u("/ado"));
    EXPECT_EQ(session.settings.InterfacePath, QString()); // Null gives empty text
    EXPECT_EQ(session.settings.AllandoSzoveg, u("Köszönjük!"));
    EXPECT_EQ(storedSetting("FakturoNextPath").display(), u("/új/fakt"));
}

TEST_F(ParameterFormTest, HelpSetsTheKeyAndShowsTheHelpWindow) {
    open();
    w->help(); // no help window given: only the key
    EXPECT_EQ(session.helpKey, u("ParameterFormX"));
    EXPECT_TRUE(modal.shown.isEmpty());

    session.helpKey.clear();
    w->setHelpFactory([] {
        auto h = std::make_unique<QWidget>();
        h->setObjectName(QStringLiteral("HelpFormX"));
        return h;
    });
    QString keyMeanwhile;
    modal.on(QStringLiteral("HelpFormX"), [&](QWidget*) { keyMeanwhile = session.helpKey; });
    child<QAction>("Segedlet")->trigger();
    EXPECT_EQ(modal.shown, QStringList{QStringLiteral("HelpFormX")});
    EXPECT_EQ(keyMeanwhile, u("ParameterFormX"));
    EXPECT_EQ(w->settings().position(), 0); // activated again
    EXPECT_EQ(settingsRows(), 1);
}

TEST_F(ParameterFormTest, ARefusedWriteIsReportedAndTheWindowKeepsTheTexts) {
    addRow(QStringLiteral("Parameter.lpb"), kSettings,
           {{u("KépernyöMérete"), Value::text(QStringLiteral("N"))}});
    open();
    blockWrites("UPDATE");
    type(text1(), QStringLiteral("m"));
    QAbstractItemModel* m = w->grid()->model();
    ASSERT_TRUE(m->setData(m->index(0, 4), u("/tarolo")));

    expectRefused();
    w->exit();
    EXPECT_TRUE(w->quitFlag());
    EXPECT_TRUE(w->settings().isOpen());
    EXPECT_EQ(text1()->text(), QStringLiteral("M"));
    EXPECT_EQ(storedSetting("KépernyöMérete").display(), QStringLiteral("N"));

    allowWrites();
    w->exit();
    EXPECT_FALSE(w->quitFlag());
    EXPECT_EQ(storedSetting("KépernyöMérete").display(), QStringLiteral("M"));
    EXPECT_EQ(storedSetting("TaroloPath").display(), u("/tarolo"));
    EXPECT_EQ(session.settings.TaroloPath, u("/tarolo"));
}

TEST_F(ParameterFormTest, ARefusedNewRecordIsReported) {
    blockWrites("INSERT");
    expectRefused();
    open();
    EXPECT_EQ(settingsRows(), 0);
    w->exit(); // nothing to copy, nothing lost
    EXPECT_FALSE(w->quitFlag());
}

TEST_F(ParameterFormTest, LabelsFitTheirText) {
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->windowTitle(), u("Beállítások - Lapora"));
    EXPECT_EQ(child<QLabel>("Label1")->text(), u("Főlap mérete (N)ormál vagy (M)aximum:"));
    EXPECT_EQ(w->grid()->caption(), u("A táblázatban adja meg az adatokat!"));
    for (QLabel* l : w->findChildren<QLabel*>()) {
        SCOPED_TRACE(l->objectName().toStdString());
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
    }
}

// ---- the main window and the settings ---------------------------------------------------------------------

class MainWindowSettingsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
               {{u("Dátum"), Value::date(kToday)}, {u("CégNeve"), Value::text(u("A"))}});
    }
};

TEST_F(MainWindowSettingsTest, TheSizeSettingMaximisesTheMainWindow) {
    struct Case {
        const char* size; // nullptr: no settings record
        bool maximised;
    };
    const Case cases[] = {{nullptr, false}, {"N", false}, {"M", true}, {"m", true}, {"7", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size ? c.size : "no record");
        WorkFolder folder;
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
               {{u("CégNeve"), Value::text(u("A"))}});
        if (c.size)
            addRow(QStringLiteral("Parameter.lpb"), kSettings,
                   {{u("KépernyöMérete"), Value::text(QString::fromLatin1(c.size))}});
        w = std::make_unique<LaporaX>(session);
        EXPECT_EQ(w->wantsMaximised(), c.maximised);
        w->showInSetSize();
        EXPECT_EQ(w->isMaximized(), c.maximised);
        EXPECT_TRUE(w->isVisible());
        w->SetQui(false);
        w.reset();
    }
}

TEST_F(MainWindowSettingsTest, SettingsChangedInTheWindowReachTheImportsWithoutARestart) {
    start();
    w->show();
    QString pathSeenByImport;
    w->setWindowFactory(QStringLiteral("SzamlA"), [this, &pathSeenByImport] {
        pathSeenByImport = session.settings.FakturoNextPath;
        auto window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("SzamlaImportFormX"));
        return window;
    });
    modal.on(QStringLiteral("SzamlaImportFormX"), [](QWidget*) {});
    bool maximisedMeanwhile = true;
    modal.on(QStringLiteral("ParameterFormX"), [&](QWidget* window) {
        auto* f = qobject_cast<ParameterFormX*>(window);
        ASSERT_NE(f, nullptr);
        f->activate(); // creates the record
        maximisedMeanwhile = w->isMaximized();
        QAbstractItemModel* m = f->grid()->model();
        ASSERT_TRUE(m->setData(m->index(0, 0), u("/mnt/fakturo")));
        type(f->findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("m"));
        f->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
    });
    w->findChild<QAction*>(QStringLiteral("ParametereK"))->trigger();
    EXPECT_EQ(modal.shown, QStringList{QStringLiteral("ParameterFormX")});
    EXPECT_FALSE(maximisedMeanwhile);
    EXPECT_EQ(session.settings.FakturoNextPath, u("/mnt/fakturo"));
    EXPECT_TRUE(w->isMaximized()); // "M" applies on the way back
    w->findChild<QAction*>(QStringLiteral("SzamlA"))->trigger();
    EXPECT_EQ(pathSeenByImport, u("/mnt/fakturo"));
    w->SetQui(false);
}

} // namespace
