#pragma once

#include "View.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QPushButton;

namespace lapora {

struct Session;
class DataGrid;

// The staging lines brought over from the invoicing and warehouse programs: the whole table in a grid whose
// cells the user corrects in place, sorting by any column, deleting one line or all. Commands are public so
// that tests can run them the way the menu and the buttons do.
class AdatathozatalFormX : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kWindowName;
    static const QString kSource;

    explicit AdatathozatalFormX(Session& session, QWidget* parent = nullptr);
    ~AdatathozatalFormX() override;

    void activate();   // on opening and whenever the window is in front again
    void deleteLine(); // "Kijelölt sor törlése", Command1
    void deleteAll();  // "Összes adat törlése", Command2
    void exit();       // "&Kilépés", Command3
    void SetQui(bool q) { quit_ = q; }
    bool quitFlag() const { return quit_; }

    View& staging() { return athozData_; }
    DataGrid* grid() const { return grid_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void enableCommands(bool on);
    bool askToDelete(const QString& question);
    void allDeleted(); // the question after the last line went, and its answer
    bool leave();      // the exit steps; false when the window stays open

    Session& session_;
    View athozData_;
    DataGrid* grid_ = nullptr;
    QAction* sorTorol_ = nullptr;
    QAction* osszTorol_ = nullptr;
    QPushButton* command_[4] = {};
    bool quit_ = true;
    bool activated_ = false;
};

} // namespace lapora
