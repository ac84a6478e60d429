// Record-store and main-window figures, each printed as "name value unit" beside its floor: the same work
// done by log_floor, a bare program on the SQLite API. Both sides run as child processes taken in turns (the
// machine's load then weighs on both alike) and every figure is the median over the turns; the ratio is the
// median of the turns' ratios. The data is built by a child run too (--make-data DIR).
#include "BenchFigures.h"
#include "DataGrid.h"
#include "Database.h"
#include "JetFile.h"
#include "LaporaX.h"
#include "LogEntry.h"
#include "ModalHost.h"
#include "Prompter.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Templates.h"
#include "View.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using lapora::Database;
using lapora::View;
using lapora::bench::beside;
using lapora::bench::cpuMs;
using lapora::bench::figure;
using lapora::bench::median;
using lapora::bench::msSince;
using lapora::bench::SteadyClock;

constexpr int kDefaultLogRows = 1000000;
constexpr int kJobRows = 100000;
constexpr int kCompanyRows = 5000;
constexpr int kStagingRows = 10000;
constexpr int kRepeats = 3;
constexpr int kDefaultTurns = 7;
constexpr int kJetLogRows = 50000;
constexpr int kDefaultLpmrepMb = 150; // LPMRep's own default is the full 1 GB
const char* const kMarkedAction = "Összesítő ellenőrzése 7Q";
const char* const kLogSelect = "select * from Regisztrálás order by AkcióDátuma, AkcióIdeje";
const char* const kLogSortDesc = "select * from Regisztrálás order by Akció DESC";

double fileMb(const QString& path) {
    return static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// "VmHWM" or "VmRSS" of this process, in MB.
double statusMb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray want = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(want))
            return line.mid(want.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// The machine is shared: the figures say how busy it was.
std::string loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return "unknown\n";
    return f.readAll().toStdString();
}

// Reads a file through once so every timed run starts from a warm page cache.
void warmPageCache(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    char buf[1 << 16];
    while (f.read(buf, sizeof buf) > 0) {
    }
}

struct ToolRun {
    double ms = 0;
    double peakMb = 0;
    std::string output; // what a measured program printed before the launcher's line
};

// Runs a tool through a small launcher (this program, started with --run-tool before Qt is up): a child
// forked straight from here would count our own resident pages in its peak RSS.
ToolRun runTool(const std::vector<std::string>& argv, bool measured = false) {
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const std::string self = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    std::vector<std::string> full = {self, measured ? "--run-measured" : "--run-tool"};
    full.insert(full.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (const std::string& a : full)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start the launcher: " + std::string(std::strerror(rc)));
    }
    std::string report;
    char buf[256];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        report.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed");
    ToolRun r;
    long kb = 0;
    while (!report.empty() && report.back() == '\n')
        report.pop_back();
    const size_t cut = report.rfind('\n');
    r.output = cut == std::string::npos ? std::string() : report.substr(0, cut);
    if (std::sscanf(report.c_str() + (cut == std::string::npos ? 0 : cut + 1), "%lf %ld", &r.ms, &kb) != 2)
        throw std::runtime_error("no figures from the launcher");
    r.peakMb = static_cast<double>(kb) / 1024.0;
    return r;
}

// The launcher: runs argv with its output to /dev/null (or passed on, for a program that prints its own
// figures), then prints "wall-ms peak-rss-kB" of that run as the last line.
int launchTool(char** argv, bool passOutput) {
    const auto t0 = SteadyClock::now();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        if (!passOutput) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            close(null);
        }
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0)
        return 1;
    const double ms = msSince(t0);
    std::printf("%.3f %ld\n", ms, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

ToolRun bestToolRun(const std::vector<std::string>& argv) {
    runTool(argv); // warm-up, not counted
    ToolRun best{std::numeric_limits<double>::infinity(), 0, {}};
    for (int i = 0; i < kRepeats; ++i) {
        const ToolRun r = runTool(argv);
        best.ms = std::min(best.ms, r.ms);
        best.peakMb = std::max(best.peakMb, r.peakMb);
    }
    return best;
}

// A program built beside this one (the floors, the other bench programs, the Jet file maker).
std::string sibling(const char* name) {
    return QFile::encodeName(QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name)))
        .toStdString();
}

std::vector<std::string> sqliteCli(const QString& file, const char* sql) {
    return {"sqlite3", "-batch", QFile::encodeName(file).toStdString(), std::string(sql) + ";"};
}

// ---- Data building (child process)

// Built without syncs; flushing here keeps the first synced write of a timed run from paying for all of it.
void flushToDisk(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || fsync(f.handle()) != 0)
        throw std::runtime_error("cannot flush " + path.toStdString());
}

struct Stmt {
    Stmt(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("prepare: ") + sqlite3_errmsg(db));
    }
    ~Stmt() { sqlite3_finalize(st); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    void text(int pos, const std::string& s) {
        sqlite3_bind_text(st, pos, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void text(int pos, const char* s) { sqlite3_bind_text(st, pos, s, -1, SQLITE_STATIC); }
    void step() {
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(std::string("insert: ") + sqlite3_errmsg(sqlite3_db_handle(st)));
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    sqlite3_stmt* st = nullptr;
};

std::string isoDate(const QDate& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    return buf;
}

std::string isoTime(int seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buf;
}

// Rows per day over the period: busy weekdays, quiet weekends, exactly `rows` in all.
std::vector<int> rowsPerDay(const QDate& first, int days, int rows, std::mt19937& rng) {
    std::uniform_real_distribution<double> jitter(0.6, 1.4);
    std::vector<double> weight(static_cast<size_t>(days));
    double total = 0;
    for (int d = 0; d < days; ++d) {
        const int dow = first.addDays(d).dayOfWeek();
        weight[static_cast<size_t>(d)] = (dow == 6 ? 0.25 : dow == 7 ? 0.08 : 1.0) * jitter(rng);
        total += weight[static_cast<size_t>(d)];
    }
    std::vector<int> out(static_cast<size_t>(days));
    double cum = 0;
    long long given = 0;
    for (int d = 0; d < days; ++d) {
        cum += weight[static_cast<size_t>(d)];
        const long long upTo = d == days - 1 ? rows : std::llround(cum / total * rows);
        out[static_cast<size_t>(d)] = static_cast<int>(upTo - given);
        given = upTo;
    }
    return out;
}

// Strictly rising times of day, so date and time alone give every row its place.
std::vector<int> timesOfDay(int count, int from, int to, std::mt19937& rng) {
    std::uniform_int_distribution<int> sec(from, to - 1);
    std::vector<int> t(static_cast<size_t>(count));
    for (int& x : t)
        x = sec(rng);
    std::sort(t.begin(), t.end());
    for (size_t i = 1; i < t.size(); ++i)
        t[i] = std::max(t[i], t[i - 1] + 1);
    return t;
}

struct Action {
    const char* text;
    double weight;
    const char* window;
};

const Action kActions[] = {
    {"Adatmentés", 300, "LaporaX"},
    {"Új adatsor", 180, "LaporaX"},
    {"Lap nyomtatása", 150, "LaporaX"},
    {"Törlés (adatsor)", 30, "LaporaX"},
    {"Új címzett", 40, "CimzettForm"},
    {"Címzett javítása", 60, "CimzettForm"},
    {"Címzett törlése", 8, "CimzettForm"},
    {"Címzett nyomtatása", 20, "CimzettForm"},
    {"Képernyőméret változtatása", 10, "ParameterFormX"},
    // Older spellings and rarer actions: case and accents that the Hungarian order must place.
    {"ÚJ ADATSOR", 6, "LaporaX"},
    {"adatmentés", 6, "LaporaX"},
    {"Lap nyomtatása (előnézet)", 25, "LaporaX"},
    {"Összesítő nyomtatása", 12, "LaporaX"},
    {"Árajánlat nyomtatása", 10, "LaporaX"},
    {"Évzárás", 1, "ParameterFormX"},
    {"Országjel javítása", 2, "ParameterFormX"},
    {"Őrzött adatsor visszaállítása", 2, "LaporaX"},
};

const char* const kPaths[] = {"C:\\Lapora", "C:\\Program Files\\Lapora", "D:\\Ügyvitel\\Lapora",
                              "\\\\SZERVER\\Közös\\Lapora"};

const QDate kFirstDay(2014, 1, 1);
const QDate kEndDay(2024, 1, 1);

void buildLog(const QString& dir, int rows) {
    const auto t0 = SteadyClock::now();
    auto db = Database::open(lapora::schema::kRegisztFile, dir);
    std::mt19937 rng(20240611);
    std::vector<double> weights;
    for (const Action& a : kActions)
        weights.push_back(a.weight);
    std::discrete_distribution<size_t> pickAction(weights.begin(), weights.end());
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<size_t> anyPath(0, std::size(kPaths) - 1);

    const int days = static_cast<int>(kFirstDay.daysTo(kEndDay));
    const std::vector<int> perDay = rowsPerDay(kFirstDay, days, rows, rng);
    const int marked = rows - 10; // chronological position, 1-based

    // Setup only: no journal, no syncs.
    db->executeRaw(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"));
    Stmt ins(db->handle(), "INSERT INTO \"Regisztrálás\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    int n = 0;
    for (int d = 0; d < days; ++d) {
        const QDate day = kFirstDay.addDays(d);
        const std::string date = isoDate(day);
        // The working folder moved every few years; a few entries came from other machines.
        const size_t era = std::min<size_t>(static_cast<size_t>(day.year() - kFirstDay.year()) / 3, 3);
        for (int secs : timesOfDay(perDay[static_cast<size_t>(d)], 6 * 3600, 20 * 3600, rng)) {
            ++n;
            const Action& a = kActions[pickAction(rng)];
            ins.text(1, "");
            ins.text(2, "");
            ins.text(3, date);
            ins.text(4, isoTime(secs));
            ins.text(5, n == marked ? kMarkedAction : a.text);
            ins.text(6, kPaths[percent(rng) < 5 ? anyPath(rng) : era]);
            sqlite3_bind_int(ins.st, 7, 0);
            ins.text(8, a.window);
            sqlite3_bind_double(ins.st, 9, 0);
            ins.text(10, "Lapora");
            ins.step();
        }
    }
    db->executeRaw(QStringLiteral("COMMIT"));
    flushToDisk(db->path());
    const double ms = msSince(t0);
    View count(db, QString::fromUtf8("Regisztrálás"));
    figure("data_log_rows", count.recordCount(), "rows");
    figure("data_log_build_ms", ms, "ms");
    figure("data_log_file_mb", fileMb(db->path()), "MB");
}

struct Company {
    std::string name, city, address;
};

std::vector<Company> companies(std::mt19937& rng) {
    const char* const prefix[] = {"Kovács",    "Szűcs",     "Tóth",   "Nagy",   "Győri",
                                  "Fehérvári", "Dunántúli", "Bükki",  "Ékes",   "Öko",
                                  "Szőke",     "Vörös",     "Halász", "Bárány", "Kiss",
                                  "Balatoni",  "Tiszai",    "Mátrai", "Zöldág", "Északi"};
    const char* const kind[] = {"és Társa", "Építő",    "Fuvarozó", "Kereskedelmi", "Informatikai",
                                "Szerviz",  "Könyvelő", "Nyomda",   "Pékség",       "Gépjavító"};
    const char* const form[] = {"Kft.", "Bt.", "Zrt.", "Kkt.", "Szövetkezet"};
    const char* const city[] = {"Budapest",         "Győr",         "Pécs",        "Székesfehérvár",
                                "Debrecen",         "Miskolc",      "Szeged",      "Nyíregyháza",
                                "Kecskemét",        "Érd",          "Sopron",      "Eger",
                                "Veszprém",         "Zalaegerszeg", "Szombathely", "Tatabánya",
                                "Hódmezővásárhely", "Békéscsaba"};
    const char* const street[] = {
        "Kossuth Lajos u.", "Petőfi Sándor utca",   "Rákóczi út",      "Fő tér",
        "Béke u.",          "Széchenyi István tér", "Dózsa György út", "Ady Endre u.",
        "Jókai Mór u.",     "Árpád fejedelem útja", "Hősök tere",      "Szabadság tér"};
    std::uniform_int_distribution<int> house(1, 140);
    std::uniform_int_distribution<int> percent(0, 99);
    std::vector<Company> out;
    for (int i = 0; i < 400; ++i) {
        Company c;
        c.name = std::string(prefix[i % 20]) + ' ' + kind[(i / 20 + i) % 10] + ' ' + form[(i * 7 / 3) % 5];
        c.city = city[(i * 13) % std::size(city)];
        c.address = std::string(street[(i * 5) % std::size(street)]) + ' ' + std::to_string(house(rng)) +
                    (percent(rng) < 15 ? "/B." : ".");
        out.push_back(std::move(c));
    }
    return out;
}

void buildJobs(const QString& dir) {
    const auto t0 = SteadyClock::now();
    auto db = Database::open(lapora::schema::kLaporaFile, dir);
    std::mt19937 rng(19990101);
    const std::vector<Company> firms = companies(rng);
    // A few regular customers get most of the work.
    std::vector<double> firmWeight;
    for (size_t i = 0; i < firms.size(); ++i)
        firmWeight.push_back(1.0 / static_cast<double>(i + 1));
    std::discrete_distribution<size_t> pickFirm(firmWeight.begin(), firmWeight.end());
    const char* const works[] = {"Nyomtató karbantartása",      "Hálózat bővítése",
                                 "Szerver telepítése",          "Vírusirtás",
                                 "Adatmentés beállítása",       "Munkaállomás cseréje",
                                 "Levelezés beállítása",        "Könyvelőprogram frissítése",
                                 "Kábelezés (3 végpont)",       "Monitor javítása",
                                 "Jelszavak cseréje",           "Tűzfal beállítása",
                                 "Éves karbantartás",           "Szünetmentes táp cseréje",
                                 "Őrzött adatok visszaállítása"};
    const char* const workers[] = {"Kiss Péter",  "Szabó Éva",    "Horváth Ödön",
                                   "Varga Júlia", "Molnár Árpád", "Tóth Gergő"};
    const char* const payment[] = {"Készpénz", "Átutalás", "Utánvét"};
    const char* const notes[] = {
        "Az ügyfél kérésére a régi gépet elszállítottuk.", "Alkatrész rendelve, a munka folytatódik.",
        "A hiba újra jelentkezett, garanciában javítva.", "Éjszakai munkavégzés, pótdíjjal.",
        "Következő látogatás egyeztetve a cégvezetővel."};
    std::uniform_int_distribution<size_t> anyWork(0, std::size(works) - 1);
    std::uniform_int_distribution<size_t> anyWorker(0, std::size(workers) - 1);
    std::uniform_int_distribution<size_t> anyPayment(0, std::size(payment) - 1);
    std::uniform_int_distribution<size_t> anyNote(0, std::size(notes) - 1);
    std::uniform_int_distribution<int> halfHours(1, 16);
    std::uniform_int_distribution<int> workCount(1, 3);
    std::uniform_int_distribution<int> percent(0, 99);

    const int days = static_cast<int>(kFirstDay.daysTo(kEndDay));
    const std::vector<int> perDay = rowsPerDay(kFirstDay, days, kJobRows, rng);
    db->executeRaw(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"));
    Stmt ins(db->handle(),
             "INSERT INTO \"Laporak\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, "
             "?13, ?14, ?15)");
    int sheet = 0, invoice = 0, year = kFirstDay.year();
    for (int d = 0; d < days; ++d) {
        const QDate day = kFirstDay.addDays(d);
        if (day.year() != year) {
            year = day.year();
            sheet = invoice = 0;
        }
        const std::string date = isoDate(day);
        const double rate = 6000.0 + 400.0 * (year - kFirstDay.year()); // hourly rate, forints
        for (int secs : timesOfDay(perDay[static_cast<size_t>(d)], 7 * 3600, 18 * 3600, rng)) {
            const Company& firm = firms[pickFirm(rng)];
            std::string work;
            for (int k = workCount(rng); k > 0; --k)
                work += (work.empty() ? "" : ", ") + std::string(works[anyWork(rng)]);
            char number[16];
            std::snprintf(number, sizeof number, "%05d", ++sheet);
            const double hours = halfHours(rng) * 0.5;
            const double net = std::round(hours * rate);
            const double vat = std::round(net * 0.27);
            ins.text(1, date);
            ins.text(2, isoTime(secs));
            ins.text(3, firm.name);
            ins.text(4, firm.city);
            ins.text(5, firm.address);
            ins.text(6, work);
            ins.text(7, std::string(number));
            ins.text(8, workers[anyWorker(rng)]);
            if (percent(rng) < 70) {
                std::snprintf(number, sizeof number, "%05d", ++invoice);
                ins.text(9, "LP-" + std::to_string(year) + '/' + number);
                ins.text(10, payment[anyPayment(rng)]);
            }
            if (percent(rng) < 15)
                ins.text(11, notes[anyNote(rng)]);
            sqlite3_bind_double(ins.st, 12, net);
            sqlite3_bind_double(ins.st, 13, vat);
            sqlite3_bind_double(ins.st, 14, net + vat);
            sqlite3_bind_double(ins.st, 15, hours);
            ins.step();
        }
    }
    db->executeRaw(QStringLiteral("COMMIT"));
    flushToDisk(db->path());
    const double ms = msSince(t0);
    View count(db, QStringLiteral("Laporak"));
    figure("data_jobs_rows", count.recordCount(), "rows");
    figure("data_jobs_build_ms", ms, "ms");
    figure("data_jobs_file_mb", fileMb(db->path()), "MB");
}

// The main window's other two grids: companies and staging lines.
void buildCompaniesAndStaging(const QString& dir) {
    const auto t0 = SteadyClock::now();
    auto db = Database::open(lapora::schema::kLaporaFile, dir);
    std::mt19937 rng(20130304);
    const std::vector<Company> firms = companies(rng);
    std::uniform_int_distribution<int> postal(1011, 9985);
    std::uniform_int_distribution<int> phone(1000000, 9999999);
    db->executeRaw(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"));
    {
        Stmt ins(db->handle(), "INSERT INTO \"Címzett\" (CimNev, CimIrszam, CimSzekhely, CimCim, CimTelefon, "
                               "recordID, CimOrszag) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'H')");
        for (int i = 0; i < kCompanyRows; ++i) {
            const Company& f = firms[static_cast<size_t>(i) % firms.size()];
            ins.text(1, f.name + (i < static_cast<int>(firms.size()) ? "" : " " + std::to_string(i)));
            ins.text(2, std::to_string(postal(rng)));
            ins.text(3, f.city);
            ins.text(4, f.address);
            ins.text(5, "06-1-" + std::to_string(phone(rng)));
            sqlite3_bind_int(ins.st, 6, i + 1);
            ins.step();
        }
    }
    {
        Stmt ins(db->handle(),
                 "INSERT INTO \"SzamlaAthozat\" (Sorszám, Szamlaszam, CegNev, CegCim, Megnevezes, "
                 "Netto, AFA, Brutto, Datumtol, Mennyiség) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 27, ?7, ?8, ?9)");
        std::uniform_int_distribution<int> net(500, 250000);
        std::uniform_int_distribution<int> qty(1, 12);
        for (int i = 0; i < kStagingRows; ++i) {
            const Company& f = firms[static_cast<size_t>(i * 7) % firms.size()];
            const double n = net(rng);
            sqlite3_bind_int(ins.st, 1, i + 1);
            sqlite3_bind_int(ins.st, 2, 1000 + i / 3);
            ins.text(3, f.name);
            ins.text(4, f.city + " " + f.address);
            ins.text(5, "Tétel " + std::to_string(i % 97));
            sqlite3_bind_double(ins.st, 6, n);
            sqlite3_bind_double(ins.st, 7, std::round(n * 1.27));
            ins.text(8, isoDate(kFirstDay.addDays(i / 5)));
            sqlite3_bind_int(ins.st, 9, qty(rng));
            ins.step();
        }
    }
    db->executeRaw(QStringLiteral("COMMIT"));
    flushToDisk(db->path());
    figure("data_companies_rows", kCompanyRows, "rows");
    figure("data_staging_rows", kStagingRows, "rows");
    figure("data_companies_staging_build_ms", msSince(t0), "ms");
}

int makeData(const QString& dir, int logRows) {
    lapora::schema::prepareWorkFolder(dir, QStringLiteral(LAPORA_TEMPLATE_DIR));
    buildLog(dir, logRows);
    buildJobs(dir);
    buildCompaniesAndStaging(dir);
    return 0;
}

// ---- The log view (its own process, beside log_floor)

std::shared_ptr<Database> openLogFile(const QString& dir) {
    return Database::open(lapora::schema::kRegisztFile, dir);
}

struct LogTurn {
    double open = 0, sort = 0, find = 0, startMb = 0, peakMb = 0, sortAgain = 0, findAgain = 0;
    double openCpu = 0, sortCpu = 0, findCpu = 0, viewPeakMb = 0;
    int rows = 0;
};

LogTurn logTurn(const std::vector<std::string>& argv, bool ours) {
    const ToolRun r = runTool(argv, true);
    LogTurn t;
    double startKb = 0;
    double viewPeakKb = 0;
    const int n = std::sscanf(r.output.c_str(), "%lf %lf %lf %d %lf %lf %lf %lf %lf %lf %lf", &t.open,
                              &t.sort, &t.find, &t.rows, &startKb, &t.openCpu, &t.sortCpu, &t.findCpu,
                              &viewPeakKb, &t.sortAgain, &t.findAgain);
    if (n != (ours ? 11 : 9))
        throw std::runtime_error(argv[0] + " gave no figures");
    t.viewPeakMb = viewPeakKb / 1024.0;
    t.startMb = startKb / 1024.0;
    t.peakMb = r.peakMb;
    return t;
}

void benchLog(const QString& dir, int logRows, int turns) {
    const QString file = Database::resolve(lapora::schema::kRegisztFile, dir);
    warmPageCache(file);
    // The marked row stays ten rows before the generated ones' end: appended rows come after it.
    const std::vector<std::string> oursArgv = {sibling("log_view"), QFile::encodeName(dir).toStdString(),
                                               kMarkedAction, std::to_string(logRows - 10 - 1)};
    const std::vector<std::string> floorArgv = {sibling("log_floor"), QFile::encodeName(file).toStdString(),
                                                kMarkedAction};
    // A warm-up pair, not counted; then the turns, which side goes first alternating.
    logTurn(oursArgv, true);
    logTurn(floorArgv, false);
    std::vector<LogTurn> ours, floor;
    for (int i = 0; i < turns; ++i) {
        if (i % 2) {
            floor.push_back(logTurn(floorArgv, false));
            ours.push_back(logTurn(oursArgv, true));
        } else {
            ours.push_back(logTurn(oursArgv, true));
            floor.push_back(logTurn(floorArgv, false));
        }
        if (ours.back().rows != floor.back().rows || ours.back().rows < logRows)
            throw std::runtime_error("the two sides saw different row counts");
    }
    auto pick = [](const std::vector<LogTurn>& ts, double LogTurn::*f) {
        std::vector<double> out;
        for (const LogTurn& t : ts)
            out.push_back(t.*f);
        return out;
    };
    auto sum = [&](const std::vector<LogTurn>& ts, double LogTurn::*a, double LogTurn::*b) {
        std::vector<double> out;
        for (const LogTurn& t : ts)
            out.push_back(t.*a + t.*b);
        return out;
    };
    figure("log_rows", ours.front().rows, "rows");
    figure("log_turns", turns, "turns");
    beside("log_open_movelast_ms", pick(ours, &LogTurn::open), pick(floor, &LogTurn::open), "ms", 1.05);
    beside("log_open_movelast_cpu_ms", pick(ours, &LogTurn::openCpu), pick(floor, &LogTurn::openCpu), "ms",
           1.05);
    beside("log_open_sort_desc_ms", sum(ours, &LogTurn::open, &LogTurn::sort),
           sum(floor, &LogTurn::open, &LogTurn::sort), "ms", 1.5);
    beside("log_open_sort_desc_cpu_ms", sum(ours, &LogTurn::openCpu, &LogTurn::sortCpu),
           sum(floor, &LogTurn::openCpu, &LogTurn::sortCpu), "ms", 1.5);
    beside("log_sort_desc_cold_click_ms", pick(ours, &LogTurn::sort), pick(floor, &LogTurn::sort), "ms", 0);
    beside("log_sort_desc_cold_click_cpu_ms", pick(ours, &LogTurn::sortCpu), pick(floor, &LogTurn::sortCpu),
           "ms", 0);
    figure("log_sort_click_again_ms", median(pick(ours, &LogTurn::sortAgain)), "ms");
    beside("log_view_peak_rss_mb", pick(ours, &LogTurn::viewPeakMb), pick(floor, &LogTurn::viewPeakMb), "MB",
           1.3);
    beside("log_process_peak_rss_mb", pick(ours, &LogTurn::peakMb), pick(floor, &LogTurn::peakMb), "MB", 0);
    figure("log_start_rss_mb", median(pick(ours, &LogTurn::startMb)), "MB");
    figure("log_start_rss_mb_floor", median(pick(floor, &LogTurn::startMb)), "MB");
    std::vector<double> oursGrowth, floorGrowth;
    for (int i = 0; i < turns; ++i) {
        oursGrowth.push_back(ours[static_cast<size_t>(i)].viewPeakMb - ours[static_cast<size_t>(i)].startMb);
        floorGrowth.push_back(floor[static_cast<size_t>(i)].viewPeakMb -
                              floor[static_cast<size_t>(i)].startMb);
    }
    beside("log_view_peak_growth_mb", oursGrowth, floorGrowth, "MB", 0);
    beside("log_findfirst_cold_ms", pick(ours, &LogTurn::find), pick(floor, &LogTurn::find), "ms", 0);
    beside("log_findfirst_cold_cpu_ms", pick(ours, &LogTurn::findCpu), pick(floor, &LogTurn::findCpu), "ms",
           0);
    figure("log_findfirst_cold_target", 100, "ms");
    figure("log_findfirst_again_ms", median(pick(ours, &LogTurn::findAgain)), "ms");

    // Appending a log row, through the ordered view and through a view on the bare table. Each append syncs
    // the file, so the worst run is shown too.
    const QString select = QString::fromUtf8(kLogSelect);
    auto db = openLogFile(dir);
    View log(db, select);
    std::vector<double> appendMs;
    double appendWorstMs = 0;
    auto append = [&](View& v) {
        const auto t0 = SteadyClock::now();
        if (!lapora::writeLogEntry(v, QString::fromUtf8("Adatmentés"), QStringLiteral("LaporaX")))
            throw std::runtime_error("log entry not written");
        const double ms = msSince(t0);
        appendWorstMs = std::max(appendWorstMs, ms);
        return ms;
    };
    for (int i = 0; i < 5; ++i)
        appendMs.push_back(append(log));
    // The program logs nearly every action, so a search usually comes right after a log write.
    const QString criteria = QStringLiteral("[Akció] like \"%1*\"").arg(QString::fromUtf8(kMarkedAction));
    log.moveFirst();
    auto t0 = SteadyClock::now();
    log.findFirst(criteria);
    const double findAfterAppendMs = msSince(t0);
    View table(db, QString::fromUtf8("Regisztrálás"));
    std::vector<double> appendTableMs;
    for (int i = 0; i < 5; ++i)
        appendTableMs.push_back(append(table));
    figure("log_append_ms", median(appendMs), "ms");
    figure("log_append_table_view_ms", median(appendTableMs), "ms");
    figure("log_append_worst_ms", appendWorstMs, "ms");
    figure("log_findfirst_after_append_ms", findAfterAppendMs, "ms");
    figure("log_append_target", 100, "ms");

    // The command-line tool printing every row as text, as extra lines: most of its time is formatting.
    const ToolRun cliSelect = bestToolRun(sqliteCli(file, kLogSelect));
    const ToolRun cliSort = bestToolRun(sqliteCli(file, kLogSortDesc));
    figure("cli_select_ordered_ms", cliSelect.ms, "ms");
    figure("cli_select_sort_desc_ms", cliSort.ms, "ms");
    figure("cli_select_sort_desc_peak_rss_mb", cliSort.peakMb, "MB");
}

// ---- The main window (its own process, so its peak memory is its own)

// Answers No to every question (so the first activation adds no row) and closes every window at once.
class SilentPrompter : public lapora::Prompter {
public:
    lapora::Answer message(const QString&, const QString&, lapora::Icon, lapora::Buttons b) override {
        return b == lapora::Buttons::Ok ? lapora::Answer::Ok : lapora::Answer::No;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep() override {}
    void pointer(lapora::Pointer) override {}
};

class ClosingModalHost : public lapora::ModalHost {
public:
    void showModal(QWidget* w) override { w->close(); }
};

// Notes when the window's first frame has been painted: the paint events of one frame come inside one
// expose or update of the window, so the frame is complete when the event that carried the first of them
// returns to the loop.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(QWidget* window) : window_(window) {}
    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() &&
            (o == window_ || window_->isAncestorOf(static_cast<QWidget*>(o))))
            painted_ = true;
        return false;
    }

private:
    QWidget* window_;
    bool painted_ = false;
};

int windowBench(const QString& dir) {
    QDir::setCurrent(dir);
    SilentPrompter prompter;
    ClosingModalHost modal;
    lapora::Session session(prompter, modal);
    bool ended = false;
    session.endProgram = [&] { ended = true; };
    figure("window_rss_before_mb", statusMb("VmRSS"), "MB");
    // As the program starts: the window is made and shown, its activation runs from the event loop.
    const auto t0 = SteadyClock::now();
    const double c0 = cpuMs();
    auto w = std::make_unique<lapora::LaporaX>(session);
    const double constructed = msSince(t0);
    FrameWatch watch(w.get());
    qApp->installEventFilter(&watch);
    w->show();
    double frame = -1, frameCpu = -1;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (frame < 0 && watch.painted()) {
            frame = msSince(t0);
            frameCpu = cpuMs() - c0;
        }
        if (msSince(t0) > 60000)
            throw std::runtime_error("no frame painted in a minute");
        if (frame >= 0 && !w->firstActivation())
            break;
    }
    const double activated = msSince(t0);
    qApp->removeEventFilter(&watch);
    if (ended)
        throw std::runtime_error("the main window ended the program at start-up");
    figure("window_constructed_ms", constructed, "ms");
    figure("window_first_frame_ms", frame, "ms");
    figure("window_first_frame_cpu_ms", frameCpu, "ms");
    figure("window_first_activation_done_ms", activated, "ms");
    figure("window_jobs_rows", w->jobs().recordCount(), "rows");
    figure("window_jobs_current_row", w->jobs().position() + 1, "rows");
    figure("window_startup_peak_rss_mb", statusMb("VmHWM"), "MB");
    auto* grid = w->findChild<lapora::DataGrid*>(QStringLiteral("DBGrid1"));
    if (!grid)
        throw std::runtime_error("no company grid");
    // The first click reads the column; the next ones (descending, ascending, ...) find it cached. Nine in
    // all, so the tenth click's re-creation of the view stays out.
    auto t = SteadyClock::now();
    grid->clickHeader(0);
    figure("company_header_click_cold_ms", msSince(t), "ms");
    std::vector<double> again;
    for (int i = 0; i < 8; ++i) {
        t = SteadyClock::now();
        grid->clickHeader(0);
        again.push_back(msSince(t));
    }
    figure("company_header_click_again_ms", median(again), "ms");
    t = SteadyClock::now();
    w->jobs().moveFirst();
    w->jobs().moveLast();
    figure("window_jobs_first_last_ms", msSince(t), "ms");
    figure("window_peak_rss_mb", statusMb("VmHWM"), "MB");
    return 0;
}

// The window in fresh processes, one per turn: each figure the median over the turns.
void benchWindow(const QString& dir, int turns) {
    std::vector<std::string> order;
    std::map<std::string, std::pair<std::vector<double>, std::string>> values;
    for (int i = 0; i <= turns; ++i) {
        QProcess window;
        window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        window.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--window-bench"), dir});
        if (!window.waitForFinished(-1) || window.exitStatus() != QProcess::NormalExit ||
            window.exitCode() != 0)
            throw std::runtime_error("the main window benchmark failed");
        if (i == 0)
            continue; // warm-up
        for (const QByteArray& line : window.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() != 3)
                continue;
            const std::string name = parts[0].toStdString();
            if (!values.count(name))
                order.push_back(name);
            values[name].first.push_back(parts[1].toDouble());
            values[name].second = parts[2].toStdString();
        }
    }
    for (const std::string& name : order) {
        const auto& [v, unit] = values[name];
        figure(name, median(v), unit.c_str());
        if (name == "window_first_frame_ms")
            figure("window_first_frame_target", 200, "ms");
        if (name == "window_startup_peak_rss_mb")
            figure("window_startup_peak_rss_target", 150, "MB");
    }
}

// ---- Measurements (parent process)

struct Paired {
    double ours = std::numeric_limits<double>::infinity();
    ToolRun theirs{std::numeric_limits<double>::infinity(), 0, {}};
};

// Best of each side, the runs taken in turns: the machine's load then weighs on both sides alike.
Paired bestPaired(int repeats, const std::function<double()>& ours, const std::vector<std::string>& tool) {
    ours(); // warm-up, not counted
    runTool(tool);
    Paired p;
    for (int i = 0; i < repeats; ++i) {
        p.ours = std::min(p.ours, ours());
        const ToolRun r = runTool(tool);
        p.theirs.ms = std::min(p.theirs.ms, r.ms);
        p.theirs.peakMb = std::max(p.theirs.peakMb, r.peakMb);
    }
    return p;
}

void benchJet() {
    const QString file = QStringLiteral(LAPORA_BENCH_JET_FILE);
    warmPageCache(file);
    int rows = 0;
    long long filled = 0;
    auto readAll = [&] {
        const auto t0 = SteadyClock::now();
        auto db = Database::open(file);
        View v(db, QStringLiteral("ATUTAL"));
        v.moveLast();
        rows = v.recordCount();
        filled = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < v.fieldCount(); ++c)
                filled += v.valueAt(r, c).isNull() ? 0 : 1;
        return msSince(t0);
    };
    // Short runs: more of them, so one load spike on the machine cannot decide the ratio.
    const Paired jet =
        bestPaired(3 * kRepeats, readAll, {"mdb-export", QFile::encodeName(file).toStdString(), "ATUTAL"});
    const double ms = jet.ours;
    const ToolRun exportRun = jet.theirs;
    const double ours = rows / (ms / 1000.0);
    const double theirs = rows / (exportRun.ms / 1000.0);
    figure("jet_rows", rows, "rows");
    figure("jet_fields_filled", static_cast<double>(filled), "fields");
    figure("jet_view_read_ms", ms, "ms");
    figure("mdb_export_ms", exportRun.ms, "ms");
    figure("jet_view_rows_per_s", ours, "rows/s");
    figure("mdb_export_rows_per_s", theirs, "rows/s");
    figure("jet_view_vs_mdb_export_ratio", ours / theirs, "x");
    figure("jet_view_vs_mdb_export_target", 1.0, "x");
    figure("peak_rss_after_jet_mb", statusMb("VmHWM"), "MB");
    figure("mdb_export_peak_rss_mb", exportRun.peakMb, "MB");

    // What the reader process costs: starting it on a small file (catalog only), and it alone reading the
    // table into /dev/null; the rest of jet_view_read_ms is taking the stream in and the in-memory table.
    const std::string reader = QFile::encodeName(lapora::JetFile::readerPath()).toStdString();
    const QString small = QStringLiteral(LAPORA_BENCH_JET_SMALL_FILE);
    double start = std::numeric_limits<double>::infinity(), alone = start;
    for (int i = 0; i < 3 * kRepeats; ++i) {
        start = std::min(start, runTool({reader, QFile::encodeName(small).toStdString()}).ms);
        alone = std::min(alone, runTool({reader, QFile::encodeName(file).toStdString(), "ATUTAL"}).ms);
    }
    figure("jet_reader_start_ms", start, "ms");
    figure("jet_reader_alone_ms", alone, "ms");

    // A short table of short rows (the legacy log, 20 rows): the fixed cost of a read, two reader starts.
    const QString log = QStringLiteral(LAPORA_BENCH_JET_LOG_FILE);
    const QString logTable = QString::fromUtf8("Regisztrálás");
    auto readLog = [&] {
        const auto t0 = SteadyClock::now();
        auto db = Database::open(log);
        View v(db, logTable);
        v.moveLast();
        for (int r = 0; r < v.recordCount(); ++r)
            for (int c = 0; c < v.fieldCount(); ++c)
                (void)v.valueAt(r, c);
        return msSince(t0);
    };
    const Paired small2 = bestPaired(
        3 * kRepeats, readLog, {"mdb-export", QFile::encodeName(log).toStdString(), logTable.toStdString()});
    figure("jet_log_table_read_ms", small2.ours, "ms");
    figure("jet_log_table_mdb_export_ms", small2.theirs.ms, "ms");
    figure("jet_log_table_vs_mdb_export_ratio", small2.theirs.ms / small2.ours, "x");

    // Many short rows: the legacy log grown to 50,000 rows by jet_log_make, in a file made for this run.
    QTemporaryDir tmp;
    if (!tmp.isValid())
        throw std::runtime_error("no temporary folder");
    const QString bigLog = QDir(tmp.path()).filePath(QStringLiteral("Regiszt50k.lpb"));
    runTool({sibling("jet_log_make"), QFile::encodeName(log).toStdString(), logTable.toStdString(),
             std::to_string(kJetLogRows), QFile::encodeName(bigLog).toStdString()});
    warmPageCache(bigLog);
    int bigRows = 0;
    long long bigFilled = 0;
    double bigOpen = std::numeric_limits<double>::infinity(); // until the rows are in, best of the runs
    auto readBigLog = [&] {
        const auto t0 = SteadyClock::now();
        auto db = Database::open(bigLog);
        View v(db, logTable);
        v.moveLast();
        bigOpen = std::min(bigOpen, msSince(t0));
        bigRows = v.recordCount();
        bigFilled = 0;
        for (int r = 0; r < bigRows; ++r)
            for (int c = 0; c < v.fieldCount(); ++c)
                bigFilled += v.valueAt(r, c).isNull() ? 0 : 1;
        return msSince(t0);
    };
    const Paired big =
        bestPaired(3 * kRepeats, readBigLog,
                   {"mdb-export", QFile::encodeName(bigLog).toStdString(), logTable.toStdString()});
    if (bigRows != kJetLogRows)
        throw std::runtime_error("the grown log reads " + std::to_string(bigRows) + " rows");
    figure("jet_log50k_rows", bigRows, "rows");
    figure("jet_log50k_fields_filled", static_cast<double>(bigFilled), "fields");
    figure("jet_log50k_file_mb", fileMb(bigLog), "MB");
    figure("jet_log50k_view_read_ms", big.ours, "ms");
    figure("jet_log50k_view_open_movelast_ms", bigOpen, "ms");
    figure("jet_log50k_mdb_export_ms", big.theirs.ms, "ms");
    figure("jet_log50k_view_rows_per_s", bigRows / (big.ours / 1000.0), "rows/s");
    figure("jet_log50k_mdb_export_rows_per_s", bigRows / (big.theirs.ms / 1000.0), "rows/s");
    figure("jet_log50k_vs_mdb_export_ratio", big.theirs.ms / big.ours, "x");
    figure("jet_log50k_vs_mdb_export_target", 1.0, "x");
    double bigAlone = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 3 * kRepeats; ++i)
        bigAlone = std::min(
            bigAlone, runTool({reader, QFile::encodeName(bigLog).toStdString(), logTable.toStdString()}).ms);
    figure("jet_log50k_reader_alone_ms", bigAlone, "ms");
}

// A bench program of its own (imports_bench, lpmrep_bench), its figure lines passed through.
void benchChild(const char* program, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {sibling(program)};
    argv.insert(argv.end(), args.begin(), args.end());
    const ToolRun r = runTool(argv, true);
    if (r.output.find("_target ") == std::string::npos)
        throw std::runtime_error(std::string(program) + " printed no figures");
    std::printf("%s\n", r.output.c_str());
    std::fflush(stdout);
}

struct Options {
    int logRows = kDefaultLogRows;
    int turns = kDefaultTurns;
    QString dataDir;  // kept between runs when given: built only when it holds no data yet
    QStringList only; // log, jet, window, imports, lpmrep; empty for all
    int lpmrepMb = kDefaultLpmrepMb;
    bool lpmrepFull = false;
};

int runBench(const Options& o) {
    const double startRss = statusMb("VmRSS");
    QTemporaryDir tmp;
    if (!tmp.isValid())
        throw std::runtime_error("no temporary folder");
    const QString dir = o.dataDir.isEmpty() ? tmp.path() : o.dataDir;
    const auto wanted = [&](const char* part) {
        return o.only.isEmpty() || o.only.contains(QLatin1String(part));
    };
    // The log and the window work on the data built here; the other parts bring their own.
    if ((wanted("log") || wanted("window")) &&
        Database::resolve(lapora::schema::kRegisztFile, dir).isEmpty()) {
        QDir().mkpath(dir);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--make-data"), dir, QStringLiteral("--log-rows"), QString::number(o.logRows)});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            throw std::runtime_error("building the data failed");
        std::fputs(child.readAllStandardOutput().constData(), stdout);
    }
    figure("rss_before_views_mb", startRss, "MB");
    std::printf("# load average at the start: %s", loadAverage().c_str());
    if (wanted("log"))
        benchLog(dir, o.logRows, o.turns);
    if (wanted("jet"))
        benchJet();
    if (wanted("window"))
        benchWindow(dir, o.turns);
    if (wanted("imports"))
        benchChild("imports_bench", {"--turns", std::to_string(o.turns)});
    // A smaller folder by default, with as many rounds as turns; the full 1 GB in three rounds.
    if (wanted("lpmrep"))
        benchChild("lpmrep_bench",
                   o.lpmrepFull ? std::vector<std::string>{"--repeats", std::to_string(std::min(o.turns, 3))}
                                : std::vector<std::string>{"--size-mb", std::to_string(o.lpmrepMb),
                                                           "--repeats", std::to_string(o.turns)});
    std::printf("# load average at the end: %s", loadAverage().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--run-tool") == 0)
        return launchTool(argv + 2, false);
    if (argc >= 3 && std::strcmp(argv[1], "--run-measured") == 0)
        return launchTool(argv + 2, true);
    if (argc >= 3 && std::strcmp(argv[1], "--window-bench") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
        try {
            return windowBench(QString::fromLocal8Bit(argv[2]));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lapora_bench: %s\n", e.what());
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    Options o;
    QString makeDir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--log-rows") && i + 1 < args.size())
            o.logRows = args[++i].toInt();
        else if (args[i] == QLatin1String("--make-data") && i + 1 < args.size())
            makeDir = args[++i];
        else if (args[i] == QLatin1String("--data") && i + 1 < args.size())
            o.dataDir = args[++i];
        else if (args[i] == QLatin1String("--turns") && i + 1 < args.size())
            o.turns = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--only") && i + 1 < args.size())
            o.only = args[++i].split(QLatin1Char(','));
        else if (args[i] == QLatin1String("--lpmrep-mb") && i + 1 < args.size())
            o.lpmrepMb = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--lpmrep-full"))
            o.lpmrepFull = true;
        else if (args[i] == QLatin1String("--jet-only"))
            o.only = QStringList{QStringLiteral("jet")};
        else {
            std::fprintf(stderr, "usage: lapora_bench [--log-rows N] [--turns N] [--data DIR] "
                                 "[--only log,jet,window,imports,lpmrep] [--jet-only] [--lpmrep-mb N] "
                                 "[--lpmrep-full] [--make-data DIR]\n");
            return 2;
        }
    }
    for (const QString& part : o.only)
        if (!QStringList{"log", "jet", "window", "imports", "lpmrep"}.contains(part)) {
            std::fprintf(stderr, "lapora_bench: no part %s\n", part.toUtf8().constData());
            return 2;
        }
    const int logRows = o.logRows;
    if (logRows < 100) {
        std::fprintf(stderr, "lapora_bench: --log-rows must be at least 100\n");
        return 2;
    }
    try {
        return makeDir.isEmpty() ? runBench(o) : makeData(makeDir, logRows);
    } catch (const lapora::StoreError& e) {
        std::fprintf(stderr, "lapora_bench: store error: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lapora_bench: %s\n", e.what());
    }
    return 1;
}
