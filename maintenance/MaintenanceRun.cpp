#include "MaintenanceRun.h"

#include "Clock.h"
#include "Collation.h"
#include "Database.h"
#include "FolderLock.h"
#include "JetSql.h"
#include "Messages.h"
#include "Prompter.h"
#include "Schema.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

const QString kSource = QStringLiteral("LPMRep");
const QString kErrorTitle = QStringLiteral("Hiba!");
const QString kGoOn = u("Folytatja a futtatást?");
const QString kDone = u("Karbantartás vége!");
const QString kCopying = u("Adatok másolása...");
const QString kFileCopied = u("Adatbázis másolása...");

// Beside a SQLite file: its rollback journal, or a write-ahead log; either belongs to the file's content.
const char* const kSideFiles[] = {"-journal", "-wal"};

const char* const kSystemTables[] = {"msysaces",          "msysmodules",     "msysmodules2",
                                     "msysobjects",       "msysqueries",     "msysrelationships",
                                     "msysaccessobjects", "msysimexcolumns", "msysimexspecs"};
const char* const kEmptiedTables[] = {"users",     "felhasználóreg", "lptabla", "bettorzs",
                                      "paraméter", "bevet",          "kivet"};
const char* const kNeverCopied = "betarolaskitarolas";

template <size_t N> bool listed(const char* const (&list)[N], const QString& name) {
    for (const char* s : list)
        if (sameName(name, u(s)))
            return true;
    return false;
}

// A failed step, worded for the user.
class StepError : public std::runtime_error {
public:
    explicit StepError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

QString systemError(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

[[noreturn]] void fail(const QString& what, const QString& name, int err) {
    throw StepError(what + name + QStringLiteral(" (") + systemError(err) + QLatin1Char(')'));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool exists(const QString& path) {
    struct stat st;
    return ::lstat(native(path).constData(), &st) == 0;
}

std::optional<std::pair<dev_t, ino_t>> identity(const QString& path) {
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return std::make_pair(st.st_dev, st.st_ino);
}

// The same file under two names (a hard link), so dropping one of the names loses nothing.
bool sameFile(const QString& a, const QString& b) {
    const auto ia = identity(a), ib = identity(b);
    return ia && ib && *ia == *ib;
}

// Never over an existing file: a backup is never overwritten, neither is a data file.
bool renameNoReplace(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without the flag: check, then rename.
    if (exists(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(native(from).constData(), native(to).constData()) == 0;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool copyBytes(const QString& from, QFile& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    char buf[1 << 16];
    for (;;) {
        const qint64 n = in.read(buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (to.write(buf, n) != n)
            return false;
    }
    return to.flush() && ::fsync(to.handle()) == 0;
}

QDateTime startTime() {
    QDate d = Clock::today();
    QTime t = Clock::now();
    if (Clock::today() != d) { // midnight passed between the two readings
        d = Clock::today();
        t = Clock::now();
    }
    return QDateTime(d, t);
}

} // namespace

struct MaintenanceRun::FileWork {
    QString name;      // as listed
    QString found;     // the file in the working folder (its name matched without case); empty when none
    QStringList items; // what belongs to it there: side files first, then the file itself
    QString backup;    // the file in the backup folder
    bool backedUp = false;
    QString fresh; // the new file, hidden until it is complete
    std::unique_ptr<QTemporaryDir> scratch;
};

const QStringList& MaintenanceRun::fileList() {
    static const QStringList files = {schema::kLaporaFile, schema::kParameterFile, schema::kRegisztFile};
    return files;
}

QString MaintenanceRun::backupFolderName(const QDateTime& start) {
    return QStringLiteral("SAVE-") + start.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

MaintenanceRun::MaintenanceRun(Prompter& prompter, RunDisplay& display, const QString& workFolder,
                               const QString& templateFolder)
    : prompter_(prompter), display_(display), work_(QDir(workFolder).absolutePath()),
      templates_(templateFolder) {}

MaintenanceRun::~MaintenanceRun() = default;

void MaintenanceRun::show(void (RunDisplay::*set)(const QString&), const QString& text) {
    (display_.*set)(text);
    display_.letEventsThrough();
}

void MaintenanceRun::failed(const QString& description) {
    prompter_.pointer(Pointer::Arrow);
    prompter_.beep();
    const Answer a =
        prompter_.message(kErrorTitle, kSource + QLatin1Char('\n') + description + QLatin1Char('\n') + kGoOn,
                          Icon::Error, Buttons::YesNo);
    if (a != Answer::Yes)
        throw Stop{};
    prompter_.pointer(Pointer::Hourglass);
}

template <class F> bool MaintenanceRun::guarded(const QString& step, F&& work) {
    try {
        if (beforeStep)
            beforeStep(step);
        work();
        return true;
    } catch (const Stop&) {
        throw;
    } catch (const std::exception& e) {
        failed(QString::fromUtf8(e.what()));
    } catch (...) {
        failed(QString());
    }
    return false;
}

MaintenanceRun::Outcome MaintenanceRun::run() {
    // Lapora writes into these files while it runs: moving them away under it would lose its next writes.
    const FolderLock lock(work_);
    if (lock.held()) {
        prompter_.pointer(Pointer::Arrow);
        prompter_.beep();
        prompter_.message(msg::kFigyelem, msg::kLaporaFut, Icon::Error, Buttons::Ok);
        return Outcome::Locked;
    }

    const QStringList& files = fileList();
    prompter_.pointer(Pointer::Hourglass);
    running_ = true;
    display_.setButtonsEnabled(false);
    display_.setFileProgress(0, static_cast<int>(files.size()));
    auto end = [this] {
        display_.setButtonsEnabled(true);
        prompter_.pointer(Pointer::Arrow);
        running_ = false;
    };
    try {
        const QString folder = backupFolderName(startTime());
        backupPath_ = QDir(work_).filePath(folder);
        guarded(QStringLiteral("mkdir"), [&] {
            if (::mkdir(native(backupPath_).constData(), 0777) != 0)
                fail(u("A mentési mappa nem hozható létre: "), folder, errno);
            syncFolder(work_);
        });
        for (int i = 0; i < files.size(); ++i) {
            renewFile(files[i]);
            display_.setFileProgress(i + 1, static_cast<int>(files.size()));
            show(&RunDisplay::setStatus, kFileCopied);
            show(&RunDisplay::setStatus, QString());
        }
    } catch (const Stop&) {
        end();
        return Outcome::Stopped;
    }
    end();
    prompter_.message(kSource, kDone, Icon::Information, Buttons::Ok);
    return Outcome::Finished;
}

void MaintenanceRun::renewFile(const QString& name) {
    show(&RunDisplay::setFileText, u("Adatbázis :") + name);
    FileWork f;
    f.name = name;
    f.found = Database::resolve(name, work_);
    const QString base = f.found.isEmpty() ? QDir(work_).filePath(name) : f.found;
    for (const char* side : kSideFiles)
        if (exists(base + QLatin1String(side)))
            f.items << base + QLatin1String(side);
    if (!f.found.isEmpty())
        f.items << f.found;

    // Move into the backup folder. A file whose original could not be saved is not renewed: nothing may
    // take its place.
    if (!f.items.isEmpty()) {
        if (!guarded(QStringLiteral("backup ") + name, [&] { backUp(f); }))
            return;
    }
    if (!guarded(QStringLiteral("template ") + name, [&] { copyTemplate(f); }))
        return;
    struct FreshGuard {
        FileWork& f;
        ~FreshGuard() {
            // Our own half-made file, never the user's.
            if (!f.fresh.isEmpty())
                QFile::remove(f.fresh);
        }
    } freshGuard{f};
    if (f.backedUp && exists(f.backup))
        copyData(f);
    guarded(QStringLiteral("place ") + name, [&] { place(f); });
}

void MaintenanceRun::backUp(FileWork& f) {
    // Linked first: the working folder keeps the original until its renewed file takes the name, so a run
    // killed half way leaves no data file missing there.
    for (const QString& item : f.items) {
        const QString name = QFileInfo(item).fileName();
        const QString to = QDir(backupPath_).filePath(name);
        if (exists(to))
            fail(u("A mentési mappában már van ilyen fájl: "), name, EEXIST);
        if (::link(native(item).constData(), native(to).constData()) == 0)
            continue;
        int err = errno;
        // No hard links on this file system (FAT, some shares): a plain move.
        if (err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EMLINK) {
            if (renameNoReplace(item, to))
                continue;
            err = errno;
        }
        fail(u("A fájl nem vihető át a mentési mappába: "), name, err);
    }
    syncFolder(backupPath_);
    syncFolder(work_);
    if (!f.found.isEmpty())
        f.backup = QDir(backupPath_).filePath(QFileInfo(f.found).fileName());
    f.backedUp = true;
}

void MaintenanceRun::copyTemplate(FileWork& f) {
    const QString from = Database::resolve(f.name, templates_);
    if (from.isEmpty())
        fail(u("A sablon nem található: "), QDir(templates_).filePath(f.name), ENOENT);
    QTemporaryFile out(QDir(work_).filePath(QLatin1Char('.') + f.name + QStringLiteral("-XXXXXX")));
    out.setAutoRemove(false);
    if (!out.open())
        fail(u("A sablon nem másolható: "), f.name, errno);
    f.fresh = out.fileName();
    if (!copyBytes(from, out))
        fail(u("A sablon nem másolható: "), f.name, errno ? errno : EIO);
    out.close();
    QFile::Permissions perms =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!f.found.isEmpty() && exists(f.found))
        perms = QFile::permissions(f.found) | QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile::setPermissions(f.fresh, perms);
}

QString MaintenanceRun::readableCopy(FileWork& f) {
    bool sides = false;
    for (const QString& item : f.items)
        sides = sides || item != f.found;
    if (!sides)
        return f.backup;
    // An unfinished write left a journal: the backup keeps both as they are, the rows are read from a copy
    // that SQLite has rolled back.
    f.scratch = std::make_unique<QTemporaryDir>(QDir(work_).filePath(QStringLiteral(".lpmrep-XXXXXX")));
    if (!f.scratch->isValid())
        fail(u("Az adatbázis nem olvasható: "), f.name, errno ? errno : EIO);
    const QString copy = f.scratch->filePath(QFileInfo(f.found).fileName());
    for (const QString& item : f.items) {
        const QString from = QDir(backupPath_).filePath(QFileInfo(item).fileName());
        QFile out(f.scratch->filePath(QFileInfo(item).fileName()));
        if (!out.open(QIODevice::WriteOnly) || !copyBytes(from, out))
            fail(u("Az adatbázis nem olvasható: "), f.name, errno ? errno : EIO);
    }
    Database::open(copy); // reading the schema rolls the journal back
    return copy;
}

void MaintenanceRun::copyData(FileWork& f) {
    std::shared_ptr<Database> oldDb, newDb;
    QString source;
    if (!guarded(QStringLiteral("open ") + f.name, [&] {
            try {
                source = readableCopy(f);
                oldDb = Database::open(source, QString(), Database::Access::ReadOnly);
                newDb = Database::open(f.fresh);
            } catch (const StoreError& e) {
                throw StepError(u("Az adatbázis nem nyitható meg: ") + f.name + QStringLiteral(" (") +
                                QString::fromUtf8(e.what()) + QLatin1Char(')'));
            }
        }))
        return;
    show(&RunDisplay::setStatus, QString());
    const QStringList tables = newDb->tableNames();
    display_.setTableProgress(0, static_cast<int>(tables.size()));
    // A bracketed path cannot hold "]": such a folder is reached relative to the working folder.
    if (source.contains(QLatin1Char(']')) && QDir(work_) == QDir::current())
        source = QDir(work_).relativeFilePath(source);
    for (int i = 0; i < tables.size(); ++i) {
        const QString& t = tables[i];
        show(&RunDisplay::setTableText, u("Tábla :") + t);
        if (!listed(kSystemTables, t)) { // SQLite files have no linked tables
            show(&RunDisplay::setStatus, kCopying);
            try {
                if (beforeStep)
                    beforeStep(QStringLiteral("copy ") + f.name + QLatin1Char(' ') + t);
                copyTable(*oldDb, *newDb, t, source);
            } catch (const std::exception&) {
                // Passed over: the table stays as the template made it.
            }
            show(&RunDisplay::setStatus, QString());
        }
        display_.setTableProgress(i + 1, static_cast<int>(tables.size()));
    }
}

void MaintenanceRun::copyTable(Database& oldDb, Database& newDb, const QString& table,
                               const QString& source) {
    const auto oldName = oldDb.tableName(table);
    if (!oldName)
        return;
    QString cols;
    for (const Column& c : oldDb.columns(*oldName))
        if (newDb.column(table, c.name))
            cols += QLatin1Char('[') + c.name + QStringLiteral("],");
    cols.chop(1);
    if (listed(kEmptiedTables, table))
        newDb.execute(QStringLiteral("DELETE FROM ") + table);
    if (cols.isEmpty() || sameName(table, u(kNeverCopied)))
        return;
    {
        Statement st(newDb.handle(), QStringLiteral("SELECT 1 FROM ") + jetsql::quoteName(table) +
                                         QStringLiteral(" LIMIT 1"));
        if (st.step())
            return; // a table that already holds rows keeps them
    }
    newDb.execute(QStringLiteral("INSERT INTO [") + table + QStringLiteral("] (") + cols +
                  QStringLiteral(") SELECT ") + cols + QStringLiteral(" FROM  [") + source +
                  QStringLiteral("].[") + table + QLatin1Char(']'));
}

void MaintenanceRun::place(FileWork& f) {
    if (f.fresh.isEmpty())
        return;
    const QString target = QDir(work_).filePath(f.name);
    // Only a name whose file is also in the backup folder may go.
    for (const QString& item : f.items) {
        const QString name = QFileInfo(item).fileName();
        if (exists(item) && !sameFile(item, QDir(backupPath_).filePath(name)))
            fail(u("Az eredeti fájl nincs a mentési mappában, nem cserélhető: "), name, ENOENT);
    }
    // The journal goes first: beside the new file it would be played back into it.
    for (const QString& item : f.items)
        if (item != f.found && ::unlink(native(item).constData()) != 0 && errno != ENOENT)
            fail(u("Az új adatbázis nem tehető a helyére: "), f.name, errno);
    if (!f.found.isEmpty() && exists(f.found)) {
        if (::rename(native(f.fresh).constData(), native(f.found).constData()) != 0)
            fail(u("Az új adatbázis nem tehető a helyére: "), f.name, errno);
        f.fresh.clear();
        // The listed spelling; the old one stays when both spellings exist.
        if (f.found != target)
            renameNoReplace(f.found, target);
    } else {
        if (!renameNoReplace(f.fresh, target))
            fail(u("Az új adatbázis nem tehető a helyére: "), f.name, errno);
        f.fresh.clear();
    }
    syncFolder(work_);
}

} // namespace lapora
