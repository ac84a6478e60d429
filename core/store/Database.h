#pragma once

#include "JetSql.h"
#include "Value.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace lapora {

class JetFile;

// One prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql); // StoreError when SQLite refuses it
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return st_; }
    bool step(); // true: a row; false: done; StoreError on failure
    void reset();

private:
    sqlite3_stmt* st_ = nullptr;
};

// The values of one column of a table, each row's value given as an index into its distinct values:
// header sorts and searches look at every row, and most columns hold few distinct values.
struct ColumnIndex {
    Column column;
    std::vector<Value> distinct;
    // Dense, used when rowids are compact: id + 1 per rowid (0 where no row) in `width` bytes, as few as the
    // number of distinct values allows (a million rows of a short list take 1 MB, not 4).
    std::vector<std::uint8_t> cells;
    int width = 1;
    std::unordered_map<std::int64_t, std::int32_t> sparse;
    bool dense = true;
    std::unordered_map<std::string, std::int32_t> ids; // stored form of a value -> its place in distinct
    std::int32_t idOf(std::int64_t rowid) const;
    void set(std::int64_t rowid, std::int32_t id); // -1: no such row
    void makeSparse();

private:
    std::size_t denseRows() const { return cells.size() / static_cast<std::size_t>(width); }
    std::int32_t cell(std::size_t row) const;
    void putCell(std::size_t row, std::uint32_t value);
};

// A data file. SQLite files are read-write, never created by opening; Jet files are read through libmdb,
// read only, their tables copied on first use into an in-memory SQLite database so one engine runs every SQL.
class Database {
public:
    // Finds a data file by name in the folder (the name matched without regard to case), or takes a full
    // path. Empty when there is no such file.
    static QString resolve(const QString& nameOrPath, const QString& folder = QString());
    // What a data file is by its content. Only regular files are data files (a FIFO or a device is Missing).
    enum class Format { Missing, Sqlite, Jet, Other };
    static Format format(const QString& nameOrPath, const QString& folder = QString());
    enum class Access { ReadWrite, ReadOnly };
    // StoreError when the file is missing, unreadable, damaged or of another kind (StoreBusy when another
    // program holds it locked). Jet files are always read only.
    static std::shared_ptr<Database> open(const QString& nameOrPath, const QString& folder = QString(),
                                          Access access = Access::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString path() const { return path_; }
    bool isJet() const { return jet_ != nullptr; }
    bool readOnly() const { return isJet() || readOnly_; }
    sqlite3* handle() const { return db_; }

    QStringList tableNames() const;
    std::optional<QString> tableName(const QString& anyCase) const; // canonical spelling
    // Columns in stored order; StoreError for a missing table.
    std::vector<Column> columns(const QString& table);
    std::optional<Column> column(const QString& table, const QString& anyCase);
    jetsql::Names names(const QString& table);

    // Makes sure every table a statement names is readable (copies Jet tables in).
    void prepareTables(const QString& jetSql);
    // Runs a statement of the program's own (Jet SQL), in one transaction; StoreError on failure.
    void execute(const QString& jetSql);
    // Runs SQLite text as it stands (schema work, pragmas).
    void executeRaw(const QString& sql);

    // Bumped on every write through any connection of this process, so cached rows can tell they are stale.
    static std::uint64_t generation();
    static void bumpGeneration();
    // The same for the rows of one table of this file: bumped by a write of one of its rows through any
    // connection of this process and by every write that is not pinned to one table (generation() goes up
    // with both). The reference stays valid as long as the program runs.
    const std::uint64_t& tableGeneration(const QString& table) const;
    static std::uint64_t unpinnedGeneration();
    // One row of a table added, changed or deleted through a view: bumps the generation; that table's cached
    // column values that were current are brought up to date instead of being built again on next use.
    void rowChanged(const QString& table, std::int64_t rowid, bool removed);

    // Cached column values (see ColumnIndex); rebuilt after any write.
    std::shared_ptr<const ColumnIndex> columnIndex(const QString& table, const QString& column);
    // The cached values when they are current; null rather than reading the column.
    std::shared_ptr<const ColumnIndex> cachedColumnIndex(const QString& table, const QString& column);
    // True the first time a search looks at this column: one search is answered by a filtered scan, a
    // column searched again is worth its ColumnIndex.
    bool firstSearchOf(const QString& table, const QString& column);

    // Converts between stored SQLite values and Values by column type.
    static Value read(sqlite3_stmt* st, int col, ColumnType type);
    static void bind(sqlite3_stmt* st, int pos, const Value& v, ColumnType type); // StoreError on a mismatch

private:
    Database() = default;
    void loadJetTable(const QString& canonical);
    std::uint64_t& bumpsOf(const QString& table) const; // the count behind tableGeneration()
    void registerFunctions();
    void attach(const jetsql::Attachment& a);

    QString path_;
    QString fileKey_; // the same for every connection to one file
    bool readOnly_ = false;
    sqlite3* db_ = nullptr;
    std::unique_ptr<JetFile> jet_;
    QStringList jetTables_;                              // catalog of the Jet file
    QStringList loadedJetTables_;                        // those already copied in
    std::map<QString, std::vector<Column>> columnCache_; // cleared whenever a statement may change tables
    struct IndexEntry {
        QString table, column;
        std::uint64_t gen;
        std::shared_ptr<ColumnIndex> index;
    };
    std::vector<IndexEntry> indexes_;
    std::vector<std::pair<QString, QString>> searched_;
};

} // namespace lapora
