#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

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
    for (const char* f : {"corrupt/garbage.mdb", "corrupt/truncated.mdb"})
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
