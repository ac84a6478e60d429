#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QTableView>

#include "Value.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QKeyEvent;
class QLineEdit;

namespace lapora {

class View;
class Prompter;

struct GridColumn {
    QString caption;
    QString field;                   // bound field name
    int maxLength = 0;               // editable grids: the longest text the keyboard may type; 0: no limit
    bool readOnly = false;           // editable grids: this column still cannot be edited
    QString passAtLimit = QString(); // characters that still go through once the text is at its longest
    bool hourMinute = false;         // a time of day shown as "hh:mm"
};

// A table model over a View: columns with captions and bound field names; cells in the regional forms.
// It listens to the view, so grids redraw after the view changes. The view must outlive it (and its grid).
class ViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ViewModel(View& view, std::vector<GridColumn> columns, QObject* parent = nullptr);
    ~ViewModel() override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    const GridColumn& column(int i) const { return columns_.at(static_cast<size_t>(i)); }
    View& view() const { return view_; }
    void refresh(); // redraw everything

    // In-place editing, off unless a window asks for it. A typed cell is an edit of the view's current row,
    // shown at once and written into the row (Edit, Update) when the view is about to move, or by
    // writeEdits. A write the store refuses stops the move; the edits stay for another try.
    void setEditable(bool on);
    bool editable() const { return editable_; }
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool hasEdits() const { return !edits_.empty(); }
    void writeEdits();    // StoreError when the store refuses
    bool writeOrReport(); // the same; a refusal is reported through the write-failed call and gives false
    void discardEdits();
    // Called when a write before a move was refused (the window shows its message).
    void setWriteFailed(std::function<void()> f) { writeFailed_ = std::move(f); }

private:
    void writeBeforeMove();
    void redrawRow(int row);

    View& view_;
    std::vector<GridColumn> columns_;
    int subscription_ = 0;
    bool editable_ = false;
    int beforeMoveHook_ = 0;
    std::int64_t editRow_ = -1;    // bookmark of the row the edits belong to
    std::map<int, QString> edits_; // grid column -> typed text
    std::function<void()> writeFailed_;
};

// Header-click sorting, one per grid: its own click counter; ascending, then descending by exact comparison
// of the sort text; every tenth click re-creates the view from its source first. A failure leaves the view as
// it was.
class HeaderSort {
public:
    explicit HeaderSort(View& view) : view_(view) {}
    void click(const QString& field);
    int counter() const { return counter_; }

private:
    View& view_;
    int counter_ = 0;
};

// A bound data grid: selecting a row makes it the view's current row; a header click sorts; a double click
// emits rowActivated.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(View& view, std::vector<GridColumn> columns, QWidget* parent = nullptr);
    ~DataGrid() override;
    ViewModel* viewModel() const { return model_; }
    HeaderSort& headerSort() { return sort_; }
    // Grids whose rows keep the order their source gives (a print's rows) switch header sorting off.
    void setHeaderSorting(bool on);
    bool headerSorting() const { return headerSorting_; }
    void clickHeader(int column); // what a click on the column's header does
    void selectRow(int row);      // what a click on a row does
    void syncToView();            // puts the selection on the view's current row
    // The caption bar sits at the top of the grid's place, as a title over the columns: set it after placing
    // the grid.
    void setCaption(const QString& c);
    QString caption() const { return caption_; }
    QLabel* captionLabel() const { return captionLabel_; }
    // The value in column k of the view's current row (Null when there is none).
    Value currentValue(int column) const;

    // In-place editing (see ViewModel): cells open an editor on a typed key, F2 or a double click.
    void setEditable(bool on);
    void setPrompter(Prompter* p) { prompter_ = p; } // beeps for dropped keys
    // Judges a key typed into a cell editor, given the grid column and the editor's text; false drops the
    // key with a beep. Runs before the column's length limit.
    using KeyJudge = std::function<bool(int column, const QString& cellText, const QKeyEvent& key)>;
    void setKeyJudge(KeyJudge judge) { judge_ = std::move(judge); }
    // What a key typed into a cell editor does: true lets it through, false drops it (with a beep).
    // selected: how many characters of the text the key would replace.
    bool typedKey(int column, const QString& cellText, const QKeyEvent& key, int selected = 0);
    QLineEdit* cellEditor() const; // the open cell editor, if any
    void commitEdit();             // the open editor's text becomes an edit of its row
    // Commits the open editor and writes the edits into the row; false (edits kept) when the store refused.
    bool writeEdits();

signals:
    void rowActivated(int row);

protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    ViewModel* model_;
    HeaderSort sort_;
    bool headerSorting_ = true;
    QString caption_;
    QLabel* captionLabel_ = nullptr;
    int subscription_ = 0;
    bool syncing_ = false; // a selection made to follow the view must not move the view again
    Prompter* prompter_ = nullptr;
    KeyJudge judge_;
};

} // namespace lapora
