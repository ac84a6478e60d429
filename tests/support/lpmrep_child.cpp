// A maintenance run in a process of its own, for the tests that end it abruptly:
//   lpmrep_child WORKFOLDER TEMPLATES KILL_AT yyyyMMddHHmmss
// runs with the clock fixed and sends itself SIGKILL before step KILL_AT (counted from 1; the final message
// counts as the last step). A run that reaches its end prints "steps N" and exits 0; a failure question makes
// it print the question and exit 3.
#include "Clock.h"
#include "MaintenanceRun.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <QDateTime>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

int g_step = 0;
int g_killAt = -1;

void step() {
    if (++g_step == g_killAt) {
        std::fflush(stdout);
        std::raise(SIGKILL);
    }
}

class ChildPrompter : public lapora::Prompter {
public:
    lapora::Answer message(const QString& title, const QString& text, lapora::Icon,
                           lapora::Buttons) override {
        if (title != QStringLiteral("LPMRep")) {
            std::printf("question %s | %s\n", qPrintable(title), qPrintable(text));
            std::exit(3);
        }
        step();
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
    void letEventsThrough() override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: lpmrep_child WORKFOLDER TEMPLATES KILL_AT yyyyMMddHHmmss\n");
        return 2;
    }
    g_killAt = std::atoi(argv[3]);
    const QDateTime start =
        QDateTime::fromString(QString::fromLatin1(argv[4]), QStringLiteral("yyyyMMddHHmmss"));
    lapora::Clock::fix(start.date(), start.time());
    ChildPrompter prompter;
    NoDisplay display;
    lapora::MaintenanceRun run(prompter, display, QString::fromLocal8Bit(argv[1]),
                               QString::fromLocal8Bit(argv[2]));
    run.beforeStep = [](const QString&) { step(); };
    const auto outcome = run.run();
    std::printf("steps %d\n", g_step);
    return outcome == lapora::MaintenanceRun::Outcome::Finished ? 0 : 4;
}
