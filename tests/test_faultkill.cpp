// Faults that end a process: the program killed right after each committed command, and lapora_init on a
// full disk.
#include "FaultSupport.h"
#include "TestRows.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using lapora::Value;
using namespace lapora::test;

namespace {

struct KillCase {
    const char* action;
    int jobsAfter;         // job sheets stored after the command
    const char* logAction; // the log entry it wrote; nullptr: none
};

void PrintTo(const KillCase& c, std::ostream* os) {
    *os << c.action;
}

class KilledAfterCommit : public ::testing::TestWithParam<KillCase> {};

TEST_P(KilledAfterCommit, EverythingCommittedIsThereAndTheFilesAreSound) {
    const KillCase& c = GetParam();
    WorkFolder wf;
    for (int i = 1; i <= 3; ++i)
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
               {{u("Dátum"), Value::date(QDate(2013, 1, i))},
                {u("CégNeve"), Value::text(u("Cég %1").arg(i))},
                {u("MunkalapSzáma"), Value::text(QString::number(i))}});
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"), {{u("Akció"), Value::text(u("Régi"))}});
    const FileState jobsBefore = fileState(wf.file(QStringLiteral("lapora.mdb")));

    QProcess child;
    child.start(QStringLiteral(LAPORA_CHILD), {wf.path(), QString::fromLatin1(c.action)});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << out.toStdString();
    EXPECT_TRUE(out.endsWith(QStringLiteral("done\n"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("nem sikerült"))) << out.toStdString();

    const FileState jobs = fileState(wf.file(QStringLiteral("lapora.mdb")));
    const FileState log = fileState(wf.file(QStringLiteral("Regiszt.lpb")));
    EXPECT_TRUE(jobs.sound);
    EXPECT_TRUE(log.sound);
    EXPECT_TRUE(fileState(wf.file(QStringLiteral("Parameter.lpb"))).sound);
    EXPECT_EQ(jobs.count(QStringLiteral("Laporak")), c.jobsAfter);
    // Every row the command did not touch is there as it was.
    EXPECT_EQ(jobs.count(u("Címzett")), jobsBefore.count(u("Címzett")));
    EXPECT_EQ(jobs.count(QStringLiteral("Orszagjel")), jobsBefore.count(QStringLiteral("Orszagjel")));
    int kept = 0;
    for (const QString& r : jobsBefore.rows)
        kept += jobs.rows.contains(r);
    const QString action = QString::fromLatin1(c.action);
    const int touched = action == QLatin1String("save") || action == QLatin1String("delete") ? 1 : 0;
    EXPECT_EQ(kept, jobsBefore.rows.size() - touched);
    if (action == QLatin1String("save")) {
        EXPECT_EQ(jobs.rows.filter(u("Megölt mentés")).size(), 1);
    }
    QStringList expectedLog{u("Régi")};
    if (c.logAction)
        expectedLog << u(c.logAction);
    EXPECT_EQ(log.count(u("Regisztrálás")), expectedLog.size());
    for (const QString& a : expectedLog)
        EXPECT_EQ(log.rows.filter(a).size(), 1) << a.toStdString();
    // No journal is left that a later start would have to roll back.
    EXPECT_FALSE(QFile::exists(wf.file(QStringLiteral("lapora.mdb-journal"))));
    EXPECT_FALSE(QFile::exists(wf.file(QStringLiteral("Regiszt.lpb-journal"))));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KilledAfterCommit,
    ::testing::Values(KillCase{"save", 3, "Adatmentés"}, KillCase{"new", 4, "Új adatsor"},
                      KillCase{"delete", 2, "Törlés (adatsor)"}, KillCase{"print", 3, "Lap nyomtatása"}),
    [](const ::testing::TestParamInfo<KillCase>& i) { return std::string(i.param.action); });

// lapora_init on a disk too small for the data files: a small tmpfs in a mount namespace of the child's own,
// so nothing stays mounted. For each size: exit 1, the real reason said, and no half-made data file.
TEST(LaporaInit, AFullDiskIsSaidAndLeavesNoHalfMadeFile) {
    if (geteuid() != 0 && qEnvironmentVariable("CI") != QLatin1String("true"))
        GTEST_SKIP() << "a tmpfs needs root";
    QTemporaryDir dir;
    for (const char* size : {"4k", "36k", "44k"}) {
        SCOPED_TRACE(size);
        const QString mount = dir.filePath(QString::fromLatin1(size));
        ASSERT_TRUE(QDir().mkpath(mount));
        // After the run, each data file that is there: its integrity check and its tables, or its country
        // rows.
        const QString script =
            QStringLiteral(
                "mount -t tmpfs -o size=%1 lapora-test \"$1\" || exit 9\n"
                "\"$2\" \"$1\"; echo \"rc=$?\"\n"
                "for f in \"$1\"/*; do [ -e \"$f\" ] || continue; echo \"file ${f##*/}\";\n"
                "  sqlite3 \"$f\" 'PRAGMA integrity_check' \"SELECT 'tables ' || count(*) FROM "
                "sqlite_master WHERE type = 'table'\";\n"
                "  [ \"${f##*/}\" = lapora.mdb ] && sqlite3 \"$f\" \"SELECT 'countries ' || count(*) "
                "FROM Orszagjel\"; done\n")
                .arg(QString::fromLatin1(size));
        QProcess p;
        p.start(QStringLiteral("unshare"),
                {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                 QStringLiteral("sh"), mount, QStringLiteral(LAPORA_INIT)});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("rc=1"))) << out.toStdString();
        EXPECT_TRUE(err.contains(u("megtelt a lemez"))) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("rollback"))) << err.toStdString();
        // What was made is whole: lapora.mdb with its six tables and every country, the others with theirs.
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (int i = 0; i < lines.size(); ++i) {
            if (!lines[i].startsWith(QStringLiteral("file ")))
                continue;
            const QString name = lines[i].mid(5);
            SCOPED_TRACE(name.toStdString());
            const bool main = name == QLatin1String("lapora.mdb");
            EXPECT_EQ(lines.value(i + 1), QStringLiteral("ok"));
            EXPECT_EQ(lines.value(i + 2), main ? QStringLiteral("tables 6") : QStringLiteral("tables 1"));
            if (main) {
                EXPECT_EQ(lines.value(i + 3), QStringLiteral("countries 47"));
            }
        }
    }
}

} // namespace
