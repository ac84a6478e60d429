#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "Templates.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace lapora;
using lapora::test::templateDir;
using lapora::test::WorkFolder;

namespace {

QStringList names(const std::vector<Column>& cols) {
    QStringList out;
    for (const Column& c : cols)
        out << c.name;
    return out;
}

TEST(Schema, TemplatesHoldTheTablesInStoredOrderAndNoRows) {
    struct Expect {
        const char* file;
        const char* table;
        const char* fields; // space separated, stored order
    };
    const Expect expect[] = {
        {"lapora.mdb", "Laporak",
         "Dátum Idő CégNeve CégSzékhelye CégCime ElvégzettMunka MunkalapSzáma MunkátVégezte Számlaszám "
         "SzámlaJelleg Szoveg NettóÁr ÁFA BruttóÁr Munkaóra"},
        {"lapora.mdb", "Címzett",
         "CimNev CimIrszam CimSzekhely CimCim CimTelefon CimFax CimMobil CimAdoszam CimSzamlaszam recordID "
         "Kapcsolattartó CimOrszag SzamlazasSzekhelye SzamlazasIrszama SzamlazasCime VevoKodja"},
        {"lapora.mdb", "Orszagjel", "Országjel Ország"},
        {"lapora.mdb", "SzamlaAthozat",
         "Sorszám Szamlaszam CegNev CegCim Megnevezes Netto AFA Brutto Datumtol Datumig Adatfelvetel "
         "Devizanem "
         "Kivezetés RészÖsszeg BankiKivonatSzáma BankiKiegyenlitésKelte Megjegyzés recordID FIGYELEM "
         "FigyelemMegjegyzés Részkiegyenlités FizetésMódja RészösszegÖsszesen Teljesités Mennyiség"},
        {"lapora.mdb", "RAKTARKIVET",
         "Sorszám MEGNEVEZES ARUKOD GKTIPUS MENNYISEG MENNY_EGYS NETTO AFA BRUTTO POLCSZAM ITJ VEVONEV "
         "VEVOIRSZ "
         "VEVOSZEKH VEVOCIM VEVOADOSZ BESZERZAR AFABESZ KIDATUM ARRES ENGEDMENY SZAMLAZVA Készletezve "
         "Cikkszám "
         "FolyamatosTelj DevizaÁrfolyam NettoDevizaEgységár Devizanem BruttoDevizaEgységár"},
        {"Parameter.lpb", "EmblemaPath",
         "FakturoNextPath Evszam Datumkod Penznem TaroloPath KeverdaPath Adoszam AdorakPath CegAdatok "
         "KépernyöMérete InterfacePath SorszámKiegészités EmblemaFajl ÁllandóSzöveg"},
        {"Regiszt.lpb", "Regisztrálás",
         "Felhasználó Jelszó AkcióDátuma AkcióIdeje Akció Path JogosultságiSzint rekordID Számlaszám "
         "OkmányTipus"},
    };
    for (const Expect& e : expect) {
        auto db = Database::open(QString::fromUtf8(e.file), templateDir());
        const auto cols = db->columns(QString::fromUtf8(e.table));
        EXPECT_EQ(names(cols).join(' ').toStdString(), e.fields) << e.table;
        EXPECT_EQ(View(db, QString::fromUtf8(e.table)).recordCount(), 0) << e.table;
    }
    auto lap = Database::open(QStringLiteral("lapora.mdb"), templateDir());
    EXPECT_EQ(lap->tableNames(), (QStringList{"Laporak", QString::fromUtf8("Címzett"), "Orszagjel",
                                              "SzamlaAthozat", "OsszesSzamlaLPM", "RAKTARKIVET"}));
    EXPECT_EQ(lap->columns(QStringLiteral("OsszesSzamlaLPM")).size(), 82u);
    // The settings window limits the fields by these sizes, in stored order.
    const auto param = Database::open(QStringLiteral("Parameter.lpb"), templateDir())->columns("EmblemaPath");
    const int sizes[] = {100, 4, 8, 3, 100, 100, 15, 100, 160, 1, 100, 100, 100, 0};
    for (size_t i = 0; i < param.size(); ++i)
        EXPECT_EQ(param[i].size, sizes[i]) << param[i].name.toStdString();
    EXPECT_EQ(param.back().type, ColumnType::LongText);
}

// The declared type and size of every field as the template file stores it, read with SQLite itself.
QString declared(const char* file, const char* table) {
    auto db = Database::open(QString::fromUtf8(file), templateDir());
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "SELECT name, type FROM pragma_table_info(?1)";
    EXPECT_EQ(sqlite3_prepare_v2(db->handle(), sql.constData(), -1, &st, nullptr), SQLITE_OK);
    const QByteArray t = QByteArray(table);
    sqlite3_bind_text(st, 1, t.constData(), -1, SQLITE_TRANSIENT);
    QStringList out;
    while (sqlite3_step(st) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) +
                   QLatin1Char(' ') +
                   QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    return out.join(QStringLiteral(", "));
}

TEST(Schema, EveryFieldHasItsDeclaredTypeAndSize) {
    struct Decl {
        const char* file;
        const char* table;
        const char* fields;
    };
    const Decl decls[] = {
        {"lapora.mdb", "Laporak",
         "Dátum DATE, Idő TIME, CégNeve TEXT(50), CégSzékhelye TEXT(50), CégCime TEXT(50), "
         "ElvégzettMunka TEXT(200), MunkalapSzáma TEXT(5), MunkátVégezte TEXT(50), Számlaszám TEXT(20), "
         "SzámlaJelleg TEXT(20), Szoveg LONGTEXT, NettóÁr REAL, ÁFA REAL, BruttóÁr REAL, Munkaóra REAL"},
        {"lapora.mdb", "Címzett",
         "CimNev TEXT(50), CimIrszam TEXT(6), CimSzekhely TEXT(40), CimCim TEXT(40), CimTelefon TEXT(15), "
         "CimFax TEXT(15), CimMobil TEXT(15), CimAdoszam TEXT(15), CimSzamlaszam TEXT(25), recordID INTEGER, "
         "Kapcsolattartó TEXT(50), CimOrszag TEXT(3), SzamlazasSzekhelye TEXT(40), SzamlazasIrszama TEXT(6), "
         "SzamlazasCime TEXT(40), VevoKodja TEXT(20)"},
        {"lapora.mdb", "Orszagjel", "Országjel TEXT(3), Ország TEXT(50)"},
        {"lapora.mdb", "SzamlaAthozat",
         "Sorszám INTEGER, Szamlaszam REAL, CegNev TEXT(50), CegCim TEXT(100), Megnevezes TEXT(255), "
         "Netto REAL, AFA REAL, Brutto REAL, Datumtol DATE, Datumig DATE, Adatfelvetel DATE, "
         "Devizanem TEXT(3), Kivezetés TEXT(50), RészÖsszeg REAL, BankiKivonatSzáma TEXT(50), "
         "BankiKiegyenlitésKelte DATE, Megjegyzés TEXT(255), recordID TEXT(50), FIGYELEM TEXT(50), "
         "FigyelemMegjegyzés TEXT(255), Részkiegyenlités TEXT(50), FizetésMódja TEXT(20), "
         "RészösszegÖsszesen REAL, Teljesités TEXT(50), Mennyiség REAL"},
        {"Parameter.lpb", "EmblemaPath",
         "FakturoNextPath TEXT(100), Evszam TEXT(4), Datumkod TEXT(8), Penznem TEXT(3), TaroloPath "
         "TEXT(100), "
         "KeverdaPath TEXT(100), Adoszam TEXT(15), AdorakPath TEXT(100), CegAdatok TEXT(160), "
         "KépernyöMérete TEXT(1), InterfacePath TEXT(100), SorszámKiegészités TEXT(100), "
         "EmblemaFajl TEXT(100), ÁllandóSzöveg LONGTEXT"},
        {"Regiszt.lpb", "Regisztrálás",
         "Felhasználó TEXT(50), Jelszó TEXT(50), AkcióDátuma DATE, AkcióIdeje TIME, Akció TEXT(100), "
         "Path TEXT(255), JogosultságiSzint INTEGER, rekordID TEXT(50), Számlaszám REAL, OkmányTipus "
         "TEXT(50)"},
    };
    for (const Decl& d : decls)
        EXPECT_EQ(declared(d.file, d.table).toStdString(), d.fields) << d.table;

    // The collection tables take their types and sizes from the other programs' real files.
    auto tmpl = Database::open(QStringLiteral("lapora.mdb"), templateDir());
    const std::pair<const char*, const char*> collections[] = {{"fakturo/LFAKT.MDB", "ATUTAL"},
                                                               {"tarolo/TAROLO.LPB", "KIVET"}};
    const char* ours[] = {"OsszesSzamlaLPM", "RAKTARKIVET"};
    for (size_t i = 0; i < std::size(ours); ++i) {
        SCOPED_TRACE(ours[i]);
        auto jet = Database::open(lapora::test::testData(QString::fromLatin1(collections[i].first)));
        const auto theirs = jet->columns(QString::fromLatin1(collections[i].second));
        const auto mine = tmpl->columns(QString::fromLatin1(ours[i]));
        ASSERT_EQ(mine.size(), theirs.size());
        for (size_t k = 0; k < mine.size(); ++k) {
            // A Jet date-time column is collected into a date column.
            const ColumnType want =
                theirs[k].type == ColumnType::DateTime ? ColumnType::Date : theirs[k].type;
            EXPECT_EQ(mine[k].type, want) << mine[k].name.toStdString();
            EXPECT_EQ(mine[k].size, theirs[k].size) << mine[k].name.toStdString();
        }
    }
}

TEST(Schema, TheInvoiceCollectionTableMatchesTheInvoicingFilesLayout) {
    // Collection copies by position, so the names must line up with the real files.
    auto jet = Database::open(lapora::test::testData(QStringLiteral("fakturo/LFAKT.MDB")));
    auto tmpl = Database::open(QStringLiteral("lapora.mdb"), templateDir());
    EXPECT_EQ(names(tmpl->columns(QStringLiteral("OsszesSzamlaLPM"))),
              names(jet->columns(QStringLiteral("ATUTAL"))));
    auto kivet = Database::open(lapora::test::testData(QStringLiteral("tarolo/TAROLO.LPB")));
    EXPECT_EQ(names(tmpl->columns(QStringLiteral("RAKTARKIVET"))),
              names(kivet->columns(QStringLiteral("KIVET"))));
}

TEST(Schema, NewWorkingFolderGetsTemplatesAndCountries) {
    WorkFolder wf(false);
    const QStringList made = schema::prepareWorkFolder(wf.path(), templateDir());
    EXPECT_EQ(made.size(), 3);
    View countries(Database::open(QStringLiteral("lapora.mdb")), QStringLiteral("Orszagjel"));
    ASSERT_GE(countries.recordCount(), 40);
    EXPECT_EQ(countries.field(0).asText(), QStringLiteral("H"));
    EXPECT_EQ(countries.field(1).asText(), QString::fromUtf8("Magyarország"));
    EXPECT_TRUE(countries.findFirst(QString::fromUtf8("[Országjel] like \"D\"")));
    EXPECT_EQ(countries.field(1).asText(), QString::fromUtf8("Németország"));
    EXPECT_TRUE(countries.findFirst(QString::fromUtf8("[Országjel] like \"A\"")));
    EXPECT_EQ(countries.field(1).asText(), QString::fromUtf8("Ausztria"));
}

TEST(Schema, NeverOverwritesAnExistingDataFile) {
    WorkFolder wf(false);
    // The user's own file, in another letter case: left alone, the missing ones are added.
    {
        QFile f(wf.file(QStringLiteral("REGISZT.LPB")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a felhasználó saját adata");
    }
    const QStringList made = schema::prepareWorkFolder(wf.path(), templateDir());
    EXPECT_EQ(made.size(), 2);
    QFile f(wf.file(QStringLiteral("REGISZT.LPB")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("a felhasználó saját adata"));
    EXPECT_FALSE(
        QDir(wf.path()).entryList(QDir::Files).contains(QStringLiteral("Regiszt.lpb"))); // no second copy
    EXPECT_TRUE(schema::prepareWorkFolder(wf.path(), templateDir()).isEmpty());
    EXPECT_THROW(
        schema::prepareWorkFolder(wf.path() + QStringLiteral("/uj"), wf.path() + QStringLiteral("/nincs")),
        StoreError);
}

} // namespace
