#include "Certificate.h"
#include "Database.h"
#include "MainWindowTest.h"
#include "PageLayout.h"
#include "View.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kFooter = u("Lapszám: 1.  nyomtatva: 2013.05.07.  09:15:30");
const QString kCertificate = QStringLiteral("MunkaNyomTetelFormX");

void addJob(const Fields& f) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"), f);
}

// The settings record; an empty text leaves its constant text Null.
void setConstantText(const QString& text) {
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("ÁllandóSzöveg"), text.isEmpty() ? Value() : Value::text(text)}});
}

QStringList logActions() {
    return loggedActions(QStringLiteral("LaporaX"));
}

// The cells the certificate writes, and the title it leaves as designed.
const char* const kCells[] = {"Label2",  "Label45", "Label6",  "Label7",  "Label8",  "Text1",
                              "Label11", "Label13", "Label15", "Label17", "Label18", "Label1"};

using Cells = std::map<QString, QString>;

class CertificateTest : public MainWindowTest {
protected:
    // Runs the certificate; the handler acts on the page after its cells are read.
    Cells print(const std::function<void(PageLayoutWindow&)>& act) {
        Cells seen;
        modal.on(kCertificate, [&](QWidget* window) {
            auto* page = qobject_cast<PageLayoutWindow*>(window);
            ASSERT_NE(page, nullptr);
            for (const char* c : kCells)
                seen[QString::fromLatin1(c)] = page->cellText(QString::fromLatin1(c));
            act(*page);
        });
        w->printCurrentSheet();
        return seen;
    }
};

TEST_F(CertificateTest, CellsComeFromTheCurrentJobSheet) {
    struct Case {
        const char* name;
        Fields job;
        QString constant; // the settings record's constant text
        Cells expected;
    };
    const Fields full{{u("Dátum"), Value::date(QDate(2013, 4, 2))},
                      {u("Idő"), Value::time(QTime(8, 5, 9))},
                      {u("CégNeve"), Value::text(u("Alfa Kft."))},
                      {u("CégSzékhelye"), Value::text(u("1111 Eger"))},
                      {u("CégCime"), Value::text(u("Fő u. 1."))},
                      {u("ElvégzettMunka"), Value::text(u("Kazáncsere"))},
                      {u("MunkalapSzáma"), Value::text(u("00042"))},
                      {u("Szoveg"), Value::text(u("Első sor\r\nMásodik sor"))},
                      {u("Munkaóra"), Value::number(2.5)},
                      {u("NettóÁr"), Value::number(10000)},
                      {u("ÁFA"), Value::number(27)},
                      {u("BruttóÁr"), Value::number(12700)}};
    const Case cases[] = {
        {"every field",
         full,
         u("Köszönjük a megrendelést!"),
         {{"Label2", u("Alfa Kft. 1111 Eger, Fő u. 1.")},
          {"Label45", kFooter},
          {"Label6", u("2013.04.02. 08:05:09")},
          {"Label7", u("Kazáncsere")},
          {"Label8", u("00042")},
          {"Text1", u("Első sor\r\nMásodik sor")},
          {"Label11", u("2,5")},
          {"Label13", u("10000")},
          {"Label15", u("27")},
          {"Label17", u("12700")},
          {"Label18", u("Köszönjük a megrendelést!")},
          {"Label1", u("MUNKALAP")}}},
        {"only a date: Null amounts print 0, no time leaves the date and one blank, no constant text",
         {{u("Dátum"), Value::date(QDate(2013, 4, 2))}},
         QString(),
         {{"Label2", u(" , ")},
          {"Label45", kFooter},
          {"Label6", u("2013.04.02. ")},
          {"Label7", QString()},
          {"Label8", QString()},
          {"Text1", QString()},
          {"Label11", u("0")},
          {"Label13", u("0")},
          {"Label15", u("0")},
          {"Label17", u("0")},
          {"Label18", QString()},
          {"Label1", u("MUNKALAP")}}},
        {"no date at all: today",
         {{u("CégNeve"), Value::text(u("Béta Bt."))}, {u("Idő"), Value::time(QTime(23, 59, 0))}},
         u("x"),
         {{"Label2", u("Béta Bt. , ")},
          {"Label45", kFooter},
          {"Label6", u("2013.05.07. 23:59:00")},
          {"Label7", QString()},
          {"Label8", QString()},
          {"Text1", QString()},
          {"Label11", u("0")},
          {"Label13", u("0")},
          {"Label15", u("0")},
          {"Label17", u("0")},
          {"Label18", u("x")},
          {"Label1", u("MUNKALAP")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder folder;
        addJob(c.job);
        setConstantText(c.constant);
        start();
        const Cells seen = print([](PageLayoutWindow& page) { page.next(); });
        EXPECT_EQ(modal.shown, QStringList{kCertificate});
        for (const auto& [cell, text] : c.expected)
            EXPECT_EQ(seen.at(cell), text) << cell.toStdString();
        w.reset();
        modal.shown.clear();
    }
}

TEST_F(CertificateTest, TheCurrentJobSheetIsTheOneUnderTheCursor) {
    addJob({{u("Dátum"), Value::date(QDate(2013, 1, 1))}, {u("MunkalapSzáma"), Value::text(u("1"))}});
    addJob({{u("Dátum"), Value::date(QDate(2013, 2, 1))}, {u("MunkalapSzáma"), Value::text(u("2"))}});
    addJob({{u("Dátum"), Value::date(QDate(2013, 3, 1))}, {u("MunkalapSzáma"), Value::text(u("3"))}});
    start();
    w->jobs().moveTo(1);
    const Cells seen = print([](PageLayoutWindow& page) { page.next(); });
    EXPECT_EQ(seen.at(u("Label8")), u("2"));
    EXPECT_EQ(seen.at(u("Label6")), u("2013.02.01. "));
}

TEST_F(CertificateTest, EveryWayOutOfThePageLogsTheCommandOnce) {
    struct Case {
        const char* name;
        std::function<void(PageLayoutWindow&)> act;
        size_t printed;
    };
    const Case cases[] = {
        {"Tovább without printing", [](PageLayoutWindow& p) { p.next(); }, 0},
        {"Mégse", [](PageLayoutWindow& p) { p.cancel(); }, 0},
        {"closing by the frame", [](PageLayoutWindow& p) { p.close(); }, 0},
        {"Nyomtat, then Tovább",
         [](PageLayoutWindow& p) {
             p.print();
             p.next();
         },
         1},
        {"Nyomtat twice, then Mégse",
         [](PageLayoutWindow& p) {
             p.print();
             p.print();
             p.cancel();
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder folder;
        addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}});
        start();
        printer.pages.clear();
        print(c.act);
        EXPECT_EQ(printer.pages.size(), c.printed);
        EXPECT_EQ(logActions(), QStringList{u("Lap nyomtatása")});
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
        w.reset();
    }
}

TEST_F(CertificateTest, NyomtatPrintsOneLandscapePageWithTheTexts) {
    addJob({{u("Dátum"), Value::date(QDate(2013, 4, 2))},
            {u("Idő"), Value::time(QTime(10, 0, 0))},
            {u("CégNeve"), Value::text(u("Alfa Kft."))},
            {u("ElvégzettMunka"), Value::text(u("Szerviz"))},
            {u("MunkalapSzáma"), Value::text(u("00007"))},
            {u("NettóÁr"), Value::number(1000)},
            {u("Szoveg"), Value::text(u("Részletek"))}});
    setConstantText(u("Garancia 1 év"));
    start();
    const Cells seen = print([](PageLayoutWindow& page) {
        page.print();
        page.next();
    });
    ASSERT_EQ(printer.pages.size(), 1u);
    EXPECT_EQ(printer.pageOrientations.at(0), Orientation::Landscape);
    const Page& page = printer.pages.front();
    EXPECT_EQ(page.twips, QSize(14700, 9720));
    const Cells printed{{"Label2", u("Alfa Kft. , ")},
                        {"Label45", kFooter},
                        {"Label6", u("2013.04.02. 10:00:00")},
                        {"Label7", u("Szerviz")},
                        {"Label8", u("00007")},
                        {"Text1", u("Részletek")},
                        {"Label11", u("0")},
                        {"Label13", u("1000")},
                        {"Label15", u("0")},
                        {"Label17", u("0")},
                        {"Label18", u("Garancia 1 év")},
                        {"Label1", u("MUNKALAP")}};
    for (const char* cell : kCells) {
        const QString name = QString::fromLatin1(cell);
        EXPECT_EQ(RecordingPrinter::cell(page, name), printed.at(name)) << cell;
        EXPECT_EQ(seen.at(name), printed.at(name)) << cell; // the page on screen held the same
    }
}

TEST_F(CertificateTest, WithoutAJobSheetOnlyTheMessageComes) {
    w = std::make_unique<LaporaX>(session);
    prompter.expectMessage(msg::kFigyelem, u("Nincs nyomtatandó adat!"), Icon::Exclamation, Buttons::Ok,
                           Answer::Ok);
    w->printCurrentSheet();
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(prompter.beeps, 1);
    ASSERT_FALSE(prompter.pointers.empty());
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow); // set before the message
    EXPECT_TRUE(logActions().isEmpty());
}

TEST_F(CertificateTest, TheMenuItemRunsIt) {
    addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}});
    start();
    w->show();
    bool mainVisibleMeanwhile = true;
    modal.on(kCertificate, [&](QWidget* window) {
        mainVisibleMeanwhile = w->isVisible();
        static_cast<PageLayoutWindow*>(window)->next();
    });
    w->findChild<QAction*>(QStringLiteral("AktLapNyom"))->trigger();
    EXPECT_EQ(modal.shown, QStringList{kCertificate});
    EXPECT_EQ(logActions(), QStringList{u("Lap nyomtatása")});
    // The main window steps aside while the page is shown, and comes back.
    EXPECT_FALSE(mainVisibleMeanwhile);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(CertificateTest, EditsOnScreenAreWrittenBeforeThePageIsFilled) {
    addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}, {u("ElvégzettMunka"), Value::text(u("Régi"))}});
    start();
    w->findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(u("Új munka"));
    w->findChild<QLineEdit*>(QStringLiteral("Text8"))->setText(u("1500"));
    w->findChild<QPlainTextEdit*>(QStringLiteral("Text7"))->setPlainText(u("Leírás"));
    const Cells seen = print([](PageLayoutWindow& page) { page.next(); });
    EXPECT_EQ(seen.at(u("Label7")), u("Új munka"));
    EXPECT_EQ(seen.at(u("Label13")), u("1500"));
    EXPECT_EQ(seen.at(u("Text1")), u("Leírás"));
    View stored(Database::open(QStringLiteral("lapora.mdb")), QStringLiteral("Laporak"));
    EXPECT_EQ(stored.field(u("ElvégzettMunka")).asText(), u("Új munka"));
}

TEST_F(CertificateTest, ARefusedWriteShowsItsMessageAndPrintsNothing) {
    addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}, {u("ElvégzettMunka"), Value::text(u("Régi"))}});
    start();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE UPDATE ON Laporak "
                                       "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    w->findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(u("Új munka"));
    prompter.expectMessage(msg::kFigyelem, msg::kIrasHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    w->printCurrentSheet();
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_TRUE(logActions().isEmpty());
    // The typed text stays for another try.
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("Text4"))->text(), u("Új munka"));
}

TEST_F(CertificateTest, CellsAreWrittenInTheirOrderAfterTheClearedOnes) {
    addJob({{u("CégNeve"), Value::text(u("Alfa Kft."))}});
    start();
    w->jobs().moveFirst();
    QStringList order;
    for (const auto& [cell, text] : certificateCells(w->jobs(), session))
        order << cell;
    EXPECT_EQ(order, (QStringList{"Label2", "Label45", "Label6", "Label7", "Label8", "Text1", "Label11",
                                  "Label13", "Label15", "Label17", "Label18"}));
    EXPECT_EQ(certificateClearedCells(), (std::vector<QString>{"Label6", "Label7", "Label8", "Text1"}));
}

} // namespace
