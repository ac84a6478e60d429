#include "DataGrid.h"
#include "Database.h"
#include "ScriptedPrompter.h"
#include "StoreError.h"
#include "TestRows.h"
#include "View.h"
#include "WindowTest.h"
#include "WorkFolder.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace lapora;
using namespace lapora::test;

namespace {

// Three companies; the grid shows name, postal code (at most 6 typed characters) and the whole-number serial.
class GridEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = Database::open(QStringLiteral("lapora.mdb"));
        View t(db, u("Címzett"));
        const char* names[] = {"Ábel Bt.", "Budai Kft.", "Csepel Kft."};
        for (int i = 0; i < 3; ++i) {
            t.addNew();
            t.setField(u("CimNev"), Value::text(u(names[i])));
            t.setField(u("CimIrszam"), Value::text(QStringLiteral("100%1").arg(i)));
            t.setField(u("recordID"), Value::number(i + 1));
            t.update();
        }
        view = std::make_unique<View>(db, u("Címzett"));
        grid = std::make_unique<DataGrid>(*view, std::vector<GridColumn>{{u("Név"), u("CimNev")},
                                                                         {u("Irsz."), u("CimIrszam"), 6},
                                                                         {u("Sorszám"), u("recordID")}});
        grid->setPrompter(&prompter);
        grid->resize(600, 300);
    }
    void TearDown() override {
        grid.reset();
        view.reset();
    }
    // A column as stored, read through a view of its own.
    QStringList stored(const char* field) const {
        return storedColumn(QStringLiteral("lapora.mdb"), u("Címzett"), u(field));
    }
    QString shown(int row, int col) const {
        return grid->model()->data(grid->model()->index(row, col)).toString();
    }
    void show() {
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
        grid->setFocus();
    }
    void type(int row, int col, const QString& keys) { typeInCell(grid.get(), row, col, keys); }
    static QKeyEvent key(const QString& text, int k = Qt::Key_unknown) {
        return QKeyEvent(QEvent::KeyPress, k, Qt::NoModifier, text);
    }

    WorkFolder wf;
    ScriptedPrompter prompter;
    std::shared_ptr<Database> db;
    std::unique_ptr<View> view;
    std::unique_ptr<DataGrid> grid;
};

TEST_F(GridEditTest, ReadOnlyUnlessAsked) {
    const QModelIndex cell = grid->model()->index(1, 0);
    EXPECT_FALSE(grid->model()->flags(cell) & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->model()->setData(cell, u("Más név")));
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    grid->setEditable(true);
    EXPECT_TRUE(grid->model()->flags(cell) & Qt::ItemIsEditable);
    EXPECT_NE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    // A column kept read only, and a grid over a file that cannot be written.
    DataGrid fixed(*view, {{u("Név"), u("CimNev"), 0, true}});
    fixed.setEditable(true);
    EXPECT_FALSE(fixed.model()->flags(fixed.model()->index(0, 0)) & Qt::ItemIsEditable);
    View jet(Database::open(lapora::test::testData(QStringLiteral("tarolo/TAROLO.LPB"))),
             QStringLiteral("KIVET"));
    DataGrid foreign(jet, {{u("Megnevezés"), u("MEGNEVEZES")}});
    foreign.setEditable(true);
    EXPECT_FALSE(foreign.model()->flags(foreign.model()->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(GridEditTest, TypedCellIsWrittenWhenTheCursorLeavesTheRow) {
    grid->setEditable(true);
    show();
    type(1, 0, u("Új név"));
    ASSERT_NE(grid->cellEditor(), nullptr);
    QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor closes through a queued call
    EXPECT_EQ(grid->cellEditor(), nullptr);
    EXPECT_EQ(view->position(), 1);
    EXPECT_EQ(shown(1, 0), u("Új név")); // shown at once
    EXPECT_TRUE(grid->viewModel()->hasEdits());
    EXPECT_EQ(stored("CimNev"), (QStringList{u("Ábel Bt."), u("Budai Kft."), u("Csepel Kft.")}));

    // The user clicks another row.
    const QRect other = grid->visualRect(grid->model()->index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, other.center());
    EXPECT_EQ(view->position(), 2);
    EXPECT_FALSE(grid->viewModel()->hasEdits());
    EXPECT_EQ(stored("CimNev"), (QStringList{u("Ábel Bt."), u("Új név"), u("Csepel Kft.")}));
    EXPECT_EQ(shown(1, 0), u("Új név"));
}

TEST_F(GridEditTest, EditsOfOneRowGoInTogetherOnDemand) {
    grid->setEditable(true);
    QAbstractItemModel* m = grid->model();
    ASSERT_TRUE(m->setData(m->index(0, 0), u("Ábel és Fia Bt.")));
    ASSERT_TRUE(m->setData(m->index(0, 2), u("42")));
    ASSERT_TRUE(m->setData(m->index(0, 1), QString())); // an emptied cell is Null, not an empty text
    EXPECT_EQ(stored("recordID"), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(grid->writeEdits());
    EXPECT_EQ(stored("CimNev").first(), u("Ábel és Fia Bt."));
    EXPECT_EQ(stored("recordID"), (QStringList{"42", "2", "3"}));
    View v(Database::open(QStringLiteral("lapora.mdb")), u("Címzett"));
    EXPECT_TRUE(v.valueAt(0, v.fieldIndex(u("CimIrszam"))).isNull());

    // Text typed as it was shown is no edit: nothing is written.
    ASSERT_TRUE(m->setData(m->index(1, 2), u("2")));
    EXPECT_FALSE(grid->viewModel()->hasEdits());

    // An edit of another row moves the view there, writing nothing for the row left.
    ASSERT_TRUE(m->setData(m->index(2, 0), u("Csepeli Kft.")));
    EXPECT_EQ(view->position(), 2);
    view->requery(); // a requery leaves the row too: the edit goes in first
    EXPECT_EQ(stored("CimNev").last(), u("Csepeli Kft."));
}

TEST_F(GridEditTest, RefusedWriteKeepsTheCursorAndTheEdits) {
    grid->setEditable(true);
    int failures = 0;
    grid->viewModel()->setWriteFailed([&] { ++failures; });
    QAbstractItemModel* m = grid->model();
    ASSERT_TRUE(m->setData(m->index(0, 2), u("negyven"))); // no number
    ASSERT_TRUE(m->setData(m->index(0, 0), u("Ábel Kft.")));

    grid->selectRow(2);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(view->position(), 0);
    EXPECT_EQ(shown(0, 2), u("negyven"));
    grid->clickHeader(0); // no sort either
    EXPECT_EQ(failures, 2);
    EXPECT_TRUE(view->sortText().isEmpty());
    EXPECT_THROW(view->moveNext(), StoreError);
    EXPECT_FALSE(grid->writeEdits());
    EXPECT_EQ(stored("CimNev").first(), u("Ábel Bt.")); // the row was not half written

    // The user corrects the cell; then the move goes through with both edits.
    ASSERT_TRUE(m->setData(m->index(0, 2), u("40")));
    grid->selectRow(2);
    EXPECT_EQ(view->position(), 2);
    EXPECT_EQ(stored("recordID").first(), u("40"));
    EXPECT_EQ(stored("CimNev").first(), u("Ábel Kft."));

    // A grid that is gone no longer stands in the view's way.
    ASSERT_TRUE(m->setData(m->index(2, 2), u("hetven")));
    grid.reset();
    EXPECT_NO_THROW(view->moveFirst());
}

TEST_F(GridEditTest, EscapeAndDeletionDropTheEdits) {
    grid->setEditable(true);
    show();
    QAbstractItemModel* m = grid->model();
    ASSERT_TRUE(m->setData(m->index(0, 0), u("Elvetett")));
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    EXPECT_FALSE(grid->viewModel()->hasEdits());
    EXPECT_EQ(shown(0, 0), u("Ábel Bt."));

    // Edits of a deleted row are not written into the row that takes its place.
    ASSERT_TRUE(m->setData(m->index(1, 0), u("Törölt sor")));
    view->remove();
    view->moveNext();
    EXPECT_FALSE(grid->viewModel()->hasEdits());
    grid->selectRow(0);
    EXPECT_EQ(stored("CimNev"), (QStringList{u("Ábel Bt."), u("Csepel Kft.")}));
}

TEST_F(GridEditTest, HeaderClickSortsWithTheTypedValue) {
    grid->setEditable(true);
    QAbstractItemModel* m = grid->model();
    ASSERT_TRUE(m->setData(m->index(0, 0), u("Zala Kft.")));
    grid->clickHeader(0);
    EXPECT_EQ(shown(0, 0), u("Budai Kft."));
    EXPECT_EQ(shown(2, 0), u("Zala Kft."));
}

TEST_F(GridEditTest, KeyJudgeAndLengthLimit) {
    grid->setEditable(true);
    QList<QPair<int, QString>> judged;
    // Digits only in the serial column.
    grid->setKeyJudge([&](int col, const QString& text, const QKeyEvent& k) {
        judged << qMakePair(col, text);
        return col != 2 || k.key() == Qt::Key_Backspace || (k.text().size() == 1 && k.text()[0].isDigit());
    });
    struct Case {
        const char* name;
        int column;
        QString text;
        int selected;
        QString key;
        int qtKey;
        bool through;
    };
    const Case cases[] = {
        {"letter in the name", 0, u("Ábel"), 0, u("x"), Qt::Key_X, true},
        {"digit in the serial", 2, u("4"), 0, u("2"), Qt::Key_2, true},
        {"letter in the serial", 2, u("4"), 0, u("a"), Qt::Key_A, false},
        {"backspace in the serial", 2, u("4"), 0, u("\b"), Qt::Key_Backspace, true},
        {"postal code under the limit", 1, u("10001"), 0, u("1"), Qt::Key_1, true},
        {"postal code at the limit", 1, u("100011"), 0, u("1"), Qt::Key_1, false},
        {"backspace at the limit", 1, u("100011"), 0, u("\b"), Qt::Key_Backspace, true},
        {"replacing a selection at the limit", 1, u("100011"), 6, u("2"), Qt::Key_2, true},
        {"no limit in the name", 0, QString(200, QLatin1Char('a')), 0, u("b"), Qt::Key_B, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        judged.clear();
        const int before = prompter.beeps;
        const QKeyEvent k = key(c.key, c.qtKey);
        EXPECT_EQ(grid->typedKey(c.column, c.text, k, c.selected), c.through);
        EXPECT_EQ(prompter.beeps - before, c.through ? 0 : 1);
        EXPECT_EQ(judged, (QList<QPair<int, QString>>{qMakePair(c.column, c.text)}));
    }
}

TEST_F(GridEditTest, EditorDropsRefusedKeys) {
    grid->setEditable(true);
    grid->setKeyJudge([](int col, const QString&, const QKeyEvent& k) {
        return col != 2 || (k.text().size() == 1 && k.text()[0].isDigit());
    });
    show();
    type(0, 2, u("7x8"));
    ASSERT_NE(grid->cellEditor(), nullptr);
    EXPECT_EQ(grid->cellEditor()->text(), u("78"));
    EXPECT_EQ(prompter.beeps, 1);
    QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
    QCoreApplication::processEvents();

    type(1, 1, u("2345678")); // replaces the shown "1001", then stops at six characters
    ASSERT_NE(grid->cellEditor(), nullptr);
    EXPECT_EQ(grid->cellEditor()->text(), u("234567"));
    EXPECT_EQ(prompter.beeps, 2);
    grid->commitEdit();
    EXPECT_EQ(view->position(), 1);
    EXPECT_EQ(stored("recordID").first(), u("78")); // written when the cursor left row 0
    EXPECT_TRUE(grid->writeEdits());
    EXPECT_EQ(stored("CimIrszam")[1], u("234567"));
}

} // namespace
