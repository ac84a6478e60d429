#include "DataGrid.h"
#include "Database.h"
#include "NaploFormX.h"
#include "View.h"
#include "WindowTest.h"

#include <QAction>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kHeader = u("FakturoW programkezelési napló - 2013.05.07. - 09:15:30");

// One log row; a null user is left Null.
void addLog(const char* user, QDate day, QTime time, const char* action, double number = 0,
            const char* kind = "Lapora") {
    Fields f{{u("AkcióDátuma"), Value::date(day)},        {u("AkcióIdeje"), Value::time(time)},
             {u("Akció"), Value::text(u(action))},        {u("Jelszó"), Value::text(u("titok"))},
             {u("Path"), Value::text(u("/home/lapora"))}, {u("rekordID"), Value::text(u("LaporaX"))},
             {u("Számlaszám"), Value::number(number)},    {u("OkmányTipus"), Value::text(u(kind))}};
    if (user)
        f[u("Felhasználó")] = Value::text(u(user));
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"), f);
}

// A row's printed line: what the print puts between its two carriage returns.
QString line(const char* user, const char* day, const char* time, const char* action, const char* number,
             const char* kind) {
    return QStringLiteral("\r ") + u(user) + QLatin1Char(' ') + u(day) + QStringLiteral("  ") + u(time) +
           QLatin1Char(' ') + u(action) + QLatin1Char(' ') + u(number) + QLatin1Char(' ') + u(kind) +
           QLatin1Char('\r');
}

class NaploFormTest : public WindowTest<NaploFormX> {
protected:
    NaploFormX& open() {
        w = std::make_unique<NaploFormX>(session);
        return *w;
    }
    // Three rows, stored out of date order.
    void threeRows() {
        addLog("Kiss", QDate(2013, 5, 3), QTime(10, 0, 0), "Adatmentés", 12.5, "számla");
        addLog(nullptr, QDate(2013, 5, 2), QTime(8, 0, 0), "Lap nyomtatása");
        addLog("Nagy", QDate(2013, 5, 2), QTime(7, 30, 5), "Új címzett");
    }
    QStringList column(int col) { return columnTexts(w->grid()->model(), col); }
    void print() { w->findChild<QAction*>(QStringLiteral("Nyomtat"))->trigger(); }
};

const QString kLineNagy = line("Nagy", "2013.05.02.", "07:30:05", "Új címzett", "0", "Lapora");
const QString kLineNull = line("", "2013.05.02.", "08:00:00", "Lap nyomtatása", "0", "Lapora");
const QString kLineKiss = line("Kiss", "2013.05.03.", "10:00:00", "Adatmentés", "12,5", "számla");

TEST_F(NaploFormTest, ShowsTheLogInDateAndTimeOrderForViewingOnly) {
    threeRows();
    open();
    EXPECT_EQ(w->windowTitle(), u("Napló állomány - Lapora"));
    EXPECT_EQ(w->grid()->caption(), u("Napló állomány (Nem módosítható!)"));
    const QStringList headers{u("Felhasználó"), u("Jelszó"),     u("AkcióDátuma"),       u("AkcióIdeje"),
                              u("Akció"),       u("Path"),       u("JogosultságiSzint"), u("rekordID"),
                              u("Számlaszám"),  u("OkmányTipus")};
    QStringList shown;
    for (int c = 0; c < w->grid()->model()->columnCount(); ++c)
        shown << w->grid()->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(shown, headers);
    EXPECT_EQ(column(4), (QStringList{u("Új címzett"), u("Lap nyomtatása"), u("Adatmentés")}));
    EXPECT_EQ(w->log().position(), 0);
    EXPECT_FALSE(w->grid()->model()->flags(w->grid()->model()->index(0, 4)) & Qt::ItemIsEditable);

    w->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
    EXPECT_FALSE(w->log().isOpen());
}

TEST_F(NaploFormTest, AnEmptyLogPrintsNothingAndSaysNothing) {
    open();
    print();
    EXPECT_TRUE(printer.documents.empty());
    EXPECT_TRUE(printer.orientations.empty());
    EXPECT_EQ(prompter.asked.size(), 0);
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(NaploFormTest, PrintRunsFromTheCursorToTheEndOnce) {
    threeRows();
    open();
    print();
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0], QStringList{kHeader + kLineNagy + kLineNull + kLineKiss});
    EXPECT_EQ(printer.orientations, std::vector<Orientation>{Orientation::Landscape});
    EXPECT_TRUE(w->log().eof());

    print(); // the view stands past its last row now
    EXPECT_EQ(printer.documents.size(), 1u);

    w->grid()->selectRow(1); // the user puts the cursor back: rows above it are left out
    print();
    ASSERT_EQ(printer.documents.size(), 2u);
    EXPECT_EQ(printer.documents[1], QStringList{kHeader + kLineNull + kLineKiss});
    EXPECT_EQ(prompter.asked.size(), 0);
}

TEST_F(NaploFormTest, PrintFollowsTheHeaderSort) {
    threeRows();
    open();
    w->grid()->clickHeader(4); // Akció, ascending
    EXPECT_EQ(column(4), (QStringList{u("Adatmentés"), u("Lap nyomtatása"), u("Új címzett")}));
    w->grid()->selectRow(0);
    print();
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0], QStringList{kHeader + kLineKiss + kLineNull + kLineNagy});

    w->grid()->clickHeader(4); // descending
    w->grid()->selectRow(1);
    print();
    ASSERT_EQ(printer.documents.size(), 2u);
    EXPECT_EQ(printer.documents[1], QStringList{kHeader + kLineNull + kLineKiss});
}

TEST_F(NaploFormTest, APrinterThatIsNotReadyIsReported) {
    threeRows();
    open();
    printer.failing = true;
    prompter.expectMessage(msg::kFigyelem, u("Nincs a nyomtató készenlétben! Ellenőrizze!"), Icon::Error,
                           Buttons::Ok, Answer::Ok);
    print();
    EXPECT_TRUE(printer.documents.empty());
    EXPECT_EQ(prompter.beeps, 2);
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);

    session.printer = nullptr; // no printer at all: the same message, no crash
    w->grid()->selectRow(0);
    prompter.expectMessage(msg::kFigyelem, u("Nincs a nyomtató készenlétben! Ellenőrizze!"), Icon::Error,
                           Buttons::Ok, Answer::Ok);
    print();
}

TEST_F(NaploFormTest, LabelsFitTheirText) {
    threeRows();
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const auto labels = w->findChildren<QLabel*>();
    EXPECT_FALSE(labels.isEmpty());
    for (QLabel* l : labels) {
        SCOPED_TRACE(l->objectName().toStdString());
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
    }
}

} // namespace
