// LPMRep on a working folder of about 1 GB (3 million log rows, 500,000 job sheets), next to the sqlite3
// command-line tool doing ATTACH + INSERT ... SELECT of the same tables into fresh templates. Prints
// "name value unit" lines: each side's median over the rounds (taken in turns), the median of the rounds'
// ratios and the target. Options: --size-mb N (a folder of about N MB, the same mix of rows scaled), or
// --log N and --jobs N (rows); --repeats N (rounds); --dir FOLDER (where the data is built).
#include "BenchFigures.h"
#include "Database.h"
#include "MaintenanceRun.h"
#include "Prompter.h"
#include "Schema.h"
#include "Templates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using lapora::bench::beside;
using lapora::bench::figure;
using lapora::bench::SteadyClock;

double secondsSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double>(SteadyClock::now() - t0).count();
}

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "exec";
        sqlite3_free(err);
        throw std::runtime_error(msg);
    }
}

sqlite3* openFile(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error("open " + path.toStdString());
    return db;
}

class Insert {
public:
    Insert(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Insert() { sqlite3_finalize(st_); }
    void text(int pos, const std::string& s) {
        sqlite3_bind_text(st_, pos, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void number(int pos, double d) { sqlite3_bind_double(st_, pos, d); }
    void whole(int pos, long long v) { sqlite3_bind_int64(st_, pos, v); }
    void run() {
        if (sqlite3_step(st_) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(st_)));
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

std::string isoDate(int dayOffset) {
    int y = 2005, m = 1, d = 1 + dayOffset;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (d > days[m - 1] + (m == 2 && y % 4 == 0)) {
        d -= days[m - 1] + (m == 2 && y % 4 == 0);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

std::string isoTime(int secs) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secs / 3600 % 24, secs / 60 % 60, secs % 60);
    return buf;
}

// A working folder as years of use leave it: the log and the job sheets carry the weight.
void makeData(const QString& folder, int logRows, int jobRows) {
    lapora::schema::prepareWorkFolder(folder);
    std::mt19937 rnd(12345);
    const std::vector<std::string> companies = {"Kovács és Társa Kft.", "Dunántúli Vízművek Zrt.",
                                                "Balatoni Üdülőszövetkezet", "Szabó Pékség Bt.",
                                                "Árvíztűrő Tükörfúrógép Kft."};
    const std::vector<std::string> phrases = {"Kazán éves karbantartása, égőfej tisztítása és beállítása. ",
                                              "Keringető szivattyú cseréje. ",
                                              "Nyomáspróba 2,5 bar, rendben. ",
                                              "A régi szivattyú csapágyhibás volt. ",
                                              "Füstgázmérés, a mért értékek a határértéken belül. ",
                                              "Radiátorszelepek cseréje az „A” épületben. "};
    {
        sqlite3* db = openFile(QDir(folder).filePath(QStringLiteral("lapora.mdb")));
        exec(db, "BEGIN");
        Insert ins(
            db,
            "INSERT INTO Laporak VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, NULL, NULL, ?9, ?10, 27, ?11, ?12)");
        for (int i = 0; i < jobRows; ++i) {
            const std::string& c = companies[rnd() % companies.size()];
            std::string text;
            const int parts = 16 + static_cast<int>(rnd() % 16);
            for (int p = 0; p < parts; ++p)
                text += phrases[rnd() % phrases.size()];
            char number[16];
            std::snprintf(number, sizeof number, "%05d", i % 100000);
            const double net = 1000.0 * (1 + rnd() % 90);
            ins.text(1, isoDate(i % 6000));
            ins.text(2, isoTime(static_cast<int>(rnd() % 86400)));
            ins.text(3, c);
            ins.text(4, "Budapest");
            ins.text(5, "Irinyi József u. 42.");
            ins.text(6, "Kazán éves karbantartása");
            ins.text(7, number);
            ins.text(8, "Horváth István szerelő");
            ins.text(9, text);
            ins.number(10, net);
            ins.number(11, net * 1.27);
            ins.number(12, 1 + rnd() % 8);
            ins.run();
        }
        Insert company(
            db, "INSERT INTO \"Címzett\" (CimNev, CimSzekhely, CimCim, recordID) VALUES (?1, ?2, ?3, ?4)");
        for (int i = 0; i < 5000; ++i) {
            company.text(1, companies[i % companies.size()] + " " + std::to_string(i));
            company.text(2, "Budapest");
            company.text(3, "Piac u. 20.");
            company.whole(4, i + 1);
            company.run();
        }
        exec(db, "COMMIT");
        sqlite3_close(db);
    }
    {
        sqlite3* db = openFile(QDir(folder).filePath(QStringLiteral("Parameter.lpb")));
        exec(db, "INSERT INTO EmblemaPath (FakturoNextPath, KépernyöMérete) VALUES ('/srv/fakturo', 'N')");
        sqlite3_close(db);
    }
    {
        sqlite3* db = openFile(QDir(folder).filePath(QStringLiteral("Regiszt.lpb")));
        const std::vector<std::string> actions = {"Új adatsor",       "Adatmentés", "Lap nyomtatása",
                                                  "Törlés (adatsor)", "Új címzett", "Címzett javítása"};
        exec(db, "BEGIN");
        Insert ins(db,
                   "INSERT INTO \"Regisztrálás\" VALUES ('', '', ?1, ?2, ?3, '/home/iroda/Lapora/munka', 0, "
                   "'LaporaX', 0, 'Lapora')");
        for (int i = 0; i < logRows; ++i) {
            ins.text(1, isoDate(i / 500));
            ins.text(2, isoTime(i % 86400));
            ins.text(3, actions[rnd() % actions.size()]);
            ins.run();
        }
        exec(db, "COMMIT");
        sqlite3_close(db);
    }
}

double folderMb(const QString& folder) {
    double bytes = 0;
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files))
        bytes += static_cast<double>(fi.size());
    return bytes / (1024.0 * 1024.0);
}

int spawnWait(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The same copy statements LPMRep runs, by the command-line tool: the columns both schemas have, one
// transaction per table, into a fresh copy of each template.
double cliCopy(const QString& from, const QString& into) {
    QDir().mkpath(into);
    double seconds = 0;
    for (const lapora::schema::File& f : lapora::schema::files()) {
        const QString target = QDir(into).filePath(f.name);
        QFile::remove(target);
        QFile::copy(QDir(lapora::schema::defaultTemplateDir()).filePath(f.name), target);
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        std::string script = "ATTACH '" + QDir(from).filePath(f.name).toStdString() + "' AS o;";
        for (const lapora::schema::Table& t : f.tables) {
            std::string cols;
            for (const lapora::Column& c : t.columns)
                cols += (cols.empty() ? "[" : ",[") + c.name.toStdString() + "]";
            script += "INSERT INTO [" + t.name.toStdString() + "] (" + cols + ") SELECT " + cols +
                      " FROM o.[" + t.name.toStdString() + "];";
        }
        const auto t0 = SteadyClock::now();
        if (spawnWait({"sqlite3", "-batch", QFile::encodeName(target).toStdString(), script}) != 0)
            throw std::runtime_error("sqlite3 failed");
        seconds += secondsSince(t0);
    }
    return seconds;
}

class Silent : public lapora::Prompter {
public:
    lapora::Answer message(const QString& title, const QString& text, lapora::Icon,
                           lapora::Buttons) override {
        if (title != QStringLiteral("LPMRep"))
            throw std::runtime_error("LPMRep asked: " + text.toStdString());
        return lapora::Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep() override {}
    void pointer(lapora::Pointer) override {}
};

class NoDisplay : public lapora::RunDisplay {
public:
    void setFileText(const QString&) override {}
    void setTableText(const QString&) override {}
    void setStatus(const QString&) override {}
    void setFileProgress(int, int) override {}
    void setTableProgress(int, int) override {}
    void setButtonsEnabled(bool) override {}
    void letEventsThrough() override { QCoreApplication::processEvents(); }
};

double lpmrepRun(const QString& folder) {
    Silent prompter;
    NoDisplay display;
    lapora::MaintenanceRun run(prompter, display, folder, lapora::schema::defaultTemplateDir());
    const auto t0 = SteadyClock::now();
    if (run.run() != lapora::MaintenanceRun::Outcome::Finished)
        throw std::runtime_error("the run did not finish");
    return secondsSince(t0);
}

long long rows(const QString& file, const char* table) {
    sqlite3* db = openFile(file);
    sqlite3_stmt* st = nullptr;
    long long n = -1;
    if (sqlite3_prepare_v2(db, (std::string("SELECT count(*) FROM \"") + table + "\"").c_str(), -1, &st,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

// Reads a folder's data files once, so neither side pays for the first read from disk.
void warm(const QString& folder) {
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(fi.filePath());
        if (f.open(QIODevice::ReadOnly))
            while (!f.read(1 << 20).isEmpty()) {
            }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // About 1 GB: 3 million log rows and 500,000 job sheets.
    constexpr double kFullMb = 1024, kFullLog = 3000000, kFullJobs = 500000;
    int logRows = static_cast<int>(kFullLog), jobRows = static_cast<int>(kFullJobs), repeats = 3;
    QString base = QDir::tempPath();
    for (int i = 1; i < argc; i += 2) {
        const std::string a = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "usage: lpmrep_bench [--size-mb N | --log N --jobs N] [--repeats N] "
                                 "[--dir FOLDER]\n");
            return 2;
        }
        if (a == "--size-mb") {
            const double share = std::atof(argv[i + 1]) / kFullMb;
            logRows = static_cast<int>(kFullLog * share);
            jobRows = static_cast<int>(kFullJobs * share);
        } else if (a == "--log")
            logRows = std::atoi(argv[i + 1]);
        else if (a == "--jobs")
            jobRows = std::atoi(argv[i + 1]);
        else if (a == "--repeats")
            repeats = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--dir")
            base = QString::fromLocal8Bit(argv[i + 1]);
        else {
            std::fprintf(stderr, "lpmrep_bench: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (logRows < 1 || jobRows < 1) {
        std::fprintf(stderr, "lpmrep_bench: too small a folder\n");
        return 2;
    }
    try {
        QTemporaryDir root(QDir(base).filePath(QStringLiteral("lpmrep-bench-XXXXXX")));
        const QString work = root.filePath(QStringLiteral("munka"));
        const auto t0 = SteadyClock::now();
        makeData(work, logRows, jobRows);
        figure("lpmrep_data_build_s", secondsSince(t0), "s");
        figure("lpmrep_data_mb", folderMb(work), "MB");
        figure("lpmrep_log_rows", logRows, "rows");
        figure("lpmrep_job_rows", jobRows, "rows");

        std::vector<double> cli, lpm;
        for (int r = 0; r < repeats; ++r) {
            warm(work);
            const QString into = root.filePath(QStringLiteral("cli%1").arg(r));
            const double c = cliCopy(work, into);
            cli.push_back(c);
            if (rows(QDir(into).filePath(QStringLiteral("lapora.mdb")), "Laporak") != jobRows)
                throw std::runtime_error("sqlite3 copied a different number of job sheets");
            QDir(into).removeRecursively();
            warm(work);
            const double l = lpmrepRun(work);
            lpm.push_back(l);
            if (rows(QDir(work).filePath(QStringLiteral("lapora.mdb")), "Laporak") != jobRows ||
                rows(QDir(work).filePath(QStringLiteral("Regiszt.lpb")), "Regisztrálás") != logRows)
                throw std::runtime_error("LPMRep copied a different number of rows");
            // Only the newest backup is kept, so the disk holds about three copies at most.
            for (const QString& d : QDir(work).entryList({QStringLiteral("SAVE-*")}, QDir::Dirs))
                QDir(QDir(work).filePath(d)).removeRecursively();
            std::printf("# round %d: sqlite3 %.2f s, LPMRep %.2f s\n", r + 1, c, l);
        }
        figure("lpmrep_rounds", repeats, "rounds");
        beside("lpmrep_run_s", lpm, cli, "s", 1.2);
        std::printf("# floor: sqlite3 ATTACH + INSERT ... SELECT of the same tables into fresh templates\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lpmrep_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
