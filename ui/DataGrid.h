#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QTableView>

#include "Value.h"

#include <QString>

#include <vector>

namespace lapora {

class View;

struct GridColumn {
    QString caption;
    QString field; // bound field name
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

private:
    View& view_;
    std::vector<GridColumn> columns_;
    int subscription_ = 0;
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

signals:
    void rowActivated(int row);

protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    ViewModel* model_;
    HeaderSort sort_;
    QString caption_;
    QLabel* captionLabel_ = nullptr;
    int subscription_ = 0;
    bool syncing_ = false; // a selection made to follow the view must not move the view again
};

} // namespace lapora
