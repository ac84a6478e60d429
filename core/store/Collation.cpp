#include "Collation.h"

#include "StoreError.h"

#include <QCollator>
#include <QLocale>

#include <sqlite3.h>

namespace lapora {

namespace {

QCollator& collator() {
    static QCollator c = [] {
        QCollator x(QLocale(QLocale::Hungarian, QLocale::Hungary));
        x.setCaseSensitivity(Qt::CaseInsensitive);
        x.setNumericMode(false);
        x.setIgnorePunctuation(false);
        return x;
    }();
    return c;
}

int collate(void*, int la, const void* a, int lb, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), la);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lb);
    return compareHungarian(sa, sb);
}

} // namespace

int compareHungarian(const QString& a, const QString& b) {
    const int r = collator().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void registerHungarianCollation(sqlite3* db) {
    if (sqlite3_create_collation_v2(db, kHungarianCollation, SQLITE_UTF8, nullptr, collate, nullptr) !=
        SQLITE_OK)
        throw StoreError("collation");
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace lapora
