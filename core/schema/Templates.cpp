#include "Templates.h"

#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace lapora::schema {

namespace {

struct Country {
    const char* sign;
    const char* name;
};

// International vehicle registration signs of the European countries, with their Hungarian names.
const Country kCountries[] = {
    {"H", "Magyarország"},
    {"A", "Ausztria"},
    {"D", "Németország"},
    {"SK", "Szlovákia"},
    {"RO", "Románia"},
    {"SRB", "Szerbia"},
    {"HR", "Horvátország"},
    {"SLO", "Szlovénia"},
    {"UA", "Ukrajna"},
    {"PL", "Lengyelország"},
    {"CZ", "Csehország"},
    {"I", "Olaszország"},
    {"F", "Franciaország"},
    {"CH", "Svájc"},
    {"FL", "Liechtenstein"},
    {"B", "Belgium"},
    {"NL", "Hollandia"},
    {"L", "Luxemburg"},
    {"GB", "Egyesült Királyság"},
    {"IRL", "Írország"},
    {"E", "Spanyolország"},
    {"P", "Portugália"},
    {"AND", "Andorra"},
    {"MC", "Monaco"},
    {"RSM", "San Marino"},
    {"V", "Vatikán"},
    {"M", "Málta"},
    {"GR", "Görögország"},
    {"CY", "Ciprus"},
    {"BG", "Bulgária"},
    {"MK", "Észak-Macedónia"},
    {"AL", "Albánia"},
    {"MNE", "Montenegró"},
    {"BIH", "Bosznia-Hercegovina"},
    {"RKS", "Koszovó"},
    {"MD", "Moldova"},
    {"BY", "Fehéroroszország"},
    {"RUS", "Oroszország"},
    {"LT", "Litvánia"},
    {"LV", "Lettország"},
    {"EST", "Észtország"},
    {"FIN", "Finnország"},
    {"S", "Svédország"},
    {"N", "Norvégia"},
    {"DK", "Dánia"},
    {"IS", "Izland"},
    {"TR", "Törökország"},
};

void createFile(const QString& path, const File& f) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    const QByteArray p = QFile::encodeName(path);
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw StoreError("cannot create template");
    }
    QString sql = QStringLiteral("BEGIN;");
    for (const Table& t : f.tables)
        sql += createSql(t) + QLatin1Char(';');
    sql += QStringLiteral("COMMIT;");
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw StoreError("cannot write template");
}

} // namespace

void writeTemplates(const QString& dir) {
    if (!QDir().mkpath(dir))
        throw StoreError("cannot make template folder");
    for (const File& f : files())
        createFile(QDir(dir).filePath(f.name), f);
}

QString defaultTemplateDir() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Data"));
}

void fillCountries(const QString& laporaMdbPath) {
    auto db = Database::open(laporaMdbPath);
    View v(db, QStringLiteral("Orszagjel"));
    db->executeRaw(QStringLiteral("BEGIN"));
    try {
        for (const Country& c : kCountries) {
            v.addNew();
            v.setField(0, Value::text(QString::fromUtf8(c.sign)));
            v.setField(1, Value::text(QString::fromUtf8(c.name)));
            v.update();
        }
        db->executeRaw(QStringLiteral("COMMIT"));
    } catch (...) {
        // A full disk has rolled the transaction back already; the reason to report is the first one.
        sqlite3_exec(db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

QStringList prepareWorkFolder(const QString& folder, const QString& templateDir) {
    QStringList created;
    if (!QDir().mkpath(folder))
        throw StoreError("cannot make working folder");
    for (const File& f : files()) {
        if (!Database::resolve(f.name, folder).isEmpty())
            continue; // never over an existing data file
        const QString from = QDir(templateDir).filePath(f.name);
        const QString to = QDir(folder).filePath(f.name);
        if (!QFile::exists(from))
            throw StoreError("template missing: " + from.toStdString());
        if (QFileInfo::exists(to))
            throw StoreError("not a data file: " + to.toStdString()); // a FIFO, a folder: left alone
        QFile source(from);
        if (!source.copy(to)) {
            QFile::remove(to); // nothing half-copied stays behind
            throw StoreError("cannot copy template: " + to.toStdString() + ": " +
                             source.errorString().toStdString());
        }
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
        if (f.name == kLaporaFile) {
            try {
                fillCountries(to);
            } catch (...) {
                QFile::remove(to); // a half-made file would be taken as the user's own next time
                throw;
            }
        }
        created << to;
    }
    return created;
}

} // namespace lapora::schema
