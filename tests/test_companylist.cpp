#include "CimzettForm.h"
#include "DataGrid.h"
#include "Database.h"
#include "NullSafe.h"
#include "PageLayout.h"
#include "View.h"
#include "WindowTest.h"

#include <QAction>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kLayout = QStringLiteral("BeszallitoNyomFormX");

// Company n: "Cég 01", "Cég 02", ... with a field of each printed column telling its number.
void addCompanies(int count) {
    auto db = Database::open(QStringLiteral("lapora.mdb"));
    View v(db, u("Címzett"));
    db->executeRaw(QStringLiteral("BEGIN"));
    for (int n = 1; n <= count; ++n) {
        v.addNew();
        v.setField(u("CimNev"), Value::text(QStringLiteral("C%1").arg(n, 2, 10, QLatin1Char('0'))));
        v.setField(u("CimIrszam"), Value::text(QStringLiteral("%1").arg(1000 + n)));
        v.setField(u("CimOrszag"), Value::text(QStringLiteral("H")));
        v.setField(u("CimSzekhely"), Value::text(QStringLiteral("Seat %1").arg(n)));
        v.setField(u("CimCim"), Value::text(QStringLiteral("Street %1").arg(n)));
        v.setField(u("CimTelefon"), Value::text(QStringLiteral("%1").arg(100 + n)));
        v.setField(u("CimFax"), Value::text(QStringLiteral("%1").arg(200 + n)));
        v.update();
    }
    db->executeRaw(QStringLiteral("COMMIT"));
}

QString cell(int slot, int column) {
    return QStringLiteral("Label%1").arg(6 * slot + 2 + column);
}

// The six cells company n prints.
QStringList printed(int n) {
    return {QStringLiteral("C%1").arg(n, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(1000 + n),
            QStringLiteral("H"),
            QStringLiteral("Seat %1").arg(n),
            QStringLiteral("Street %1").arg(n),
            QStringLiteral("%1 / %2").arg(100 + n).arg(200 + n)};
}

QStringList logActions() {
    return loggedActions(QStringLiteral("CimzettForm"));
}

// One page as shown: its page label, title, issue date and the companies in its slots (by number).
struct ShownPage {
    QString number, title, issued;
    std::vector<int> companies;
    bool cellsBelowEmpty = true; // every cell after the last company is empty
};

class CompanyListTest : public WindowTest<CimzettForm> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // Each page is read, then left as the test's answer for it says.
        modal.on(kLayout, [this](QWidget* window) {
            auto* page = static_cast<PageLayoutWindow*>(window);
            pages.push_back(read(*page));
            if (onPage)
                onPage(*page, static_cast<int>(pages.size()));
        });
    }

    CimzettForm& open() {
        w = std::make_unique<CimzettForm>(session);
        w->activate();
        return *w;
    }

    ShownPage read(const PageLayoutWindow& page) {
        ShownPage s;
        s.number = page.cellText(QStringLiteral("Label141"));
        s.title = page.cellText(QStringLiteral("Label1"));
        s.issued = page.cellText(QStringLiteral("Label140"));
        bool ended = false;
        for (int slot = 1; slot <= 22; ++slot) {
            const QString name = page.cellText(cell(slot, 0));
            if (name.isEmpty()) {
                ended = true;
                for (int c = 0; c < 6; ++c)
                    if (!page.cellText(cell(slot, c)).isEmpty())
                        s.cellsBelowEmpty = false;
                continue;
            }
            if (ended)
                s.cellsBelowEmpty = false;
            const int n = name.mid(1).toInt();
            s.companies.push_back(n);
            QStringList cells;
            for (int c = 0; c < 6; ++c)
                cells << page.cellText(cell(slot, c));
            if (checkCells) {
                EXPECT_EQ(cells, printed(n)) << "slot " << slot;
            }
        }
        return s;
    }

    static std::vector<int> range(int from, int to, int step = 1) {
        std::vector<int> out;
        for (int n = from; step > 0 ? n <= to : n >= to; n += step)
            out.push_back(n);
        return out;
    }

    std::vector<ShownPage> pages;
    std::function<void(PageLayoutWindow&, int)> onPage;
    bool checkCells = true;
};

TEST_F(CompanyListTest, PagesOfTwentyTwoFromTheCurrentCompanyToTheLast) {
    struct Case {
        const char* name;
        int companies;
        int start;       // the row the view stands on (from 0)
        bool descending; // CimNev sorted descending by two header clicks first
        std::vector<std::vector<int>> pages;
    };
    const Case cases[] = {
        {"one", 1, 0, false, {{1}}},
        {"22", 22, 0, false, {range(1, 22), {}}},
        {"23", 23, 0, false, {range(1, 22), {23}}},
        {"44", 44, 0, false, {range(1, 22), range(23, 44), {}}},
        {"mid-list", 30, 9, false, {range(10, 30)}},
        {"descending", 25, 0, true, {range(25, 4, -1), {3, 2, 1}}},
        {"descending mid-list", 25, 20, true, {{5, 4, 3, 2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder folder;
        addCompanies(c.companies);
        pages.clear();
        open();
        if (c.descending) {
            w->findChild<DataGrid*>(QStringLiteral("DBGrid1"))->clickHeader(0);
            w->findChild<DataGrid*>(QStringLiteral("DBGrid1"))->clickHeader(0);
        }
        w->companies().moveTo(c.start);
        w->findChild<QAction*>(QStringLiteral("CimzettNyom"))->trigger();
        ASSERT_EQ(pages.size(), c.pages.size());
        for (size_t i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(pages[i].number, QStringLiteral("Lapszám: %1").arg(i + 1));
            EXPECT_EQ(pages[i].title, u("CÉGEK-VÁLLALKOZÓK"));
            EXPECT_EQ(pages[i].issued, u("Kiadva: 2013.05.07."));
            EXPECT_EQ(pages[i].companies, c.pages[i]);
            EXPECT_TRUE(pages[i].cellsBelowEmpty);
        }
        EXPECT_EQ(logActions(), QStringList{u("Címzett nyomtatása")});
        // The register is active again: on its last company.
        EXPECT_EQ(w->companies().position(), c.companies - 1);
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
        w.reset();
    }
}

TEST_F(CompanyListTest, MegseBeforeTheLastPageEndsWithoutALogEntryOnTheLastPageWithOne) {
    for (const int cancelAt : {1, 2}) {
        SCOPED_TRACE(cancelAt);
        WorkFolder folder;
        addCompanies(23);
        pages.clear();
        open();
        w->companies().moveFirst();
        onPage = [cancelAt](PageLayoutWindow& page, int n) {
            if (n == cancelAt)
                page.cancel();
        };
        w->printList();
        EXPECT_EQ(pages.size(), static_cast<size_t>(cancelAt));
        EXPECT_EQ(logActions(), cancelAt == 2 ? QStringList{u("Címzett nyomtatása")} : QStringList());
        w.reset();
    }
}

TEST_F(CompanyListTest, TheRegistersActivationDuringAPageDoesNotMoveTheRun) {
    addCompanies(30);
    open();
    w->companies().moveTo(4);
    // Something brings the register to the front while page 1 is shown: it goes to its last company.
    onPage = [this](PageLayoutWindow&, int n) {
        if (n == 1)
            w->activate();
    };
    w->printList();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].companies, range(5, 26));
    EXPECT_EQ(pages[1].companies, range(27, 30));
}

TEST_F(CompanyListTest, NyomtatPrintsThePageAsShown) {
    addCompanies(2);
    addRow(QStringLiteral("lapora.mdb"), u("Címzett"), {{u("CimNev"), Value::text(QStringLiteral("C03"))}});
    open();
    w->companies().moveFirst();
    checkCells = false;
    onPage = [](PageLayoutWindow& page, int) { page.print(); };
    w->printList();
    ASSERT_EQ(printer.pages.size(), 1u);
    const Page& p = printer.pages.front();
    EXPECT_EQ(RecordingPrinter::cell(p, QStringLiteral("Label1")), u("CÉGEK-VÁLLALKOZÓK"));
    EXPECT_EQ(RecordingPrinter::cell(p, QStringLiteral("Label141")), u("Lapszám: 1"));
    EXPECT_EQ(RecordingPrinter::cell(p, cell(2, 5)), QStringLiteral("102 / 202"));
    // A company without phone or fax shows the separator alone; its other cells are empty.
    EXPECT_EQ(RecordingPrinter::cell(p, cell(3, 5)), QStringLiteral(" / "));
    EXPECT_EQ(RecordingPrinter::cell(p, cell(3, 1)), QString());
    EXPECT_EQ(RecordingPrinter::cell(p, cell(4, 0)), QString());
    // The column headers keep their design texts.
    EXPECT_EQ(RecordingPrinter::cell(p, QStringLiteral("Label2")), u("Név:"));
    EXPECT_EQ(RecordingPrinter::cell(p, QStringLiteral("Label7")), u("Telefon / FAX:"));
}

TEST_F(CompanyListTest, AnEmptyTableGivesTheMessageAndNoPage) {
    w = std::make_unique<CimzettForm>(session); // not activated: the table stays empty
    prompter.expectMessage(msg::kFigyelem, msg::kNincsNyomtatando, Icon::Exclamation, Buttons::Ok,
                           Answer::Ok);
    w->printList();
    EXPECT_TRUE(pages.empty());
    EXPECT_TRUE(logActions().isEmpty());
    EXPECT_EQ(prompter.beeps, 1);
}

TEST_F(CompanyListTest, WhatIsTypedGoesInFirstAndIsPrinted) {
    addCompanies(1);
    open();
    w->findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(u("Győr"));
    checkCells = false;
    QString seat;
    onPage = [&seat](PageLayoutWindow& page, int) { seat = page.cellText(cell(1, 3)); };
    w->printList();
    EXPECT_EQ(seat, u("Győr"));
    View v(Database::open(QStringLiteral("lapora.mdb")), u("Címzett"));
    EXPECT_EQ(v.valueAt(0, v.fieldIndex(u("CimSzekhely"))).asText(), u("Győr"));
}

} // namespace
