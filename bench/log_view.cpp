// The log view's side of log_floor's work, in a program that holds the record store and nothing else, so its
// peak memory is the store's with that view open.
//
//   log_view FOLDER PATTERN ROW
//
// ROW: where the first row whose action starts with PATTERN stands in date order. Prints
// "open sort find rows start-rss-kB open-cpu sort-cpu find-cpu view-peak-kB sort-again find-again" (ms, kB);
// view-peak: the most the process held with the view open and sorted, before the fresh view of the search.
#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using lapora::Database;
using lapora::View;
using SteadyClock = std::chrono::steady_clock;

const char* const kLogSelect = "select * from Regisztrálás order by AkcióDátuma, AkcióIdeje";

double msSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// A "Vm…" line of this process's status, in kB: VmRSS what it holds now, VmHWM the most it has held.
double statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toDouble();
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::shared_ptr<Database> openLogFile(const QString& dir) {
    return Database::open(lapora::schema::kRegisztFile, dir);
}

int logViewRun(const QString& dir, const QString& action, int expectedRow) {
    const double startKb = statusKb("VmRSS");
    const QString select = QString::fromUtf8(kLogSelect);
    auto t0 = SteadyClock::now();
    double c0 = cpuMs();
    auto db = openLogFile(dir);
    auto v = std::make_unique<View>(db, select);
    v->moveLast();
    const int rows = v->recordCount();
    if (v->field(4).asText().isEmpty())
        throw std::runtime_error("no last row");
    const double openMs = msSince(t0), openCpu = cpuMs() - c0;

    t0 = SteadyClock::now();
    c0 = cpuMs();
    v->sort(QStringLiteral("Akció DESC"));
    if (v->field(4).asText().isEmpty())
        throw std::runtime_error("sorted view has no first row");
    const double sortMs = msSince(t0), sortCpu = cpuMs() - c0;

    // Further clicks go ascending, descending, ... as the grid's header does.
    std::vector<double> again;
    for (int i = 0; i < 6; ++i) {
        t0 = SteadyClock::now();
        v->sort(i % 2 ? QStringLiteral("Akció DESC") : QStringLiteral("Akció"));
        again.push_back(msSince(t0));
    }
    const QString criteria = QStringLiteral("[Akció] like \"%1*\"").arg(action);
    std::vector<double> findAgain;
    for (int i = 0; i < 5; ++i) {
        v->moveFirst();
        t0 = SteadyClock::now();
        if (!v->findFirst(criteria))
            throw std::runtime_error("marked row not found");
        findAgain.push_back(msSince(t0));
    }
    const double viewPeakKb =
        statusKb("VmHWM"); // the view open and sorted; the fresh view below is another matter
    v.reset();
    db.reset();

    // The first search of a freshly opened view: nothing of the column read yet.
    db = openLogFile(dir);
    v = std::make_unique<View>(db, select);
    t0 = SteadyClock::now();
    c0 = cpuMs();
    const bool found = v->findFirst(criteria);
    const double findMs = msSince(t0), findCpu = cpuMs() - c0;
    if (!found || v->position() != expectedRow)
        throw std::runtime_error("marked row not found where it was put");
    std::printf("%.3f %.3f %.3f %d %.0f %.3f %.3f %.3f %.0f %.3f %.3f\n", openMs, sortMs, findMs, rows,
                startKb, openCpu, sortCpu, findCpu, viewPeakKb, median(again), median(findAgain));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: log_view FOLDER PATTERN ROW\n");
        return 2;
    }
    try {
        return logViewRun(QString::fromLocal8Bit(argv[1]), QString::fromUtf8(argv[2]), std::atoi(argv[3]));
    } catch (const lapora::StoreError& e) {
        std::fprintf(stderr, "log_view: store error: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "log_view: %s\n", e.what());
    }
    return 1;
}
