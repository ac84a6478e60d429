#pragma once

#include "Value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace lapora {

// Another program's Jet 3/4 file, read only through libmdb.
// Every failure (not a Jet file, damaged catalog or table, rows missing) is a StoreError; nothing crashes or
// hangs.
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
    // differ from the table's row count.
    void readRows(const QString& table, const std::function<void(const std::vector<Value>&)>& sink) const;

private:
    JetFile() = default;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace lapora
