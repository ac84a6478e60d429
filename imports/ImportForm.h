#pragma once

#include "BoundFields.h"
#include "Transfer.h"
#include "View.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lapora {

struct Session;
class DataGrid;
class Database;
class NavBar;

// What the invoice and the warehouse import windows share: lines of other programs' tables collected into a
// collection table of lapora.mdb, looked through in a grid, found by serial number, deleted, and transferred
// into the staging table. Each window gives its sources, queries and field mapping.
class ImportForm : public QMainWindow {
    Q_OBJECT
public:
    ~ImportForm() override;

    void SetQui(bool q) { quit_ = q; }
    bool quitFlag() const { return quit_; }
    bool exited() const { return exited_; }

    void activate();    // the opening checks, once the window is in front
    void collect();     // "Feltöltés"
    void quickFind();   // each change of Text1
    void deleteLine();  // "Adatsort töröl"
    void deleteAll();   // "Összes törlése"
    void transfer();    // "Vissza-átadás"
    void exitCommand(); // "&Kilépés"
    void widenGrid();   // a click on the grid

    View& collection() { return data_; }
    View& staging() { return atviszData_; }
    DataGrid* grid() const { return grid1_; }
    int nextLineNumber() const { return nextLine_; }
    QString stamp() const { return stamp_; }

    static const QString kSaveErrorCaption;
    static const QString kGridCaption;

protected:
    struct Config {
        QString windowName;
        QString caption;
        QString table;         // the collection table
        QString key;           // its serial-number field
        QString orderedSource; // before collection
        QString finalSource;   // after collection
        QString navCaption;
        QString findLabel;
        QString gridTooltip;
        int firstGridColumn = 0; // fields before it are not shown
        bool editableGrid = false;
        imports::LineMapping mapping = nullptr;
    };
    // One table of another program, read through a view of its own.
    struct Source {
        QString name;  // the view's name
        QString table; // its table
        QString prompt, title;
        QString query, ordering; // before and after the number
        int lastPosition = 0;    // copied positions 0..lastPosition
        QString failText;        // when the serial-number query is refused
        View view;
    };

    ImportForm(Session& session, Config config);
    void addSource(Source* s) { sources_.emplace_back(s); }
    Source& source(int i) { return *sources_.at(static_cast<size_t>(i)); }

    // Opening checks after the collection table's question: opens the sources; false when the window ended.
    virtual bool openSources() = 0;
    // The collection source of a transfer from a serial number on.
    virtual QString startSource(const QString& number) const = 0;
    virtual void resetFilter() {}

    // Opens a source's view on its table in a file of another program; false (view closed) when the file or
    // the table cannot be read.
    bool openSource(Source& s, const std::shared_ptr<Database>& file);
    static std::shared_ptr<Database> openForeign(const QString& folder, const QString& fileName);

    void setCommands(bool on);            // Command2 to Command4
    void showLast(bool focusFind = true); // last row; its serial into Text1
    void requery(View& v);
    void setCollectionSource(const QString& source); // and a fresh row set from it
    void refreshGrid();
    bool commitGridEdits();
    QAction* exitAction() const { return kilepes_; }
    QPushButton* command(int n) const { return command_[n]; }
    QLineEdit* findField() const { return text1_; }
    Session& session() { return session_; }

    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildControls();
    bool collectFrom(Source& s); // false: the whole collection ends
    void copyLines(Source& s);
    bool transferLines(); // false when the store refused: nothing of this transfer stays
    void storeRefused();

    Session& session_;
    Config config_;
    std::shared_ptr<Database> lapora_;
    View data_;
    View atviszData_;
    std::vector<std::unique_ptr<Source>> sources_;
    BoundFields fields_;

    DataGrid* grid1_ = nullptr;
    NavBar* nav_ = nullptr;
    QLabel* captionLabel_ = nullptr; // a click widens the grid
    QLineEdit* text1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* command_[5] = {};
    QAction* kilepes_ = nullptr;

    int nextLine_ = 0;
    QString stamp_;
    bool quit_ = true;
    bool exited_ = false;
    bool activated_ = false;
};

} // namespace lapora
