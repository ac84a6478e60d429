#include "Collation.h"

#include "StoreError.h"

#include <QCollator>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

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

bool onlyDigits(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] < '0' || p[i] > '9')
            return false;
    return true;
}

int collate(void*, int la, const void* a, int lb, const void* b) {
    const auto* pa = static_cast<const char*>(a);
    const auto* pb = static_cast<const char*>(b);
    // Numbers kept as text (job-sheet and invoice numbers) order by their digits, which is their bytes'
    // order: no conversion, no collator, for most of the comparisons of an ORDER BY on such a column.
    if (onlyDigits(pa, la) && onlyDigits(pb, lb)) {
        const int n = std::min(la, lb);
        const int r = n > 0 ? std::memcmp(pa, pb, static_cast<size_t>(n)) : 0;
        return r != 0 ? (r < 0 ? -1 : 1) : (la < lb ? -1 : la > lb ? 1 : 0);
    }
    if (la == lb && (la == 0 || std::memcmp(pa, pb, static_cast<size_t>(la)) == 0))
        return 0;
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
