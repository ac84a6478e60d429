#pragma once

#include <QString>

#include <functional>

namespace lapora {

class Prompter;
class ModalHost;
class Printer;

// The program-wide settings values, filled from the settings record.
struct SettingsValues {
    QString FakturoNextPath;
    QString TaroloPath;
    QString KeverdaPath;
    QString AdorakPath;
    QString InterfacePath;
    QString AllandoSzoveg; // ÁllandóSzöveg
};

// What windows share: the program-wide values and the services. Passed to every window; nothing is global.
struct Session {
    Session(Prompter& p, ModalHost& m) : prompter(p), modal(m) {}
    Prompter& prompter;
    ModalHost& modal;
    SettingsValues settings;
    QString jobListCompany; // handed from the main window to the job list
    QString helpKey;
    bool layoutCancelled = false; // the page-layout windows' cancel flag
    Printer* printer = nullptr;   // the system's default printer (set by main, or a recording one in tests)
    // Ends the program (Qt: leave the event loop). Tests record the call.
    std::function<void()> endProgram;
};

} // namespace lapora
