#include "View.h"

#include "Collation.h"
#include "Criteria.h"
#include "JetSql.h"
#include "StoreError.h"

#include <QCollator>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>

namespace lapora {

namespace {

constexpr size_t kRowCacheSize = 512;
constexpr size_t kFetchRun = 64; // rows read together on a walk down the view

// Order of values inside one column: Null first, then numbers, dates and times, texts.
int typeRank(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        return 0;
    case Value::Type::Number:
    case Value::Type::Bool:
        return 1;
    case Value::Type::Date:
    case Value::Type::DateTime:
    case Value::Type::Time:
        return 2;
    case Value::Type::Text:
        return 3;
    }
    return 4;
}

// Ranks of the distinct values of a column, in the column's order (Hungarian for text columns).
std::vector<std::int32_t> rankDistinct(const std::vector<Value>& distinct, bool hungarian) {
    const size_t n = distinct.size();
    std::vector<std::int32_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    // Sort keys turn each collated comparison into a byte comparison.
    std::vector<std::optional<QCollatorSortKey>> keys(hungarian ? n : 0);
    if (hungarian) {
        QCollator c(QLocale(QLocale::Hungarian, QLocale::Hungary));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        for (size_t i = 0; i < n; ++i)
            if (distinct[i].type() == Value::Type::Text)
                keys[i].emplace(c.sortKey(distinct[i].asText()));
    }
    auto less = [&](std::int32_t a, std::int32_t b) {
        const Value& x = distinct[static_cast<size_t>(a)];
        const Value& y = distinct[static_cast<size_t>(b)];
        const int rx = typeRank(x), ry = typeRank(y);
        if (rx != ry)
            return rx < ry;
        if (rx == 3)
            return hungarian ? keys[static_cast<size_t>(a)]->compare(*keys[static_cast<size_t>(b)]) < 0
                             : x.asText() < y.asText();
        if (rx == 1)
            return x.asNumber() < y.asNumber();
        if (rx == 2) {
            return x.dateAndTime() < y.dateAndTime();
        }
        return false;
    };
    std::stable_sort(order.begin(), order.end(), less);
    // Equal values (as the order sees them) share a rank, so ties keep the row set's order.
    std::vector<std::int32_t> rank(n, 0);
    std::int32_t r = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) {
            const Value& a = distinct[static_cast<size_t>(order[i - 1])];
            const Value& b = distinct[static_cast<size_t>(order[i])];
            bool same = typeRank(a) == typeRank(b);
            if (same && typeRank(a) == 3)
                same = hungarian ? compareHungarian(a.asText(), b.asText()) == 0 : a.asText() == b.asText();
            else if (same && typeRank(a) == 1)
                same = a.asNumber() == b.asNumber();
            else if (same && typeRank(a) == 2)
                same = a == b;
            if (!same)
                ++r;
        }
        rank[static_cast<size_t>(order[i])] = r;
    }
    return rank;
}

} // namespace

View::View(std::shared_ptr<Database> db, const QString& source) {
    open(std::move(db), source);
}

View::~View() = default;

void View::open(std::shared_ptr<Database> db, const QString& source) {
    if (!db)
        throw StoreError("no database");
    std::vector<Column> cols;
    QString table, list;
    // Build everything first: a failed open leaves the view as it was.
    Keyset ks = runSource(*db, source, &cols, &table, &list);
    db_ = std::move(db);
    source_ = source;
    table_ = table;
    selectList_ = list;
    columns_ = std::move(cols);
    keys_ = std::move(ks);
    fetch_.reset();
    fetchRun_.reset();
    tableGen_ = nullptr;
    insert_.reset();
    clearCache();
    pos_ = 0;
    deletedCurrent_ = false;
    noMatch_ = false;
    sortText_.clear();
    mode_ = EditMode::None;
    pending_.clear();
    notify(Change::Rows);
}

View::Keyset View::runSource(Database& db, const QString& source, std::vector<Column>* cols, QString* table,
                             QString* selectList) const {
    db.prepareTables(source);
    Keyset ks;
    if (!jetsql::isSelect(source)) {
        const auto canonical =
            db.tableName(source.trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']')));
        if (!canonical)
            throw StoreError("no such table");
        *table = *canonical;
        *selectList = QStringLiteral("*");
        *cols = db.columns(*canonical);
        Statement st(db.handle(), QStringLiteral("SELECT max(rowid) FROM ") + jetsql::quoteName(*canonical));
        st.step();
        ks.pending = true;
        ks.upTo = sqlite3_column_int64(st.get(), 0); // Null (no rows) reads as 0
        return ks;
    }
    const QString named = jetsql::sourceTable(source);
    const jetsql::Names names = db.names(named);
    if (auto sel = jetsql::parseSelect(source, names)) {
        const auto canonical = db.tableName(sel->table);
        if (!canonical)
            throw StoreError("no such table");
        *table = *canonical;
        *selectList = sel->columns;
        QString sql = QStringLiteral("SELECT rowid FROM ") + jetsql::quoteName(*canonical);
        if (!sel->where.isEmpty())
            sql += QStringLiteral(" WHERE ") + sel->where;
        sql += QStringLiteral(" ORDER BY ") +
               (sel->orderBy.isEmpty() ? QStringLiteral("rowid") : sel->orderBy + QStringLiteral(", rowid"));
        // The select list must be valid too: prepare the row fetch once here so a bad field fails the open.
        Statement probe(db.handle(), QStringLiteral("SELECT ") + sel->columns + QStringLiteral(" FROM ") +
                                         jetsql::quoteName(*canonical) + QStringLiteral(" WHERE rowid = ?1"));
        cols->clear();
        const int n = sqlite3_column_count(probe.get());
        for (int i = 0; i < n; ++i) {
            const char* decl = sqlite3_column_decltype(probe.get(), i);
            cols->push_back(columnFromDeclared(QString::fromUtf8(sqlite3_column_name(probe.get(), i)),
                                               QString::fromUtf8(decl ? decl : "")));
        }
        Statement st(db.handle(), sql);
        while (st.step())
            ks.rowids.push_back(sqlite3_column_int64(st.get(), 0));
        return ks;
    }
    // Anything else runs once into a read-only snapshot.
    const jetsql::Translation tr = jetsql::translate(source, names);
    Statement st(db.handle(), tr.sql);
    const int n = sqlite3_column_count(st.get());
    cols->clear();
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(st.get(), i);
        cols->push_back(columnFromDeclared(QString::fromUtf8(sqlite3_column_name(st.get(), i)),
                                           QString::fromUtf8(decl ? decl : "")));
    }
    ks.isSnapshot = true;
    auto rows = std::make_shared<std::vector<std::vector<Value>>>();
    while (st.step()) {
        std::vector<Value> row;
        row.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            ColumnType t = (*cols)[static_cast<size_t>(i)].type;
            if (sqlite3_column_decltype(st.get(), i) == nullptr) {
                const int st_t = sqlite3_column_type(st.get(), i);
                t = (st_t == SQLITE_INTEGER || st_t == SQLITE_FLOAT) ? ColumnType::Number : ColumnType::Text;
            }
            row.push_back(Database::read(st.get(), i, t));
        }
        rows->push_back(std::move(row));
        ks.rowids.push_back(static_cast<std::int64_t>(rows->size() - 1));
    }
    ks.snapshot = std::move(rows);
    table->clear();
    *selectList = QString();
    return ks;
}

void View::requery() {
    requireOpen();
    aboutToMove();
    std::vector<Column> cols;
    QString table, list;
    Keyset ks = runSource(*db_, source_, &cols, &table, &list);
    table_ = table;
    selectList_ = list;
    columns_ = std::move(cols);
    keys_ = std::move(ks);
    fetch_.reset();
    fetchRun_.reset();
    tableGen_ = nullptr;
    insert_.reset();
    clearCache();
    pos_ = 0;
    deletedCurrent_ = false;
    mode_ = EditMode::None;
    pending_.clear();
    // A reopened view is the source's row set again: a header-click sort is dropped with its text, so rows
    // added meanwhile come in at their place in the source's order and the next click sorts ascending.
    sortText_.clear();
    notify(Change::Rows);
}

void View::recreate() {
    requireOpen();
    auto db = db_;
    const QString src = source_;
    aboutToMove();
    open(db, src);
}

void View::close() {
    if (!db_)
        throw StoreError("not open");
    if (mode_ != EditMode::None)
        cancelUpdate();
    fetch_.reset();
    fetchRun_.reset();
    tableGen_ = nullptr;
    insert_.reset();
    db_.reset();
    clearCache();
    keys_ = Keyset();
    columns_.clear();
    pos_ = 0;
    notify(Change::Rows);
}

void View::gatherKeys() const {
    if (!keys_.pending || !db_)
        return;
    Statement st(db_->handle(), QStringLiteral("SELECT rowid FROM ") + jetsql::quoteName(table_) +
                                    QStringLiteral(" WHERE rowid <= ?1 ORDER BY rowid"));
    sqlite3_bind_int64(st.get(), 1, keys_.upTo);
    std::vector<std::int64_t> ids;
    while (st.step())
        ids.push_back(sqlite3_column_int64(st.get(), 0));
    keys_.rowids = std::move(ids);
    keys_.pending = false;
}

bool View::gatherKeysQuietly() const {
    try {
        gatherKeys();
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

void View::requireOpen() const {
    if (!db_)
        throw StoreError("view closed");
}

int View::recordCount() const {
    requireOpen();
    gatherKeys();
    return static_cast<int>(keys_.rowids.size());
}

bool View::eof() const {
    return !db_ || !gatherKeysQuietly() || pos_ >= static_cast<int>(keys_.rowids.size());
}

bool View::bof() const {
    return !db_ || !gatherKeysQuietly() || keys_.rowids.empty() || pos_ < 0;
}

bool View::hasCurrent() const {
    return db_ && gatherKeysQuietly() && !deletedCurrent_ && pos_ >= 0 &&
           pos_ < static_cast<int>(keys_.rowids.size());
}

void View::requireCurrent() const {
    if (!hasCurrent())
        throw StoreError("no current record");
}

void View::aboutToMove() {
    if ((beforeMove_ || !moreBeforeMove_.empty()) && !inBeforeMove_) {
        inBeforeMove_ = true;
        try {
            if (beforeMove_)
                beforeMove_();
            const auto hooks = moreBeforeMove_;
            for (const auto& [id, f] : hooks)
                f();
        } catch (...) {
            inBeforeMove_ = false;
            throw;
        }
        inBeforeMove_ = false;
    }
    if (mode_ != EditMode::None)
        cancelUpdate();
}

void View::moveFirst() {
    requireOpen();
    gatherKeys();
    if (keys_.rowids.empty())
        throw StoreError("no current record");
    aboutToMove();
    pos_ = 0;
    deletedCurrent_ = false;
    notify(Change::Current);
}

void View::moveLast() {
    requireOpen();
    gatherKeys();
    if (keys_.rowids.empty())
        throw StoreError("no current record");
    aboutToMove();
    pos_ = static_cast<int>(keys_.rowids.size()) - 1;
    deletedCurrent_ = false;
    notify(Change::Current);
}

void View::moveNext() {
    requireOpen();
    gatherKeys();
    if (deletedCurrent_) {
        // After Delete the position already names the row that followed.
        deletedCurrent_ = false;
        notify(Change::Current);
        return;
    }
    if (eof())
        throw StoreError("no current record");
    aboutToMove();
    ++pos_;
    notify(Change::Current);
}

void View::movePrevious() {
    requireOpen();
    gatherKeys();
    if (deletedCurrent_) {
        deletedCurrent_ = false;
        pos_ = std::max(-1, pos_ - 1);
        notify(Change::Current);
        return;
    }
    if (pos_ < 0 || keys_.rowids.empty())
        throw StoreError("no current record");
    aboutToMove();
    pos_ = std::min(pos_, static_cast<int>(keys_.rowids.size())) - 1;
    notify(Change::Current);
}

void View::moveTo(int row) {
    requireOpen();
    gatherKeys();
    if (row < 0 || row >= static_cast<int>(keys_.rowids.size()))
        throw StoreError("no such row");
    if (row == pos_ && !deletedCurrent_)
        return;
    aboutToMove();
    pos_ = row;
    deletedCurrent_ = false;
    notify(Change::Current);
}

void View::writable() const {
    requireOpen();
    if (db_->readOnly() || keys_.isSnapshot || table_.isEmpty())
        throw StoreError("read only");
}

void View::addNew() {
    writable();
    if (mode_ != EditMode::None)
        cancelUpdate();
    mode_ = EditMode::AddNew;
    pending_.assign(columns_.size(), std::nullopt);
}

void View::edit() {
    writable();
    requireCurrent();
    mode_ = EditMode::Edit;
    pending_.assign(columns_.size(), std::nullopt);
}

void View::cancelUpdate() {
    mode_ = EditMode::None;
    pending_.clear();
}

void View::update() {
    writable();
    gatherKeys();
    if (mode_ == EditMode::None)
        throw StoreError("update without edit");
    std::vector<int> set;
    for (size_t i = 0; i < pending_.size(); ++i)
        if (pending_[i])
            set.push_back(static_cast<int>(i));
    sqlite3* h = db_->handle();
    if (mode_ == EditMode::AddNew) {
        if (!insert_ || set != insertFields_) {
            insert_.reset();
            QString sql = QStringLiteral("INSERT INTO ") + jetsql::quoteName(table_);
            if (set.empty()) {
                sql += QStringLiteral(" DEFAULT VALUES");
            } else {
                QString names, marks;
                for (size_t k = 0; k < set.size(); ++k) {
                    names += (k ? QStringLiteral(", ") : QString()) +
                             jetsql::quoteName(columns_[static_cast<size_t>(set[k])].name);
                    marks += (k ? QStringLiteral(", ?") : QStringLiteral("?"));
                }
                sql += QStringLiteral(" (") + names + QStringLiteral(") VALUES (") + marks + QLatin1Char(')');
            }
            insert_ = std::make_unique<Statement>(h, sql);
            insertFields_ = set;
        }
        Statement& st = *insert_;
        st.reset();
        for (size_t k = 0; k < set.size(); ++k)
            Database::bind(st.get(), static_cast<int>(k) + 1, *pending_[static_cast<size_t>(set[k])],
                           columns_[static_cast<size_t>(set[k])].type);
        st.step();
        st.reset(); // no statement left running between writes
        const std::int64_t rowid = sqlite3_last_insert_rowid(h);
        db_->rowChanged(table_, rowid, false);
        // The new row shows last until the view is reopened; the current row stays where it was.
        keys_.rowids.push_back(rowid);
        mode_ = EditMode::None;
        pending_.clear();
        notify(Change::Rows);
        return;
    }
    requireCurrent();
    if (!set.empty()) {
        QString sql = QStringLiteral("UPDATE ") + jetsql::quoteName(table_) + QStringLiteral(" SET ");
        for (size_t k = 0; k < set.size(); ++k)
            sql += (k ? QStringLiteral(", ") : QString()) +
                   jetsql::quoteName(columns_[static_cast<size_t>(set[k])].name) + QStringLiteral(" = ?");
        sql += QStringLiteral(" WHERE rowid = ?");
        Statement st(h, sql);
        for (size_t k = 0; k < set.size(); ++k)
            Database::bind(st.get(), static_cast<int>(k) + 1, *pending_[static_cast<size_t>(set[k])],
                           columns_[static_cast<size_t>(set[k])].type);
        sqlite3_bind_int64(st.get(), static_cast<int>(set.size()) + 1,
                           keys_.rowids[static_cast<size_t>(pos_)]);
        st.step();
        // The row went (another writer deleted it): nothing was stored, and saying so is the caller's due.
        if (sqlite3_changes(h) == 0)
            throw StoreError("the row is no longer stored");
        db_->rowChanged(table_, keys_.rowids[static_cast<size_t>(pos_)], false);
    }
    mode_ = EditMode::None;
    pending_.clear();
    notify(Change::Values);
}

void View::remove() {
    writable();
    requireCurrent();
    if (mode_ != EditMode::None)
        cancelUpdate();
    Statement st(db_->handle(), QStringLiteral("DELETE FROM ") + jetsql::quoteName(table_) +
                                    QStringLiteral(" WHERE rowid = ?"));
    sqlite3_bind_int64(st.get(), 1, keys_.rowids[static_cast<size_t>(pos_)]);
    st.step();
    db_->rowChanged(table_, keys_.rowids[static_cast<size_t>(pos_)], true);
    keys_.rowids.erase(keys_.rowids.begin() + pos_);
    deletedCurrent_ = true;
    notify(Change::Rows);
}

int View::fieldIndex(const QString& name) const {
    QString n = name;
    if (n.startsWith(QLatin1Char('[')) && n.endsWith(QLatin1Char(']')))
        n = n.mid(1, n.size() - 2);
    // The name as declared first: most callers write it so, and that compare costs far less.
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name == n)
            return static_cast<int>(i);
    for (size_t i = 0; i < columns_.size(); ++i)
        if (sameName(columns_[i].name, n))
            return static_cast<int>(i);
    return -1;
}

void View::clearCache() const {
    cache_.clear();
    lastRow_ = nullptr;
}

const std::vector<Value>& View::remember(std::int64_t rowid, const std::vector<Value>& row) const {
    lastRowid_ = rowid;
    lastRow_ = &row;
    return row;
}

const std::vector<Value>& View::row(int index) const {
    requireOpen();
    gatherKeys();
    if (index < 0 || index >= static_cast<int>(keys_.rowids.size()))
        throw StoreError("no such row");
    if (keys_.isSnapshot)
        return (*keys_.snapshot)[static_cast<size_t>(keys_.rowids[static_cast<size_t>(index)])];
    // Rows stay good while nothing wrote this table (writes to other tables leave them be).
    if (!tableGen_)
        tableGen_ = &db_->tableGeneration(table_);
    const std::uint64_t gen = Database::unpinnedGeneration() + *tableGen_;
    if (cacheGen_ != gen) {
        clearCache();
        cacheGen_ = gen;
    }
    const std::int64_t rowid = keys_.rowids[static_cast<size_t>(index)];
    // A row's fields are mostly read one after the other.
    if (lastRow_ && lastRowid_ == rowid)
        return *lastRow_;
    auto it = cache_.find(rowid);
    if (it != cache_.end())
        return remember(rowid, it->second);
    if (cache_.size() + kFetchRun > kRowCacheSize)
        clearCache();
    const auto readRow = [this](sqlite3_stmt* st, int first) {
        std::vector<Value> values;
        values.reserve(columns_.size());
        for (size_t i = 0; i < columns_.size(); ++i)
            values.push_back(Database::read(st, first + static_cast<int>(i), columns_[i].type));
        return values;
    };
    // A walk down the view (a copy, a print, a grid filling) comes to the next rows next: when they follow
    // in rowid order with few gaps, one statement reads them all.
    size_t end = static_cast<size_t>(index) + 1;
    const size_t limit = std::min(keys_.rowids.size(), static_cast<size_t>(index) + kFetchRun);
    while (end < limit && keys_.rowids[end] > keys_.rowids[end - 1] &&
           keys_.rowids[end] - rowid < static_cast<std::int64_t>(2 * kFetchRun))
        ++end;
    if (end - static_cast<size_t>(index) >= 4) {
        if (!fetchRun_)
            fetchRun_ = std::make_unique<Statement>(
                db_->handle(), QStringLiteral("SELECT rowid, ") + selectList_ + QStringLiteral(" FROM ") +
                                   jetsql::quoteName(table_) +
                                   QStringLiteral(" WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid"));
        fetchRun_->reset();
        sqlite3_bind_int64(fetchRun_->get(), 1, rowid);
        sqlite3_bind_int64(fetchRun_->get(), 2, keys_.rowids[end - 1]);
        size_t k = static_cast<size_t>(index);
        try {
            while (k < end && fetchRun_->step()) {
                const std::int64_t got = sqlite3_column_int64(fetchRun_->get(), 0);
                while (k < end && keys_.rowids[k] < got)
                    ++k; // not stored any more: read alone below, as all Null
                if (k < end && keys_.rowids[k] == got)
                    cache_.try_emplace(got, readRow(fetchRun_->get(), 1));
            }
        } catch (...) {
            fetchRun_->reset();
            throw;
        }
        fetchRun_->reset();
        it = cache_.find(rowid);
        if (it != cache_.end())
            return remember(rowid, it->second);
    }
    if (!fetch_)
        fetch_ = std::make_unique<Statement>(
            db_->handle(), QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") +
                               jetsql::quoteName(table_) + QStringLiteral(" WHERE rowid = ?1"));
    fetch_->reset();
    sqlite3_bind_int64(fetch_->get(), 1, rowid);
    std::vector<Value> values;
    if (fetch_->step())
        values = readRow(fetch_->get(), 0);
    else
        values.assign(columns_.size(), Value()); // deleted through another view: the row reads as all Null
    fetch_->reset();
    return remember(rowid, cache_.emplace(rowid, std::move(values)).first->second);
}

Value View::field(int i) const {
    requireCurrent();
    if (i < 0 || i >= fieldCount())
        throw StoreError("no such field");
    if (mode_ != EditMode::None && pending_[static_cast<size_t>(i)])
        return *pending_[static_cast<size_t>(i)];
    if (mode_ == EditMode::AddNew)
        return {};
    return row(pos_)[static_cast<size_t>(i)];
}

Value View::field(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw StoreError("no such field: " + name.toStdString());
    return field(i);
}

void View::setField(int i, const Value& v) {
    if (mode_ == EditMode::None)
        throw StoreError("set without edit");
    if (i < 0 || i >= fieldCount())
        throw StoreError("no such field");
    pending_[static_cast<size_t>(i)] = v;
}

void View::setField(const QString& name, const Value& v) {
    const int i = fieldIndex(name);
    if (i < 0)
        throw StoreError("no such field: " + name.toStdString());
    setField(i, v);
}

Value View::valueAt(int r, int c) const {
    if (c < 0 || c >= fieldCount())
        throw StoreError("no such field");
    return row(r)[static_cast<size_t>(c)];
}

bool View::findFirst(const QString& criteriaText) {
    requireOpen();
    gatherKeys();
    const Criteria crit = Criteria::parse(criteriaText);
    const int col = fieldIndex(crit.field());
    if (col < 0)
        throw StoreError("no such field in criteria");
    int found = -1;
    const int n = static_cast<int>(keys_.rowids.size());
    if (keys_.isSnapshot) {
        for (int i = 0; i < n && found < 0; ++i)
            if (crit.matches(row(i)[static_cast<size_t>(col)]))
                found = i;
    } else {
        const Column& c = columns_[static_cast<size_t>(col)];
        const bool text = c.type == ColumnType::Text || c.type == ColumnType::LongText;
        auto idx = db_->cachedColumnIndex(table_, c.name);
        const QString filter = idx || !text ? QString() : crit.sqlTextFilter();
        if (!idx && !filter.isEmpty() && db_->firstSearchOf(table_, c.name))
            return foundAt(scanFind(crit, col, filter));
        // Every value is tested once per distinct value, then the rows are walked in the view's order.
        if (!idx)
            idx = db_->columnIndex(table_, c.name);
        std::vector<signed char> hit(idx->distinct.size(), -1);
        for (int i = 0; i < n && found < 0; ++i) {
            const std::int32_t id = idx->idOf(keys_.rowids[static_cast<size_t>(i)]);
            if (id < 0)
                continue;
            signed char& h = hit[static_cast<size_t>(id)];
            if (h < 0)
                h = crit.matches(idx->distinct[static_cast<size_t>(id)]) ? 1 : 0;
            if (h)
                found = i;
        }
    }
    return foundAt(found);
}

bool View::foundAt(int found) {
    noMatch_ = found < 0;
    if (found >= 0) {
        aboutToMove();
        pos_ = found;
        deletedCurrent_ = false;
        notify(Change::Current);
    }
    return !noMatch_;
}

int View::scanFind(const Criteria& crit, int col, const QString& likeFilter) const {
    // SQLite's LIKE leaves out the rows that cannot match; the rest are tested once per distinct value.
    const Column& c = columns_[static_cast<size_t>(col)];
    const QString name = jetsql::quoteName(c.name);
    Statement st(db_->handle(), QStringLiteral("SELECT rowid, ") + name + QStringLiteral(" FROM ") +
                                    jetsql::quoteName(table_) + QStringLiteral(" WHERE ") + name +
                                    QStringLiteral(" LIKE ?1 ESCAPE '\\'"));
    const QByteArray pattern = likeFilter.toUtf8();
    sqlite3_bind_text(st.get(), 1, pattern.constData(), static_cast<int>(pattern.size()), SQLITE_STATIC);
    std::vector<std::int64_t> hits;
    std::unordered_map<std::string, bool> tested;
    std::string key;
    while (st.step()) {
        // The type first: reading a number as bytes would turn it into text.
        const int type = sqlite3_column_type(st.get(), 1);
        key.assign(1, static_cast<char>('0' + type));
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            const double d = sqlite3_column_double(st.get(), 1);
            key.append(reinterpret_cast<const char*>(&d), sizeof d);
        } else {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(st.get(), 1));
            key.append(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st.get(), 1)));
        }
        auto [it, inserted] = tested.try_emplace(key, false);
        if (inserted)
            it->second = crit.matches(Database::read(st.get(), 1, c.type));
        if (it->second)
            hits.push_back(sqlite3_column_int64(st.get(), 0));
    }
    if (hits.empty())
        return -1;
    std::sort(hits.begin(), hits.end());
    const int n = static_cast<int>(keys_.rowids.size());
    for (int i = 0; i < n; ++i)
        if (std::binary_search(hits.begin(), hits.end(), keys_.rowids[static_cast<size_t>(i)]))
            return i;
    return -1;
}

View::Bookmark View::bookmark() const {
    requireCurrent();
    return keys_.rowids[static_cast<size_t>(pos_)];
}

void View::setBookmark(Bookmark b) {
    requireOpen();
    gatherKeys();
    const auto it = std::find(keys_.rowids.begin(), keys_.rowids.end(), b);
    if (it == keys_.rowids.end())
        throw StoreError("bookmark not valid");
    moveTo(static_cast<int>(it - keys_.rowids.begin()));
}

std::vector<std::uint32_t> View::sortedPlaces(const QString& sortBy) const {
    gatherKeys();
    QString s = sortBy.trimmed();
    bool desc = false;
    if (s.endsWith(QLatin1String(" DESC"), Qt::CaseInsensitive)) {
        desc = true;
        s.chop(5);
    } else if (s.endsWith(QLatin1String(" ASC"), Qt::CaseInsensitive)) {
        s.chop(4);
    }
    s = s.trimmed();
    const int col = fieldIndex(s);
    if (col < 0)
        throw StoreError("no such field to sort by");
    const Column& c = columns_[static_cast<size_t>(col)];
    const bool text = c.type == ColumnType::Text || c.type == ColumnType::LongText;
    const size_t n = keys_.rowids.size();
    // Ranks are small whole numbers (-1: the row is gone): a counting sort places every row in one pass and
    // keeps ties in the row set's order.
    std::vector<std::int32_t> snapshotRank;
    std::shared_ptr<const ColumnIndex> idx;
    std::vector<std::int32_t> rank;
    if (keys_.isSnapshot) {
        std::vector<Value> vals;
        vals.reserve(n);
        for (size_t i = 0; i < n; ++i)
            vals.push_back((*keys_.snapshot)[static_cast<size_t>(keys_.rowids[i])][static_cast<size_t>(col)]);
        snapshotRank = rankDistinct(vals, text);
    } else {
        idx = db_->columnIndex(table_, c.name);
        rank = rankDistinct(idx->distinct, text);
    }
    const auto rankAt = [&](size_t i) -> std::int32_t {
        if (keys_.isSnapshot)
            return snapshotRank[i];
        const std::int32_t id = idx->idOf(keys_.rowids[i]);
        return id < 0 ? -1 : rank[static_cast<size_t>(id)];
    };
    const std::vector<std::int32_t>& ranks = keys_.isSnapshot ? snapshotRank : rank;
    const std::int32_t top = ranks.empty() ? -1 : *std::max_element(ranks.begin(), ranks.end());
    // Bucket of a rank: ascending puts gone rows first, descending last.
    const auto bucket = [&](std::int32_t r) { return static_cast<size_t>(desc ? top - r : r + 1); };
    std::vector<std::uint32_t> start(static_cast<size_t>(top) + 3, 0);
    for (size_t i = 0; i < n; ++i)
        ++start[bucket(rankAt(i)) + 1];
    for (size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    std::vector<std::uint32_t> place(n);
    for (size_t i = 0; i < n; ++i)
        place[i] = start[bucket(rankAt(i))]++;
    return place;
}

void View::sort(const QString& text) {
    requireOpen();
    std::vector<std::uint32_t> place = sortedPlaces(text); // fails before anything changes
    aboutToMove();
    if (place.size() != keys_.rowids.size()) // the move stored a new row: it takes its place too
        place = sortedPlaces(text);
    // Every row to its place by swaps along the permutation's cycles: the keyset is never held twice (a
    // million rows' ids are 8 MB; their places 4 MB).
    for (size_t i = 0; i < place.size(); ++i)
        while (place[i] != i) {
            const size_t j = place[i];
            std::swap(keys_.rowids[i], keys_.rowids[j]);
            std::swap(place[i], place[j]);
        }
    sortText_ = text;
    pos_ = 0;
    deletedCurrent_ = false;
    notify(Change::Rows);
}

int View::addBeforeMove(std::function<void()> f) {
    moreBeforeMove_.emplace_back(nextObserver_, std::move(f));
    return nextObserver_++;
}

void View::removeBeforeMove(int id) {
    moreBeforeMove_.erase(std::remove_if(moreBeforeMove_.begin(), moreBeforeMove_.end(),
                                         [id](const auto& p) { return p.first == id; }),
                          moreBeforeMove_.end());
}

int View::subscribe(std::function<void(Change)> f) {
    observers_.emplace_back(nextObserver_, std::move(f));
    return nextObserver_++;
}

void View::unsubscribe(int id) {
    observers_.erase(
        std::remove_if(observers_.begin(), observers_.end(), [id](const auto& p) { return p.first == id; }),
        observers_.end());
}

void View::notify(Change c) {
    const auto copy = observers_;
    for (const auto& [id, f] : copy)
        f(c);
}

} // namespace lapora
