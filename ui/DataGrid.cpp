#include "DataGrid.h"

#include "StoreError.h"
#include "View.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

namespace lapora {

// The model must go before the view it watches: the windows own both and destroy their grids first.
ViewModel::ViewModel(View& view, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), view_(view), columns_(std::move(columns)) {
    subscription_ = view_.subscribe([this](View::Change c) {
        switch (c) {
        case View::Change::Rows:
            refresh();
            break;
        case View::Change::Values:
            if (rowCount() > 0 && columnCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
            break;
        case View::Change::Current:
            break; // the grid follows the current row itself
        }
    });
}

ViewModel::~ViewModel() {
    view_.unsubscribe(subscription_);
}

int ViewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !view_.isOpen())
        return 0;
    try {
        return view_.recordCount();
    } catch (const StoreError&) {
        return 0;
    }
}

int ViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ViewModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= columnCount())
        return {};
    try {
        const int col = view_.fieldIndex(column(index.column()).field);
        if (col < 0)
            return QString();
        return view_.valueAt(index.row(), col).display();
    } catch (const StoreError&) {
        return QString();
    }
}

QVariant ViewModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? QVariant(column(section).caption) : QVariant();
    return QAbstractTableModel::headerData(section, o, role);
}

void ViewModel::refresh() {
    beginResetModel();
    endResetModel();
}

void HeaderSort::click(const QString& field) {
    ++counter_;
    if (counter_ == 10) {
        counter_ = 0;
        // Every tenth click starts again from a fresh row set, so the sort below is ascending.
        try {
            view_.recreate();
        } catch (const StoreError&) {
            return;
        }
    }
    try {
        const QString next = view_.sortText() == field ? field + QStringLiteral(" DESC") : field;
        view_.sort(next); // fails before it changes anything
    } catch (const StoreError&) {
    }
}

DataGrid::DataGrid(View& view, std::vector<GridColumn> columns, QWidget* parent)
    : QTableView(parent), model_(new ViewModel(view, std::move(columns), this)), sort_(view) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::clickHeader);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { selectRow(i.row()); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        selectRow(i.row());
        emit rowActivated(i.row());
    });
    // Keyboard moves change the current index without a click; they move the view too.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur, const QModelIndex&) {
                if (!syncing_ && cur.isValid())
                    selectRow(cur.row());
            });
    // After a reset the selection model is empty; put it back on the view's row.
    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::syncToView);
    subscription_ = view.subscribe([this](View::Change c) {
        if (c == View::Change::Current)
            syncToView();
    });
    syncToView();
}

DataGrid::~DataGrid() {
    model_->view().unsubscribe(subscription_);
}

void DataGrid::clickHeader(int column) {
    if (column < 0 || column >= model_->columnCount())
        return;
    sort_.click(model_->column(column).field);
    syncToView();
}

void DataGrid::selectRow(int row) {
    View& v = model_->view();
    try {
        if (row >= 0 && row < model_->rowCount())
            v.moveTo(row);
    } catch (const StoreError&) {
    }
    syncToView();
}

void DataGrid::syncToView() {
    if (syncing_)
        return;
    syncing_ = true;
    const View& v = model_->view();
    const int row = v.hasCurrent() ? v.position() : -1;
    if (row >= 0 && row < model_->rowCount()) {
        const QModelIndex i = model_->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(i);
    } else {
        selectionModel()->clearSelection();
    }
    syncing_ = false;
}

Value DataGrid::currentValue(int column) const {
    if (column < 0 || column >= model_->columnCount())
        return {};
    try {
        const View& v = model_->view();
        const int i = v.fieldIndex(model_->column(column).field);
        if (i < 0)
            return {};
        return v.field(i);
    } catch (const StoreError&) {
        return {};
    }
}

} // namespace lapora

namespace lapora {

void DataGrid::setCaption(const QString& c) {
    caption_ = c;
    if (!parentWidget())
        return;
    if (!captionLabel_) {
        captionLabel_ = new QLabel(parentWidget());
        captionLabel_->setObjectName(objectName() + QStringLiteral("Caption"));
        captionLabel_->setAlignment(Qt::AlignCenter);
        captionLabel_->setFrameShape(QFrame::Panel);
        captionLabel_->setFrameShadow(QFrame::Raised);
        captionLabel_->setAutoFillBackground(true);
        // The caption takes the top of the place the grid was given.
        const QRect r = geometry();
        const int h = fontMetrics().height() + 6;
        setGeometry(r.x(), r.y() + h, r.width(), std::max(0, r.height() - h));
        captionLabel_->show();
    }
    captionLabel_->setText(c);
    moveEvent(nullptr);
}

void DataGrid::moveEvent(QMoveEvent* e) {
    if (e)
        QTableView::moveEvent(e);
    if (captionLabel_) {
        const int h = fontMetrics().height() + 6;
        captionLabel_->setGeometry(x(), y() - h, width(), h);
    }
}

void DataGrid::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    moveEvent(nullptr);
}

} // namespace lapora
