#pragma once

#include "Database.h"
#include "Value.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace lapora {

class Criteria;

// A dynaset: one data file and one table or SELECT text. It keeps the row ids in order (a keyset) and fetches
// row values on demand, with DAO's rules: a row added through the view shows last until the view is reopened,
// Delete leaves no current row until the caller moves on, Null for a field never set.
// Every failure is a StoreError; the view is left as it was.
class View {
public:
    enum class EditMode { None, Edit, AddNew };
    enum class Change { Rows, Current, Values };
    using Bookmark = std::int64_t;

    View() = default;
    View(std::shared_ptr<Database> db, const QString& source);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    void open(std::shared_ptr<Database> db, const QString& source);
    bool isOpen() const { return db_ != nullptr; }
    const QString& source() const { return source_; }
    void setSource(const QString& source) { source_ = source; } // takes effect at the next requery
    Database* database() const { return db_.get(); }
    const QString& table() const { return table_; }

    void requery();  // reopens: re-runs the source in its own order, drops a sort; stands on the first row
    void recreate(); // a fresh row set from the source, without a sort
    void close();

    int recordCount() const;
    bool eof() const;
    bool bof() const;
    int position() const { return pos_; } // -1 before the first row, recordCount() past the last
    bool hasCurrent() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void moveTo(int row);

    EditMode editMode() const { return mode_; }
    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void remove(); // DAO's Delete

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    const Column& column(int i) const { return columns_.at(static_cast<size_t>(i)); }
    int fieldIndex(const QString& name) const; // case-blind; -1 when no such field
    Value field(const QString& name) const;
    Value field(int i) const;
    void setField(const QString& name, const Value& v);
    void setField(int i, const Value& v);
    Value valueAt(int row, int col) const; // for grids; does not move

    bool findFirst(const QString& criteria); // StoreError for malformed criteria or an unknown field
    bool noMatch() const { return noMatch_; }

    Bookmark bookmark() const;
    void setBookmark(Bookmark b);

    const QString& sortText() const { return sortText_; }
    // "field" or "field DESC": opens a sorted copy of the row set and puts it in place; ties keep their
    // order.
    void sort(const QString& sortText);

    // Observers (grids). Bound controls register a before-move hook that writes their pending edits; a hook
    // that throws stops the move. The window's own hook runs first, then the added ones (editable grids).
    int subscribe(std::function<void(Change)> f);
    void unsubscribe(int id);
    void setBeforeMove(std::function<void()> f) { beforeMove_ = std::move(f); }
    int addBeforeMove(std::function<void()> f);
    void removeBeforeMove(int id);

private:
    struct Keyset {
        std::vector<std::int64_t> rowids;
        // Rows of a query that is no simple SELECT (read only); sorted copies share them.
        std::shared_ptr<const std::vector<std::vector<Value>>> snapshot;
        bool isSnapshot = false;
        // A bare table's row ids are gathered on first need, those up to `upTo` (the highest at the open):
        // a hidden log view that only appends never reads its million ids.
        bool pending = false;
        std::int64_t upTo = 0;
    };
    Keyset runSource(Database& db, const QString& source, std::vector<Column>* cols, QString* table,
                     QString* selectList) const;
    // Where each row of the keyset stands in that order (StoreError: no such field).
    std::vector<std::uint32_t> sortedPlaces(const QString& sortText) const;
    void gatherKeys() const;        // StoreError when the table cannot be read
    bool gatherKeysQuietly() const; // the same for the tests that do not throw: false on failure
    int scanFind(const Criteria& crit, int col, const QString& likeFilter) const; // row, or -1
    bool foundAt(int row); // a search's end: stands on the row found or sets NoMatch
    const std::vector<Value>& row(int index) const;
    void clearCache() const;
    const std::vector<Value>& remember(std::int64_t rowid, const std::vector<Value>& row) const;
    void requireCurrent() const;
    void requireOpen() const;
    void aboutToMove();
    void notify(Change c);
    void writable() const;

    std::shared_ptr<Database> db_;
    QString source_;
    QString table_;
    QString selectList_;
    std::vector<Column> columns_;
    mutable Keyset keys_;
    int pos_ = 0;
    bool deletedCurrent_ = false;
    bool noMatch_ = false;
    QString sortText_;
    EditMode mode_ = EditMode::None;
    std::vector<std::optional<Value>> pending_;
    std::function<void()> beforeMove_;
    std::vector<std::pair<int, std::function<void()>>> moreBeforeMove_;
    bool inBeforeMove_ = false;
    std::vector<std::pair<int, std::function<void(Change)>>> observers_;
    int nextObserver_ = 1;

    mutable std::unique_ptr<Statement> fetch_;
    mutable std::unique_ptr<Statement> fetchRun_; // the rows of a range of rowids, for a walk down the view
    // The last INSERT, kept prepared: bulk appends (imports, transfers) set the same fields row after row.
    std::unique_ptr<Statement> insert_;
    std::vector<int> insertFields_;
    mutable std::unordered_map<std::int64_t, std::vector<Value>> cache_;
    mutable const std::vector<Value>* lastRow_ = nullptr; // the entry of cache_ read last (rows never move)
    mutable std::int64_t lastRowid_ = 0;
    mutable std::uint64_t cacheGen_ = 0;
    mutable const std::uint64_t* tableGen_ = nullptr; // the table's writes (see Database::tableGeneration)
};

} // namespace lapora
