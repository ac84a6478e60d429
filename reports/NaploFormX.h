#pragma once

#include "View.h"

#include <QMainWindow>
#include <QString>

namespace lapora {

struct Session;
class DataGrid;

// The activity log, for viewing only: sortable by any column and printable as plain text from the grid's
// cursor to the end. Commands are public so that tests can run them the way the menu does.
class NaploFormX : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kWindowName;
    static const QString kSource;

    explicit NaploFormX(Session& session, QWidget* parent = nullptr);
    ~NaploFormX() override;

    void printLog(); // "&Nyomtatás"
    void back();     // "&Vissza"

    View& log() { return naploData_; }
    DataGrid* grid() const { return grid_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Session& session_;
    View naploData_;
    DataGrid* grid_ = nullptr;
};

} // namespace lapora
