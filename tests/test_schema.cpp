#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "Templates.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>

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
