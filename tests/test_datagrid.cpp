#include "DataGrid.h"
#include "Database.h"
#include "QtPrinters.h"
#include "StoreError.h"
#include "View.h"
#include "WorkFolder.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace lapora;
using lapora::test::WorkFolder;

namespace {

const QString kName = QStringLiteral("CimNev");
const QString kCity = QStringLiteral("CimSzekhely");

// The companies in the order they were stored, and in Hungarian order by name (c before cs, Ő after O).
const QStringList kStored = {QString::fromUtf8("Zöldmező Zrt."), QString::fromUtf8("Ábel és Fia Bt."),
                             QString::fromUtf8("Csepel Kft."),   QString::fromUtf8("Őrség Kft."),
                             QString::fromUtf8("Budai Kft."),    QString::fromUtf8("cukor Bt.")};
const QStringList kByName = {QString::fromUtf8("Ábel és Fia Bt."), QString::fromUtf8("Budai Kft."),
                             QString::fromUtf8("cukor Bt."),       QString::fromUtf8("Csepel Kft."),
                             QString::fromUtf8("Őrség Kft."),      QString::fromUtf8("Zöldmező Zrt.")};
const QStringList kByNameDesc = {kByName[5], kByName[4], kByName[3], kByName[2], kByName[1], kByName[0]};
// Debrecen, Eger, Győr, Miskolc, Pécs, Szeged
const QStringList kByCity = {QString::fromUtf8("Budai Kft."),      QString::fromUtf8("Őrség Kft."),
                             QString::fromUtf8("Ábel és Fia Bt."), QString::fromUtf8("cukor Bt."),
                             QString::fromUtf8("Csepel Kft."),     QString::fromUtf8("Zöldmező Zrt.")};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = Database::open(QStringLiteral("lapora.mdb"));
        const char* cities[] = {"Szeged", "Győr", "Pécs", "Eger", "Debrecen", "Miskolc"};
        View t(db, QString::fromUtf8("Címzett"));
        for (int i = 0; i < kStored.size(); ++i)
            addCompany(t, kStored[i], QString::fromUtf8(cities[i]));
        view = std::make_unique<View>(db, QString::fromUtf8("Címzett"));
    }
    void TearDown() override {
        grid.reset(); // grids go before the view they show
        view.reset();
    }
    static void addCompany(View& t, const QString& name, const QString& city) {
        t.addNew();
        t.setField(kName, Value::text(name));
        t.setField(kCity, Value::text(city));
        t.update();
    }
    DataGrid& makeGrid(std::vector<GridColumn> extra = {}) {
        std::vector<GridColumn> cols{{QString::fromUtf8("Cég neve"), kName},
                                     {QString::fromUtf8("Székhely"), kCity}};
        cols.insert(cols.end(), extra.begin(), extra.end());
        grid = std::make_unique<DataGrid>(*view, cols);
        grid->resize(600, 400);
        return *grid;
    }
    QStringList names() const {
        QStringList out;
        for (int i = 0; i < view->recordCount(); ++i)
            out << view->valueAt(i, view->fieldIndex(kName)).asText();
        return out;
    }
    // What the grid shows in a column, read through the model as the table draws it.
    QStringList shown(int column) const {
        QStringList out;
        const auto* m = grid->viewModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, column)).toString();
        return out;
    }
    int selectedRow() const {
        const auto rows = grid->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    WorkFolder wf;
    std::shared_ptr<Database> db;
    std::unique_ptr<View> view;
    std::unique_ptr<DataGrid> grid;
};

TEST_F(GridTest, HeaderClicksSortAscendingThenDescending) {
    struct Case {
        const char* name;
        QString before; // a sort the view already had, set by code
        std::vector<int> clicks;
        QString sortText;
        QStringList order;
        int counter;
    };
    const auto times = [](int n, int col) { return std::vector<int>(static_cast<size_t>(n), col); };
    const auto then = [](std::vector<int> a, std::vector<int> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"one click", {}, {0}, kName, kByName, 1},
        {"two clicks", {}, {0, 0}, kName + " DESC", kByNameDesc, 2},
        {"three clicks", {}, {0, 0, 0}, kName, kByName, 3},
        {"other column after asc", {}, {0, 1}, kCity, kByCity, 2},
        {"other column after desc", {}, {0, 0, 1}, kCity, kByCity, 3},
        {"back to the first column", {}, {1, 0}, kName, kByName, 2},
        {"ninth click still alternates", {}, times(9, 0), kName, kByName, 9},
        // The ninth left "CimNev", so without a fresh row set the tenth would sort descending.
        {"tenth click starts afresh", {}, times(10, 0), kName, kByName, 0},
        {"eleventh click", {}, times(11, 0), kName + " DESC", kByNameDesc, 1},
        {"tenth click on another column", {}, then(times(8, 0), {1, 1}), kCity, kByCity, 0},
        {"second round of ten", {}, times(19, 0), kName + " DESC", kByNameDesc, 9},
        {"existing sort of that column", kName, {0}, kName + " DESC", kByNameDesc, 1},
        {"existing descending sort", kName + " DESC", {0}, kName, kByName, 1},
        // The comparison is exact: a sort text in other letters does not count as the same column.
        {"existing sort in other case", QStringLiteral("cimnev"), {0}, kName, kByName, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view = std::make_unique<View>(db, QString::fromUtf8("Címzett"));
        if (!c.before.isEmpty())
            view->sort(c.before);
        DataGrid& g = makeGrid();
        for (int col : c.clicks)
            g.clickHeader(col);
        EXPECT_EQ(view->sortText(), c.sortText);
        EXPECT_EQ(names(), c.order);
        EXPECT_EQ(shown(0), c.order); // the grid redrew
        EXPECT_EQ(g.headerSort().counter(), c.counter);
        EXPECT_EQ(view->position(), 0);
        EXPECT_EQ(selectedRow(), 0);
        grid.reset();
    }
}

TEST_F(GridTest, TenthClickTakesRowsStoredSinceTheViewOpened) {
    DataGrid& g = makeGrid();
    {
        View other(db, QString::fromUtf8("Címzett"));
        addCompany(other, QString::fromUtf8("Abaúj Kft."), QStringLiteral("Baja"));
    }
    for (int i = 0; i < 9; ++i)
        g.clickHeader(1);
    EXPECT_EQ(view->recordCount(), 6);
    EXPECT_EQ(view->sortText(), kCity);
    g.clickHeader(0);
    EXPECT_EQ(g.headerSort().counter(), 0);
    EXPECT_EQ(view->sortText(), kName);
    ASSERT_EQ(view->recordCount(), 7);
    EXPECT_EQ(names().first(), QString::fromUtf8("Abaúj Kft."));
    EXPECT_EQ(grid->viewModel()->rowCount(), 7);
    EXPECT_EQ(grid->verticalHeader()->count(), 7);
}

TEST_F(GridTest, FailedClickLeavesTheViewAsItWas) {
    DataGrid& g = makeGrid({{QString::fromUtf8("Nincs ilyen"), QStringLiteral("NincsIlyen")}});
    g.clickHeader(0);
    g.clickHeader(0);
    view->moveTo(3);
    const QString current = view->field(kName).asText();

    EXPECT_NO_THROW(g.clickHeader(2));
    EXPECT_EQ(view->sortText(), kName + " DESC");
    EXPECT_EQ(names(), kByNameDesc);
    EXPECT_EQ(view->position(), 3);
    EXPECT_EQ(view->field(kName).asText(), current);
    EXPECT_EQ(selectedRow(), 3);
    EXPECT_EQ(g.headerSort().counter(), 3); // the failed click still counts

    // On the tenth click the fresh row set comes before the failure, and stays.
    for (int i = 0; i < 6; ++i)
        g.clickHeader(0);
    ASSERT_EQ(g.headerSort().counter(), 9);
    g.clickHeader(2);
    EXPECT_EQ(g.headerSort().counter(), 0);
    EXPECT_TRUE(view->sortText().isEmpty());
    EXPECT_EQ(names(), kStored);
    EXPECT_EQ(shown(0), kStored);
}

TEST(HeaderSort, ClosedViewNeitherThrowsNorSorts) {
    View closed;
    HeaderSort sort(closed);
    for (int i = 1; i <= 12; ++i) {
        EXPECT_NO_THROW(sort.click(kName));
        EXPECT_EQ(sort.counter(), i % 10);
    }
    EXPECT_FALSE(closed.isOpen());
    EXPECT_TRUE(closed.sortText().isEmpty());
}

TEST_F(GridTest, ModelShowsCaptionsAndRegionalForms) {
    View jobs(db, QStringLiteral("Laporak"));
    jobs.addNew();
    jobs.setField(QString::fromUtf8("Dátum"), Value::date(QDate(2013, 3, 4)));
    jobs.setField(QString::fromUtf8("Idő"), Value::time(QTime(8, 30)));
    jobs.setField(QString::fromUtf8("NettóÁr"), Value::number(12500.5));
    jobs.setField(QString::fromUtf8("CégNeve"), Value::text(QString::fromUtf8("Őrség Kft.")));
    jobs.update();
    ViewModel m(jobs, {{QString::fromUtf8("Dátum"), QString::fromUtf8("Dátum")},
                       {QString::fromUtf8("Idő"), QString::fromUtf8("idő")}, // bound names are case-blind
                       {QString::fromUtf8("Nettó ár"), QString::fromUtf8("NettóÁr")},
                       {QString::fromUtf8("Cég"), QString::fromUtf8("CégNeve")},
                       {QString::fromUtf8("Bruttó ár"), QString::fromUtf8("BruttóÁr")},
                       {QString::fromUtf8("Hibás"), QStringLiteral("NincsIlyen")}});
    ASSERT_EQ(m.rowCount(), 1);
    ASSERT_EQ(m.columnCount(), 6);
    const QStringList want = {"2013.03.04.", "08:30:00", "12500,5", QString::fromUtf8("Őrség Kft."), "", ""};
    const QStringList captions = {QString::fromUtf8("Dátum"),     QString::fromUtf8("Idő"),
                                  QString::fromUtf8("Nettó ár"),  QString::fromUtf8("Cég"),
                                  QString::fromUtf8("Bruttó ár"), QString::fromUtf8("Hibás")};
    for (int c = 0; c < 6; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(m.data(m.index(0, c)).toString(), want[c]);
        EXPECT_EQ(m.headerData(c, Qt::Horizontal).toString(), captions[c]);
    }
    EXPECT_FALSE(m.data(m.index(0, 0), Qt::EditRole).isValid());
    EXPECT_TRUE(m.data(m.index(5, 0)).toString().isEmpty()); // past the last row
}

TEST_F(GridTest, AnHourMinuteColumnShowsTimesAsHhMm) {
    db->executeRaw(QStringLiteral("CREATE TABLE Idok (Ido TIME, Mikor DATETIME, Nev TEXT(10))"));
    View t(db, QStringLiteral("Idok"));
    t.addNew();
    t.setField(0, Value::time(QTime(8, 5, 59)));
    t.setField(1, Value::dateTime(QDateTime(QDate(1899, 12, 30), QTime(17, 45, 1))));
    t.setField(2, Value::text(QStringLiteral("12:34:56")));
    t.update();
    ViewModel m(t,
                {{.caption = QStringLiteral("Idő"), .field = QStringLiteral("Ido"), .hourMinute = true},
                 {.caption = QStringLiteral("Mikor"), .field = QStringLiteral("Mikor"), .hourMinute = true},
                 {.caption = QStringLiteral("Név"), .field = QStringLiteral("Nev"), .hourMinute = true},
                 {.caption = QStringLiteral("Teljes"), .field = QStringLiteral("Ido")}});
    EXPECT_EQ(m.data(m.index(0, 0)).toString(), QStringLiteral("08:05"));
    EXPECT_EQ(m.data(m.index(0, 1)).toString(), QStringLiteral("17:45"));
    EXPECT_EQ(m.data(m.index(0, 2)).toString(), QStringLiteral("12:34:56")); // text stays as written
    EXPECT_EQ(m.data(m.index(0, 3)).toString(), QStringLiteral("08:05:59"));
}

TEST_F(GridTest, ModelFollowsTheViewsRows) {
    DataGrid& g = makeGrid();
    const auto* m = g.viewModel();
    // The table's own row count only moves when the model tells it about changes.
    const auto tableRows = [&] { return g.verticalHeader()->count(); };
    EXPECT_EQ(tableRows(), 6);

    addCompany(*view, QString::fromUtf8("Újpesti Kft."), QStringLiteral("Budapest"));
    EXPECT_EQ(tableRows(), 7);
    EXPECT_EQ(shown(0).last(), QString::fromUtf8("Újpesti Kft."));

    view->moveTo(2);
    view->remove();
    EXPECT_EQ(tableRows(), 6);
    EXPECT_FALSE(shown(0).contains(kStored[2]));

    {
        View other(db, QString::fromUtf8("Címzett"));
        addCompany(other, QString::fromUtf8("Vác Bt."), QStringLiteral("Vác"));
    }
    EXPECT_EQ(tableRows(), 6); // not seen until the view runs its source again
    view->requery();
    EXPECT_EQ(tableRows(), 7);
    EXPECT_TRUE(shown(0).contains(QString::fromUtf8("Vác Bt.")));

    view->close();
    EXPECT_EQ(m->rowCount(), 0);
    EXPECT_EQ(tableRows(), 0);
    EXPECT_EQ(g.currentValue(0), Value());
}

TEST_F(GridTest, ModelRedrawsEditedValues) {
    DataGrid& g = makeGrid();
    QSignalSpy changed(g.viewModel(), &QAbstractItemModel::dataChanged);
    view->moveTo(1);
    view->edit();
    view->setField(kCity, Value::text(QString::fromUtf8("Sopron")));
    view->update();
    ASSERT_EQ(changed.count(), 1);
    const auto from = changed.first().at(0).value<QModelIndex>();
    const auto to = changed.first().at(1).value<QModelIndex>();
    EXPECT_LE(from.row(), 1);
    EXPECT_GE(to.row(), 1);
    EXPECT_LE(from.column(), 1);
    EXPECT_GE(to.column(), 1);
    EXPECT_EQ(shown(1)[1], QString::fromUtf8("Sopron"));
}

TEST_F(GridTest, IsARowPickerThatCannotEdit) {
    DataGrid& g = makeGrid();
    EXPECT_EQ(g.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(g.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(g.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(g.model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Székhely"));
    g.setCaption(QString::fromUtf8("Címzettek"));
    EXPECT_EQ(g.caption(), QString::fromUtf8("Címzettek"));
    EXPECT_EQ(selectedRow(), 0); // starts on the view's current row
}

TEST_F(GridTest, PickingARowMovesTheView) {
    DataGrid& g = makeGrid();
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));

    g.selectRow(3);
    EXPECT_EQ(view->position(), 3);
    EXPECT_EQ(selectedRow(), 3);

    // A mouse click on a cell.
    const QRect cell = g.visualRect(g.model()->index(4, 1));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(view->position(), 4);
    EXPECT_EQ(selectedRow(), 4);
    EXPECT_EQ(g.currentValue(0), Value::text(kStored[4]));
    EXPECT_EQ(g.currentValue(1), Value::text(QStringLiteral("Debrecen")));

    // The keyboard.
    QTest::keyClick(g.viewport(), Qt::Key_Up);
    EXPECT_EQ(view->position(), 3);
    EXPECT_EQ(selectedRow(), 3);

    // Out of range: nothing moves.
    g.selectRow(99);
    g.selectRow(-1);
    EXPECT_EQ(view->position(), 3);
    EXPECT_EQ(selectedRow(), 3);
}

TEST_F(GridTest, DoubleClickActivatesTheRow) {
    DataGrid& g = makeGrid();
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    // Whoever hears the activation reads the view's current row, so the view must be there already.
    QList<int> activated, positionThen;
    QObject::connect(&g, &DataGrid::rowActivated, [&](int row) {
        activated << row;
        positionThen << view->position();
    });
    const QRect cell = g.visualRect(g.model()->index(2, 0));
    // A real double click is a click and then the double-click event.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(activated, QList<int>{2});
    EXPECT_EQ(positionThen, QList<int>{2});
    EXPECT_EQ(selectedRow(), 2);

    // Without the click before it (the table's own signal alone).
    emit g.doubleClicked(g.model()->index(4, 1));
    EXPECT_EQ(activated, (QList<int>{2, 4}));
    EXPECT_EQ(positionThen, (QList<int>{2, 4}));
    EXPECT_EQ(selectedRow(), 4);
}

TEST_F(GridTest, ClickingAHeaderSorts) {
    DataGrid& g = makeGrid();
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    view->moveTo(4);
    QHeaderView* h = g.horizontalHeader();
    const QPoint onCity(h->sectionViewportPosition(1) + h->sectionSize(1) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, onCity);
    EXPECT_EQ(view->sortText(), kCity);
    EXPECT_EQ(names(), kByCity);
    EXPECT_EQ(g.headerSort().counter(), 1);
    EXPECT_EQ(selectedRow(), 0);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, onCity);
    EXPECT_EQ(view->sortText(), kCity + " DESC");
}

TEST_F(GridTest, SelectionFollowsTheView) {
    DataGrid& g = makeGrid();
    struct Step {
        const char* name;
        std::function<void()> move;
        int row;
    };
    const Step steps[] = {
        {"moveLast", [&] { view->moveLast(); }, 5},
        {"movePrevious", [&] { view->movePrevious(); }, 4},
        {"moveTo", [&] { view->moveTo(1); }, 1},
        {"findFirst", [&] { view->findFirst(QString::fromUtf8("[CimNev] = \"Őrség Kft.\"")); }, 3},
        {"moveFirst", [&] { view->moveFirst(); }, 0},
        {"sort", [&] { view->sort(kName + " DESC"); }, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.move();
        EXPECT_EQ(selectedRow(), s.row);
        EXPECT_EQ(g.currentIndex().row(), s.row);
        EXPECT_EQ(view->position(), s.row);
    }
    EXPECT_EQ(g.currentValue(0), Value::text(kByNameDesc[0]));

    // Past the last row there is no current row and nothing selected.
    view->moveLast();
    view->moveNext();
    EXPECT_TRUE(view->eof());
    EXPECT_EQ(selectedRow(), -1);
    EXPECT_EQ(g.currentValue(0), Value());
}

TEST_F(GridTest, ViewOutlivesItsGrid) {
    {
        DataGrid& g = makeGrid();
        g.selectRow(2);
        grid.reset();
    }
    // Neither the grid nor its model may still be listening.
    EXPECT_NO_THROW(view->moveTo(4));
    EXPECT_NO_THROW(view->sort(kName));
    addCompany(*view, QString::fromUtf8("Ékes Bt."), QStringLiteral("Eger"));
    EXPECT_EQ(view->recordCount(), 7);
}

} // namespace
