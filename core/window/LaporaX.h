#pragma once

#include "BoundFields.h"
#include "View.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QKeyEvent;

namespace lapora {

struct Session;
class DataGrid;
class FolderLock;
class Prompter;
class StoreError;

// The main window: the job sheets with their edit fields, the companies and the staging lines side by side,
// the menu of every other window. Ending it ends the program. Commands are public so that tests can run them
// the way the menu, the links and the buttons do.
class LaporaX : public QMainWindow {
    Q_OBJECT
public:
    static const QString kTitle;
    static const QString kImprint; // the maker's imprint after the title

    explicit LaporaX(Session& session, QWidget* parent = nullptr);
    ~LaporaX() override;

    // Before anything opens: a second Lapora, or LPMRep renewing the files, holds the working folder. Says so
    // and gives true: the program then ends without touching a file.
    static bool folderInUse(const FolderLock& lock, Prompter& prompter);

    // Start-up and exit.
    void activate();
    void exitRoutine();
    void SetQui(bool q) { quit_ = q; }
    bool quitFlag() const { return quit_; }
    bool firstActivation() const { return firstActivation_; }

    // The current job sheet.
    void newJobSheet();
    void save();
    void deleteJobSheet();
    // False when the gross does not fit the stored whole number: the gross field is left as it was.
    bool recalcGross();
    // Writes the edit fields' changes into the current row. False (and the message shown) when the store
    // refused; the fields keep their texts so the user can try again.
    bool writePendingEdits(Refused what = Refused::Save);
    bool hasPendingEdits() const;

    // Quick actions.
    void search(const QString& linkName); // Label1, Label10, Label11, Label12
    void companyPick();
    void stagingCopy();

    // Other windows. A menu item opens its window through the factory registered for it; an item without one
    // opens nothing. The manual keeps this window visible; the others hide it while they are open.
    using WindowFactory = std::function<std::unique_ptr<QWidget>()>;
    void setWindowFactory(const QString& menuItem, WindowFactory factory);
    // The help window that the settings window opens.
    void setHelpFactory(WindowFactory factory) { helpFactory_ = std::move(factory); }
    // The main window's size from the settings record: "M" maximised, anything else the normal size.
    bool wantsMaximised();
    void showInSetSize(); // shows the window maximised or in its normal size, as the settings say
    void openWindow(const QString& menuItem);
    void openStagingTable();    // AthozatTabla
    void openInvoiceImport();   // SzamlA
    void openWarehouseImport(); // RaktarbolAthoz
    void printCurrentSheet();   // AktLapNyom: the certificate of the current job sheet
    void openJobList();         // LPNyom: the job list of the current job sheet's company
    void openCompanyRegister(); // LPCeg
    void openSettings();        // ParametereK
    void openLog();             // naplozaS
    void openManual();          // Kezikonyv

    // What the focus and key events of the edit fields call.
    void fieldFocusIn(QWidget* w);
    void fieldFocusOut(QWidget* w);
    bool amountKeyAllowed(const QKeyEvent& e); // false: the key is dropped (with a beep)

    View& jobs() { return laporakData_; }
    View& companies() { return cimzett_; }
    View& staging() { return athozData_; }
    View& settingsView() { return parameterData_; }
    View& logView() { return regisztData_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildMenu();
    void buildControls();
    void openViews();
    void onFieldFocusIn(QWidget* w);
    void onFieldFocusOut(QWidget* w);
    void showSettingsLabel();
    void log(const QString& action);
    // The program's message for a refused store step, naming what failed, unless the edit fields' write has
    // shown it already.
    void storeFailed(const StoreError& e, Refused what);
    void endProgram();
    void syncGrids();
    void navigate(View& v, DataGrid* grid, int step);
    QWidget* makeNavBar(View& v, DataGrid* grid, const QString& name, const QString& caption, const QRect& r);
    bool jobsHaveRow() const;

    Session& session_;
    View laporakData_;
    View cimzett_;
    View athozData_;
    View parameterData_;
    View regisztData_;

    DataGrid* grid1_ = nullptr;
    DataGrid* grid2_ = nullptr;
    DataGrid* grid3_ = nullptr;
    QDateEdit* dtPicker1_ = nullptr;
    QLineEdit* maskEdBox1_ = nullptr;
    QLineEdit* text_[12] = {}; // Text1..Text11 by number; Text7 is the plain-text editor
    QPlainTextEdit* text7_ = nullptr;
    QLabel* label16_ = nullptr;
    QPushButton* command1_ = nullptr;
    BoundFields fields_;

    std::map<QString, WindowFactory> factories_;
    WindowFactory helpFactory_;

    bool quit_ = true;
    bool firstActivation_ = false;
    bool inActivation_ = false;
    bool ending_ = false;
    int activations_ = 0;
    // Why the data files could not be opened, when it is worth saying more than "missing".
    bool filesBusy_ = false;
    QString legacyFile_; // a data file of the old kind, left unopened
};

} // namespace lapora
