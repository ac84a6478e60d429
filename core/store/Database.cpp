#include "Database.h"

#include "Collation.h"
#include "JetFile.h"
#include "Regional.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

namespace lapora {

namespace {

std::uint64_t g_generation = 1;
std::uint64_t g_unpinned = 1; // writes not pinned to one table (statements, a rolled-back transaction)

// Per file and table: how often one of its rows was written. Nodes never move, so references stay valid.
std::unordered_map<std::string, std::uint64_t>& tableBumps() {
    static std::unordered_map<std::string, std::uint64_t> bumps;
    return bumps;
}

QByteArray header(const QString& path, int n) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(n);
}

// A FIFO or a device is no data file: opening one for its header would wait for a writer forever.
bool isRegularFile(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isSqliteFile(const QString& path) {
    return header(path, 16) == QByteArray("SQLite format 3\0", 16);
}

// Fixed-width forms by hand: Qt's format-string parser and printer cost more than reading the row itself.
QString isoDate(const QDate& d) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    return QString::fromLatin1(buf, n);
}
QString isoTime(const QTime& t) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour(), t.minute(), t.second());
    return QString::fromLatin1(buf, n);
}

const QDate kZeroDay(1899, 12, 30);

// A date-time in its stored form: the date alone at midnight (so it equals a #m/d/yyyy# literal), the
// date and the time otherwise, day 0 included.
QString isoDateTime(const QDate& d, const QTime& t) {
    if (t == QTime(0, 0))
        return isoDate(d);
    return isoDate(d) + QLatin1Char(' ') + isoTime(t);
}

int digits(const char* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}
// "yyyy-MM-dd" at p, or an invalid date.
QDate parseIsoDate(const char* p, int len) {
    if (len < 10 || p[4] != '-' || p[7] != '-')
        return {};
    const int y = digits(p, 4), m = digits(p + 5, 2), d = digits(p + 8, 2);
    return y < 0 || m < 0 || d < 0 ? QDate() : QDate(y, m, d);
}
// "HH:mm:ss" at p, or an invalid time.
QTime parseIsoTime(const char* p, int len) {
    if (len < 8 || p[2] != ':' || p[5] != ':')
        return {};
    const int h = digits(p, 2), m = digits(p + 3, 2), s = digits(p + 6, 2);
    return h < 0 || m < 0 || s < 0 ? QTime() : QTime(h, m, s);
}

// lapora_as(value, kind): a stored date, time or date-time text turned into the stored form of a DATE ('D'),
// TIME ('T') or DATETIME ('DT') column, the way Jet converts a date-time; anything else passes unchanged.
// An INSERT ... SELECT wraps its date and time fields in it, so a copy never stores one kind's text in a
// field of another.
void convertDateTime(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const auto* kind = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    if (sqlite3_value_type(v) != SQLITE_TEXT || !kind) {
        sqlite3_result_value(ctx, v);
        return;
    }
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(v));
    const int len = sqlite3_value_bytes(v);
    QDate d;
    QTime t;
    if (len == 8) {
        t = parseIsoTime(raw, len);
        d = kZeroDay;
    } else if (len == 10) {
        d = parseIsoDate(raw, len);
        t = QTime(0, 0);
    } else if (len == 19 && raw[10] == ' ') {
        d = parseIsoDate(raw, 10);
        t = parseIsoTime(raw + 11, 8);
    }
    if (!d.isValid() || !t.isValid()) {
        sqlite3_result_value(ctx, v);
        return;
    }
    // Already the field's own stored form (a copy between files of one kind, as LPMRep's): passed on as it
    // is, with no text made.
    const bool date = std::strcmp(kind, "D") == 0, time = std::strcmp(kind, "T") == 0;
    if ((date && len == 10) || (time && len == 8) ||
        (!date && !time && (len == 10 || (len == 19 && t != QTime(0, 0))))) {
        sqlite3_result_value(ctx, v);
        return;
    }
    QString out;
    if (date)
        out = isoDate(d);
    else if (time)
        out = isoTime(t);
    else
        out = isoDateTime(d, t);
    const QByteArray u = out.toLatin1();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

const char* conversionKind(ColumnType t) {
    switch (t) {
    case ColumnType::Date:
        return "D";
    case ColumnType::Time:
        return "T";
    case ColumnType::DateTime:
        return "DT";
    default:
        return nullptr;
    }
}

// The stored form of one value, type included, as a hash key.
void valueKey(sqlite3_stmt* st, int col, std::string& key) {
    const int t = sqlite3_column_type(st, col);
    key.assign(1, static_cast<char>('0' + t));
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(st, col);
        key.append(reinterpret_cast<const char*>(&d), sizeof d);
    } else if (t != SQLITE_NULL) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(st, col));
        key.append(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, col)));
    }
}

void bindText(sqlite3_stmt* st, int pos, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_bind_text(st, pos, u.constData(), u.size(), SQLITE_TRANSIENT);
}

QDate fromSerial(double d) {
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(d)));
}

std::optional<bool> parseBool(const QString& s) {
    const QString t = s.trimmed().toLower();
    if (t == QLatin1String("igaz") || t == QLatin1String("igen") || t == QLatin1String("true") ||
        t == QLatin1String("-1") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("hamis") || t == QLatin1String("nem") || t == QLatin1String("false") ||
        t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace

// ---- Statement

Statement::Statement(sqlite3* db, const QString& sql) {
    const QByteArray u = sql.toUtf8();
    if (!db || sqlite3_prepare_v2(db, u.constData(), u.size(), &st_, nullptr) != SQLITE_OK || !st_) {
        const std::string msg = db ? sqlite3_errmsg(db) : "closed";
        sqlite3_finalize(st_);
        st_ = nullptr;
        throw StoreError("prepare: " + msg);
    }
}

Statement::~Statement() {
    sqlite3_finalize(st_);
}

bool Statement::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string msg = sqlite3_errmsg(sqlite3_db_handle(st_));
    sqlite3_reset(st_);
    throw StoreError("step: " + msg);
}

void Statement::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

// ---- ColumnIndex

std::int32_t ColumnIndex::cell(std::size_t row) const {
    const std::uint8_t* p = cells.data() + row * static_cast<std::size_t>(width);
    if (width == 1)
        return static_cast<std::int32_t>(*p) - 1;
    if (width == 2) {
        std::uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return static_cast<std::int32_t>(v) - 1;
    }
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<std::int32_t>(v) - 1;
}

void ColumnIndex::putCell(std::size_t row, std::uint32_t value) {
    std::uint8_t* p = cells.data() + row * static_cast<std::size_t>(width);
    if (width == 1) {
        *p = static_cast<std::uint8_t>(value);
    } else if (width == 2) {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(p, &v, sizeof v);
    } else {
        std::memcpy(p, &value, sizeof value);
    }
}

std::int32_t ColumnIndex::idOf(std::int64_t rowid) const {
    if (dense) {
        if (rowid < 0 || static_cast<std::uint64_t>(rowid) >= denseRows())
            return -1;
        return cell(static_cast<std::size_t>(rowid));
    }
    auto it = sparse.find(rowid);
    return it == sparse.end() ? -1 : it->second;
}

void ColumnIndex::makeSparse() {
    for (std::size_t r = 0; r < denseRows(); ++r)
        if (const std::int32_t id = cell(r); id >= 0)
            sparse[static_cast<std::int64_t>(r)] = id;
    cells = {};
    width = 1;
    dense = false;
}

void ColumnIndex::set(std::int64_t rowid, std::int32_t id) {
    if (dense && (rowid < 0 || rowid > 2 * static_cast<std::int64_t>(denseRows()) + 1024))
        makeSparse();
    if (!dense) {
        if (id < 0)
            sparse.erase(rowid);
        else
            sparse[rowid] = id;
        return;
    }
    const auto value = static_cast<std::uint32_t>(id + 1);
    if (const int need = value <= 0xff ? 1 : value <= 0xffff ? 2 : 4; need > width) {
        // More distinct values than the cells can name: every cell gets wider.
        ColumnIndex wider;
        wider.width = need;
        wider.cells.assign(denseRows() * static_cast<std::size_t>(need), 0);
        for (std::size_t r = 0; r < denseRows(); ++r)
            wider.putCell(r, static_cast<std::uint32_t>(cell(r) + 1));
        cells = std::move(wider.cells);
        width = need;
    }
    const auto row = static_cast<std::size_t>(rowid);
    if (row >= denseRows())
        cells.resize((row + 1) * static_cast<std::size_t>(width), 0);
    putCell(row, value);
}

// ---- Database

QString Database::resolve(const QString& nameOrPath, const QString& folder) {
    if (nameOrPath.trimmed().isEmpty())
        return {};
    QString name = nameOrPath;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QFileInfo fi(name);
    if (fi.isRelative())
        fi = QFileInfo(QDir(folder.isEmpty() ? QDir::currentPath() : folder), name);
    if (isRegularFile(fi.absoluteFilePath()))
        return fi.absoluteFilePath();
    // The program writes the same file names in mixed case: match the last part without case.
    const QDir dir = fi.absoluteDir();
    if (!dir.exists())
        return {};
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries)
        if (e.compare(fi.fileName(), Qt::CaseInsensitive) == 0 && isRegularFile(dir.absoluteFilePath(e)))
            return dir.absoluteFilePath(e);
    return {};
}

Database::Format Database::format(const QString& nameOrPath, const QString& folder) {
    const QString path = resolve(nameOrPath, folder);
    if (path.isEmpty())
        return Format::Missing;
    if (isSqliteFile(path))
        return Format::Sqlite;
    if (JetFile::looksLikeJet(path))
        return Format::Jet;
    return Format::Other;
}

std::shared_ptr<Database> Database::open(const QString& nameOrPath, const QString& folder, Access access) {
    const QString path = resolve(nameOrPath, folder);
    if (path.isEmpty())
        throw StoreError("no such data file: " + nameOrPath.toStdString());
    std::shared_ptr<Database> db(new Database);
    db->path_ = path;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    db->fileKey_ = canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
    if (isSqliteFile(path)) {
        // Never create: a missing file must fail so the caller's missing-database message can fire.
        const QByteArray p = QFile::encodeName(path);
        db->readOnly_ = access == Access::ReadOnly;
        const int mode = db->readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(p.constData(), &db->db_, mode | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK)
            throw StoreError("cannot open data file");
        sqlite3_busy_timeout(db->db_, 3000);
        db->registerFunctions();
        try {
            // Reading the schema proves the file is sound enough to use.
            Statement st(db->db_, QStringLiteral("SELECT count(*) FROM sqlite_master"));
            st.step();
        } catch (const StoreError&) {
            const int rc = sqlite3_errcode(db->db_);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                throw StoreBusy("data file locked by another program");
            throw StoreError("damaged data file");
        }
        return db;
    }
    if (JetFile::looksLikeJet(path)) {
        db->jet_ = JetFile::open(path);
        db->jetTables_ = db->jet_->tableNames();
        if (sqlite3_open_v2(":memory:", &db->db_,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI |
                                SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK)
            throw StoreError("cannot open memory database");
        db->registerFunctions();
        return db;
    }
    throw StoreError("not a data file");
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::registerFunctions() {
    registerHungarianCollation(db_);
    sqlite3_create_function_v2(db_, "lapora_as", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               convertDateTime, nullptr, nullptr, nullptr);
}

QStringList Database::tableNames() const {
    if (jet_)
        return jetTables_;
    QStringList out;
    Statement st(db_, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                     "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    while (st.step())
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    return out;
}

std::optional<QString> Database::tableName(const QString& anyCase) const {
    QString want = anyCase.trimmed();
    if (want.startsWith(QLatin1Char('[')) && want.endsWith(QLatin1Char(']')))
        want = want.mid(1, want.size() - 2);
    for (const QString& t : tableNames())
        if (sameName(t, want))
            return t;
    return std::nullopt;
}

std::vector<Column> Database::columns(const QString& table) {
    const auto canonical = tableName(table);
    if (!canonical)
        throw StoreError("no such table: " + table.toStdString());
    auto it = columnCache_.find(*canonical);
    if (it != columnCache_.end())
        return it->second;
    std::vector<Column> cols;
    if (jet_) {
        cols = jet_->columns(*canonical);
    } else {
        Statement st(db_, QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
        bindText(st.get(), 1, *canonical);
        while (st.step()) {
            const auto* n = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
            cols.push_back(columnFromDeclared(QString::fromUtf8(n), QString::fromUtf8(t ? t : "")));
        }
    }
    columnCache_[*canonical] = cols;
    return cols;
}

std::optional<Column> Database::column(const QString& table, const QString& anyCase) {
    for (const Column& c : columns(table))
        if (sameName(c.name, anyCase))
            return c;
    return std::nullopt;
}

jetsql::Names Database::names(const QString& table) {
    jetsql::Names n;
    n.table = [this](const QString& t) { return tableName(t); };
    std::vector<Column> cols;
    try {
        if (!table.isEmpty())
            cols = columns(table);
    } catch (const StoreError&) {
        // An unknown table: the statement will fail when SQLite sees it.
    }
    n.column = [cols](const QString& name) -> std::optional<Column> {
        for (const Column& c : cols)
            if (sameName(c.name, name))
                return c;
        return std::nullopt;
    };
    return n;
}

void Database::loadJetTable(const QString& canonical) {
    if (loadedJetTables_.contains(canonical))
        return;
    const std::vector<Column> cols = jet_->columns(canonical);
    QString ddl = QStringLiteral("CREATE TABLE ") + jetsql::quoteName(canonical) + QStringLiteral(" (");
    QString row = QStringLiteral("(");
    for (size_t i = 0; i < cols.size(); ++i) {
        ddl += (i ? QStringLiteral(", ") : QString()) + jetsql::quoteName(cols[i].name) + QLatin1Char(' ') +
               declaredType(cols[i]);
        row += (i ? QStringLiteral(", ?") : QStringLiteral("?"));
    }
    ddl += QLatin1Char(')');
    row += QLatin1Char(')');
    executeRaw(ddl);
    // Rows go in a few dozen to a statement: a short row costs less to bind than the statement's own run.
    const int fields = int(cols.size());
    const int batchRows =
        std::clamp(sqlite3_limit(db_, SQLITE_LIMIT_VARIABLE_NUMBER, -1) / std::max(fields, 1), 1, 32);
    const QString ins =
        QStringLiteral("INSERT INTO ") + jetsql::quoteName(canonical) + QStringLiteral(" VALUES ");
    QString many = ins + row;
    for (int i = 1; i < batchRows; ++i)
        many += QLatin1Char(',') + row;
    try {
        executeRaw(QStringLiteral("BEGIN"));
        Statement single(db_, ins + row);
        Statement batch(db_, many);
        jet_->insertRows(canonical, batch.get(), batchRows, single.get());
        executeRaw(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, ("DROP TABLE IF EXISTS " + jetsql::quoteName(canonical).toStdString()).c_str(),
                     nullptr, nullptr, nullptr);
        throw;
    }
    loadedJetTables_ << canonical;
}

void Database::prepareTables(const QString& jetSql) {
    if (!jet_)
        return;
    QStringList named = jetsql::isSelect(jetSql) || jetSql.contains(QLatin1Char(' '))
                            ? jetsql::tablesNamed(jetSql)
                            : QStringList{jetsql::sourceTable(jetSql)};
    for (const QString& n : named) {
        const auto canonical = tableName(n);
        if (!canonical)
            throw StoreError("no such table: " + n.toStdString());
        loadJetTable(*canonical);
    }
}

void Database::attach(const jetsql::Attachment& a) {
    const QString path = resolve(a.path);
    if (path.isEmpty())
        throw StoreError("no such file to attach");
    if (isSqliteFile(path)) {
        // Read only: the other file is only ever copied from.
        Statement st(db_, QStringLiteral("ATTACH DATABASE ?1 AS ") + jetsql::quoteName(a.schema));
        bindText(st.get(), 1,
                 QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro"));
        st.step();
        return;
    }
    auto other = Database::open(path);
    if (!other->isJet())
        throw StoreError("cannot attach");
    executeRaw(QStringLiteral("ATTACH DATABASE ':memory:' AS ") + jetsql::quoteName(a.schema));
    // Copy every table of the Jet file that the statement may name into the attached memory schema.
    for (const QString& t : other->tableNames()) {
        other->loadJetTable(t);
        const auto cols = other->columns(t);
        QString ddl = QStringLiteral("CREATE TABLE ") + jetsql::quoteName(a.schema) + QLatin1Char('.') +
                      jetsql::quoteName(t) + QStringLiteral(" (");
        for (size_t i = 0; i < cols.size(); ++i)
            ddl += (i ? QStringLiteral(", ") : QString()) + jetsql::quoteName(cols[i].name) +
                   QLatin1Char(' ') + declaredType(cols[i]);
        executeRaw(ddl + QLatin1Char(')'));
        Statement sel(other->handle(), QStringLiteral("SELECT * FROM ") + jetsql::quoteName(t));
        QString ins = QStringLiteral("INSERT INTO ") + jetsql::quoteName(a.schema) + QLatin1Char('.') +
                      jetsql::quoteName(t) + QStringLiteral(" VALUES (");
        for (size_t i = 0; i < cols.size(); ++i)
            ins += (i ? QStringLiteral(", ?") : QStringLiteral("?"));
        Statement st(db_, ins + QLatin1Char(')'));
        while (sel.step()) {
            st.reset();
            for (size_t i = 0; i < cols.size(); ++i)
                sqlite3_bind_value(st.get(), static_cast<int>(i) + 1,
                                   sqlite3_column_value(sel.get(), static_cast<int>(i)));
            st.step();
        }
    }
}

// INSERT ... SELECT into date or time fields: the selected values pass through lapora_as on their way in.
static std::optional<jetsql::Translation> convertingInsert(Database& db, const QString& jetSql,
                                                           const jetsql::Names& lookup) {
    const auto parts = jetsql::splitInsertSelect(jetSql);
    if (!parts)
        return std::nullopt;
    const auto target = db.tableName(parts->table);
    if (!target)
        return std::nullopt;
    std::vector<ColumnType> types;
    if (parts->columns.isEmpty()) {
        for (const Column& c : db.columns(*target))
            types.push_back(c.type);
    } else {
        for (const QString& name : parts->columns) {
            const auto c = db.column(*target, name);
            if (!c)
                return std::nullopt; // SQLite names the missing field
            types.push_back(c->type);
        }
    }
    if (std::none_of(types.begin(), types.end(), [](ColumnType t) { return conversionKind(t) != nullptr; }))
        return std::nullopt;
    const jetsql::Translation head = jetsql::translate(parts->head, lookup);
    jetsql::Translation sel = jetsql::translate(parts->select, lookup);
    if (!head.attachments.empty())
        return std::nullopt;
    QString body = sel.sql.trimmed();
    while (body.endsWith(QLatin1Char(';')))
        body.chop(1);
    QString names, values;
    for (size_t i = 0; i < types.size(); ++i) {
        const QString c = QStringLiteral("c%1").arg(i);
        names += (i ? QStringLiteral(", ") : QString()) + c;
        values += i ? QStringLiteral(", ") : QString();
        if (const char* kind = conversionKind(types[i]))
            values += QStringLiteral("lapora_as(%1, '%2')").arg(c, QLatin1String(kind));
        else
            values += c;
    }
    sel.sql = QStringLiteral("WITH lapora_src(") + names + QStringLiteral(") AS (") + body +
              QStringLiteral(") ") + head.sql + QStringLiteral(" SELECT ") + values +
              QStringLiteral(" FROM lapora_src");
    return sel;
}

void Database::execute(const QString& jetSql) {
    if (jet_ && !jetsql::isSelect(jetSql))
        throw StoreError("read only");
    prepareTables(jetSql);
    const QStringList named = jetsql::tablesNamed(jetSql);
    const jetsql::Names lookup = names(named.isEmpty() ? QString() : named.first());
    auto converting = convertingInsert(*this, jetSql, lookup);
    const jetsql::Translation tr = converting ? *converting : jetsql::translate(jetSql, lookup);
    std::vector<QString> attached;
    try {
        for (const auto& a : tr.attachments) {
            attach(a);
            attached.push_back(a.schema);
        }
        executeRaw(QStringLiteral("BEGIN"));
        try {
            Statement st(db_, tr.sql);
            while (st.step()) {
            }
            executeRaw(QStringLiteral("COMMIT"));
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        for (const auto& s : attached)
            sqlite3_exec(db_, ("DETACH DATABASE " + jetsql::quoteName(s).toStdString()).c_str(), nullptr,
                         nullptr, nullptr);
        bumpGeneration();
        throw;
    }
    for (const auto& s : attached)
        sqlite3_exec(db_, ("DETACH DATABASE " + jetsql::quoteName(s).toStdString()).c_str(), nullptr, nullptr,
                     nullptr);
    bumpGeneration();
}

void Database::executeRaw(const QString& sql) {
    columnCache_.clear(); // the statement may change a table's columns
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "exec";
        sqlite3_free(err);
        throw StoreError(msg);
    }
}

std::uint64_t Database::generation() {
    return g_generation;
}

void Database::bumpGeneration() {
    ++g_generation;
    ++g_unpinned;
}

std::uint64_t Database::unpinnedGeneration() {
    return g_unpinned;
}

std::uint64_t& Database::bumpsOf(const QString& table) const {
    return tableBumps()[(fileKey_ + QLatin1Char('\n') + table.toCaseFolded()).toStdString()];
}

const std::uint64_t& Database::tableGeneration(const QString& table) const {
    return bumpsOf(table);
}

void Database::rowChanged(const QString& table, std::int64_t rowid, bool removed) {
    const std::uint64_t before = generation();
    ++g_generation;
    ++bumpsOf(table);
    std::string key;
    for (IndexEntry& e : indexes_) {
        if (e.table != table || e.gen != before)
            continue; // already stale: rebuilt when next asked for
        if (e.index.use_count() > 1)
            e.index = std::make_shared<ColumnIndex>(*e.index); // someone still reads the old one
        ColumnIndex& idx = *e.index;
        std::int32_t id = -1;
        try {
            if (!removed) {
                Statement st(db_, QStringLiteral("SELECT ") + jetsql::quoteName(e.column) +
                                      QStringLiteral(" FROM ") + jetsql::quoteName(table) +
                                      QStringLiteral(" WHERE rowid = ?1"));
                sqlite3_bind_int64(st.get(), 1, rowid);
                if (st.step()) {
                    valueKey(st.get(), 0, key);
                    auto [it, inserted] =
                        idx.ids.try_emplace(key, static_cast<std::int32_t>(idx.distinct.size()));
                    if (inserted)
                        idx.distinct.push_back(read(st.get(), 0, idx.column.type));
                    id = it->second;
                }
            }
        } catch (const StoreError&) {
            continue; // the write itself went through; this cache is simply built again when next asked for
        }
        idx.set(rowid, id);
        e.gen = generation();
    }
}

std::shared_ptr<const ColumnIndex> Database::cachedColumnIndex(const QString& table, const QString& column) {
    const auto canonical = tableName(table);
    const auto col = canonical ? this->column(*canonical, column) : std::nullopt;
    if (!col)
        return nullptr;
    for (const IndexEntry& e : indexes_)
        if (e.table == *canonical && e.column == col->name && e.gen == generation())
            return e.index;
    return nullptr;
}

bool Database::firstSearchOf(const QString& table, const QString& column) {
    for (const auto& [t, c] : searched_)
        if (sameName(t, table) && sameName(c, column))
            return false;
    searched_.emplace_back(table, column);
    return true;
}

std::shared_ptr<const ColumnIndex> Database::columnIndex(const QString& table, const QString& column) {
    const auto canonical = tableName(table);
    if (!canonical)
        throw StoreError("no such table");
    const auto col = this->column(*canonical, column);
    if (!col)
        throw StoreError("no such field");
    for (auto it = indexes_.begin(); it != indexes_.end(); ++it) {
        if (it->table == *canonical && it->column == col->name) {
            if (it->gen == generation())
                return it->index;
            indexes_.erase(it);
            break;
        }
    }
    prepareTables(*canonical);
    auto idx = std::make_shared<ColumnIndex>();
    idx->column = *col;
    // One pass and no count(*) first (a second full scan): rowids come ascending, so the dense table
    // grows as they arrive and turns sparse if they prove far apart.
    Statement st(db_, QStringLiteral("SELECT rowid, ") + jetsql::quoteName(col->name) +
                          QStringLiteral(" FROM ") + jetsql::quoteName(*canonical));
    std::string key;
    std::int64_t rows = 0;
    while (st.step()) {
        const std::int64_t rowid = sqlite3_column_int64(st.get(), 0);
        if (idx->dense && (rowid < 0 || rowid > 4 * ++rows + 1024))
            idx->makeSparse();
        valueKey(st.get(), 1, key);
        auto [it, inserted] = idx->ids.try_emplace(key, static_cast<std::int32_t>(idx->distinct.size()));
        if (inserted)
            idx->distinct.push_back(read(st.get(), 1, col->type));
        idx->set(rowid, it->second);
    }
    // Few distinct values: worth keeping for the next sort or search on this column.
    if (idx->distinct.size() <= 200000) {
        if (indexes_.size() >= 3)
            indexes_.erase(indexes_.begin());
        indexes_.push_back({*canonical, col->name, generation(), idx});
    }
    return idx;
}

Value Database::read(sqlite3_stmt* st, int col, ColumnType type) {
    const int t = sqlite3_column_type(st, col);
    if (t == SQLITE_NULL)
        return {};
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(st, col);
        switch (type) {
        case ColumnType::Bool:
            return Value::boolean(d != 0.0);
        case ColumnType::Text:
        case ColumnType::LongText:
            return Value::text(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col))));
        case ColumnType::Date:
        case ColumnType::DateTime:
            return Value::date(fromSerial(d));
        default:
            return Value::number(d);
        }
    }
    const auto* raw = static_cast<const char*>(sqlite3_column_blob(st, col));
    const int len = sqlite3_column_bytes(st, col);
    switch (type) {
    case ColumnType::Date:
        if (const QDate d = parseIsoDate(raw, len); d.isValid())
            return Value::date(d);
        break;
    case ColumnType::Time:
        if (const QTime tm = len >= 8 ? parseIsoTime(raw + len - 8, 8) : QTime(); tm.isValid())
            return Value::time(tm);
        break;
    case ColumnType::DateTime: {
        if (len == 8) {
            if (const QTime tm = parseIsoTime(raw, len); tm.isValid())
                return Value::time(tm);
            break;
        }
        const QDate d = parseIsoDate(raw, len);
        if (!d.isValid())
            break;
        QTime tm = len < 19 ? QTime(0, 0) : parseIsoTime(raw + 11, len - 11);
        if (!tm.isValid())
            tm = QTime(0, 0);
        // Day 0 stays a date-time (shown as a time), so it still converts to that day.
        if (tm == QTime(0, 0) && d != kZeroDay)
            return Value::date(d);
        return Value::dateTime(d, tm);
    }
    default:
        break;
    }
    const QString s = QString::fromUtf8(raw, len);
    switch (type) {
    case ColumnType::Text:
    case ColumnType::LongText:
        return Value::text(s);
    case ColumnType::Number:
    case ColumnType::Integer:
        if (auto n = regional::parseNumber(s))
            return Value::number(*n);
        return Value::text(s);
    case ColumnType::Date:
    case ColumnType::Time:
    case ColumnType::DateTime:
        return Value::text(s); // not in the stored form: handed out as written
    case ColumnType::Bool:
        if (auto b = parseBool(s))
            return Value::boolean(*b);
        return Value::text(s);
    }
    return Value::text(s);
}

void Database::bind(sqlite3_stmt* st, int pos, const Value& v, ColumnType type) {
    using T = Value::Type;
    if (v.isNull()) {
        sqlite3_bind_null(st, pos);
        return;
    }
    const bool blankText = v.type() == T::Text && v.asText().trimmed().isEmpty();
    switch (type) {
    case ColumnType::Text:
    case ColumnType::LongText:
        bindText(st, pos, v.display());
        return;
    case ColumnType::Number:
    case ColumnType::Integer: {
        double d = 0;
        if (v.type() == T::Number || v.type() == T::Bool) {
            d = v.asNumber();
        } else if (blankText) {
            sqlite3_bind_null(st, pos);
            return;
        } else if (v.type() == T::Text) {
            auto n = regional::parseNumber(v.asText());
            if (!n)
                throw StoreError("not a number");
            d = *n;
        } else {
            throw StoreError("type mismatch");
        }
        if (type == ColumnType::Integer)
            sqlite3_bind_int64(st, pos, static_cast<sqlite3_int64>(std::nearbyint(d)));
        else
            sqlite3_bind_double(st, pos, d);
        return;
    }
    case ColumnType::Date: {
        QDate d;
        if (v.type() == T::Date || v.type() == T::DateTime)
            d = v.asDate();
        else if (blankText) {
            sqlite3_bind_null(st, pos);
            return;
        } else if (v.type() == T::Text) {
            auto p = regional::parseDate(v.asText());
            if (!p)
                throw StoreError("not a date");
            d = *p;
        } else if (v.type() == T::Number) {
            d = fromSerial(v.asNumber());
        } else if (v.type() == T::Time) {
            d = kZeroDay; // a time's date part, as Jet keeps it
        } else {
            throw StoreError("type mismatch");
        }
        bindText(st, pos, isoDate(d));
        return;
    }
    case ColumnType::Time: {
        QTime t;
        if (v.type() == T::Time || v.type() == T::DateTime)
            t = v.asTime();
        else if (blankText) {
            sqlite3_bind_null(st, pos);
            return;
        } else if (v.type() == T::Text) {
            auto p = regional::parseTime(v.asText());
            if (!p)
                throw StoreError("not a time");
            t = *p;
        } else if (v.type() == T::Date) {
            t = QTime(0, 0); // a date alone is at midnight
        } else {
            throw StoreError("type mismatch");
        }
        bindText(st, pos, isoTime(t));
        return;
    }
    case ColumnType::DateTime:
        switch (v.type()) {
        case T::Date:
            bindText(st, pos, isoDate(v.asDate()));
            return;
        case T::Time:
            bindText(st, pos, isoDateTime(kZeroDay, v.asTime()));
            return;
        case T::DateTime:
            bindText(st, pos, isoDateTime(v.asDate(), v.asTime()));
            return;
        case T::Text:
            if (blankText) {
                sqlite3_bind_null(st, pos);
                return;
            }
            if (auto p = regional::parseDate(v.asText())) {
                bindText(st, pos, isoDate(*p));
                return;
            }
            if (auto p = regional::parseTime(v.asText())) {
                bindText(st, pos, isoDateTime(kZeroDay, *p));
                return;
            }
            throw StoreError("not a date");
        default:
            throw StoreError("type mismatch");
        }
    case ColumnType::Bool:
        if (v.type() == T::Bool || v.type() == T::Number) {
            sqlite3_bind_int(st, pos, v.asBool() ? 1 : 0);
            return;
        }
        if (v.type() == T::Text)
            if (auto b = parseBool(v.asText())) {
                sqlite3_bind_int(st, pos, *b ? 1 : 0);
                return;
            }
        throw StoreError("not a yes/no value");
    }
}

} // namespace lapora
