#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>
#include <stdexcept>

namespace lapora::test {

// A data file as stored, read outside the record store: whether SQLite finds it sound, and every row of every
// table ("table|a|b|…", Null as NULL), to compare before and after a fault.
struct FileState {
    bool sound = false;
    QStringList rows;
    int count(const QString& table) const {
        int n = 0;
        for (const QString& r : rows)
            n += r.startsWith(table + QLatin1Char('|'));
        return n;
    }
};

inline FileState fileState(const QString& path) {
    FileState out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    auto query = [db](const QString& sql, QStringList& into, const QString& prefix) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cells << (sqlite3_column_type(st, i) == SQLITE_NULL
                              ? QStringLiteral("NULL")
                              : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
            into << prefix + cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    };
    QStringList check, tables;
    out.sound = query(QStringLiteral("PRAGMA integrity_check"), check, QString()) &&
                check == QStringList{QStringLiteral("ok")} &&
                query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                      tables, QString());
    for (const QString& t : tables)
        out.sound = query(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(t), out.rows,
                          t + QLatin1Char('|')) &&
                    out.sound;
    sqlite3_close(db);
    return out;
}

// Another program in the middle of a write on a data file: it holds the file's lock until it goes.
// Immediate: other connections still read, no one else writes. Exclusive: no one else even reads.
class OtherWriter {
public:
    enum class Lock { Immediate, Exclusive };
    OtherWriter(const QString& path, Lock lock) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
                SQLITE_OK ||
            sqlite3_exec(db_, lock == Lock::Exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr,
                         nullptr, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            throw std::runtime_error("cannot lock " + path.toStdString());
        }
    }
    ~OtherWriter() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    OtherWriter(const OtherWriter&) = delete;
    OtherWriter& operator=(const OtherWriter&) = delete;

private:
    sqlite3* db_ = nullptr;
};

// While it lives no file of this process can grow past the given size: every write beyond fails as on a full
// disk (SIGXFSZ ignored, so the write fails instead of ending the process). 0: nothing can be written.
class DiskFull {
public:
    explicit DiskFull(rlim_t bytes = 0) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old_;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~DiskFull() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// Makes a connection of the program give up on a locked file at once instead of after seconds.
inline void shortBusyWait(sqlite3* db) {
    if (db)
        sqlite3_busy_timeout(db, 50);
}

} // namespace lapora::test
