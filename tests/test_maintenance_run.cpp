#include "Clock.h"
#include "Database.h"
#include "MaintenanceRun.h"
#include "RunSupport.h"
#include "ScriptedPrompter.h"
#include "StoreError.h"
#include "Templates.h"
#include "TestRows.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace lapora;
using namespace lapora::test;

namespace {

ScriptedPrompter& expectError(ScriptedPrompter& p, const QString& description, Answer a) {
    return p.expectMessage(QStringLiteral("Hiba!"),
                           QStringLiteral("LPMRep\n") + description + u("\nFolytatja a futtatást?"),
                           Icon::Error, Buttons::YesNo, a);
}

QString sysText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

MaintenanceRun::Outcome runIn(const WorkFolder& wf, ScriptedPrompter& p, RecordingDisplay* shown = nullptr,
                              const QString& templates = test::templateDir()) {
    RecordingDisplay own;
    MaintenanceRun run(p, shown ? *shown : own, wf.path(), templates);
    return run.run();
}

QStringList dataFiles() {
    return {QStringLiteral("lapora.mdb"), QStringLiteral("Parameter.lpb"), QStringLiteral("Regiszt.lpb")};
}

// The lines of a display log from one line up to (not including) the next line that starts with `until`.
QStringList section(const QStringList& log, const QString& from, const QString& until) {
    const int i = log.indexOf(from);
    if (i < 0)
        return {};
    int j = i + 1;
    while (j < log.size() && !log[j].startsWith(until))
        ++j;
    return log.mid(i, j - i);
}

TEST(MaintenanceRun, RenewsEveryFileIntoTheBackupFolderAndBringsTheRowsOver) {
    WorkFolder wf;
    FixedClock clock;
    const QString memo = QString(u("Őszi felülvizsgálat, „A” épület. ")).repeated(1300); // over 40 KB
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
           {{u("Dátum"), Value::date(QDate(2013, 5, 7))},
            {u("Idő"), Value::time(QTime(9, 15, 30))},
            {u("CégNeve"), Value::text(u("Árvíztűrő Tükörfúrógép Kft."))},
            {u("MunkalapSzáma"), Value::text(QStringLiteral("00042"))},
            {u("Szoveg"), Value::text(memo)},
            {u("NettóÁr"), Value::number(18500)},
            {u("ÁFA"), Value::number(27)},
            {u("BruttóÁr"), Value::number(23495)},
            {u("Munkaóra"), Value::number(2.5)}});
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
           {{u("MunkalapSzáma"), Value::text(QStringLiteral("00043"))}});
    addRow(QStringLiteral("lapora.mdb"), u("Címzett"),
           {{u("CimNev"), Value::text(u("Szabó Pékség Bt."))}, {u("recordID"), Value::number(4)}});
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("ÁllandóSzöveg"), Value::text(u("Köszönjük megtisztelő bizalmát!"))},
            {u("KépernyöMérete"), Value::text(QStringLiteral("N"))}});
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"),
           {{u("AkcióDátuma"), Value::date(QDate(2013, 5, 7))},
            {u("AkcióIdeje"), Value::time(QTime(9, 16, 0))},
            {u("Akció"), Value::text(u("Adatmentés"))},
            {u("JogosultságiSzint"), Value::number(0)}});
    const auto before = checksums(wf.path());

    ScriptedPrompter p;
    expectDone(p);
    EXPECT_EQ(runIn(wf, p), MaintenanceRun::Outcome::Finished);
    EXPECT_TRUE(p.done());

    // Every original, byte for byte, and nothing else in the backup folder.
    auto saved = checksums(wf.file(kSave));
    std::map<QString, QByteArray> originals;
    for (const QString& f : dataFiles())
        originals[f] = before.at(f);
    EXPECT_EQ(saved, originals);

    EXPECT_EQ(
        dump(wf.file("lapora.mdb"),
             u("SELECT Dátum, Idő, CégNeve, MunkalapSzáma, length(Szoveg), Szoveg = '") + memo +
                 u("', NettóÁr, ÁFA, BruttóÁr, Munkaóra FROM Laporak ORDER BY rowid")),
        QStringList(
            {u("2013-05-07|09:15:30|Árvíztűrő Tükörfúrógép Kft.|00042|42900|1|18500.0|27.0|23495.0|2.5"),
             u("NULL|NULL|NULL|00043|NULL|NULL|NULL|NULL|NULL|NULL")}));
    EXPECT_EQ(dump(wf.file("lapora.mdb"), u("SELECT CimNev, recordID, VevoKodja FROM Címzett")),
              QStringList({u("Szabó Pékség Bt.|4|NULL")}));
    EXPECT_EQ(dump(wf.file("lapora.mdb"), u("SELECT count(*), min(Országjel) FROM Orszagjel")),
              QStringList({u("47|A")}));
    EXPECT_EQ(dump(wf.file("Parameter.lpb"),
                   u("SELECT ÁllandóSzöveg, KépernyöMérete, FakturoNextPath FROM EmblemaPath")),
              QStringList({u("Köszönjük megtisztelő bizalmát!|N|NULL")}));
    EXPECT_EQ(dump(wf.file("Regiszt.lpb"), u("SELECT AkcióDátuma, AkcióIdeje, Akció FROM Regisztrálás")),
              QStringList({u("2013-05-07|09:16:00|Adatmentés")}));

    // The working folder holds the renewed files under their names, no half-made ones.
    QStringList left = QDir(wf.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, QStringList({QStringLiteral("Parameter.lpb"), QStringLiteral("Regiszt.lpb"), kSave,
                                 QStringLiteral("lapora.lock"), QStringLiteral("lapora.mdb")}));
    for (const QString& f : dataFiles())
        EXPECT_TRUE(test::isSqliteFile(wf.file(f))) << f.toStdString();
}

TEST(MaintenanceRun, ShowsFilesAndTablesWithTheirProgressAndLetsEventsThrough) {
    WorkFolder wf;
    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    ASSERT_EQ(runIn(wf, p, &shown), MaintenanceRun::Outcome::Finished);

    EXPECT_EQ(shown.log.mid(0, 2), QStringList({QStringLiteral("buttons off"), QStringLiteral("pb1 0/3")}));
    EXPECT_EQ(shown.log.last(), QStringLiteral("buttons on"));
    EXPECT_EQ(
        section(shown.log, u("l1 Adatbázis :Parameter.lpb"), QStringLiteral("l1 ")),
        QStringList({u("l1 Adatbázis :Parameter.lpb"), u("events"), u("Label1 "), u("events"), u("pb2 0/1"),
                     u("l2 Tábla :EmblemaPath"), u("events"), u("Label1 Adatok másolása..."), u("events"),
                     u("Label1 "), u("events"), u("pb2 1/1"), u("pb1 2/3"), u("Label1 Adatbázis másolása..."),
                     u("events"), u("Label1 "), u("events")}));
    QStringList tables;
    for (const QString& line : section(shown.log, u("l1 Adatbázis :lapora.mdb"), QStringLiteral("l1 ")))
        if (line.startsWith(QStringLiteral("l2 ")) || line.startsWith(QStringLiteral("pb2 ")))
            tables << line;
    EXPECT_EQ(tables, QStringList({u("pb2 0/6"), u("l2 Tábla :Laporak"), u("pb2 1/6"), u("l2 Tábla :Címzett"),
                                   u("pb2 2/6"), u("l2 Tábla :Orszagjel"), u("pb2 3/6"),
                                   u("l2 Tábla :SzamlaAthozat"), u("pb2 4/6"), u("l2 Tábla :OsszesSzamlaLPM"),
                                   u("pb2 5/6"), u("l2 Tábla :RAKTARKIVET"), u("pb2 6/6")}));
    ASSERT_FALSE(p.pointers.empty());
    EXPECT_EQ(p.pointers.front(), Pointer::Hourglass);
    EXPECT_EQ(p.pointers.back(), Pointer::Arrow);
}

TEST(MaintenanceRun, AMissingFileIsMadeFromItsTemplateWithNoData) {
    WorkFolder wf;
    FixedClock clock;
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"), {{u("Akció"), Value::text(u("Adatmentés"))}});
    ASSERT_TRUE(QFile::remove(wf.file("Regiszt.lpb")));
    ScriptedPrompter p;
    expectDone(p);
    ASSERT_EQ(runIn(wf, p), MaintenanceRun::Outcome::Finished);
    EXPECT_TRUE(test::isSqliteFile(wf.file("Regiszt.lpb")));
    EXPECT_EQ(dump(wf.file("Regiszt.lpb"), u("SELECT count(*) FROM Regisztrálás")), QStringList({u("0")}));
    EXPECT_FALSE(QFile::exists(wf.file(kSave + "/Regiszt.lpb")));
    EXPECT_TRUE(QFile::exists(wf.file(kSave + "/lapora.mdb")));
}

// The rules of the copy, on tables of a file of our own and a template of our own.
TEST(MaintenanceRun, CopiesCommonColumnsByNameAndKeepsTheTableRules) {
    WorkFolder wf;
    FixedClock clock;
    QTemporaryDir templates;
    for (const QString& f : {QStringLiteral("lapora.mdb"), QStringLiteral("Regiszt.lpb")})
        ASSERT_TRUE(QFile::copy(QDir(test::templateDir()).filePath(f), templates.filePath(f)));
    sql(templates.filePath("Parameter.lpb"),
        u("CREATE TABLE NoCommon (y TEXT);"
          "CREATE TABLE Prefilled (v TEXT); INSERT INTO Prefilled VALUES ('sablon');"
          "CREATE TABLE USERS (n TEXT); INSERT INTO USERS VALUES ('sablon felhasználó');"
          "CREATE TABLE BetarolasKitarolas (v TEXT);"
          "CREATE TABLE MSysObjects (v TEXT);"
          "CREATE TABLE Refused (v TEXT CHECK (length(v) < 5));"
          "CREATE TABLE NewOnly (v TEXT); INSERT INTO NewOnly VALUES ('sablon');"
          "CREATE TABLE Keep (B TEXT, a INTEGER, added TEXT DEFAULT 'új');"));
    ASSERT_TRUE(QFile::remove(wf.file("Parameter.lpb")));
    sql(wf.file("Parameter.lpb"),
        u("CREATE TABLE Keep (a INTEGER, b TEXT, dropped TEXT);"
          "INSERT INTO Keep VALUES (1, 'egy', 'x'), (2, 'kettő', 'y');"
          "CREATE TABLE NoCommon (x TEXT); INSERT INTO NoCommon VALUES ('régi');"
          "CREATE TABLE Prefilled (v TEXT); INSERT INTO Prefilled VALUES ('régi 1'), ('régi 2');"
          "CREATE TABLE Users (n TEXT); INSERT INTO Users VALUES ('régi felhasználó');"
          "CREATE TABLE betarolaskitarolas (v TEXT); INSERT INTO betarolaskitarolas VALUES ('régi');"
          "CREATE TABLE MSysObjects (v TEXT); INSERT INTO MSysObjects VALUES ('régi');"
          "CREATE TABLE Refused (v TEXT); INSERT INTO Refused VALUES ('túl hosszú');"
          "CREATE TABLE OldOnly (v TEXT); INSERT INTO OldOnly VALUES ('régi');"));

    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    ASSERT_EQ(runIn(wf, p, &shown, templates.path()), MaintenanceRun::Outcome::Finished);

    struct Case {
        const char* what;
        const char* query;
        QStringList rows;
    };
    const Case cases[] = {
        {"common columns by name, any case and order; dropped one left, new one gets its default",
         "SELECT B, a, added FROM Keep ORDER BY a",
         {u("egy|1|új"), u("kettő|2|új")}},
        {"no column in common", "SELECT * FROM NoCommon", {}},
        {"a table that holds rows keeps them", "SELECT * FROM Prefilled", {u("sablon")}},
        {"an emptied table is emptied, then filled", "SELECT * FROM USERS", {u("régi felhasználó")}},
        {"never copied", "SELECT * FROM BetarolasKitarolas", {}},
        {"system table left alone", "SELECT * FROM MSysObjects", {}},
        {"a refused copy leaves the template's table", "SELECT * FROM Refused", {}},
        {"a table the old file lacks", "SELECT * FROM NewOnly", {u("sablon")}},
        {"a table the new file lacks", "SELECT name FROM sqlite_master WHERE name = 'OldOnly'", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dump(wf.file("Parameter.lpb"), u(c.query)), c.rows) << c.what;

    // The system table is named and counted, but not copied.
    const QStringList part = section(shown.log, u("l2 Tábla :MSysObjects"), QStringLiteral("l2 "));
    EXPECT_EQ(part, QStringList({u("l2 Tábla :MSysObjects"), u("events"), u("pb2 5/8")}));
}

// Two runs in the same second: the backup folder is there already.
TEST(MaintenanceRun, ASecondRunInTheSameSecondAsksAndTouchesNothing) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
        WorkFolder wf;
        FixedClock clock;
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
               {{u("MunkalapSzáma"), Value::text(QStringLiteral("00001"))}});
        ScriptedPrompter first;
        expectDone(first);
        ASSERT_EQ(runIn(wf, first), MaintenanceRun::Outcome::Finished);
        const auto work = checksums(wf.path());
        const auto saved = checksums(wf.file(kSave));

        ScriptedPrompter p;
        expectError(p, u("A mentési mappa nem hozható létre: ") + kSave + " (" + sysText(EEXIST) + ")",
                    answer);
        if (answer == Answer::Yes) {
            // Each file's original cannot be saved there: the file is left as it is.
            for (const QString& f : dataFiles())
                expectError(p,
                            u("A mentési mappában már van ilyen fájl: ") + f + " (" + sysText(EEXIST) + ")",
                            Answer::Yes);
            expectDone(p);
        }
        EXPECT_EQ(runIn(wf, p), answer == Answer::Yes ? MaintenanceRun::Outcome::Finished
                                                      : MaintenanceRun::Outcome::Stopped);
        EXPECT_TRUE(p.done());
        EXPECT_EQ(checksums(wf.path()), work);
        EXPECT_EQ(checksums(wf.file(kSave)), saved);
        EXPECT_EQ(dump(wf.file("lapora.mdb"), u("SELECT MunkalapSzáma FROM Laporak")),
                  QStringList({u("00001")}));
    }
}

TEST(MaintenanceRun, AWorkingFolderWhosePathHoldsABracketIsRenewedToo) {
    WorkFolder outer(false);
    const QString folder = outer.file(u("Munka [2013]"));
    schema::prepareWorkFolder(folder, test::templateDir());
    QDir::setCurrent(folder);
    FixedClock clock;
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
           {{u("MunkalapSzáma"), Value::text(QStringLiteral("00007"))}});
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, folder, test::templateDir());
    EXPECT_EQ(run.run(), MaintenanceRun::Outcome::Finished);
    EXPECT_EQ(dump(QDir(folder).filePath("lapora.mdb"), u("SELECT MunkalapSzáma FROM Laporak")),
              QStringList({u("00007")}));
    QDir::setCurrent(outer.path());
}

// A legacy job-sheet file whose catalog crashes the Jet library: the reader process dies, the run asks its
// error question, and every original file stays as it was in the backup folder.
TEST(MaintenanceRun, LegacyJetFileThatCrashesTheJetLibraryIsTheRunsError) {
    for (const char* damaged : {"corrupt/catalog-map-1.mdb", "corrupt/catalog-map-2.mdb"}) {
        SCOPED_TRACE(damaged);
        WorkFolder wf;
        FixedClock clock;
        ASSERT_TRUE(QFile::remove(wf.file("lapora.mdb")));
        ASSERT_TRUE(QFile::copy(test::testData(u(damaged)), wf.file("LAPORA.MDB")));
        QFile::setPermissions(wf.file("LAPORA.MDB"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const auto before = checksums(wf.path());

        ScriptedPrompter p;
        expectError(p, u("Az adatbázis nem nyitható meg: lapora.mdb (Jet reader: it crashed)"), Answer::Yes);
        expectDone(p);
        EXPECT_EQ(runIn(wf, p), MaintenanceRun::Outcome::Finished);
        EXPECT_TRUE(p.done());
        auto saved = checksums(wf.file(kSave));
        for (const auto& [name, sum] : before)
            EXPECT_EQ(saved[name], sum) << name.toStdString();
    }
}

// Legacy data files from the program's Windows years (Jet 4), dropped into the working folder; the job
// sheets' file with the upper-case name Windows gave it.
TEST(MaintenanceRun, LegacyJetFilesComeOverWithTheirValues) {
    WorkFolder wf(false);
    FixedClock clock;
    const struct {
        const char* from;
        const char* to;
    } legacy[] = {{"legacy/lapora.mdb", "LAPORA.MDB"},
                  {"legacy/Parameter.lpb", "Parameter.lpb"},
                  {"legacy/Regiszt.lpb", "Regiszt.lpb"}};
    for (const auto& l : legacy) {
        ASSERT_TRUE(QFile::copy(test::testData(u(l.from)), wf.file(u(l.to))));
        QFile::setPermissions(wf.file(u(l.to)), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    const auto before = checksums(wf.path());

    ScriptedPrompter p;
    expectDone(p);
    ASSERT_EQ(runIn(wf, p), MaintenanceRun::Outcome::Finished);

    auto saved = checksums(wf.file(kSave));
    EXPECT_EQ(saved.size(), 3u);
    for (const auto& l : legacy)
        EXPECT_EQ(saved[u(l.to)], before.at(u(l.to))) << l.to;
    EXPECT_FALSE(QFile::exists(wf.file("LAPORA.MDB")));
    for (const QString& f : dataFiles())
        EXPECT_TRUE(test::isSqliteFile(wf.file(f))) << f.toStdString();

    const QString mdb = wf.file("lapora.mdb");
    EXPECT_EQ(
        dump(mdb,
             u("SELECT Dátum, Idő, CégNeve, CégSzékhelye, MunkalapSzáma, ElvégzettMunka, "
               "Számlaszám, SzámlaJelleg, NettóÁr, ÁFA, BruttóÁr, Munkaóra FROM Laporak ORDER BY rowid")),
        QStringList({
            u("2012-02-14|08:30:00|Kovács és Társa Kft.|Budapest|00001|Kazán éves "
              "karbantartása|NULL|NULL|18500.0|27.0|23495.0|2.0"),
            u("2012-03-05|09:15:00|Dunántúli Vízművek Zrt.|Pécs|00002|Szivattyú "
              "csere|1001|készpénzes|42000.0|27.0|53340.0|3.5"),
            u("2012-05-21|13:40:00|Balatoni Üdülőszövetkezet|Balatonfüred|00003|Fűtési rendszer "
              "nyomáspróbája|NULL|NULL|15000.0|27.0|19050.0|1.5"),
            u("2012-09-10|07:55:00|Szabó Pékség Bt.|Debrecen|00004|Gázkészülék "
              "felülvizsgálat|NULL|NULL|12000.0|27.0|15240.0|1.0"),
            u("2012-11-06|10:05:00|Kovács és Társa Kft.|Budapest|00005|Keringető szivattyú "
              "cseréje|1187|átutalás|38500.0|27.0|48895.0|2.5"),
            u("2012-12-18|14:20:00|Dunántúli Vízművek Zrt.|Pécs|00006|Garanciális "
              "javítás|NULL|NULL|NULL|NULL|NULL|NULL"),
            u("2013-01-15|08:00:00|Balatoni Üdülőszövetkezet|Balatonfüred|00007|Kazán éves karbantartása (3 "
              "kazán)|NULL|NULL|55500.0|27.0|70485.0|6.0"),
            u("2013-03-04|11:10:00|Szabó Pékség Bt.|Debrecen|00008|Hőcserélő vegyszeres "
              "tisztítása|NULL|NULL|65000.0|27.0|82550.0|4.0"),
            u("2013-02-26|15:45:00|Kovács és Társa Kft.|Budapest|00009|Égőfej "
              "tisztítás|NULL|NULL|9500.0|27.0|12065.0|1.0"),
            u("2013-05-13|09:30:00|Dunántúli Vízművek Zrt.|Pécs|00010|Szivattyú "
              "csere|1250|átutalás|84000.0|27.0|106680.0|5.0"),
            u("2013-09-23|12:00:00|Balatoni Üdülőszövetkezet|Balatonfüred|00011|Radiátorszelepek "
              "cseréje|NULL|NULL|25600.0|27.0|32512.0|3.0"),
            u("2013-11-28|16:05:00|NULL|NULL|00012|NULL|NULL|NULL|NULL|25.0|NULL|NULL"),
        }));
    EXPECT_EQ(dump(mdb, u("SELECT MunkalapSzáma, Szoveg FROM Laporak WHERE MunkalapSzáma IN ('00003', "
                          "'00005', '00011')")),
              QStringList(
                  {u("00003|NULL"),
                   u("00005|Keringető szivattyú cseréje.\r\nA régi szivattyú csapágyhibás volt.\r\n"
                     "Beépítve: Wilo Star-RS 25/6, gyári szám: 0412-3345.\r\nNyomáspróba 2,5 bar, rendben."),
                   u("00011|8 db termosztatikus szelep cseréje az „A” épületben.")}));
    // The main window reads the sheets by its own query, dates and times as it shows them.
    View jobs(Database::open(QStringLiteral("lapora.mdb")),
              u("select * from Laporak order by Dátum, MunkalapSzáma"));
    ASSERT_EQ(jobs.recordCount(), 12);
    jobs.moveFirst();
    EXPECT_EQ(jobs.field(u("Dátum")), Value::date(QDate(2012, 2, 14)));
    EXPECT_EQ(jobs.field(u("Idő")), Value::time(QTime(8, 30)));
    EXPECT_EQ(jobs.field(u("MunkátVégezte")), Value::text(u("Horváth István szerelő")));

    EXPECT_EQ(
        dump(mdb, u("SELECT recordID, CimNev, CimIrszam, CimFax, CimMobil, Kapcsolattartó, CimOrszag, "
                    "SzamlazasIrszama, SzamlazasCime, VevoKodja FROM Címzett ORDER BY rowid")),
        QStringList({u("1|Kovács és Társa Kft.|1117|06-1-365-4121|06-30-912-3456|Kovács Gábor "
                       "ügyvezető|H|1117|Irinyi József u. 42.|NULL"),
                     u("2|Dunántúli Vízművek Zrt.|7621|06-72-512-801|06-30-456-7788|Dr. Pintér Éva műszaki "
                       "vezető|H|7622|Tüzér u. 12.|NULL"),
                     u("3|Balatoni Üdülőszövetkezet|8230|NULL|06-30-654-0987|Fodor Ákos "
                       "gondnok|H|8230|Tagore sétány 3.|NULL"),
                     u("4|Szabó Pékség Bt.|4025|06-52-410-777|NULL|Szabó Ilona|H|4025|Piac u. 20.|NULL"),
                     u("5|Árvíztűrő Tükörfúrógép Kft.|6720|NULL|06-20-345-6789|Ürmös Győző|H|6720|Kárász u. "
                       "11.|NULL")}));
    EXPECT_EQ(dump(mdb, u("SELECT Országjel, Ország FROM Orszagjel ORDER BY rowid")),
              QStringList({u("H|Magyarország"), u("A|Ausztria"), u("D|Németország"), u("SK|Szlovákia"),
                           u("RO|Románia")}));
    EXPECT_EQ(
        dump(mdb,
             u("SELECT Sorszám, Szamlaszam, CegNev, Megnevezes, Brutto, Datumtol, Datumig, Adatfelvetel, "
               "Devizanem, RészÖsszeg, Megjegyzés, recordID, FizetésMódja, Mennyiség FROM SzamlaAthozat "
               "ORDER BY rowid")),
        QStringList(
            {u("1|1001.0|Kovács és Társa Kft.|Kazán éves "
               "karbantartása|23495.0|2013-03-04|2013-03-04|2013-03-04|HUF|0.0|NULL|20135738425,12|"
               "készpénzes|1.0"),
             u("2|1001.0|Kovács és Társa Kft.|Kiszállási "
               "díj|5715.0|2013-03-04|2013-03-04|2013-03-04|HUF|0.0|NULL|20135738425,5|készpénzes|1.0"),
             u("3|1.0|Kiss Autójavító Bt.|Olajszűrő|6223.0|2013-03-11|2013-05-07|2013-05-07||0.0|Raktárból "
               "áthozva|20135741002,75||2.0")}));
    EXPECT_EQ(
        dump(mdb, u("SELECT Rekord, SZAMLASOR, MEGNEVEZES, BRUTTO, TELJ_DATUM, KIEGYENDAT, STORNO, "
                    "MEGJEGYZ1, MEGJEGYZ2, AZAZ "
                    "FROM OsszesSzamlaLPM ORDER BY rowid")),
        QStringList(
            {u("1|1001|Kazán éves karbantartása|23495.0|2013-03-04|2013-03-04|0|NULL|Fizetve készpénzben.|"
               "Huszonkilencezer-kétszáztíz forint"),
             u("2|1001|Kiszállási díj|5715.0|2013-03-04|2013-03-04|0|NULL|Fizetve készpénzben.|"
               "Huszonkilencezer-kétszáztíz forint")}));
    EXPECT_EQ(dump(mdb, u("SELECT Sorszám, MEGNEVEZES, MENNYISEG, AFABESZ, KIDATUM, SZAMLAZVA, Készletezve, "
                          "FolyamatosTelj "
                          "FROM RAKTARKIVET ORDER BY rowid")),
              QStringList({u("1|Olajszűrő|2.0|464.4|2013-03-11|1|1|0"),
                           u("2|Fékbetét készlet első|1.0|2254.5|2013-03-12|1|1|0")}));

    EXPECT_EQ(dump(wf.file("Parameter.lpb"), u("SELECT FakturoNextPath, Evszam, Datumkod, Penznem, "
                                               "TaroloPath, KeverdaPath, Adoszam, AdorakPath, "
                                               "KépernyöMérete, InterfacePath, SorszámKiegészités, "
                                               "EmblemaFajl, ÁllandóSzöveg FROM EmblemaPath")),
              QStringList(
                  {u("C:\\FAKTURO|2013|20130101|HUF|C:\\TAROLOW||13579246-2-13|C:\\ADORAK|N|NULL|/2013|"
                     "C:\\LAPORA\\embléma.bmp|A munkát a megrendelő megelégedésére, szakszerűen elvégeztük. "
                     "Köszönjük megtisztelő bizalmát, és várjuk újabb megrendelését!")}));
    EXPECT_EQ(
        dump(wf.file("Parameter.lpb"), u("SELECT CegAdatok FROM EmblemaPath")),
        QStringList({u("Példa Épületgépészeti Kft., 2040 Budaörs, Szabadság út 117., tel.: 06-23-555-010, "
                       "adószám: 13579246-2-13")}));

    const QString log = wf.file("Regiszt.lpb");
    EXPECT_EQ(
        dump(log,
             u("SELECT count(*), count(DISTINCT Path), min(Path), sum(JogosultságiSzint), sum(Számlaszám), "
               "min(OkmányTipus), max(OkmányTipus), max(length(Felhasználó)), max(length(Jelszó)) FROM "
               "Regisztrálás")),
        QStringList({u("20|1|C:\\LAPORA|0|0.0|Lapora|Lapora|0|0")}));
    const QStringList rows =
        dump(log, u("SELECT AkcióDátuma, AkcióIdeje, Akció, rekordID FROM Regisztrálás ORDER BY rowid"));
    ASSERT_EQ(rows.size(), 20);
    EXPECT_EQ(rows[0], u("2013-03-04|08:02:11|Új adatsor|LaporaX"));
    EXPECT_EQ(rows[8], u("2013-03-05|16:20:00|Képernyőméret változtatása|ParameterFormX"));
    EXPECT_EQ(rows[16], u("2013-03-08|08:16:05|Címzett törlése|CimzettForm"));
    EXPECT_EQ(rows[19], u("2013-03-08|17:02:33|Lap nyomtatása|LaporaX"));
}

} // namespace
