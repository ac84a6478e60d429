#pragma once

#include "BoundFields.h"
#include "View.h"

#include <QMainWindow>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lapora {

struct Session;
class DataGrid;
class StoreError;

// The register of client companies and contractors: one company in bound fields beside the grid of all,
// the country pick, the name search, the company list print and, on leaving, the removal of companies
// without a name. Commands are public so that tests can run them the way the menu, the label and the buttons
// do.
class CimzettForm : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kWindowName; // in the log entries
    static const QString kSearchCaption;
    static constexpr int kRowsPerPage = 22;

    explicit CimzettForm(Session& session, QWidget* parent = nullptr);
    ~CimzettForm() override;

    void activate(); // on opening and whenever the window is in front again after another of the program's
    void SetQui(bool q) { quit_ = q; }
    bool quitFlag() const { return quit_; }

    void newCompany();    // "Új cég-vállalkozó"
    void commit();        // "OK"
    void deleteCompany(); // "Törlés"
    void searchName();    // a click on keres
    void searchCountry(); // "Ország"
    void pickCountry();   // a double click in the country list
    void saveAndExit();   // "Mentés-Kilépés"
    void printList();     // "&Nyomtatás"

    View& companies() { return cimzett_; }
    View& countries() { return data1_; }
    View& logView() { return regisztData_; }
    BoundFields& fields() { return fields_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void openViews();
    void buildMenu();
    void buildControls();
    int nextSerial(); // StoreError when a move is refused
    bool leave();     // the exit steps; false when the window stays open
    void exitCheck();
    void log(const QString& action);
    // The program's message naming what failed, unless the fields' write has shown it.
    void storeFailed(const StoreError& e, Refused what = Refused::Save);
    void showCountryList(bool on);

    Session& session_;
    View cimzett_;
    View data1_;
    View regisztData_;
    BoundFields fields_;

    DataGrid* grid1_ = nullptr;
    DataGrid* grid2_ = nullptr;
    QLineEdit* text_[16] = {}; // Text1..Text15 by number
    QLabel* label14_ = nullptr;
    QLabel* keres_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command4_ = nullptr;

    int serial_ = 0; // for the next new company
    bool quit_ = true;
    bool activated_ = false;
};

} // namespace lapora
