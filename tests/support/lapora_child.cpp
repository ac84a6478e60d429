// The main window in a process of its own, for the tests that kill it:
//   lapora_child WORKFOLDER ACTION
// starts the real LaporaX on the folder (no new row at start-up), runs one command — save, new, delete, print
// (the certificate page, closed at once) — prints "done", and sends itself SIGKILL right after the command
// has committed, before anything is closed.
#include "Clock.h"
#include "Fonts.h"
#include "LaporaX.h"
#include "ModalHost.h"
#include "Printer.h"
#include "Prompter.h"
#include "Session.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLocale>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Every question: No at start-up (no new row), Yes to deleting; messages are printed, so a refusal shows.
class ChildPrompter : public lapora::Prompter {
public:
    lapora::Answer message(const QString& title, const QString& text, lapora::Icon,
                           lapora::Buttons buttons) override {
        std::printf("message %s | %s\n", qPrintable(title), qPrintable(text));
        if (buttons != lapora::Buttons::YesNo)
            return lapora::Answer::Ok;
        return text.contains(QStringLiteral("törli")) ? lapora::Answer::Yes : lapora::Answer::No;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep() override {}
    void pointer(lapora::Pointer) override {}
};

class CloseAtOnce : public lapora::ModalHost {
public:
    void showModal(QWidget*) override {}
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    if (argc != 3) {
        std::fprintf(stderr, "usage: lapora_child WORKFOLDER save|new|delete|print\n");
        return 2;
    }
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    ChildPrompter prompter;
    CloseAtOnce modal;
    lapora::Session session(prompter, modal);
    session.endProgram = [] {};
    lapora::LaporaX w(session);
    w.activate();
    const char* action = argv[2];
    if (std::strcmp(action, "save") == 0) {
        w.findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(QString::fromUtf8("Megölt mentés"));
        w.save();
    } else if (std::strcmp(action, "new") == 0) {
        w.newJobSheet();
    } else if (std::strcmp(action, "delete") == 0) {
        w.deleteJobSheet();
    } else if (std::strcmp(action, "print") == 0) {
        w.printCurrentSheet();
    } else {
        return 2;
    }
    std::printf("done\n");
    std::fflush(stdout);
    std::raise(SIGKILL);
    return 0;
}
