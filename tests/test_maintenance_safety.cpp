#include "Clock.h"
#include "Database.h"
#include "FolderLock.h"
#include "LaporaX.h"
#include "MaintenanceRun.h"
#include "Messages.h"
#include "RunSupport.h"
#include "ScriptedPrompter.h"
#include "StoreError.h"
#include "TestRows.h"
#include "WorkFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kSaveNext = QStringLiteral("SAVE-20240305-140710");

const QStringList kDataFiles = {QStringLiteral("lapora.mdb"), QStringLiteral("Parameter.lpb"),
                                QStringLiteral("Regiszt.lpb")};

// A few rows in every file, and what each table then holds (the countries come with a fresh folder).
void fillRows() {
    for (const char* n : {"00001", "00002", "00003"})
        addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
               {{u("MunkalapSzáma"), Value::text(u(n))},
                {u("CégNeve"), Value::text(u("Kovács és Társa Kft."))}});
    addRow(QStringLiteral("lapora.mdb"), u("Címzett"),
           {{u("CimNev"), Value::text(u("Kovács és Társa Kft."))}});
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("ÁllandóSzöveg"), Value::text(u("Köszönjük!"))}});
    for (int i = 0; i < 2; ++i)
        addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"),
               {{u("Akció"), Value::text(u("Adatmentés"))}});
}

struct Count {
    const char* file;
    const char* table;
    int rows;
};
const Count kFilled[] = {{"lapora.mdb", "Laporak", 3},        {"lapora.mdb", "Címzett", 1},
                         {"lapora.mdb", "Orszagjel", 47},     {"lapora.mdb", "SzamlaAthozat", 0},
                         {"Parameter.lpb", "EmblemaPath", 1}, {"Regiszt.lpb", "Regisztrálás", 2}};

int rowsOf(const QString& folder, const Count& c) {
    const QStringList r =
        dump(QDir(folder).filePath(u(c.file)), u("SELECT count(*) FROM \"") + u(c.table) + u("\""));
    return r.size() == 1 ? r[0].toInt() : -1;
}

// Every original (file name -> checksum) is still whole somewhere: in the working folder or in one of the
// backup folders.
void expectOriginalsKept(const QString& folder, const std::map<QString, QByteArray>& originals) {
    QStringList places = {folder};
    for (const QString& d : QDir(folder).entryList({QStringLiteral("SAVE-*")}, QDir::Dirs))
        places << QDir(folder).filePath(d);
    for (const auto& [name, sum] : originals) {
        bool kept = false;
        for (const QString& place : places)
            kept = kept || checksum(QDir(place).filePath(name)) == sum;
        EXPECT_TRUE(kept) << name.toStdString() << " lost";
    }
}

std::map<QString, QByteArray> dataChecksums(const QString& folder) {
    std::map<QString, QByteArray> out;
    for (const auto& [name, sum] : checksums(folder))
        if (kDataFiles.contains(name) || name.endsWith(QStringLiteral("-journal")))
            out[name] = sum;
    return out;
}

// The names of the steps of one run over a filled folder.
QStringList stepNames() {
    WorkFolder wf;
    fillRows();
    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, wf.path(), test::templateDir());
    QStringList steps;
    run.beforeStep = [&](const QString& s) { steps << s; };
    run.run();
    return steps;
}

TEST(MaintenanceSafety, TheStepsAreTheOnesThatTouchFilesAndTables) {
    const QStringList steps = stepNames();
    EXPECT_EQ(steps.mid(0, 4), QStringList({u("mkdir"), u("backup lapora.mdb"), u("template lapora.mdb"),
                                            u("open lapora.mdb")}));
    EXPECT_EQ(steps.mid(steps.size() - 5),
              QStringList({u("backup Regiszt.lpb"), u("template Regiszt.lpb"), u("open Regiszt.lpb"),
                           u("copy Regiszt.lpb Regisztrálás"), u("place Regiszt.lpb")}));
    EXPECT_EQ(steps.filter(QStringLiteral("copy lapora.mdb ")).size(), 6);
}

// A failure injected at each step in turn: No ends the run there, Yes goes on; either way every original
// stays whole, and the working folder holds complete files.
TEST(MaintenanceSafety, AFailureAtAnyStepLosesNothing) {
    const QStringList steps = stepNames();
    ASSERT_FALSE(steps.isEmpty());
    for (const QString& failing : steps) {
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            const bool ignored = failing.startsWith(QStringLiteral("copy "));
            if (ignored && answer == Answer::No)
                continue; // no question there
            SCOPED_TRACE((failing + (answer == Answer::Yes ? " / Yes" : " / No")).toStdString());
            WorkFolder wf;
            fillRows();
            const auto originals = dataChecksums(wf.path());
            FixedClock clock;
            ScriptedPrompter p;
            if (!ignored)
                p.expectMessage(QStringLiteral("Hiba!"),
                                u("LPMRep\nbefecskendezett hiba\nFolytatja a futtatást?"), Icon::Error,
                                Buttons::YesNo, answer);
            // Without a backup folder no original can be saved: each file asks, and is left as it is.
            if (failing == QStringLiteral("mkdir") && answer == Answer::Yes)
                for (const QString& f : kDataFiles)
                    p.expectMessage(QStringLiteral("Hiba!"),
                                    u("LPMRep\nA fájl nem vihető át a mentési mappába: ") + f + " (" +
                                        QString::fromLocal8Bit(std::strerror(ENOENT)) +
                                        u(")\nFolytatja a futtatást?"),
                                    Icon::Error, Buttons::YesNo, Answer::Yes);
            if (answer == Answer::Yes)
                expectDone(p);
            RecordingDisplay shown;
            MaintenanceRun run(p, shown, wf.path(), test::templateDir());
            run.beforeStep = [&](const QString& s) {
                if (s == failing)
                    throw StoreError("befecskendezett hiba");
            };
            EXPECT_EQ(run.run(), answer == Answer::Yes ? MaintenanceRun::Outcome::Finished
                                                       : MaintenanceRun::Outcome::Stopped);
            EXPECT_TRUE(p.done());
            EXPECT_FALSE(run.running());
            expectOriginalsKept(wf.path(), originals);

            // What the working folder holds: all rows, except where the user went on past an old file that
            // could not be opened (its file is then the empty template) or a table whose copy failed.
            for (const Count& c : kFilled) {
                const bool emptied = (answer == Answer::Yes && failing == u("open ") + u(c.file)) ||
                                     failing == u("copy ") + u(c.file) + ' ' + u(c.table);
                EXPECT_EQ(rowsOf(wf.path(), c), emptied ? 0 : c.rows) << c.file << " " << c.table;
            }
            // No half-made file is left behind.
            EXPECT_EQ(QDir(wf.path()).entryList({QStringLiteral(".*-??????")}, QDir::Files | QDir::Hidden),
                      QStringList());
        }
    }
}

// A SQLite file and the journal of a write that never finished, as a Lapora killed in the middle of a save
// leaves them: copies of both taken while the transaction is open.
void leaveHotJournal(const QString& folder) {
    const QString scratch = QDir(folder).filePath(QStringLiteral("writer"));
    QDir().mkpath(scratch);
    ASSERT_TRUE(QFile::copy(QDir(folder).filePath("lapora.mdb"), QDir(scratch).filePath("lapora.mdb")));
    const QByteArray path = QFile::encodeName(QDir(scratch).filePath("lapora.mdb"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
    const QByteArray write = u("PRAGMA cache_size = 10; BEGIN; UPDATE Laporak SET CégNeve = 'FÉLBEN MARADT', "
                               "Szoveg = Szoveg || Szoveg;")
                                 .toUtf8();
    ASSERT_EQ(sqlite3_exec(db, write.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath("lapora.mdb")));
    ASSERT_TRUE(QFile::copy(QDir(scratch).filePath("lapora.mdb"), QDir(folder).filePath("lapora.mdb")));
    ASSERT_TRUE(QFile::copy(QDir(scratch).filePath("lapora.mdb-journal"),
                            QDir(folder).filePath("lapora.mdb-journal")));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QDir(scratch).removeRecursively();
}

void fillJobSheets(int n) {
    auto db = Database::open(QStringLiteral("lapora.mdb"));
    db->executeRaw(u("BEGIN"));
    for (int i = 1; i <= n; ++i)
        db->executeRaw(
            u("INSERT INTO Laporak (MunkalapSzáma, CégNeve, Szoveg) VALUES ('%1', 'Kovács és Társa Kft.', "
              "'%2')")
                .arg(i, 5, 10, QLatin1Char('0'))
                .arg(QString(u("Kazán karbantartás. ")).repeated(40)));
    db->executeRaw(u("COMMIT"));
}

TEST(MaintenanceSafety, AHotJournalTravelsWithItsFileAndTheRowsComeOverRolledBack) {
    WorkFolder wf;
    fillJobSheets(300);
    leaveHotJournal(wf.path());
    // Read without its journal, the file shows the unfinished write: the journal is needed.
    {
        QTemporaryDir alone;
        QFile::copy(wf.file("lapora.mdb"), alone.filePath("lapora.mdb"));
        const QStringList seen = dump(alone.filePath("lapora.mdb"),
                                      u("SELECT count(*) FROM Laporak WHERE CégNeve = 'FÉLBEN MARADT'"));
        ASSERT_EQ(seen.size(), 1);
        ASSERT_GT(seen[0].toInt(), 0);
    }
    const auto originals = dataChecksums(wf.path());
    ASSERT_EQ(originals.count(QStringLiteral("lapora.mdb-journal")), 1u);

    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, wf.path(), test::templateDir());
    ASSERT_EQ(run.run(), MaintenanceRun::Outcome::Finished);

    EXPECT_EQ(dataChecksums(wf.file(kSave)), originals); // both files, as they were
    EXPECT_FALSE(QFile::exists(wf.file("lapora.mdb-journal")));
    EXPECT_EQ(dump(wf.file("lapora.mdb"),
                   u("SELECT count(*), min(MunkalapSzáma), max(MunkalapSzáma), "
                     "count(DISTINCT CégNeve), min(CégNeve), max(length(Szoveg)) FROM Laporak")),
              QStringList({u("300|00001|00300|1|Kovács és Társa Kft.|800")}));
    EXPECT_EQ(QDir(wf.path()).entryList({QStringLiteral(".lpmrep-*")}, QDir::Dirs | QDir::Hidden),
              QStringList());
}

struct ChildResult {
    bool killed = false;
    int exitCode = -1;
    QString out;
};

ChildResult runChild(const QString& folder, int killAt, const QString& stamp) {
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral(LPMREP_CHILD), {folder, test::templateDir(), QString::number(killAt), stamp});
    child.waitForFinished(120000);
    ChildResult r;
    r.out = QString::fromLocal8Bit(child.readAll());
    r.killed = child.exitStatus() == QProcess::CrashExit;
    r.exitCode = child.exitCode();
    return r;
}

// The process killed before each step in turn (and at the final message): the originals are whole, the
// working folder holds every data file, and a run a second later renews everything with all the rows.
TEST(MaintenanceSafety, KilledAtAnyStepASecondRunSucceedsWithEveryRow) {
    int steps = 0;
    {
        WorkFolder wf;
        fillJobSheets(300);
        fillRows();
        leaveHotJournal(wf.path());
        const ChildResult whole = runChild(wf.path(), -1, QStringLiteral("20240305140709"));
        ASSERT_FALSE(whole.killed) << whole.out.toStdString();
        ASSERT_EQ(whole.exitCode, 0) << whole.out.toStdString();
        ASSERT_TRUE(whole.out.startsWith(QStringLiteral("steps "))) << whole.out.toStdString();
        steps = whole.out.mid(6).trimmed().toInt();
    }
    ASSERT_GT(steps, 10);
    for (int at = 1; at <= steps; ++at) {
        SCOPED_TRACE("killed before step " + std::to_string(at));
        WorkFolder wf;
        fillJobSheets(300);
        fillRows();
        leaveHotJournal(wf.path());
        const auto originals = dataChecksums(wf.path());

        const ChildResult r = runChild(wf.path(), at, QStringLiteral("20240305140709"));
        ASSERT_TRUE(r.killed) << r.out.toStdString();
        expectOriginalsKept(wf.path(), originals);
        for (const QString& f : kDataFiles)
            EXPECT_FALSE(Database::resolve(f, wf.path()).isEmpty())
                << f.toStdString() << " missing after the kill";

        FixedClock clock(kTime.addSecs(1));
        ScriptedPrompter p;
        expectDone(p);
        RecordingDisplay shown;
        MaintenanceRun again(p, shown, wf.path(), test::templateDir());
        ASSERT_EQ(again.run(), MaintenanceRun::Outcome::Finished);
        EXPECT_TRUE(p.done());
        expectOriginalsKept(wf.path(), originals);
        for (const Count& c : kFilled)
            EXPECT_EQ(rowsOf(wf.path(), c), QString::fromUtf8(c.table) == u("Laporak") ? 303 : c.rows)
                << c.file << " " << c.table;
        EXPECT_EQ(
            dump(wf.file("lapora.mdb"), u("SELECT count(*) FROM Laporak WHERE CégNeve = 'FÉLBEN MARADT'")),
            QStringList({u("0")}));
        EXPECT_FALSE(QFile::exists(wf.file("lapora.mdb-journal")));
    }
}

// ---- the working folder's lock

TEST(MaintenanceSafety, WhileTheFolderIsHeldNothingIsTouched) {
    WorkFolder wf;
    fillRows();
    const FolderLock lapora(wf.path());
    ASSERT_EQ(lapora.state(), FolderLock::State::Taken);
    const auto before = checksums(wf.path());

    FixedClock clock;
    ScriptedPrompter p;
    p.expectMessage(msg::kFigyelem, msg::kLaporaFut, Icon::Error, Buttons::Ok, Answer::Ok);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, wf.path(), test::templateDir());
    EXPECT_EQ(run.run(), MaintenanceRun::Outcome::Locked);
    EXPECT_TRUE(p.done());
    EXPECT_EQ(p.beeps, 1);
    EXPECT_EQ(checksums(wf.path()), before);
    EXPECT_EQ(QDir(wf.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(shown.log.isEmpty());
}

TEST(MaintenanceSafety, TheRunHoldsTheFolderSoLaporaStaysOut) {
    WorkFolder wf;
    FixedClock clock;
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, wf.path(), test::templateDir());
    int seen = 0;
    run.beforeStep = [&](const QString&) {
        const FolderLock second(wf.path());
        EXPECT_TRUE(second.held());
        ++seen;
    };
    ASSERT_EQ(run.run(), MaintenanceRun::Outcome::Finished);
    EXPECT_GT(seen, 0);
    // Released when the run ends.
    EXPECT_EQ(FolderLock(wf.path()).state(), FolderLock::State::Taken);

    // A Lapora started meanwhile says so and ends.
    const FolderLock running(wf.path());
    const FolderLock mine(wf.path());
    ScriptedPrompter second;
    second.expectMessage(msg::kFigyelem, msg::kMappaFoglalt, Icon::Error, Buttons::Ok, Answer::Ok);
    EXPECT_TRUE(LaporaX::folderInUse(mine, second));
    EXPECT_TRUE(second.done());
    ScriptedPrompter first;
    EXPECT_FALSE(LaporaX::folderInUse(running, first));
}

bool waitFor(const std::function<bool()>& cond, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The real Lapora holds the folder; killed outright, it holds nothing any more.
TEST(MaintenanceSafety, ALaporaKilledOutrightLeavesTheFolderFree) {
    WorkFolder wf;
    fillRows();
    QProcess lapora;
    lapora.setWorkingDirectory(wf.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    lapora.setProcessEnvironment(env);
    lapora.start(QStringLiteral(LAPORA_PROGRAM), {});
    ASSERT_TRUE(lapora.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return FolderLock(wf.path()).held(); })) << "Lapora never took the folder";

    FixedClock clock;
    {
        const auto before = checksums(wf.path());
        ScriptedPrompter p;
        p.expectMessage(msg::kFigyelem, msg::kLaporaFut, Icon::Error, Buttons::Ok, Answer::Ok);
        RecordingDisplay shown;
        MaintenanceRun run(p, shown, wf.path(), test::templateDir());
        EXPECT_EQ(run.run(), MaintenanceRun::Outcome::Locked);
        EXPECT_EQ(checksums(wf.path()), before);
    }

    ::kill(static_cast<pid_t>(lapora.processId()), SIGKILL);
    ASSERT_TRUE(lapora.waitForFinished());
    ScriptedPrompter p;
    expectDone(p);
    RecordingDisplay shown;
    MaintenanceRun run(p, shown, wf.path(), test::templateDir());
    EXPECT_EQ(run.run(), MaintenanceRun::Outcome::Finished);
    EXPECT_EQ(rowsOf(wf.path(), kFilled[0]), 3);
}

} // namespace
