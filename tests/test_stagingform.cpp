#include "AdatathozatalFormX.h"
#include "BusyButton.h"
#include "DataGrid.h"
#include "Database.h"
#include "View.h"
#include "WindowTest.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kStaging = QStringLiteral("SzamlaAthozat");

void addLine(int serial, const char* name, double net = 0) {
    addRow(QStringLiteral("lapora.mdb"), kStaging,
           {{u("Sorszám"), Value::number(serial)},
            {u("CegNev"), Value::text(u(name))},
            {u("Netto"), Value::number(net)},
            {u("Mennyiség"), Value::number(1)}});
}

// "serial name" of every stored line in table order; Null shows as "-".
QStringList storedLines() {
    View v(Database::open(QStringLiteral("lapora.mdb")), u("select * from SzamlaAthozat order by Sorszám"));
    QStringList out;
    for (int i = 0; i < v.recordCount(); ++i) {
        const Value s = v.valueAt(i, 0), n = v.valueAt(i, 2);
        out << (s.isNull() ? QStringLiteral("-") : s.display()) + QLatin1Char(' ') +
                   (n.isNull() ? QStringLiteral("-") : n.display());
    }
    return out;
}

// A prompter that also looks at the window while a question is on screen.
class WatchingPrompter : public ScriptedPrompter {
public:
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override {
        if (onMessage)
            onMessage();
        return ScriptedPrompter::message(title, text, icon, buttons);
    }
    std::function<void()> onMessage;
};

const QString kDeleteOne = u("Biztosan véglegesen törli az adatsort (Delete)?");
const QString kDeleteAll = u("Biztosan véglegesen törli az összes adatot (Delete All)?");
const QString kAllGone = u("Minden adat törölve (Deleted All)! Kér új adatot (New)?");

class StagingFormTest : public WindowTest<AdatathozatalFormX, WatchingPrompter> {
protected:
    AdatathozatalFormX& open() {
        w = std::make_unique<AdatathozatalFormX>(session);
        w->activate();
        return *w;
    }
    bool menusEnabled() {
        const bool one = child<QAction>("SorTorol")->isEnabled();
        EXPECT_EQ(child<QAction>("OsszTorol")->isEnabled(), one);
        return one;
    }
    QString currentName() {
        return w->staging().hasCurrent() ? w->staging().field(u("CegNev")).display()
                                         : QStringLiteral("<none>");
    }
    QStringList column(int col) { return columnTexts(w->grid()->model(), col); }
    void expectDeleteOne(Answer a) {
        prompter.expectMessage(msg::kFigyelemTorles, kDeleteOne, Icon::Exclamation, Buttons::YesNo, a);
    }
    void expectDeleteAll(Answer a) {
        prompter.expectMessage(msg::kFigyelemTorles, kDeleteAll, Icon::Exclamation, Buttons::YesNo, a);
    }
    void expectAllGone(Answer a) {
        prompter.expectMessage(msg::kFigyelem, kAllGone, Icon::Exclamation, Buttons::YesNo, a);
    }
    void block(const QString& trigger) { Database::open(QStringLiteral("lapora.mdb"))->executeRaw(trigger); }
};

TEST_F(StagingFormTest, ShowsEveryFieldButTheQuantityAndStandsOnTheFirstLine) {
    addLine(2, "Béta");
    addLine(1, "Alfa");
    open();
    EXPECT_EQ(w->windowTitle(), u("Adat áthozatal más rendszerekből, adatok kezelése - Lapora - Mintaverk"));
    DataGrid* g = w->grid();
    EXPECT_EQ(g->caption(), u("Áthozat"));
    EXPECT_EQ(g->toolTip(), u("Oszlopra kattintva rendez, cellában javít"));
    ASSERT_EQ(g->model()->columnCount(), 24);
    EXPECT_EQ(g->model()->headerData(0, Qt::Horizontal).toString(), u("Sorszám"));
    EXPECT_EQ(g->model()->headerData(12, Qt::Horizontal).toString(), u("Kivezetés"));
    EXPECT_EQ(g->model()->headerData(23, Qt::Horizontal).toString(), u("Teljesités"));
    EXPECT_EQ(column(2), (QStringList{u("Alfa"), u("Béta")}));
    EXPECT_TRUE(g->model()->flags(g->model()->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(w->staging().position(), 0);
    EXPECT_TRUE(menusEnabled());
    const std::pair<const char*, const char*> tips[] = {
        {"Command1", "Kijelölt sor törlése"}, {"Command2", "Összes adat törlése"}, {"Command3", "Kilépés"}};
    for (const auto& [name, tip] : tips)
        EXPECT_EQ(child<QPushButton>(name)->toolTip(), u(tip));
}

TEST_F(StagingFormTest, AnEmptyTableDisablesTheMenuCommandsButNotTheButtons) {
    open();
    EXPECT_FALSE(menusEnabled());
    for (const char* b : {"Command1", "Command2"}) {
        child<QAction>("SorTorol")->setEnabled(true);
        child<QAction>("OsszTorol")->setEnabled(true);
        EXPECT_TRUE(child<QPushButton>(b)->isEnabled());
        child<QPushButton>(b)->click(); // no question, the menu commands go off again
        EXPECT_FALSE(menusEnabled());
    }
    EXPECT_EQ(prompter.asked.size(), 0);
}

TEST_F(StagingFormTest, DeletingALineLeavesTheCursorOnTheNextOrTheNewLast) {
    struct Case {
        const char* name;
        int row;
        Answer answer;
        QStringList left;
        const char* current;
    };
    const Case cases[] = {
        {"middle line", 1, Answer::Yes, {"1 A", "3 C"}, "C"},
        {"last line", 2, Answer::Yes, {"1 A", "2 B"}, "B"},
        {"first line", 0, Answer::Yes, {"2 B", "3 C"}, "B"},
        {"answered No", 1, Answer::No, {"1 A", "2 B", "3 C"}, "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder folder;
        addLine(1, "A");
        addLine(2, "B");
        addLine(3, "C");
        open();
        w->grid()->selectRow(c.row);
        expectDeleteOne(c.answer);
        child<QAction>("SorTorol")->trigger();
        EXPECT_EQ(storedLines(), c.left);
        EXPECT_EQ(currentName(), u(c.current));
        EXPECT_TRUE(menusEnabled());
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
        w.reset();
    }
}

TEST_F(StagingFormTest, DeletingTheLastLineInTheSortOrderGoesToTheNewLast) {
    addLine(1, "C");
    addLine(2, "A");
    addLine(3, "B");
    open();
    w->grid()->clickHeader(2); // CegNev: A, B, C
    w->grid()->selectRow(2);
    expectDeleteOne(Answer::Yes);
    w->deleteLine();
    EXPECT_EQ(storedLines(), (QStringList{"2 A", "3 B"}));
    EXPECT_EQ(currentName(), u("B"));
    EXPECT_EQ(w->staging().position(), 1);
}

TEST_F(StagingFormTest, AfterTheLastLineGoesTheUserGetsABlankLineOrTheWindowCloses) {
    struct Case {
        const char* name;
        bool all; // the full deletion, else the single one
        Answer more;
    };
    const Case cases[] = {
        {"single, Yes", false, Answer::Yes},
        {"single, No", false, Answer::No},
        {"all, Yes", true, Answer::Yes},
        {"all, No", true, Answer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder folder;
        addLine(7, "A");
        if (c.all)
            addLine(8, "B");
        open();
        w->show();
        if (c.all)
            expectDeleteAll(Answer::Yes);
        else
            expectDeleteOne(Answer::Yes);
        expectAllGone(c.more);
        if (c.all)
            child<QPushButton>("Command2")->click();
        else
            child<QPushButton>("Command1")->click();
        if (c.more == Answer::Yes) {
            EXPECT_EQ(storedLines(), QStringList{"- -"}); // one line with no field set
            EXPECT_EQ(w->staging().recordCount(), 1);
            EXPECT_EQ(w->staging().position(), 0);
            EXPECT_TRUE(menusEnabled());
            EXPECT_TRUE(w->quitFlag());
            EXPECT_TRUE(w->isVisible());
        } else {
            EXPECT_TRUE(storedLines().isEmpty());
            EXPECT_FALSE(w->quitFlag());
            EXPECT_FALSE(w->staging().isOpen());
            EXPECT_FALSE(w->isVisible());
        }
        w.reset();
    }
}

TEST_F(StagingFormTest, FullDeletionAnsweredNoKeepsEverything) {
    addLine(1, "A");
    addLine(2, "B");
    open();
    expectDeleteAll(Answer::No);
    w->deleteAll();
    EXPECT_EQ(storedLines(), (QStringList{"1 A", "2 B"}));
    EXPECT_TRUE(menusEnabled());
}

TEST_F(StagingFormTest, ButtonsAreGreenWhileTheirCommandRuns) {
    addLine(1, "A");
    open();
    QPushButton* b = child<QPushButton>("Command1");
    QColor during;
    prompter.onMessage = [&] { during = b->palette().color(QPalette::Button); };
    expectDeleteOne(Answer::No);
    b->click();
    EXPECT_EQ(during, kBusyGreen);
    EXPECT_EQ(b->palette().color(QPalette::Button), kIdleWhite);
}

TEST_F(StagingFormTest, HeaderClicksSortAscendingDescendingAndEveryTenthFromScratch) {
    addLine(2, "B");
    addLine(1, "C");
    addLine(3, "A");
    open();
    DataGrid* g = w->grid();
    g->clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3"}));
    g->clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{"3", "2", "1"}));
    g->clickHeader(2);
    EXPECT_EQ(column(2), (QStringList{"A", "B", "C"}));
    for (int i = 4; i <= 9; ++i)
        g->clickHeader(2); // six more: ascending again after the ninth
    EXPECT_EQ(column(2), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(g->headerSort().counter(), 9);
    g->clickHeader(2); // the tenth: from a fresh row set, so ascending even after an ascending sort
    EXPECT_EQ(column(2), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(g->headerSort().counter(), 0);
    g->clickHeader(2);
    EXPECT_EQ(column(2), (QStringList{"C", "B", "A"}));
}

TEST_F(StagingFormTest, ATypedCellIsStoredWhenTheWindowCloses) {
    addLine(1, "A", 100);
    open();
    QAbstractItemModel* m = w->grid()->model();
    ASSERT_TRUE(m->setData(m->index(0, 16), u("Ellenőrizve"))); // Megjegyzés: the user's own field
    ASSERT_TRUE(m->setData(m->index(0, 5), u("120,5")));        // Netto
    child<QAction>("Kilepes")->trigger();
    EXPECT_FALSE(w->quitFlag());
    View v(Database::open(QStringLiteral("lapora.mdb")), kStaging);
    EXPECT_EQ(v.field(u("Megjegyzés")).display(), u("Ellenőrizve"));
    EXPECT_EQ(v.field(u("Netto")).asNumber(), 120.5);
    EXPECT_EQ(v.field(u("Mennyiség")).asNumber(), 1.0); // not shown, not touched
}

// ---- refused writes ---------------------------------------------------------------------------------------

TEST_F(StagingFormTest, ARefusedDeletionIsReportedAndLosesNothing) {
    addLine(1, "A");
    addLine(2, "B");
    addLine(3, "C");
    open();
    // The store refuses to delete line 2 only: the full deletion must put back line 1 too.
    block(QStringLiteral("CREATE TRIGGER block BEFORE DELETE ON SzamlaAthozat WHEN OLD.CegNev = 'B' "
                         "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    expectDeleteAll(Answer::Yes);
    expectRefused();
    w->deleteAll();
    EXPECT_EQ(storedLines(), (QStringList{"1 A", "2 B", "3 C"}));
    EXPECT_EQ(w->staging().recordCount(), 3);
    EXPECT_EQ(column(2), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(menusEnabled());

    w->grid()->selectRow(1);
    expectDeleteOne(Answer::Yes);
    expectRefused();
    w->deleteLine();
    EXPECT_EQ(storedLines(), (QStringList{"1 A", "2 B", "3 C"}));
    EXPECT_EQ(currentName(), u("B"));

    // The others can still go.
    w->grid()->selectRow(2);
    expectDeleteOne(Answer::Yes);
    w->deleteLine();
    EXPECT_EQ(storedLines(), (QStringList{"1 A", "2 B"}));
}

TEST_F(StagingFormTest, ARefusedEditKeepsTheWindowOpenWithTheText) {
    addLine(1, "A");
    open();
    block(QStringLiteral("CREATE TRIGGER block BEFORE UPDATE ON SzamlaAthozat "
                         "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    QAbstractItemModel* m = w->grid()->model();
    ASSERT_TRUE(m->setData(m->index(0, 2), u("Alfa Kft.")));
    expectRefused();
    w->exit();
    EXPECT_TRUE(w->quitFlag());
    EXPECT_TRUE(w->staging().isOpen());
    EXPECT_EQ(column(2), QStringList{u("Alfa Kft.")});

    block(QStringLiteral("DROP TRIGGER block"));
    w->exit();
    EXPECT_FALSE(w->quitFlag());
    EXPECT_EQ(storedLines(), QStringList{u("1 Alfa Kft.")});
}

TEST_F(StagingFormTest, LabelsFitTheirText) {
    addLine(1, "A");
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const auto labels = w->findChildren<QLabel*>();
    EXPECT_GE(labels.size(), 2); // the grid's caption and the navigation bar's
    for (QLabel* l : labels) {
        SCOPED_TRACE(l->objectName().toStdString());
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
    }
}

} // namespace
