#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace lapora {

class Prompter;
class Database;

// What a run shows while it works; the window implements it.
class RunDisplay {
public:
    virtual ~RunDisplay() = default;
    virtual void setFileText(const QString& text) = 0;  // l1
    virtual void setTableText(const QString& text) = 0; // l2
    virtual void setStatus(const QString& text) = 0;    // Label1
    virtual void setFileProgress(int value, int maximum) = 0;
    virtual void setTableProgress(int value, int maximum) = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;
    virtual void letEventsThrough() = 0;
};

// One renewal of the data files of a working folder: each file goes into a time-stamped backup folder, a
// fresh copy of its template takes its place, and the old rows come over table by table, columns matched by
// name. Legacy Jet files come over the same way.
//
// Nothing is lost at any point: the original is first linked into the backup folder (a move where the file
// system cannot link), the new file is built beside it under a hidden name and takes the original's name in
// one rename, only once it holds the data. A run killed at any step leaves every original byte in the backup
// folder and every data file of the working folder complete, old or new; the next run simply renews again.
class MaintenanceRun {
public:
    enum class Outcome {
        Finished, // "Karbantartás vége!" shown
        Stopped,  // the user answered No to a failure
        Locked    // Lapora runs on the folder: nothing touched
    };

    static const QStringList& fileList();
    // "SAVE-YYYYMMDD-HHMMSS"
    static QString backupFolderName(const QDateTime& start);

    MaintenanceRun(Prompter& prompter, RunDisplay& display, const QString& workFolder,
                   const QString& templateFolder);
    ~MaintenanceRun();

    Outcome run();
    bool running() const { return running_; }
    QString backupFolder() const { return backupPath_; } // of the last run that got that far

    // Called with a short name before every step that touches a file or a table. Tests make a step fail by
    // throwing from it, or end the process there.
    std::function<void(const QString& step)> beforeStep;

private:
    struct Stop {};
    struct FileWork;

    void renewFile(const QString& name);
    void backUp(FileWork& f);
    void copyTemplate(FileWork& f);
    void copyData(FileWork& f);
    void copyTable(Database& oldDb, Database& newDb, const QString& table, const QString& source);
    void place(FileWork& f);
    QString readableCopy(FileWork& f);

    // Runs a step; a failure asks "Hiba!": Yes goes on (false returned), No stops the run.
    template <class F> bool guarded(const QString& step, F&& work);
    void failed(const QString& description);
    void show(void (RunDisplay::*set)(const QString&), const QString& text);

    Prompter& prompter_;
    RunDisplay& display_;
    QString work_;
    QString templates_;
    QString backupPath_;
    bool running_ = false;
};

} // namespace lapora
