#include "Database.h"
#include "JetFile.h"
#include "JetStream.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

// The reader's output as a stand-in writes it (see JetStream.h).
struct Stream {
    QByteArray bytes;
    template <class T> void fixed(T v) { bytes.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void u8(int v) { bytes.append(char(v)); }
    void str(const QByteArray& s) {
        fixed(std::uint32_t(s.size()));
        bytes.append(s);
    }
};

// A long Jet table goes into memory many rows to a statement: every row arrives, in order and whole,
// also those of a last part batch; a read that breaks off leaves no half table behind.
TEST(Database, JetTableLoadsEveryRowInOrder) {
    namespace js = jetstream;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Stream catalog;
    catalog.bytes.append(js::kMagic, sizeof js::kMagic);
    catalog.fixed(std::uint32_t(1));
    catalog.str("Napló");
    catalog.u8(1);
    const struct {
        const char* name;
        ColumnType type;
        int size;
    } fields[] = {{"Szoveg", ColumnType::Text, 50},   {"Szam", ColumnType::Integer, 0},
                  {"Datum", ColumnType::DateTime, 0}, {"Ertek", ColumnType::Number, 0},
                  {"Igen", ColumnType::Bool, 0},      {"Megj", ColumnType::LongText, 0}};
    catalog.fixed(std::uint32_t(std::size(fields)));
    for (const auto& f : fields) {
        catalog.str(f.name);
        catalog.u8(int(f.type));
        catalog.fixed(std::int32_t(f.size));
    }
    const int rows = 70; // two full batches and some
    // One memo longer than the reader's output takes at a time.
    const auto memo = [](int i) { return QByteArray(i == 40 ? 200000 : 300, 'm') + QByteArray::number(i); };
    Stream table = catalog;
    table.u8(js::kRows);
    for (int i = 0; i < rows; ++i) {
        table.u8(js::kRow);
        if (i % 7 == 3) {
            table.u8(js::Null);
        } else {
            table.u8(js::Text);
            table.str(i % 7 == 5 ? QByteArray() : "sor " + QByteArray::number(i));
        }
        table.u8(js::Int);
        table.fixed(std::int64_t(i * 3));
        table.u8(js::DateTime);
        table.fixed(41437.0 + i / 5 + (i / 5 % 2 ? 0.5 : 0.0)); // five rows on each
        table.u8(js::Double);
        table.fixed(i + 0.25);
        table.u8(js::Bool);
        table.u8(i % 2);
        table.u8(js::Text);
        table.str(memo(i));
    }
    const QByteArray rowsOnly = table.bytes;
    table.u8(js::kEnd);
    table.fixed(std::uint64_t(rows));

    const auto write = [&](const QString& name, const QByteArray& bytes) {
        writeFile(dir.filePath(name), bytes);
        return QFile::encodeName(dir.filePath(name));
    };
    const QByteArray catalogFile = write(QStringLiteral("catalog"), catalog.bytes);
    const QByteArray wholeFile = write(QStringLiteral("whole"), table.bytes);
    const QByteArray brokenFile = write(QStringLiteral("broken"), rowsOnly.left(rowsOnly.size() - 500));
    const QString script = dir.filePath(QStringLiteral("reader.sh"));
    const auto useReader = [&](const QByteArray& rowsFile) {
        QFile::remove(script);
        writeFile(script,
                  "#!/bin/sh\n[ $# -eq 1 ] && exec cat '" + catalogFile + "'\nexec cat '" + rowsFile + "'\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        JetFile::setReaderForTests(script);
    };
    struct RealReader {
        ~RealReader() { JetFile::setReaderForTests(QString()); }
    } realReaderAfter;
    // Any Jet file: the stand-in reader ignores it.
    const QString jetFile = testData(QStringLiteral("fakturo/LFAKT.MDB"));

    useReader(brokenFile);
    auto broken = Database::open(jetFile);
    EXPECT_THROW(broken->prepareTables(QString::fromUtf8("SELECT * FROM [Napló]")), StoreError);
    {
        Statement left(broken->handle(), QStringLiteral("SELECT count(*) FROM sqlite_master"));
        ASSERT_TRUE(left.step());
        EXPECT_EQ(sqlite3_column_int(left.get(), 0), 0);
    }

    useReader(wholeFile);
    auto db = Database::open(jetFile);
    db->prepareTables(QString::fromUtf8("SELECT * FROM [Napló]"));
    Statement st(db->handle(),
                 QString::fromUtf8("SELECT Szoveg, Szam, Datum, Ertek, Igen, Megj, typeof(Szoveg) "
                                   "FROM [Napló] ORDER BY rowid"));
    const auto text = [&](int col) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), col)));
    };
    int n = 0;
    for (; st.step(); ++n) {
        SCOPED_TRACE(n);
        const char* kind = n % 7 == 3 ? "null" : "text";
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 6)), kind);
        if (n % 7 != 3) {
            EXPECT_EQ(text(0), n % 7 == 5 ? QString() : QStringLiteral("sor %1").arg(n));
        }
        EXPECT_EQ(sqlite3_column_int64(st.get(), 1), n * 3);
        EXPECT_EQ(text(2), QDate(2013, 6, 12).addDays(n / 5).toString(QStringLiteral("yyyy-MM-dd")) +
                               (n / 5 % 2 ? QStringLiteral(" 12:00:00") : QString()));
        EXPECT_EQ(sqlite3_column_double(st.get(), 3), n + 0.25);
        EXPECT_EQ(sqlite3_column_int(st.get(), 4), n % 2);
        EXPECT_EQ(text(5), QString::fromLatin1(memo(n)));
    }
    EXPECT_EQ(n, rows);
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
