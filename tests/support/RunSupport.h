#pragma once

#include "Clock.h"
#include "MaintenanceRun.h"
#include "ScriptedPrompter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <map>
#include <stdexcept>

namespace lapora::test {

// The moment the maintenance tests run at, and the backup folder a run makes then.
inline const QDate kDay(2024, 3, 5);
inline const QTime kTime(14, 7, 9);
inline const QString kSave = QStringLiteral("SAVE-20240305-140709");

// Holds the clock at kDay, at kTime or the time given, while it lives.
class FixedClock {
public:
    explicit FixedClock(const QTime& t = kTime) { Clock::fix(kDay, t); }
    ~FixedClock() { Clock::release(); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
};

// The message that ends a run.
inline ScriptedPrompter& expectDone(ScriptedPrompter& p) {
    return p.expectMessage(QStringLiteral("LPMRep"), QString::fromUtf8("Karbantartás vége!"),
                           Icon::Information, Buttons::Ok, Answer::Ok);
}

// What a run showed, one line per call: "l1 Adatbázis :lapora.mdb", "events", "pb1 1/3", ...
class RecordingDisplay : public RunDisplay {
public:
    void setFileText(const QString& t) override { log << QStringLiteral("l1 ") + t; }
    void setTableText(const QString& t) override { log << QStringLiteral("l2 ") + t; }
    void setStatus(const QString& t) override { log << QStringLiteral("Label1 ") + t; }
    void setFileProgress(int v, int m) override { log << QStringLiteral("pb1 %1/%2").arg(v).arg(m); }
    void setTableProgress(int v, int m) override { log << QStringLiteral("pb2 %1/%2").arg(v).arg(m); }
    void setButtonsEnabled(bool e) override {
        log << (e ? QStringLiteral("buttons on") : QStringLiteral("buttons off"));
    }
    void letEventsThrough() override { log << QStringLiteral("events"); }
    QStringList log;
};

inline QByteArray checksum(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

// File name -> checksum of every file directly in a folder.
inline std::map<QString, QByteArray> checksums(const QString& folder) {
    std::map<QString, QByteArray> out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        out[name] = checksum(QDir(folder).filePath(name));
    return out;
}

// Runs SQL on a SQLite file (created when missing), outside the record store.
inline void sql(const QString& path, const QString& text) {
    sqlite3* db = nullptr;
    const QByteArray p = QFile::encodeName(path);
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("open " + path.toStdString());
    }
    char* err = nullptr;
    const int rc = sqlite3_exec(db, text.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(msg);
}

// The rows of a query as "a|b|c" lines (Null as NULL), read outside the record store.
inline QStringList dump(const QString& path, const QString& query) {
    sqlite3* db = nullptr;
    const QByteArray p = QFile::encodeName(path);
    QStringList out;
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open")};
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cells << (sqlite3_column_type(st, i) == SQLITE_NULL
                              ? QStringLiteral("NULL")
                              : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
            out << cells.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

inline bool isSqliteFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace lapora::test
