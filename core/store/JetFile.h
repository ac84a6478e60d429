#pragma once

#include "Value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace lapora {

// Another program's Jet 3/4 file, read only. The Jet library never runs in this process: every read starts
// lapora_jetread (found beside the running program) on the file and takes its output apart. Every failure
// (not a Jet file, damaged catalog or table, rows missing, the reader crashing, hanging or writing
// nonsense) is a StoreError; nothing crashes or hangs here.
class JetFile {
public:
    // True when the file's header names a Jet 3/4 (or ACE) database.
    static bool looksLikeJet(const QString& path);
    static std::unique_ptr<JetFile> open(const QString& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    QStringList tableNames() const;                          // user tables, catalog order
    std::vector<Column> columns(const QString& table) const; // stored order; table matched without case
    // Calls sink once per row in stored order, values by column position. Fails when the rows read
    // differ from the table's row count; rows already handed out are then to be dropped.
    void readRows(const QString& table, const std::function<void(const std::vector<Value>&)>& sink) const;
    // The same rows bound straight into INSERT statements, stored forms as Database::bind writes them:
    // batch takes batchRows rows at a time (one parameter per field, row after row), single the rows left.
    void insertRows(const QString& table, sqlite3_stmt* batch, int batchRows, sqlite3_stmt* single) const;

    // The reader program: by default lapora_jetread beside the running program (or in /usr/lib/lapora).
    static QString readerPath();
    // Tests put another program in its place, or shorten the time a read may take (base + per MB of file).
    static void setReaderForTests(const QString& path);
    static void setTimeLimitForTests(int baseMs, int perMbMs);

private:
    JetFile() = default;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace lapora
