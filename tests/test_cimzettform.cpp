#include "CimzettForm.h"
#include "DataGrid.h"
#include "Database.h"
#include "LaporaX.h"
#include "NullSafe.h"
#include "View.h"
#include "WindowTest.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kCompanies = u("Címzett");

// A company; a null name is stored as Null.
void addCompany(const char* name, Fields more = {}) {
    if (name)
        more[u("CimNev")] = Value::text(u(name));
    addRow(QStringLiteral("lapora.mdb"), kCompanies, more);
}

// The names as stored, in table order; Null shows as "<null>".
QStringList storedNames() {
    View v(Database::open(QStringLiteral("lapora.mdb")), kCompanies);
    QStringList out;
    for (int i = 0; i < v.recordCount(); ++i) {
        const Value n = v.valueAt(i, 0);
        out << (n.isNull() ? QStringLiteral("<null>") : n.asText());
    }
    return out;
}

Value stored(int row, const char* field) {
    return storedValue(QStringLiteral("lapora.mdb"), kCompanies, row, u(field));
}

QStringList logActions() {
    return loggedActions(QStringLiteral("CimzettForm"));
}

class CimzettFormTest : public WindowTest<CimzettForm> {
protected:
    CimzettForm& make() {
        w = std::make_unique<CimzettForm>(session);
        return *w;
    }
    CimzettForm& open() {
        make();
        w->activate();
        return *w;
    }
    void expectExitQuestion(Answer a) {
        prompter.expectMessage(u("FIGYELEM! Ellenőrzés és hibása adatok törlése!"),
                               u("Kéri az adatok teljes ellenőrzését?"), Icon::Question, Buttons::YesNo, a);
    }
    void expectDeleteQuestion(Answer a) {
        prompter.expectMessage(u("FIGYELEM! Címzett vagy vevő visszavonhatatlan törlése!"),
                               u("Biztosan TÖRLI a kijelölt adatot?"), Icon::Question, Buttons::YesNo, a);
    }

    QLineEdit* text(int n) { return child<QLineEdit>(QStringLiteral("Text%1").arg(n)); }
    DataGrid* grid(const char* name) { return child<DataGrid>(name); }
    QString current(const char* field) { return NullText(w->companies().field(u(field))); }
    QStringList gridColumn(DataGrid* g, int col) { return columnTexts(g->viewModel(), col); }
};

// ---- opening, new company, serials ------------------------------------------------------------------------

TEST_F(CimzettFormTest, AnEmptyTableOpensOnANewBlankCompanyThatTheExitCheckRemovesAgain) {
    open();
    EXPECT_EQ(storedNames(), QStringList{QString()}); // an empty text, not Null
    EXPECT_EQ(stored(0, "recordID").asNumber(), 1.0);
    EXPECT_EQ(text(1)->text(), QStringLiteral("1"));
    EXPECT_TRUE(text(2)->text().isEmpty());
    EXPECT_EQ(w->focusWidget(), text(2));
    EXPECT_TRUE(grid("DBGrid2")->isHidden());
    EXPECT_EQ(logActions(), QStringList{u("Új címzett")});
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);

    expectExitQuestion(Answer::Yes);
    child<QAction>(QStringLiteral("Kilepes"))->trigger();
    EXPECT_TRUE(storedNames().isEmpty());
    EXPECT_EQ(logActions(), (QStringList{u("Új címzett"), u("Automata ell. törléssel")}));
    EXPECT_FALSE(w->quitFlag());
}

TEST_F(CimzettFormTest, OpeningStandsOnTheLastCompany) {
    addCompany("Alfa");
    addCompany("Béta");
    open();
    EXPECT_EQ(current("CimNev"), u("Béta"));
    EXPECT_EQ(text(2)->text(), u("Béta"));
    EXPECT_TRUE(logActions().isEmpty());
    EXPECT_EQ(prompter.asked.size(), 0);
}

TEST_F(CimzettFormTest, SerialOfANewCompany) {
    struct Case {
        int companies;
        bool deleteOne;
        int serial;
    };
    const Case cases[] = {{1, false, 1}, {2, false, 3}, {3, true, 3}, {5, false, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.companies);
        WorkFolder folder;
        for (int i = 0; i < c.companies; ++i)
            addRow(QStringLiteral("lapora.mdb"), kCompanies,
                   {{u("CimNev"), Value::text(QStringLiteral("C%1").arg(i))},
                    {u("recordID"), Value::number(i + 1)}});
        open();
        if (c.deleteOne) {
            expectDeleteQuestion(Answer::Yes);
            w->deleteCompany();
        }
        child<QAction>(QStringLiteral("UjAdat"))->trigger();
        const int last = c.companies - (c.deleteOne ? 1 : 0);
        EXPECT_EQ(stored(last, "recordID").asNumber(), c.serial);
        EXPECT_EQ(w->companies().position(), last);
        EXPECT_EQ(text(1)->text(), QString::number(c.serial));
        EXPECT_EQ(w->focusWidget(), text(2));
        EXPECT_EQ(logActions().last(), u("Új címzett"));
        w.reset();
    }
}

TEST_F(CimzettFormTest, NewCompanyKeepsWhatWasTypedInTheRowItLeaves) {
    addCompany("Alfa");
    open();
    text(4)->setText(u("Eger"));
    w->newCompany();
    EXPECT_EQ(stored(0, "CimSzekhely").asText(), u("Eger"));
    EXPECT_TRUE(text(4)->text().isEmpty());
}

// ---- "OK" -------------------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, OkWritesTheTypedFieldsAndStaysOnTheRow) {
    addCompany("Alfa");
    addCompany("Béta");
    addCompany("Gamma");
    open();
    grid("DBGrid1")->selectRow(1);
    text(2)->clear();
    type(text(2), u("Béta Kft."));
    type(text(6), QStringLiteral("0612345"));
    type(text(15), u("VK-ő1"));
    child<QPushButton>(QStringLiteral("Command4"))->click();
    EXPECT_EQ(storedNames(), (QStringList{u("Alfa"), u("Béta Kft."), u("Gamma")}));
    EXPECT_EQ(stored(1, "CimTelefon").asText(), QStringLiteral("0612345"));
    EXPECT_EQ(stored(1, "VevoKodja").asText(), u("VK-ő1"));
    EXPECT_EQ(w->companies().position(), 1);
    EXPECT_EQ(text(2)->text(), u("Béta Kft."));
    EXPECT_EQ(logActions(), QStringList{u("Címzett javítása")});
}

TEST_F(CimzettFormTest, OkOnAnEmptyTableBeepsAndAddsACompany) {
    make(); // not activated: the table stays empty
    w->commit();
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_EQ(storedNames(), QStringList{QString()});
    EXPECT_EQ(logActions(), QStringList{u("Új címzett")});
}

// ---- delete -----------------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, DeleteAsksAndMovesOn) {
    for (const char* n : {"A", "B", "C"})
        addCompany(n);
    open();
    grid("DBGrid1")->selectRow(1);
    expectDeleteQuestion(Answer::No);
    child<QAction>(QStringLiteral("CimzettTorol"))->trigger();
    EXPECT_EQ(storedNames(), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(logActions().isEmpty());

    expectDeleteQuestion(Answer::Yes);
    w->deleteCompany();
    EXPECT_EQ(storedNames(), (QStringList{"A", "C"}));
    EXPECT_EQ(current("CimNev"), QStringLiteral("C"));
    EXPECT_EQ(text(2)->text(), QStringLiteral("C"));

    // The last row deleted: the new last row is current.
    expectDeleteQuestion(Answer::Yes);
    w->deleteCompany();
    EXPECT_EQ(current("CimNev"), QStringLiteral("A"));
    EXPECT_EQ(logActions(), (QStringList{u("Címzett törlése"), u("Címzett törlése")}));
}

TEST_F(CimzettFormTest, DeletingTheLastCompany) {
    for (const Answer a : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(a == Answer::Yes ? "Yes" : "No");
        WorkFolder folder;
        addCompany("Egyetlen");
        open();
        w->show();
        expectDeleteQuestion(Answer::Yes);
        prompter.expectMessage(u("FIGYELEM! Ha nem kér, kilép!"),
                               u("Minden adat törölve (Deleted All)! Kér új adatot (New)?"), Icon::Question,
                               Buttons::YesNo, a);
        w->deleteCompany();
        if (a == Answer::Yes) {
            EXPECT_EQ(storedNames(), QStringList{QString()});
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(logActions(), (QStringList{u("Címzett törlése"), u("Új címzett")}));
        } else {
            // No company left: no exit question, the register closes.
            EXPECT_TRUE(storedNames().isEmpty());
            EXPECT_FALSE(w->isVisible());
            EXPECT_FALSE(w->quitFlag());
            EXPECT_EQ(logActions(), QStringList{u("Címzett törlése")});
        }
        EXPECT_TRUE(prompter.done());
        w.reset();
    }
}

// ---- exit -------------------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, ExitCheckRemovesNamelessCompaniesOnlyOnYes) {
    for (const Answer a : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(a == Answer::Yes ? "Yes" : "No");
        WorkFolder folder;
        addCompany("Alfa");
        addCompany(nullptr);
        addCompany("");
        addCompany("   ");
        addCompany(nullptr);
        addCompany("Béta");
        open();
        expectExitQuestion(a);
        w->saveAndExit();
        if (a == Answer::Yes) {
            EXPECT_EQ(storedNames(), (QStringList{u("Alfa"), u("   "), u("Béta")}));
            EXPECT_EQ(logActions(), QStringList(3, u("Automata ell. törléssel")));
        } else {
            EXPECT_EQ(storedNames().size(), 6);
            EXPECT_TRUE(logActions().isEmpty());
        }
        EXPECT_FALSE(w->companies().isOpen());
        EXPECT_FALSE(w->countries().isOpen());
        EXPECT_FALSE(w->logView().isOpen());
        w.reset();
    }
}

TEST_F(CimzettFormTest, ClosingByTheFrameAsksOnceUnlessTheFlagIsCleared) {
    addCompany("Alfa");
    open();
    w->show();
    text(3)->setText(QStringLiteral("3300"));
    expectExitQuestion(Answer::No);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_FALSE(w->quitFlag());
    EXPECT_EQ(stored(0, "CimIrszam").asText(), QStringLiteral("3300")); // written before leaving

    WorkFolder folder;
    addCompany("Alfa");
    open();
    w->show();
    w->SetQui(false);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(w->companies().isOpen());
}

// ---- keys, limits, focus ----------------------------------------------------------------------------------

TEST_F(CimzettFormTest, DigitsOnlyFieldsRefuseEveryOtherTypedCharacterWithABeep) {
    addCompany("Alfa");
    open();
    for (int n : {6, 7, 8, 9, 10}) {
        SCOPED_TRACE(n);
        QLineEdit* e = text(n);
        e->clear();
        const int before = prompter.beeps;
        type(e, u("1a 2-é3"));
        QTest::keyClick(e, Qt::Key_Return); // a control character
        EXPECT_EQ(e->text(), QStringLiteral("123"));
        EXPECT_EQ(prompter.beeps - before, 5);
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClick(e, Qt::Key_Left); // moves type nothing
        EXPECT_EQ(e->text(), QStringLiteral("12"));
        EXPECT_EQ(prompter.beeps - before, 5);
        // The rule is for typing: the program's own texts go in as they are.
        e->setText(QStringLiteral("06-1 234"));
        EXPECT_EQ(e->text(), QStringLiteral("06-1 234"));
    }
    // The other fields take any key.
    const int before = prompter.beeps;
    for (int n : {2, 3, 4, 5, 11, 12, 13, 14, 15}) {
        text(n)->clear();
        type(text(n), u("A-1 ő"));
        EXPECT_EQ(text(n)->text(), u("A-1 ő")) << n;
    }
    EXPECT_EQ(prompter.beeps, before);
}

TEST_F(CimzettFormTest, FieldsTakeNoMoreThanTheirLimitFromTheKeyboard) {
    addCompany("Alfa");
    open();
    const std::pair<int, int> limits[] = {{2, 50}, {3, 6},   {4, 40},  {5, 40},  {6, 15}, {7, 15},  {8, 15},
                                          {9, 15}, {10, 25}, {11, 50}, {12, 40}, {13, 6}, {14, 40}, {15, 20}};
    for (const auto& [n, limit] : limits) {
        SCOPED_TRACE(n);
        text(n)->clear();
        QTest::keyClicks(text(n), QString(limit + 3, QLatin1Char('7')));
        EXPECT_EQ(text(n)->text().size(), limit);
    }
    // The serial is the program's: it takes no typing.
    EXPECT_TRUE(text(1)->isReadOnly());
}

TEST_F(CimzettFormTest, FocusColourSelectAllOnClickAndTheGridsBackground) {
    addCompany("Alfa", {{u("CimIrszam"), Value::text(QStringLiteral("1117"))}});
    open();
    const QColor cyan(128, 255, 255);
    const auto base = [](QWidget* x) { return x->palette().color(QPalette::Base); };
    for (int n = 2; n <= 15; ++n) {
        SCOPED_TRACE(n);
        w->fields().focusIn(text(n));
        EXPECT_EQ(base(text(n)), cyan);
        w->fields().focusOut(text(n));
        EXPECT_EQ(base(text(n)), QApplication::palette(text(n)).color(QPalette::Base));
    }
    const QColor before = base(text(1));
    w->fields().focusIn(text(1));
    EXPECT_EQ(base(text(1)), before);

    for (const char* name : {"DBGrid1", "DBGrid2"}) {
        SCOPED_TRACE(name);
        DataGrid* g = grid(name);
        EXPECT_EQ(base(g), QColor(255, 255, 192));
        EXPECT_EQ(g->editTriggers(), QAbstractItemView::NoEditTriggers);
        w->fields().focusIn(g);
        EXPECT_EQ(base(g), cyan);
        w->fields().focusOut(g);
        EXPECT_EQ(base(g), QApplication::palette(g).color(QPalette::Base));
    }

    // A click in the postal code selects all of it; in the name it only places the cursor.
    QTest::mouseClick(text(3), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(text(3)->selectedText(), QStringLiteral("1117"));
    QTest::mouseClick(text(2), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_FALSE(text(2)->hasSelectedText());
}

// ---- searches ---------------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, NameSearchFindsTheFirstNameBeginningWithTheText) {
    for (const char* n :
         {"Olajos Bt.", "Öntöde Zrt.", "abc Kft.", "Abroncs Kft.", "Ábel és Társa", "Zeta \"Z\" Kft."})
        addCompany(n);
    open();
    struct Case {
        const char* answer;
        const char* found;
    };
    const Case cases[] = {
        {"ab", "abc Kft."},  {"AB", "abc Kft."},     {"abr", "Abroncs Kft."},         {"öNT", "Öntöde Zrt."},
        {"o", "Olajos Bt."}, {"á", "Ábel és Társa"}, {"Zeta \"Z", "Zeta \"Z\" Kft."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        w->companies().moveLast();
        prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég nevét:"), u(c.answer));
        w->searchName();
        EXPECT_EQ(current("CimNev"), u(c.found));
        EXPECT_EQ(text(2)->text(), u(c.found));
    }
    // After a descending sort the first match in the view's order is another one.
    grid("DBGrid1")->clickHeader(0);
    grid("DBGrid1")->clickHeader(0);
    prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég nevét:"), QStringLiteral("ab"));
    w->searchName();
    EXPECT_EQ(current("CimNev"), u("Abroncs Kft."));
}

TEST_F(CimzettFormTest, NameSearchMissEmptyAndCancel) {
    for (const char* n : {"Alfa", "Béta", "Gamma"})
        addCompany(n);
    open();
    prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég nevét:"), QStringLiteral("x"));
    prompter.expectMessage(QStringLiteral("Lapora"),
                           u("Nincs ilyen cég! Keressen újra, vagy válasszon a listából!"), Icon::None,
                           Buttons::Ok, Answer::Ok);
    const int beeps = prompter.beeps;
    // A click on the search label starts it.
    QTest::mouseClick(child<QLabel>(QStringLiteral("keres")), Qt::LeftButton);
    EXPECT_EQ(prompter.beeps, beeps + 1);
    EXPECT_EQ(current("CimNev"), u("Alfa"));

    for (const std::optional<QString>& answer :
         {std::optional<QString>(QString()), std::optional<QString>()}) {
        w->companies().moveLast();
        prompter.expectInput(u("Keresés (cég)névre"), u("Kérem a cég nevét:"), answer);
        w->searchName();
        EXPECT_EQ(current("CimNev"), u("Gamma"));
    }
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

TEST_F(CimzettFormTest, CountrySearchShowsTheListAndAPickSetsTheSign) {
    addCompany("Alfa");
    addCompany("Béta");
    open();
    DataGrid* list = grid("DBGrid2");
    EXPECT_EQ(list->toolTip(), u("Dupla kattintással válasszon!"));

    // Cancel and an empty answer leave the list hidden.
    for (const std::optional<QString>& answer :
         {std::optional<QString>(), std::optional<QString>(QString())}) {
        prompter.expectInput(u("Keresés országra"), u("Kérem az ország nevét:"), answer);
        child<QPushButton>(QStringLiteral("Command1"))->click();
        EXPECT_TRUE(list->isHidden());
    }

    prompter.expectInput(u("Keresés országra"), u("Kérem az ország nevét:"), u("ném"));
    w->searchCountry();
    EXPECT_FALSE(list->isHidden());
    EXPECT_EQ(NullText(list->currentValue(1)), u("Németország"));

    // What is typed in the row goes in with the sign.
    type(text(4), u("Győr"));
    emit list->rowActivated(list->currentIndex().row());
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(stored(1, "CimOrszag").asText(), QStringLiteral("D"));
    EXPECT_EQ(stored(1, "CimSzekhely").asText(), u("Győr"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label14"))->text(), QStringLiteral("D"));
    EXPECT_FALSE(w->fields().hasPendingEdits());

    // A miss warns and shows the list on the first country.
    prompter.expectInput(u("Keresés országra"), u("Kérem az ország nevét:"), QStringLiteral("Atlantisz"));
    prompter.expectMessage(msg::kFigyelem, u("Nincs ilyen ország! Keressen újra, vagy válasszon a listából!"),
                           Icon::Exclamation, Buttons::Ok, Answer::Ok);
    w->searchCountry();
    EXPECT_FALSE(list->isHidden());
    EXPECT_EQ(w->countries().position(), 0);
    w->pickCountry();
    EXPECT_EQ(stored(1, "CimOrszag").asText(), QStringLiteral("H"));
    EXPECT_TRUE(logActions().isEmpty());
}

TEST_F(CimzettFormTest, ALockedRowAtThePickIsReportedAndTheListStaysOpen) {
    addCompany("Alfa");
    open();
    prompter.expectInput(u("Keresés országra"), u("Kérem az ország nevét:"), u("Ausz"));
    w->searchCountry();
    type(text(5), u("Fő u. 1."));

    // Another connection holds a write transaction on the file.
    auto other = Database::open(QStringLiteral("lapora.mdb"));
    other->executeRaw(QStringLiteral("BEGIN IMMEDIATE"));
    other->executeRaw(u("UPDATE Címzett SET CimFax = '1'"));
    prompter.expectMessage(msg::kFigyelem, u("Az adat jelenleg zárolt! Próbálja újra!"), Icon::Exclamation,
                           Buttons::Ok, Answer::Ok);
    const int beeps = prompter.beeps;
    w->pickCountry();
    EXPECT_EQ(prompter.beeps, beeps + 1);
    EXPECT_FALSE(grid("DBGrid2")->isHidden());
    EXPECT_EQ(text(5)->text(), u("Fő u. 1.")); // still on screen, still to be written
    EXPECT_TRUE(w->fields().hasPendingEdits());
    other->executeRaw(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(stored(0, "CimOrszag").isNull());

    // The user tries again.
    w->pickCountry();
    EXPECT_TRUE(grid("DBGrid2")->isHidden());
    EXPECT_EQ(stored(0, "CimOrszag").asText(), QStringLiteral("A"));
    EXPECT_EQ(stored(0, "CimCim").asText(), u("Fő u. 1."));
}

// ---- header sorting ---------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, HeaderClicksSortEachGridWithItsOwnCounter) {
    for (const char* n : {"B", "C", "A"})
        addCompany(n);
    open();
    DataGrid* g1 = grid("DBGrid1");
    DataGrid* g2 = grid("DBGrid2");
    const QStringList asc{"A", "B", "C"}, desc{"C", "B", "A"};
    g1->clickHeader(0);
    EXPECT_EQ(gridColumn(g1, 0), asc);
    g1->clickHeader(0);
    EXPECT_EQ(gridColumn(g1, 0), desc);
    g1->clickHeader(0);
    EXPECT_EQ(gridColumn(g1, 0), asc);
    EXPECT_EQ(w->companies().sortText(), QStringLiteral("CimNev"));

    // The country list counts its own clicks.
    for (int i = 0; i < 4; ++i)
        g2->clickHeader(1);
    EXPECT_EQ(g2->headerSort().counter(), 4);
    EXPECT_EQ(g1->headerSort().counter(), 3);

    for (int i = 4; i <= 8; ++i)
        g1->clickHeader(2);
    g1->clickHeader(0); // the ninth: CimNev ascending
    EXPECT_EQ(gridColumn(g1, 0), asc);
    g1->clickHeader(0); // the tenth starts from the table's order and sorts ascending, not descending
    EXPECT_EQ(gridColumn(g1, 0), asc);
    EXPECT_EQ(g1->headerSort().counter(), 0);
    EXPECT_EQ(g2->headerSort().counter(), 4);
}

// ---- layout -----------------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, TheWindowCarriesItsCaptionsNamesAndMenus) {
    addCompany("Alfa");
    open();
    EXPECT_EQ(w->objectName(), QStringLiteral("CimzettForm"));
    EXPECT_EQ(w->windowTitle(), u("Cégek - vállalkozók adatainak törzse - Lapora"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("keres"))->text(),
              u("<                  Keresés (cég)névre                   >"));
    EXPECT_EQ(child<QPushButton>(QStringLiteral("Command4"))->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(QStringLiteral("Command1"))->text(), u("Ország"));
    EXPECT_EQ(
        child<QWidget>(QStringLiteral("Cimzett"))->findChild<QLabel*>(QStringLiteral("Caption"))->text(),
        QString(23, QLatin1Char(' ')) + u("CÉGEK-VÁLLALKOZÓK - Mozgás a táblában"));

    // Each field with the label on its row and its alignment.
    struct Field {
        int text;
        int label;
        const char* caption;
        bool centred;
    };
    const Field fields[] = {{2, 1, "Név:", false},
                            {3, 2, "Postai irányítószám:", true},
                            {4, 3, "Székhely:", false},
                            {5, 4, "Cím:", false},
                            {6, 5, "Telefon:", true},
                            {7, 6, "FAX:", true},
                            {8, 7, "Mobil:", true},
                            {9, 8, "Adószám:", true},
                            {10, 9, "Banki számlaszám:", true},
                            {1, 10, "Azonosító sorszám:", true},
                            {11, 11, "Kapcsolattartó neve:", false},
                            {14, 15, "Címe:", false},
                            {15, 16, "Vevő kódja:", false}};
    for (const Field& f : fields) {
        SCOPED_TRACE(f.text);
        QLabel* l = child<QLabel>(QStringLiteral("Label%1").arg(f.label));
        EXPECT_EQ(l->text(), u(f.caption));
        EXPECT_LT(std::abs(l->geometry().center().y() - text(f.text)->geometry().center().y()), 4);
        EXPECT_LT(l->geometry().right(), text(f.text)->geometry().left());
        EXPECT_EQ(bool(text(f.text)->alignment() & Qt::AlignHCenter), f.centred);
    }
    // The country sign beside its label; the billing seat and postal code under theirs.
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label12"))->text(), u("Ország jelzése:"));
    EXPECT_LT(std::abs(child<QLabel>(QStringLiteral("Label12"))->geometry().center().y() -
                       child<QLabel>(QStringLiteral("Label14"))->geometry().center().y()),
              4);
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label13"))->text(),
              u("Számlázási cím székhelye, irányítószáma:"));
    for (int n : {12, 13})
        EXPECT_LT(child<QLabel>(QStringLiteral("Label13"))->geometry().bottom(), text(n)->geometry().top());
    EXPECT_TRUE(text(1)->font().bold());

    // Every caption shows whole.
    w->show();
    QCoreApplication::processEvents();
    for (QLabel* l : w->findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue;
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width())
            << l->objectName().toStdString();
    }
    for (QPushButton* b : w->findChildren<QPushButton*>())
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width())
            << b->objectName().toStdString();

    QStringList columns;
    for (int i = 0; i < grid("DBGrid1")->viewModel()->columnCount(); ++i)
        columns << grid("DBGrid1")->viewModel()->column(i).caption + QLatin1Char('=') +
                       grid("DBGrid1")->viewModel()->column(i).field;
    const QStringList names{u("CimNev"),
                            u("CimIrszam"),
                            u("CimSzekhely"),
                            u("CimCim"),
                            u("CimTelefon"),
                            u("CimFax"),
                            u("CimMobil"),
                            u("CimAdoszam"),
                            u("CimSzamlaszam"),
                            u("recordID"),
                            u("Kapcsolattartó"),
                            u("CimOrszag"),
                            u("SzamlazasSzekhelye"),
                            u("SzamlazasIrszama"),
                            u("SzamlazasCime"),
                            u("VevoKodja")};
    QStringList expected;
    for (const QString& n : names)
        expected << n + QLatin1Char('=') + n;
    EXPECT_EQ(columns, expected);
    EXPECT_EQ(grid("DBGrid2")->viewModel()->column(0).field, u("Országjel"));
    EXPECT_EQ(grid("DBGrid2")->viewModel()->column(1).field, u("Ország"));
    // The company grid stands right of the fields.
    EXPECT_GT(grid("DBGrid1")->x(), text(2)->geometry().right());

    QStringList items;
    for (QAction* top : w->menuBar()->actions()) {
        items << top->objectName() + QLatin1Char('=') + top->text();
        if (QMenu* m = top->menu()) {
            items.last() = m->objectName() + QLatin1Char('=') + top->text();
            for (QAction* a : m->actions())
                items << (a->isSeparator() ? QStringLiteral("-")
                                           : a->objectName() + QLatin1Char('=') + a->text());
        }
    }
    EXPECT_EQ(items, (QStringList{u("CimzettAdatkezel=&Adatkezelés"), u("UjAdat=Új cég-vállalkozó"), "-",
                                  u("CimzettTorol=Törlés"), "-", u("Kilepes=Mentés-Kilépés"),
                                  u("CimzettNyom=&Nyomtatás")}));
}

// ---- store failures ---------------------------------------------------------------------------------------

TEST_F(CimzettFormTest, RefusedWritesAreReportedAndLoseNothing) {
    addCompany("Alfa");
    addCompany("Béta");
    open();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    const auto block = [&](const char* what) {
        blocker->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE %1 ON Címzett "
                                           "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                                .arg(QString::fromLatin1(what)));
    };
    const auto unblock = [&] { blocker->executeRaw(QStringLiteral("DROP TRIGGER block")); };

    // "OK": nothing logged, the text stays.
    block("UPDATE");
    text(2)->setText(u("Béta Kft."));
    expectRefused();
    w->commit();
    EXPECT_EQ(text(2)->text(), u("Béta Kft."));
    // A grid click may not leave the row either.
    prompter.expectMessage(msg::kFigyelem, msg::kLepesHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    grid("DBGrid1")->selectRow(0);
    EXPECT_EQ(w->companies().position(), 1);
    // Leaving keeps the window open with the text.
    expectRefused();
    w->saveAndExit();
    EXPECT_TRUE(w->quitFlag());
    EXPECT_TRUE(w->companies().isOpen());
    EXPECT_EQ(text(2)->text(), u("Béta Kft."));
    unblock();
    w->commit();
    EXPECT_EQ(stored(1, "CimNev").asText(), u("Béta Kft."));
    EXPECT_EQ(logActions(), QStringList{u("Címzett javítása")});

    // A failing append adds nothing and logs nothing.
    block("INSERT");
    prompter.expectMessage(msg::kFigyelem, msg::kUjSorHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    w->newCompany();
    EXPECT_EQ(storedNames().size(), 2);
    EXPECT_EQ(w->companies().recordCount(), 2);
    unblock();

    // A locked row at "Törlés" stays.
    block("DELETE");
    expectDeleteQuestion(Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, msg::kTorlesHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    w->deleteCompany();
    EXPECT_EQ(storedNames().size(), 2);
    EXPECT_EQ(text(2)->text(), u("Béta Kft."));
    EXPECT_EQ(logActions(), QStringList{u("Címzett javítása")});
    unblock();
}

// ---- with the main window ---------------------------------------------------------------------------------

TEST_F(CimzettFormTest, TheMainWindowOpensTheRegisterAndShowsItsChangesAfter) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"), {{u("Dátum"), Value::date(kToday)}});
    addCompany("Alfa");
    session.endProgram = [] {};
    LaporaX main(session);
    expectNewRowQuestion(prompter);
    main.activate();
    main.show();
    bool hiddenMeanwhile = false;
    modal.on(QStringLiteral("CimzettForm"), [&](QWidget* window) {
        auto* reg = qobject_cast<CimzettForm*>(window);
        ASSERT_NE(reg, nullptr);
        hiddenMeanwhile = !main.isVisible();
        reg->activate(); // as when it comes on screen
        reg->newCompany();
        type(reg->findChild<QLineEdit*>(QStringLiteral("Text2")), u("Új Cég Kft."));
        prompter.expectInput(u("Keresés országra"), u("Kérem az ország nevét:"), u("Magyar"));
        reg->searchCountry();
        reg->pickCountry();
        expectExitQuestion(Answer::Yes);
        reg->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
    });
    main.findChild<QAction*>(QStringLiteral("LPCeg"))->trigger();
    EXPECT_EQ(modal.shown, QStringList{"CimzettForm"});
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(storedNames(), (QStringList{u("Alfa"), u("Új Cég Kft.")}));
    // The main window's company grid shows the new company, current as the last one.
    EXPECT_EQ(main.companies().recordCount(), 2);
    EXPECT_EQ(NullText(main.companies().field(u("CimNev"))), u("Új Cég Kft."));
    EXPECT_EQ(NullText(main.companies().field(u("CimOrszag"))), QStringLiteral("H"));
    auto* g = main.findChild<DataGrid*>(QStringLiteral("DBGrid1"));
    EXPECT_EQ(g->viewModel()->rowCount(), 2);
    EXPECT_EQ(g->currentIndex().row(), 1);
    EXPECT_EQ(g->viewModel()->index(1, 0).data().toString(), u("Új Cég Kft."));
    EXPECT_EQ(logActions(), QStringList{u("Új címzett")});
}

} // namespace
