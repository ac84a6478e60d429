// The invoice import on the 20,000-line ATUTAL table: opening the invoicing file, collecting every ATUTAL
// line into OsszesSzamlaLPM and transferring them to the staging table, beside its floor: mdb-export piped
// into sqlite3's .import, the same rows copied from the Jet file into a SQLite table by the tools alone.
// Both sides are taken in turns, each turn in a fresh working folder; every figure is the median over the
// turns, printed as "name value unit" (lapora_bench passes the lines through).
// Usage: imports_bench [--turns N] [LFAKT.MDB folder [first ATUTAL number]]
#include "BenchFigures.h"
#include "Database.h"
#include "Fonts.h"
#include "ModalHost.h"
#include "Prompter.h"
#include "Schema.h"
#include "Session.h"
#include "SzamlaImportFormX.h"
#include "Templates.h"
#include "View.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using lapora::bench::beside;
using lapora::bench::cpuMs;
using lapora::bench::figure;
using lapora::bench::median;
using lapora::bench::msSince;
using lapora::bench::SteadyClock;

// Answers every question Yes, asks ATUTAL from 1 and skips the other sources.
class BenchPrompter : public lapora::Prompter {
public:
    lapora::Answer message(const QString&, const QString& text, lapora::Icon, lapora::Buttons) override {
        if (echo)
            std::printf("# message: %s\n", text.toUtf8().constData());
        return lapora::Answer::Yes;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override {
        return prompt.contains(QString::fromUtf8("ÁTUTALÁS")) ? start : QString();
    }
    void beep() override { ++beeps; }
    void pointer(lapora::Pointer) override {}
    int beeps = 0;
    bool echo = true; // the first run shows what was asked
    QString start = QStringLiteral("1");
};

class NoModal : public lapora::ModalHost {
public:
    void showModal(QWidget*) override {}
};

int rowsOf(const char* table) {
    lapora::View v(lapora::Database::open(lapora::schema::kLaporaFile), QString::fromLatin1(table));
    return v.recordCount();
}

// Runs a shell pipeline; its time in ms.
double timedShell(const QString& script) {
    const auto t0 = SteadyClock::now();
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("failed: " + script.toStdString() + "\n" +
                                 p.readAllStandardError().toStdString());
    return msSince(t0);
}

QString quoted(const QString& s) {
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

struct ImportTurn {
    double open = 0, collect = 0, transfer = 0, openCpu = 0, collectCpu = 0, transferCpu = 0;
    int collected = 0, staged = 0, beeps = 0;
};

// Our side: the window in a fresh working folder, as a user runs it.
ImportTurn importTurn(const QString& folder, BenchPrompter& prompter) {
    QTemporaryDir work;
    if (!work.isValid())
        throw std::runtime_error("no temporary folder");
    lapora::schema::prepareWorkFolder(work.path(), QStringLiteral(LAPORA_TEMPLATE_DIR));
    QDir::setCurrent(work.path());
    NoModal modal;
    ImportTurn t;
    prompter.beeps = 0;
    {
        lapora::Session session(prompter, modal);
        session.settings.FakturoNextPath = folder;
        lapora::SzamlaImportFormX w(session);
        w.show(); // the grid follows as it would on screen
        auto t0 = SteadyClock::now();
        double c0 = cpuMs();
        w.activate();
        t.open = msSince(t0);
        t.openCpu = cpuMs() - c0;
        t0 = SteadyClock::now();
        c0 = cpuMs();
        w.collect();
        t.collect = msSince(t0);
        t.collectCpu = cpuMs() - c0;
        t.collected = rowsOf("OsszesSzamlaLPM");
        t0 = SteadyClock::now();
        c0 = cpuMs();
        w.transfer();
        t.transfer = msSince(t0);
        t.transferCpu = cpuMs() - c0;
        t.staged = rowsOf("SzamlaAthozat");
    }
    t.beeps = prompter.beeps;
    prompter.echo = false;
    QDir::setCurrent(QDir::tempPath());
    return t;
}

// The floor: the tools copying the same table into a fresh SQLite file made from its Jet schema (made
// before the clock starts), then, for the transfer, the same rows copied once more inside SQLite.
struct FloorTurn {
    double import = 0, copy = 0;
};

FloorTurn floorTurn(const QString& file) {
    QTemporaryDir work;
    if (!work.isValid())
        throw std::runtime_error("no temporary folder");
    const QString db = QDir(work.path()).filePath(QStringLiteral("floor.db"));
    const QString schemaSql = QDir(work.path()).filePath(QStringLiteral("schema.sql"));
    timedShell(QStringLiteral("mdb-schema -T ATUTAL ") + quoted(file) + QStringLiteral(" sqlite > ") +
               quoted(schemaSql) + QStringLiteral(" && sqlite3 ") + quoted(db) + QStringLiteral(" < ") +
               quoted(schemaSql) + QStringLiteral(" && sqlite3 ") + quoted(db) +
               QStringLiteral(" 'CREATE TABLE copied AS SELECT * FROM ATUTAL WHERE 0'"));
    FloorTurn t;
    t.import =
        timedShell(QStringLiteral("mdb-export -H ") + quoted(file) + QStringLiteral(" ATUTAL | sqlite3 ") +
                   quoted(db) + QStringLiteral(" '.mode csv' '.import /dev/stdin ATUTAL'"));
    t.copy = timedShell(QStringLiteral("sqlite3 ") + quoted(db) +
                        QStringLiteral(" 'INSERT INTO copied SELECT * FROM ATUTAL'"));
    return t;
}

int run(const QString& folder, const QString& start, int turns) {
    const QString file = QDir(folder).filePath(QStringLiteral("LFAKT.MDB"));
    std::printf("# invoice import of %s (ATUTAL)\n", file.toUtf8().constData());
    BenchPrompter prompter;
    if (!start.isEmpty())
        prompter.start = start;
    // A warm-up pair, not counted; then the turns, which side goes first alternating.
    importTurn(folder, prompter);
    floorTurn(file);
    std::vector<ImportTurn> ours;
    std::vector<double> floor, floorWithCopy, exportOnly;
    for (int i = 0; i < turns; ++i) {
        FloorTurn f;
        if (i % 2) {
            f = floorTurn(file);
            ours.push_back(importTurn(folder, prompter));
        } else {
            ours.push_back(importTurn(folder, prompter));
            f = floorTurn(file);
        }
        floor.push_back(f.import);
        floorWithCopy.push_back(f.import + f.copy);
        exportOnly.push_back(timedShell(QStringLiteral("mdb-export -H ") + quoted(file) +
                                        QStringLiteral(" ATUTAL > /dev/null")));
        if (ours.back().collected == 0 || ours.back().collected != ours.front().collected ||
            ours.back().staged != ours.back().collected)
            throw std::runtime_error("the turns collected or transferred different row counts");
    }
    const auto pick = [&](const std::function<double(const ImportTurn&)>& f) {
        std::vector<double> out;
        for (const ImportTurn& t : ours)
            out.push_back(f(t));
        return out;
    };
    figure("invoice_rows", ours.front().collected, "rows");
    figure("invoice_staged_rows", ours.front().staged, "rows");
    figure("invoice_beeps", ours.front().beeps, "beeps");
    figure("invoice_turns", turns, "turns");
    figure("invoice_open_ms", median(pick([](const ImportTurn& t) { return t.open; })), "ms");
    figure("invoice_open_cpu_ms", median(pick([](const ImportTurn& t) { return t.openCpu; })), "ms");
    figure("invoice_collect_ms", median(pick([](const ImportTurn& t) { return t.collect; })), "ms");
    figure("invoice_collect_cpu_ms", median(pick([](const ImportTurn& t) { return t.collectCpu; })), "ms");
    figure("invoice_transfer_ms", median(pick([](const ImportTurn& t) { return t.transfer; })), "ms");
    figure("invoice_transfer_cpu_ms", median(pick([](const ImportTurn& t) { return t.transferCpu; })), "ms");
    figure("invoice_mdb_export_ms", median(exportOnly), "ms");
    // The collection (the window opened, the rows copied out of Jet) alone, then with its transfer.
    beside("invoice_open_collect_ms", pick([](const ImportTurn& t) { return t.open + t.collect; }), floor,
           "ms", 0);
    beside("invoice_collect_transfer_ms",
           pick([](const ImportTurn& t) { return t.open + t.collect + t.transfer; }), floorWithCopy, "ms",
           1.5);
    std::printf(
        "# floor: mdb-export | sqlite3 .import of the same rows into a table made by mdb-schema; with\n"
        "# the transfer, then sqlite3 copying them once more (INSERT ... SELECT)\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    int turns = 5;
    QStringList rest;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--turns") == 0 && i + 1 < argc)
            turns = std::max(1, std::atoi(argv[++i]));
        else
            rest << QString::fromLocal8Bit(argv[i]);
    }
    if (rest.size() > 2 || (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--")))) {
        std::fprintf(stderr, "usage: imports_bench [--turns N] [LFAKT.MDB folder [first ATUTAL number]]\n");
        return 2;
    }
    const QString folder =
        QDir(rest.isEmpty() ? QStringLiteral(LAPORA_BENCH_JET_FOLDER) : rest.first()).absolutePath();
    try {
        return run(folder, rest.size() > 1 ? rest[1] : QString(), turns);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "imports_bench: %s\n", e.what());
        return 1;
    }
}
