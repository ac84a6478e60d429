#include "DataGrid.h"
#include "Database.h"
#include "Imprint.h"
#include "JobList.h"
#include "LaporaX.h"
#include "NullSafe.h"
#include "PageLayout.h"
#include "View.h"
#include "WindowTest.h"

#include <QAction>
#include <QDateEdit>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kConstant = u("Köszönjük a megrendelést!");
const QString kLayout = QStringLiteral("MunkaNyomFormX");

QString footer(int page) {
    return u("Lapszám: ") + QString::number(page) + u(".   ") + imprint::oneLine() +
           u(", nyomtatva: 2013.05.07.  09:15:30");
}

// Job sheet n of a company: one a day from 2013.01.01., each with its own seat so a heading shows its row.
Fields job(const QString& company, int n) {
    return {{u("Dátum"), Value::date(QDate(2013, 1, 1).addDays(n - 1))},
            {u("Idő"), Value::time(QTime(8, 0, 0).addSecs(60 * n))},
            {u("CégNeve"), Value::text(company)},
            {u("CégSzékhelye"), Value::text(QStringLiteral("Seat %1").arg(n))},
            {u("CégCime"), Value::text(QStringLiteral("Street %1").arg(n))},
            {u("ElvégzettMunka"), Value::text(QStringLiteral("Work %1").arg(n))},
            {u("MunkalapSzáma"), Value::text(QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0')))}};
}

void addJob(const Fields& f) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"), f);
}

void addJobs(const QString& company, int count) {
    for (int n = 1; n <= count; ++n)
        addJob(job(company, n));
}

// Row n's date and time as printed (n up to 31).
QString rowDateTime(int n) {
    const QString nn = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return QStringLiteral("2013.01.%1. 08:%1:00").arg(nn);
}

QString heading(const QString& company, int n) {
    return company + QStringLiteral(" Seat %1, Street %1").arg(n);
}

QString cell(int slot, int column) {
    return QStringLiteral("Label%1").arg(3 * slot + 3 + column);
}

QString designText(const QString& name) {
    for (const CellDesign& c : jobListLayout().cells)
        if (c.name == name)
            return c.text;
    return QString();
}

// What one shown page held.
struct Shown {
    std::map<QString, QString> cells;
    QString at(const QString& name) const { return cells.at(name); }
};

class JobListTest : public WindowTest<LPNyomtatFormX> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        session.settings.AllandoSzoveg = kConstant;
    }

    LPNyomtatFormX& open(const QString& company) {
        session.jobListCompany = company;
        w = std::make_unique<LPNyomtatFormX>(session);
        w->activate();
        return *w;
    }

    // Records every page shown, then acts on it (default: "Tovább").
    std::vector<Shown> run(std::function<void(PageLayoutWindow&, int page)> act = {}) {
        std::vector<Shown> pages;
        modal.on(kLayout, [&](QWidget* window) {
            auto* page = qobject_cast<PageLayoutWindow*>(window);
            ASSERT_NE(page, nullptr);
            Shown s;
            for (const CellDesign& c : jobListLayout().cells)
                s.cells[c.name] = page->cellText(c.name);
            pages.push_back(s);
            if (act)
                act(*page, static_cast<int>(pages.size()));
            else
                page->next();
        });
        w->print();
        return pages;
    }

    QDateEdit* picker(int n) { return child<QDateEdit>(n == 1 ? "DTPicker1" : "DTPicker2"); }
};

// ---- the page run -----------------------------------------------------------------------------------------

TEST_F(JobListTest, PagesOfThirteenRowsWithHeadingFooterAndClosingLine) {
    struct Case {
        int rows;
        int pages;
        std::vector<int> rowsOnPage;   // rows on each page, in order
        std::vector<int> headingOfRow; // the row whose heading each page carries
    };
    const Case cases[] = {
        {1, 1, {1}, {1}},
        {12, 1, {12}, {1}},
        {13, 2, {13, 0}, {1, 1}},   // a full last page, then an empty one that keeps the heading
        {14, 2, {13, 1}, {14, 14}}, // the heading is composed again from the row after the page break
        {26, 3, {13, 13, 0}, {14, 14, 14}},
        {27, 3, {13, 13, 1}, {14, 27, 27}},
    };
    const QString company = u("Alfa Kft.");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows");
        WorkFolder folder;
        addJobs(company, c.rows);
        addJob(job(u("Más Kft."), 99)); // another company's sheet is no part of the list
        open(company);
        const std::vector<Shown> pages = run();
        ASSERT_EQ(static_cast<int>(pages.size()), c.pages);
        int row = 1;
        for (int p = 0; p < c.pages; ++p) {
            SCOPED_TRACE(testing::Message() << "page " << p + 1);
            const Shown& s = pages[static_cast<size_t>(p)];
            const bool last = p == c.pages - 1;
            EXPECT_EQ(s.at(u("Label45")), footer(p + 1));
            EXPECT_EQ(s.at(u("Label47")), last ? kConstant : designText(u("Label47")));
            EXPECT_EQ(s.at(u("Label2")), heading(company, c.headingOfRow[static_cast<size_t>(p)]));
            EXPECT_EQ(s.at(u("Label1")), u("MUNKALAP"));
            for (int slot = 1; slot <= 13; ++slot) {
                const bool filled = slot <= c.rowsOnPage[static_cast<size_t>(p)];
                EXPECT_EQ(s.at(cell(slot, 0)), filled ? rowDateTime(row) : QString()) << slot;
                EXPECT_EQ(s.at(cell(slot, 1)), filled ? QStringLiteral("Work %1").arg(row) : QString())
                    << slot;
                EXPECT_EQ(s.at(cell(slot, 2)),
                          filled ? QStringLiteral("%1").arg(row, 5, 10, QLatin1Char('0')) : QString())
                    << slot;
                if (filled)
                    ++row;
            }
        }
        EXPECT_EQ(row, c.rows + 1); // every row printed once
        EXPECT_FALSE(session.layoutCancelled);
        EXPECT_TRUE(prompter.asked.isEmpty());
        w.reset();
        modal.shown.clear();
    }
}

TEST_F(JobListTest, MissingValuesPrintAsEmptyTextAndTodayForTheDate) {
    addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}});
    open(u("Alfa Kft."));
    const std::vector<Shown> pages = run();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at(u("Label2")), u("Alfa Kft. , "));
    EXPECT_EQ(pages[0].at(u("Label6")), u("2013.05.07. "));
    EXPECT_EQ(pages[0].at(u("Label7")), QString());
    EXPECT_EQ(pages[0].at(u("Label8")), QString());
}

TEST_F(JobListTest, EmptyConstantTextLeavesTheClosingLineEmpty) {
    addJobs(u("Alfa Kft."), 2);
    session.settings.AllandoSzoveg.clear();
    open(u("Alfa Kft."));
    const std::vector<Shown> pages = run();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at(u("Label47")), QString());
}

TEST_F(JobListTest, MegseOnThePageEndsTheRun) {
    struct Case {
        int rows;
        int cancelOn;
        int shown;
    };
    const Case cases[] = {{26, 1, 1}, {26, 2, 2}, {14, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, Mégse on page " << c.cancelOn);
        WorkFolder folder;
        addJobs(u("Alfa Kft."), c.rows);
        open(u("Alfa Kft."));
        const std::vector<Shown> pages = run([&](PageLayoutWindow& page, int n) {
            if (n == c.cancelOn)
                page.cancel();
            else
                page.next();
        });
        EXPECT_EQ(static_cast<int>(pages.size()), c.shown);
        EXPECT_EQ(modal.shown.size(), c.shown);
        EXPECT_TRUE(session.layoutCancelled);
        w.reset();
        modal.shown.clear();
    }
}

TEST_F(JobListTest, APagePassedWithToveabbIsNotPrintedAndNyomtatPrintsItLandscape) {
    addJobs(u("Alfa Kft."), 14);
    open(u("Alfa Kft."));
    run([](PageLayoutWindow& page, int n) {
        if (n == 2)
            page.print();
        page.next();
    });
    ASSERT_EQ(printer.pages.size(), 1u);
    EXPECT_EQ(printer.pageOrientations.at(0), Orientation::Landscape);
    EXPECT_EQ(RecordingPrinter::cell(printer.pages[0], u("Label45")), footer(2));
    EXPECT_EQ(RecordingPrinter::cell(printer.pages[0], u("Label7")), u("Work 14"));
    EXPECT_EQ(RecordingPrinter::cell(printer.pages[0], u("Label47")), kConstant);
}

TEST_F(JobListTest, NoRowsGiveTheMessageAndNoPage) {
    addJobs(u("Más Kft."), 3);
    open(u("Alfa Kft."));
    prompter.expectMessage(msg::kFigyelem, u("Nincs nyomtatandó adat!"), Icon::Exclamation, Buttons::Ok,
                           Answer::Ok);
    run();
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(JobListTest, ARequeryDuringTheRunLeavesItOnItsStartingRows) {
    addJobs(u("Alfa Kft."), 14);
    open(u("Alfa Kft."));
    int added = 0;
    const std::vector<Shown> pages = run([&](PageLayoutWindow& page, int) {
        // Another window adds a sheet and this one becomes active in between.
        addJob(job(u("Alfa Kft."), 100 + added++));
        w->activate();
        page.next();
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].at(cell(1, 1)), u("Work 14"));
    EXPECT_EQ(pages[1].at(cell(2, 1)), QString());
    EXPECT_EQ(pages[1].at(u("Label47")), kConstant);
    // The re-query did happen: the window shows the new sheets now.
    EXPECT_EQ(w->query().recordCount(), 16);
}

TEST_F(JobListTest, AfterTheRunTheDateFilterIsGone) {
    addJobs(u("Alfa Kft."), 20);
    open(u("Alfa Kft."));
    picker(1)->setDate(QDate(2013, 1, 5));
    picker(2)->setDate(QDate(2013, 1, 7));
    w->dateFilter();
    ASSERT_EQ(w->query().recordCount(), 3);
    const std::vector<Shown> pages = run();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at(cell(1, 1)), u("Work 5"));
    EXPECT_EQ(pages[0].at(cell(3, 1)), u("Work 7"));
    EXPECT_EQ(pages[0].at(cell(4, 1)), QString());
    EXPECT_EQ(w->query().recordCount(), 20);
    EXPECT_EQ(picker(1)->date(), QDate(2013, 1, 1));
    EXPECT_EQ(picker(2)->date(), QDate(2013, 1, 20));
}

// ---- activation and the date filter -----------------------------------------------------------------------

TEST_F(JobListTest, ActivationShowsTheWholeListWithItsFirstAndLastDates) {
    addJob(job(u("Alfa Kft."), 3));
    addJob(job(u("Más Kft."), 1));
    addJob(job(u("Alfa Kft."), 10));
    addJob(job(u("Alfa Kft."), 7)); // the list keeps the stored order: last is not the latest
    open(u("Alfa Kft."));
    EXPECT_EQ(w->query().recordCount(), 3);
    EXPECT_EQ(picker(1)->date(), QDate(2013, 1, 3));
    EXPECT_EQ(picker(2)->date(), QDate(2013, 1, 7));
    EXPECT_EQ(w->query().position(), 2); // stays on the last row

    picker(1)->setDate(QDate(2013, 1, 9));
    picker(2)->setDate(QDate(2013, 1, 12));
    w->dateFilter();
    EXPECT_EQ(w->query().recordCount(), 1);
    w->activate();
    EXPECT_EQ(w->query().recordCount(), 3);
    EXPECT_EQ(picker(1)->date(), QDate(2013, 1, 3));
    EXPECT_EQ(picker(2)->date(), QDate(2013, 1, 7));
}

TEST_F(JobListTest, ARowWithoutADateLeavesItsDateFieldAsItWas) {
    Fields undated = job(u("Alfa Kft."), 1);
    undated.erase(u("Dátum"));
    addJob(undated);
    addJob(job(u("Alfa Kft."), 4));
    session.jobListCompany = u("Alfa Kft.");
    w = std::make_unique<LPNyomtatFormX>(session);
    picker(1)->setDate(QDate(2012, 6, 6));
    w->activate();
    EXPECT_EQ(picker(1)->date(), QDate(2012, 6, 6));
    EXPECT_EQ(picker(2)->date(), QDate(2013, 1, 4));
}

TEST_F(JobListTest, DateFilterKeepsTheRangeWithBothEnds) {
    addJobs(u("Alfa Kft."), 12);
    open(u("Alfa Kft."));
    picker(1)->setDate(QDate(2013, 1, 3));
    picker(2)->setDate(QDate(2013, 1, 10));
    EXPECT_EQ(w->rangeQuery(), u("select * from laporak where CégNeve = 'Alfa Kft.' and Dátum >= #1/3/2013# "
                                 "and Dátum <= #1/10/2013#"));
    w->dateFilter();
    EXPECT_EQ(w->query().recordCount(), 8);
    EXPECT_EQ(w->query().position(), 0);
    EXPECT_EQ(NullText(w->query().field(u("ElvégzettMunka"))), u("Work 3"));
    EXPECT_EQ(prompter.beeps, 0);
    EXPECT_EQ(child<DataGrid>("DataGrid1")->model()->rowCount(), 8);
}

TEST_F(JobListTest, ADateFilterThatMatchesNothingBeepsAndPrintingThenHasNoData) {
    addJobs(u("Alfa Kft."), 5);
    open(u("Alfa Kft."));
    picker(1)->setDate(QDate(2014, 1, 1));
    picker(2)->setDate(QDate(2014, 12, 31));
    w->dateFilter();
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_TRUE(prompter.asked.isEmpty()); // a beep, no message
    EXPECT_EQ(w->query().recordCount(), 0);
    EXPECT_EQ(child<DataGrid>("DataGrid1")->model()->rowCount(), 0);
    prompter.expectMessage(msg::kFigyelem, u("Nincs nyomtatandó adat!"), Icon::Exclamation, Buttons::Ok,
                           Answer::Ok);
    child<QAction>("Nyomtat")->trigger();
    EXPECT_TRUE(modal.shown.isEmpty());
}

TEST_F(JobListTest, AClickInTheSecondDateFieldFilters) {
    addJobs(u("Alfa Kft."), 6);
    open(u("Alfa Kft."));
    w->show();
    // Its text part and the rest of the field (the calendar button) both count.
    QWidget* const targets[] = {picker(2)->findChild<QLineEdit*>(), picker(2)};
    int from = 2;
    for (QWidget* target : targets) {
        ASSERT_NE(target, nullptr);
        w->activate();
        picker(2)->setDate(QDate(2013, 1, 4));
        picker(1)->setDate(QDate(2013, 1, from)); // the first field alone filters nothing
        QTest::mouseClick(picker(1)->findChild<QLineEdit*>(), Qt::LeftButton);
        QTest::mouseClick(picker(1), Qt::LeftButton);
        EXPECT_EQ(w->query().recordCount(), 6);
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        EXPECT_EQ(w->query().recordCount(), 5 - from);
        ++from;
    }
}

TEST_F(JobListTest, ANameWithQuotesFindsItsOwnSheets) {
    const QString name = u("O'Brien \"Gépész\" Bt.");
    addJobs(name, 3);
    addJobs(u("O"), 2);
    addJobs(u("O'Brien"), 2);
    open(name);
    EXPECT_EQ(child<QLabel>("Label1")->text(), name);
    EXPECT_EQ(w->query().recordCount(), 3);
    picker(1)->setDate(QDate(2013, 1, 2));
    w->dateFilter();
    EXPECT_EQ(w->query().recordCount(), 2);
    EXPECT_EQ(prompter.beeps, 0);
    const std::vector<Shown> pages = run();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at(u("Label2")), heading(name, 2));
    EXPECT_EQ(pages[0].at(cell(2, 1)), u("Work 3"));
    EXPECT_EQ(w->query().recordCount(), 3); // the activation after the page found them again
}

TEST_F(JobListTest, CompanyNamesMatchWithoutRegardToCase) {
    addJobs(u("ÁRVÍZTŰRŐ Kft."), 2);
    open(u("árvíztűrő kft."));
    EXPECT_EQ(w->query().recordCount(), 2);
}

// ---- leaving, the window's parts, the main window -------------------------------------------------------

TEST_F(JobListTest, VisszaAndTheFrameCloseTheQueryView) {
    for (const char* way : {"Vissza", "frame"}) {
        SCOPED_TRACE(way);
        addJobs(u("Alfa Kft."), 2);
        open(u("Alfa Kft."));
        w->show();
        if (QLatin1String(way) == QLatin1String("Vissza"))
            child<QAction>("Kilepes")->trigger();
        else
            w->close();
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->query().isOpen());
        EXPECT_EQ(child<DataGrid>("DataGrid1")->model()->rowCount(), 0);
        // A late activation or click finds nothing to do.
        w->activate();
        w->dateFilter();
        EXPECT_FALSE(w->query().isOpen());
        w.reset();
    }
    EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(JobListTest, TheWindowCarriesItsNamesCaptionsAndGrid) {
    addJobs(u("Alfa Kft."), 1);
    open(u("Alfa Kft."));
    EXPECT_EQ(w->objectName(), QStringLiteral("LPNyomtatFormX"));
    EXPECT_EQ(w->windowTitle(), u("Nyomtatás - a dátumra katintva szűr időintervallumra - Lapora"));
    EXPECT_EQ(child<QLabel>("Label1")->text(), u("Alfa Kft."));
    EXPECT_EQ(picker(2)->toolTip(), u("Belekattintva szűr dátumra"));
    EXPECT_EQ(picker(1)->displayFormat(), QStringLiteral("yyyy.MM.dd."));
    EXPECT_EQ(picker(2)->displayFormat(), QStringLiteral("yyyy.MM.dd."));
    QStringList menu;
    for (QAction* a : w->menuBar()->actions())
        menu << a->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(menu, (QStringList{u("Nyomtat=&Nyomtatás"), u("Kilepes=&Vissza")}));
    DataGrid* grid = child<DataGrid>("DataGrid1");
    EXPECT_EQ(grid->caption(), u("Cég - vállalkozás"));
    QStringList captions;
    for (int i = 0; i < grid->model()->columnCount(); ++i)
        captions << grid->model()->headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(captions, (QStringList{u("Dátum"), u("Idő"), u("CégNeve"), u("CégSzékhelye"), u("CégCime"),
                                     u("ElvégzettMunka"), u("MunkalapSzáma"), u("MunkátVégezte")}));
    // The query view reads the job sheets of the working folder's data file, its connection's data source.
    ASSERT_TRUE(w->query().isOpen());
    EXPECT_EQ(QFileInfo(w->query().database()->path()).canonicalFilePath(),
              QFileInfo(wf.file(QStringLiteral("lapora.mdb"))).canonicalFilePath());
    EXPECT_EQ(w->query().source(), u("select * from laporak where CégNeve = 'Alfa Kft.'"));
}

TEST_F(JobListTest, HeaderClicksDoNotSortTheGridOrThePages) {
    for (int n : {2, 1, 3})
        addJob(job(u("Alfa Kft."), n));
    open(u("Alfa Kft."));
    DataGrid* grid = child<DataGrid>("DataGrid1");
    EXPECT_FALSE(grid->horizontalHeader()->sectionsClickable());
    for (int i = 0; i < 3; ++i)
        grid->clickHeader(5); // ElvégzettMunka
    EXPECT_TRUE(w->query().sortText().isEmpty());
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 5)).toString(), QStringLiteral("Work 2"));
    // The time column shows hours and minutes.
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 1)).toString(), QStringLiteral("08:02"));
    const std::vector<Shown> pages = run();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at(cell(1, 1)), QStringLiteral("Work 2"));
    EXPECT_EQ(pages[0].at(cell(2, 1)), QStringLiteral("Work 1"));
    EXPECT_EQ(pages[0].at(cell(3, 1)), QStringLiteral("Work 3"));
}

TEST_F(JobListTest, TheFirstShowingActivatesTheWindow) {
    addJobs(u("Alfa Kft."), 4);
    session.jobListCompany = u("Alfa Kft.");
    w = std::make_unique<LPNyomtatFormX>(session);
    picker(1)->setDate(QDate(2000, 1, 1));
    w->show();
    EXPECT_EQ(picker(1)->date(), QDate(2013, 1, 1));
    EXPECT_EQ(picker(2)->date(), QDate(2013, 1, 4));
}

TEST_F(JobListTest, TheMainWindowOpensItForTheCurrentJobSheetsCompany) {
    addJob(job(u("Alfa Kft."), 1));
    addJob(job(u("O'Brien \"Gépész\" Bt."), 2));
    addJob(job(u("Alfa Kft."), 3));
    addJob(job(u("O'Brien \"Gépész\" Bt."), 4));
    auto main = std::make_unique<LaporaX>(session);
    expectNewRowQuestion(prompter);
    main->activate();
    main->jobs().moveTo(1);
    QString label;
    int rows = -1;
    bool mainHidden = false;
    modal.on(QStringLiteral("LPNyomtatFormX"), [&](QWidget* window) {
        auto* list = qobject_cast<LPNyomtatFormX*>(window);
        ASSERT_NE(list, nullptr);
        mainHidden = !main->isVisible();
        label = list->findChild<QLabel*>(QStringLiteral("Label1"))->text();
        list->activate();
        rows = list->query().recordCount();
        list->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
        EXPECT_FALSE(list->query().isOpen());
    });
    main->show();
    main->findChild<QAction*>(QStringLiteral("LPNyom"))->trigger();
    EXPECT_EQ(modal.shown, QStringList{"LPNyomtatFormX"});
    EXPECT_EQ(session.jobListCompany, u("O'Brien \"Gépész\" Bt."));
    EXPECT_EQ(label, u("O'Brien \"Gépész\" Bt."));
    EXPECT_EQ(rows, 2);
    EXPECT_TRUE(mainHidden);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

} // namespace
