#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace lapora;
using lapora::test::testData;
using lapora::test::WorkFolder;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(Database, FindsDataFilesWithoutRegardToCase) {
    WorkFolder wf;
    for (const char* name : {"regiszt.lpb", "REGISZT.LPB", "Regiszt.lpb"}) {
        const QString p = Database::resolve(QString::fromUtf8(name));
        EXPECT_EQ(QFileInfo(p).fileName(), QStringLiteral("Regiszt.lpb")) << name;
    }
    auto db = Database::open(QStringLiteral("PARAMETER.LPB"));
    EXPECT_FALSE(db->isJet());
    EXPECT_TRUE(db->tableName(QStringLiteral("emblemapath")));
    // A full path works too.
    EXPECT_NO_THROW(Database::open(wf.file(QStringLiteral("lapora.mdb"))));
}

TEST(Database, MissingOrForeignFileFailsAndCreatesNothing) {
    WorkFolder wf(false);
    EXPECT_THROW(Database::open(QStringLiteral("lapora.mdb")), StoreError);
    EXPECT_FALSE(QFile::exists(wf.file(QStringLiteral("lapora.mdb"))));
    EXPECT_THROW(Database::open(QStringLiteral("nincs/ilyen/mappa/lapora.mdb")), StoreError);

    writeFile(wf.file(QStringLiteral("empty.mdb")), QByteArray());
    writeFile(wf.file(QStringLiteral("text.mdb")), "ez nem adatbázis\n");
    QByteArray fakeSqlite("SQLite format 3\0", 16);
    fakeSqlite += QByteArray(4096, '\xAB');
    writeFile(wf.file(QStringLiteral("damaged.mdb")), fakeSqlite);
    for (const char* name : {"empty.mdb", "text.mdb", "damaged.mdb"})
        EXPECT_THROW(Database::open(QString::fromUtf8(name)), StoreError) << name;
    EXPECT_EQ(QFileInfo(wf.file(QStringLiteral("empty.mdb"))).size(), 0); // not turned into a database
}

TEST(Database, JetFilesAreReadOnly) {
    auto db = Database::open(testData(QStringLiteral("fakturo/LFAKT.MDB")));
    ASSERT_TRUE(db->isJet());
    EXPECT_EQ(db->tableNames(),
              (QStringList{"SZAMLA", "ATUTAL", "UTANVET", "NYUGTA", "SZALLITO", "SZAMLAHE"}));
    View v(db, QStringLiteral("ATUTAL"));
    EXPECT_THROW(v.addNew(), StoreError);
    EXPECT_THROW(v.edit(), StoreError);
    EXPECT_THROW(v.remove(), StoreError);
    EXPECT_THROW(db->execute(QStringLiteral("DELETE FROM ATUTAL")), StoreError);
    EXPECT_EQ(v.recordCount(), 4);
}

TEST(Database, JetViewsRunTheProgramsQueries) {
    auto db = Database::open(testData(QStringLiteral("fakturo/LFAKT.MDB")));
    View v(db, QStringLiteral("SELECT * FROM SZAMLA WHERE SZAMLASOR >= 1002 order by SZAMLASOR"));
    ASSERT_EQ(v.recordCount(), 4);
    EXPECT_EQ(v.field(QStringLiteral("SZAMLASOR")).asNumber(), 1002);
    v.moveLast();
    EXPECT_EQ(v.field(QStringLiteral("MEGNEVEZES")).asText(),
              QString::fromUtf8("Tágulási tartály 18 l (sztornó)"));
    EXPECT_EQ(v.field(QStringLiteral("MENNYISEG")).asNumber(), -1);
    // Case-blind table names, as the programs write them.
    View w(db, QStringLiteral("select * from szamlahe"));
    EXPECT_EQ(w.recordCount(), 2);
    EXPECT_THROW(View(db, QStringLiteral("select * from KIVET")), StoreError);
    EXPECT_THROW(View(db, QStringLiteral("select * from SZAMLA where NincsIlyenMezo >= 1")), StoreError);
}

TEST(Database, DamagedJetTableFailsLoudly) {
    auto db = Database::open(testData(QStringLiteral("corrupt/flipped.mdb")));
    EXPECT_THROW(View(db, QStringLiteral("SZAMLA")), StoreError);
    View ok(db, QStringLiteral("ATUTAL")); // the rest of the file still reads
    EXPECT_EQ(ok.recordCount(), 4);
    for (const char* f : {"corrupt/garbage.mdb", "corrupt/truncated.mdb", "corrupt/catalog-map-1.mdb",
                          "corrupt/catalog-map-2.mdb"})
        EXPECT_THROW(Database::open(testData(QString::fromUtf8(f))), StoreError) << f;
}

TEST(Database, CopiesATableFromAnotherFile) {
    // The maintenance tool's copy statement, from a legacy Jet data file into a fresh one.
    WorkFolder wf;
    const QString legacy = QDir::toNativeSeparators(testData(QStringLiteral("legacy/lapora.mdb")));
    auto db = Database::open(QStringLiteral("lapora.mdb"));
    const QString cols = QString::fromUtf8("Dátum, Idő, CégNeve, MunkalapSzáma, NettóÁr, Szoveg");
    db->execute(QStringLiteral("INSERT INTO [Laporak] (") + cols + QStringLiteral(") SELECT ") + cols +
                QStringLiteral(" FROM  [") + legacy + QStringLiteral("].[Laporak]"));
    View v(db, QString::fromUtf8("select * from Laporak order by Dátum, MunkalapSzáma"));
    ASSERT_EQ(v.recordCount(), 12);
    EXPECT_EQ(v.field(QString::fromUtf8("Dátum")).asDate(), QDate(2012, 2, 14));
    EXPECT_EQ(v.field(QString::fromUtf8("Idő")).asTime(), QTime(8, 30));
    EXPECT_EQ(v.field(QString::fromUtf8("CégNeve")).asText(), QString::fromUtf8("Kovács és Társa Kft."));
    v.moveLast();
    EXPECT_TRUE(v.field(QString::fromUtf8("CégNeve")).isNull());
    EXPECT_EQ(v.field(QString::fromUtf8("MunkalapSzáma")).asText(), QStringLiteral("00012"));
}

TEST(Database, ColumnsFollowASchemaChange) {
    WorkFolder wf;
    auto db = Database::open(QStringLiteral("lapora.mdb"));
    EXPECT_EQ(db->columns(QStringLiteral("Orszagjel")).size(), 2u);
    db->execute(QStringLiteral("ALTER TABLE Orszagjel ADD COLUMN Megjegyzes TEXT(20)"));
    const auto cols = db->columns(QStringLiteral("Orszagjel"));
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_EQ(cols.back().name, QStringLiteral("Megjegyzes"));
    EXPECT_EQ(cols.back().size, 20);
}

TEST(Database, StatementsFailWithoutChangingAnything) {
    WorkFolder wf;
    auto db = Database::open(QStringLiteral("lapora.mdb"));
    EXPECT_THROW(db->execute(QStringLiteral("DELETE FROM NincsIlyen")), StoreError);
    EXPECT_THROW(db->execute(QStringLiteral("INSERT INTO [Orszagjel] (Országjel) SELECT x FROM [") +
                             wf.file(QStringLiteral("nincs.mdb")) + QStringLiteral("].[Orszagjel]")),
                 StoreError);
    View v(db, QStringLiteral("Orszagjel"));
    EXPECT_GT(v.recordCount(), 40);
}

} // namespace

// Jet date-times on and before day 0 (dates/Regiszt.lpb: the first six AkcióDátuma values), read, compared
// in SQL and copied into DATE, TIME and DATETIME fields row by row and by INSERT ... SELECT.
TEST(Database, JetDateTimesKeepTheirDate) {
    const QDate zero(1899, 12, 30);
    const struct Case {
        const char* what;
        Value read;                         // as the Jet reader hands it out
        const char* shown;                  // in the Hungarian forms, the Jet way
        const char *date, *time, *dateTime; // stored forms after the copy
    } cases[] = {
        {"0.0: day 0 at midnight", Value::dateTime(QDateTime(zero, QTime(0, 0))), "00:00:00", "1899-12-30",
         "00:00:00", "1899-12-30"},
        {"0.75: a time on day 0", Value::dateTime(QDateTime(zero, QTime(18, 0))), "18:00:00", "1899-12-30",
         "18:00:00", "1899-12-30 18:00:00"},
        {"-1000.25: before day 0, with a time", Value::dateTime(QDateTime(QDate(1897, 4, 4), QTime(6, 0))),
         "1897.04.04. 06:00:00", "1897-04-04", "06:00:00", "1897-04-04 06:00:00"},
        {"-36522: before 1900 at midnight", Value::date(QDate(1800, 1, 1)), "1800.01.01.", "1800-01-01",
         "00:00:00", "1800-01-01"},
        {"41337.5: an ordinary date with a time", Value::dateTime(QDateTime(QDate(2013, 3, 4), QTime(12, 0))),
         "2013.03.04. 12:00:00", "2013-03-04", "12:00:00", "2013-03-04 12:00:00"},
        {"41338: an ordinary date", Value::date(QDate(2013, 3, 5)), "2013.03.05.", "2013-03-05", "00:00:00",
         "2013-03-05"},
    };
    const int n = int(std::size(cases));
    const QString jetPath = testData(QStringLiteral("dates/Regiszt.lpb"));
    auto jet = Database::open(jetPath);
    const QString akcioDatuma = QString::fromUtf8("AkcióDátuma");

    // Read.
    View source(jet, QString::fromUtf8("Regisztrálás"));
    ASSERT_EQ(source.recordCount(), 20);
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(cases[i].what);
        source.moveTo(i);
        const Value v = source.field(akcioDatuma);
        EXPECT_TRUE(v == cases[i].read) << v.display().toStdString();
        EXPECT_EQ(v.display(), QString::fromUtf8(cases[i].shown));
    }

    // Compared in SQL: only the stored 0.0 is #12/30/1899#; the order is the calendar's.
    View zeroDay(jet, QString::fromUtf8("select * from Regisztrálás where AkcióDátuma = #12/30/1899#"));
    ASSERT_EQ(zeroDay.recordCount(), 1);
    EXPECT_TRUE(zeroDay.field(akcioDatuma) == cases[0].read);
    EXPECT_EQ(View(jet, QString::fromUtf8("select * from Regisztrálás where AkcióDátuma < #1/1/1900#"))
                  .recordCount(),
              4);
    View ordered(jet, QString::fromUtf8("select * from Regisztrálás order by AkcióDátuma"));
    for (int want : {3, 2, 0, 1, 4, 5}) {
        EXPECT_TRUE(ordered.field(akcioDatuma) == cases[want].read) << cases[want].what;
        ordered.moveNext();
    }

    // Copied: into a file of the program's own, row by row through a view and by INSERT ... SELECT.
    WorkFolder wf(false);
    const QString target = wf.file(QStringLiteral("cel.lpb"));
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(target.toUtf8().constData(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw,
                               "CREATE TABLE Sorban (D DATE, T TIME, DT DATETIME);"
                               "CREATE TABLE Egyben (D DATE, T TIME, DT DATETIME);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    auto db = Database::open(target);
    {
        View rows(db, QStringLiteral("Sorban"));
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(cases[i].what);
            source.moveTo(i);
            const Value v = source.field(akcioDatuma);
            rows.addNew();
            for (const char* f : {"D", "T", "DT"})
                rows.setField(QString::fromLatin1(f), v);
            ASSERT_NO_THROW(rows.update());
        }
    }
    db->execute(QStringLiteral("INSERT INTO Egyben (D, T, DT) SELECT ") + akcioDatuma + QStringLiteral(", ") +
                akcioDatuma + QStringLiteral(", ") + akcioDatuma + QStringLiteral(" FROM [") +
                QDir::toNativeSeparators(jetPath) + QString::fromUtf8("].[Regisztrálás]"));

    for (const char* table : {"Sorban", "Egyben"}) {
        SCOPED_TRACE(table);
        Statement st(db->handle(), QStringLiteral("SELECT D, T, DT FROM ") + QLatin1String(table) +
                                       QStringLiteral(" ORDER BY rowid"));
        View back(db, QLatin1String(table));
        ASSERT_EQ(back.recordCount(), std::string(table) == "Sorban" ? n : 20);
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(cases[i].what);
            ASSERT_TRUE(st.step());
            const auto text = [&](int col) {
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), col)));
            };
            EXPECT_EQ(text(0), QLatin1String(cases[i].date));
            EXPECT_EQ(text(1), QLatin1String(cases[i].time));
            EXPECT_EQ(text(2), QLatin1String(cases[i].dateTime));
            back.moveTo(i);
            EXPECT_TRUE(back.field(QStringLiteral("D")) == Value::date(cases[i].read.asDate()));
            EXPECT_TRUE(back.field(QStringLiteral("T")) == Value::time(cases[i].read.asDateTime().time()));
            EXPECT_TRUE(back.field(QStringLiteral("DT")) == cases[i].read);
        }
        EXPECT_EQ(View(db, QStringLiteral("select * from ") + QLatin1String(table) +
                               QStringLiteral(" where D = #12/30/1899#"))
                      .recordCount(),
                  2);
        EXPECT_EQ(View(db, QStringLiteral("select * from ") + QLatin1String(table) +
                               QStringLiteral(" where DT = #12/30/1899#"))
                      .recordCount(),
                  1);
    }
}
