#pragma once

#include "MaintenanceRun.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace lapora {

class Prompter;

// LPMRep's one window: what the run is doing, "&Indít" to start it, "Kilép - ESC" to leave. Closing it ends
// the program, except while a run is under way.
class LPMRepX : public QDialog, private RunDisplay {
    Q_OBJECT
public:
    static const QString kCaption;

    LPMRepX(Prompter& prompter, const QString& workFolder, const QString& templateFolder,
            QWidget* parent = nullptr);
    ~LPMRepX() override;

    // "/s" (in any case) and nothing else: run at once and end after it.
    static bool runsAtOnce(const QStringList& arguments);

    void start(); // Command1
    void quit();  // Command2
    // The run, then the end of the program: for "/s".
    void runAndEnd();

    bool running() const { return run_.running(); }
    MaintenanceRun& maintenance() { return run_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override; // Esc

private:
    void setFileText(const QString& text) override;
    void setTableText(const QString& text) override;
    void setStatus(const QString& text) override;
    void setFileProgress(int value, int maximum) override;
    void setTableProgress(int value, int maximum) override;
    void setButtonsEnabled(bool enabled) override;
    void letEventsThrough() override;

    MaintenanceRun run_;
    QLabel* l1_ = nullptr;
    QProgressBar* pb1_ = nullptr;
    QLabel* l2_ = nullptr;
    QProgressBar* pb2_ = nullptr;
    QLabel* label1_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QLabel* label3_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};

} // namespace lapora
