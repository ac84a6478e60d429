#include "DataGrid.h"

#include "Prompter.h"
#include "Regional.h"
#include "StoreError.h"
#include "View.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

#include <algorithm>

namespace lapora {

namespace {

// A key the program judges as typed: Backspace and printable characters. Enter, Esc and Tab end or leave the
// editor; Delete, arrows and shortcuts edit or move without typing.
bool isTypedKey(const QKeyEvent& k) {
    if (k.key() == Qt::Key_Backspace)
        return true;
    if (k.key() == Qt::Key_Return || k.key() == Qt::Key_Enter || k.key() == Qt::Key_Escape ||
        k.key() == Qt::Key_Tab || k.key() == Qt::Key_Backtab || k.key() == Qt::Key_Delete)
        return false;
    return !k.text().isEmpty() && k.text().at(0) >= QLatin1Char(' ');
}

// Plain line editors for the cells; every key typed into one is judged by the grid first.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* e = new QLineEdit(parent);
        e->setFrame(false);
        e->setProperty("gridColumn", index.column());
        open_ = e;
        return e;
    }
    QLineEdit* openEditor() const { return open_.data(); }

protected:
    bool eventFilter(QObject* o, QEvent* ev) override {
        if (ev->type() == QEvent::KeyPress) {
            auto* e = qobject_cast<QLineEdit*>(o);
            const auto* k = static_cast<QKeyEvent*>(ev);
            if (e && isTypedKey(*k) &&
                !grid_->typedKey(e->property("gridColumn").toInt(), e->text(), *k,
                                 static_cast<int>(e->selectedText().size())))
                return true;
        }
        return QStyledItemDelegate::eventFilter(o, ev);
    }

private:
    DataGrid* grid_;
    mutable QPointer<QLineEdit> open_;
};

} // namespace

// The model must go before the view it watches: the windows own both and destroy their grids first.
ViewModel::ViewModel(View& view, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), view_(view), columns_(std::move(columns)) {
    subscription_ = view_.subscribe([this](View::Change c) {
        switch (c) {
        case View::Change::Rows:
            // Edits of a row that is gone (deleted, view closed or opened afresh) go with it.
            try {
                if (!edits_.empty() && (!view_.hasCurrent() || view_.bookmark() != editRow_))
                    edits_.clear();
            } catch (const StoreError&) {
                edits_.clear();
            }
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
    if (beforeMoveHook_)
        view_.removeBeforeMove(beforeMoveHook_);
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
    if (!(role == Qt::DisplayRole || (role == Qt::EditRole && editable_)) || !index.isValid() ||
        index.column() >= columnCount())
        return {};
    try {
        if (!edits_.empty() && index.row() == view_.position() && view_.hasCurrent() &&
            view_.bookmark() == editRow_) {
            const auto it = edits_.find(index.column());
            if (it != edits_.end())
                return it->second;
        }
        const int col = view_.fieldIndex(column(index.column()).field);
        if (col < 0)
            return QString();
        const Value v = view_.valueAt(index.row(), col);
        if (role == Qt::DisplayRole && column(index.column()).hourMinute) {
            // A time of day; one read from a Jet file comes as a date-time on day 0.
            if (v.type() == Value::Type::Time)
                return regional::formatShortTime(v.asTime());
            if (v.type() == Value::Type::DateTime)
                return regional::formatShortTime(v.asTime());
        }
        return v.display();
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

void ViewModel::redrawRow(int row) {
    if (row >= 0 && row < rowCount() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ViewModel::setEditable(bool on) {
    if (on == editable_)
        return;
    editable_ = on;
    if (on) {
        beforeMoveHook_ = view_.addBeforeMove([this] { writeBeforeMove(); });
    } else {
        view_.removeBeforeMove(beforeMoveHook_);
        beforeMoveHook_ = 0;
        edits_.clear();
    }
    refresh();
}

Qt::ItemFlags ViewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!editable_ || !index.isValid() || index.column() >= columnCount() || column(index.column()).readOnly)
        return f;
    if (!view_.isOpen() || view_.database()->readOnly() || view_.fieldIndex(column(index.column()).field) < 0)
        return f;
    return f | Qt::ItemIsEditable;
}

bool ViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    try {
        // An edit belongs to the view's current row: standing on another one writes that row's edits first.
        if (!view_.hasCurrent() || view_.position() != index.row())
            view_.moveTo(index.row());
        const std::int64_t row = view_.bookmark();
        if (editRow_ != row)
            edits_.clear();
        const QString text = value.toString();
        if (edits_.find(index.column()) == edits_.end()) {
            const int f = view_.fieldIndex(column(index.column()).field);
            if (text == view_.field(f).display())
                return true; // nothing changed: the stored value stays exactly as it is
        }
        edits_[index.column()] = text;
        editRow_ = row;
    } catch (const StoreError&) {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

void ViewModel::writeEdits() {
    if (edits_.empty())
        return;
    if (!view_.hasCurrent() || view_.bookmark() != editRow_) {
        discardEdits();
        return;
    }
    view_.edit();
    try {
        for (const auto& [col, text] : edits_) {
            const int f = view_.fieldIndex(column(col).field);
            if (f >= 0)
                view_.setField(f, text.isEmpty() ? Value() : Value::text(text));
        }
        view_.update();
    } catch (...) {
        view_.cancelUpdate();
        throw;
    }
    edits_.clear();
    editRow_ = -1;
    redrawRow(view_.position());
}

void ViewModel::discardEdits() {
    if (edits_.empty())
        return;
    edits_.clear();
    editRow_ = -1;
    redrawRow(view_.position());
}

bool ViewModel::writeOrReport() {
    try {
        writeEdits();
        return true;
    } catch (const StoreError&) {
        if (writeFailed_)
            writeFailed_();
        return false;
    }
}

void ViewModel::writeBeforeMove() {
    if (!edits_.empty() && !writeOrReport())
        throw StoreError("edits refused"); // the move does not happen: the row keeps its edits
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
    setItemDelegate(new CellDelegate(this));
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

void DataGrid::setHeaderSorting(bool on) {
    headerSorting_ = on;
    horizontalHeader()->setSectionsClickable(on);
}

void DataGrid::clickHeader(int column) {
    if (!headerSorting_ || column < 0 || column >= model_->columnCount())
        return;
    // The sort reads the stored values: typed edits go in first; a refused write ends the click.
    commitEdit();
    if (!model_->writeOrReport())
        return;
    sort_.click(model_->column(column).field);
    syncToView();
}

void DataGrid::selectRow(int row) {
    commitEdit();
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

void DataGrid::setEditable(bool on) {
    model_->setEditable(on);
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
}

bool DataGrid::typedKey(int column, const QString& cellText, const QKeyEvent& key, int selected) {
    bool ok = !judge_ || judge_(column, cellText, key);
    if (ok && column >= 0 && column < model_->columnCount() && key.key() != Qt::Key_Backspace) {
        const int max = model_->column(column).maxLength;
        const QString& pass = model_->column(column).passAtLimit;
        if (max > 0 && cellText.size() - selected >= max &&
            !(key.text().size() == 1 && pass.contains(key.text())))
            ok = false;
    }
    if (!ok && prompter_)
        prompter_->beep();
    return ok;
}

QLineEdit* DataGrid::cellEditor() const {
    const auto* d = dynamic_cast<const CellDelegate*>(itemDelegate());
    return d && state() == QAbstractItemView::EditingState ? d->openEditor() : nullptr;
}

void DataGrid::commitEdit() {
    if (QLineEdit* e = cellEditor()) {
        commitData(e);
        closeEditor(e, QAbstractItemDelegate::NoHint);
    }
}

bool DataGrid::writeEdits() {
    commitEdit();
    try {
        model_->writeEdits();
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

void DataGrid::keyPressEvent(QKeyEvent* e) {
    // Esc outside an editor takes back the row's typed edits, as the user has not moved on yet.
    if (e->key() == Qt::Key_Escape && state() != QAbstractItemView::EditingState && model_->hasEdits()) {
        model_->discardEdits();
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
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
