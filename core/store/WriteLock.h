#pragma once

#include "Database.h"
#include "StoreError.h"

namespace lapora {

// Takes a data file's write lock at once, the way an edit of a locked row fails at its start: StoreError
// when another connection holds it. The writes made while it is held go in together at commit(); without a
// commit they are rolled back.
class WriteLock {
public:
    explicit WriteLock(Database& db) : db_(db) { db_.executeRaw(QStringLiteral("BEGIN IMMEDIATE")); }
    ~WriteLock() {
        if (!done_) {
            try {
                db_.executeRaw(QStringLiteral("ROLLBACK"));
            } catch (const StoreError&) {
            }
            // Rows read while it was held may show writes that are gone.
            Database::bumpGeneration();
        }
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    void commit() {
        db_.executeRaw(QStringLiteral("COMMIT"));
        done_ = true;
    }

private:
    Database& db_;
    bool done_ = false;
};

} // namespace lapora
