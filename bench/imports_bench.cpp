// The invoice import on the 20,000-line ATUTAL table: opening the invoicing file, collecting every ATUTAL
// line into OsszesSzamlaLPM and transferring them to the staging table, each printed as "name value unit"
// next to mdb-export reading the same table, and mdb-export piped into sqlite3's .import as the floor of a
// copy. Usage: imports_bench [LFAKT.MDB folder]
#include "Clock.h"
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

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

using SteadyClock = std::chrono::steady_clock;

double msSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
}

// This process's CPU time in ms: the machine may be shared, so wall time alone says little.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void figure(const std::string& name, double value, const char* unit) {
    std::printf("%-40s %12.1f %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

// Answers every question Yes, asks ATUTAL from 1 and skips the other sources.
class BenchPrompter : public lapora::Prompter {
public:
    lapora::Answer message(const QString&, const QString& text, lapora::Icon, lapora::Buttons) override {
        std::printf("  message: %s\n", text.toUtf8().constData());
        return lapora::Answer::Yes;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override {
        return prompt.contains(QString::fromUtf8("ÁTUTALÁS")) ? start : QString();
    }
    void beep() override { ++beeps; }
    void pointer(lapora::Pointer) override {}
    int beeps = 0;
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

// Runs a shell pipeline; its time in ms, or -1 when it failed.
double timedShell(const QString& script) {
    const auto t0 = SteadyClock::now();
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::printf("  failed: %s\n%s", script.toUtf8().constData(), p.readAllStandardError().constData());
        return -1;
    }
    return msSince(t0);
}

QString quoted(const QString& s) {
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    const QString folder =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(LAPORA_BENCH_JET_FOLDER))
            .absolutePath();
    const QString file = QDir(folder).filePath(QStringLiteral("LFAKT.MDB"));

    QTemporaryDir work;
    lapora::schema::prepareWorkFolder(work.path(), QStringLiteral(LAPORA_TEMPLATE_DIR));
    QDir::setCurrent(work.path());

    BenchPrompter prompter;
    if (argc > 2)
        prompter.start = QString::fromLocal8Bit(argv[2]);
    NoModal modal;
    lapora::Session session(prompter, modal);
    session.settings.FakturoNextPath = folder;

    std::printf("Invoice import of %s (ATUTAL)\n", file.toUtf8().constData());
    int collectedRows = 0, stagedRows = 0;
    double openMs = 0, collectMs = 0, transferMs = 0, openCpu = 0, collectCpu = 0, transferCpu = 0;
    {
        lapora::SzamlaImportFormX w(session);
        w.show(); // the grid follows as it would on screen
        auto t0 = SteadyClock::now();
        double c0 = cpuMs();
        w.activate();
        openMs = msSince(t0);
        openCpu = cpuMs() - c0;
        t0 = SteadyClock::now();
        c0 = cpuMs();
        w.collect();
        collectMs = msSince(t0);
        collectCpu = cpuMs() - c0;
        collectedRows = rowsOf("OsszesSzamlaLPM");
        t0 = SteadyClock::now();
        c0 = cpuMs();
        w.transfer();
        transferMs = msSince(t0);
        transferCpu = cpuMs() - c0;
        stagedRows = rowsOf("SzamlaAthozat");
    }
    figure("opening (six tables read from Jet)", openMs, "ms");
    figure("opening CPU", openCpu, "ms");
    figure("collection into OsszesSzamlaLPM", collectMs, "ms");
    figure("collection CPU", collectCpu, "ms");
    figure("collection rows", collectedRows, "rows");
    figure("collection rate", collectedRows / (collectMs / 1000.0), "rows/s");
    figure("opening + collection rate", collectedRows / ((openMs + collectMs) / 1000.0), "rows/s");
    figure("transfer into SzamlaAthozat", transferMs, "ms");
    figure("transfer CPU", transferCpu, "ms");
    figure("transfer rows", stagedRows, "rows");
    figure("transfer rate", stagedRows / (transferMs / 1000.0), "rows/s");
    figure("beeps (positions not copied, skipped sources)", prompter.beeps, "");

    // The tools: mdb-export reading the table, and with sqlite3 importing it into a file.
    const QString exportCmd = QStringLiteral("mdb-export -H ") + quoted(file) + QStringLiteral(" ATUTAL");
    const double exportMs = timedShell(exportCmd + QStringLiteral(" > /dev/null"));
    if (exportMs > 0) {
        figure("mdb-export ATUTAL", exportMs, "ms");
        figure("mdb-export rate", 20000 / (exportMs / 1000.0), "rows/s");
    }
    const QString db = QDir(work.path()).filePath(QStringLiteral("floor.db"));
    const QString schemaSql = QDir(work.path()).filePath(QStringLiteral("schema.sql"));
    timedShell(QStringLiteral("mdb-schema -T ATUTAL ") + quoted(file) + QStringLiteral(" sqlite > ") +
               quoted(schemaSql) + QStringLiteral(" && sqlite3 ") + quoted(db) + QStringLiteral(" < ") +
               quoted(schemaSql));
    const double floorMs = timedShell(exportCmd + QStringLiteral(" | sqlite3 ") + quoted(db) +
                                      QStringLiteral(" '.mode csv' '.import /dev/stdin ATUTAL'"));
    if (floorMs > 0) {
        figure("mdb-export | sqlite3 .import", floorMs, "ms");
        figure("mdb-export | sqlite3 .import rate", 20000 / (floorMs / 1000.0), "rows/s");
        figure("collection / floor time", (openMs + collectMs) / floorMs, "x");
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
