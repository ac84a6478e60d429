// The Jet SQL translation on any text: a translation or a StoreError, never a crash or a hang.
#include "JetSql.h"
#include "StoreError.h"

#include <QString>

#include <cstddef>
#include <cstdint>

using namespace lapora;

namespace {

jetsql::Names names() {
    jetsql::Names n;
    n.column = [](const QString& name) -> std::optional<Column> {
        if (name.compare(QStringLiteral("CégNeve"), Qt::CaseInsensitive) == 0)
            return Column{QStringLiteral("CégNeve"), ColumnType::Text, 50};
        if (name.compare(QStringLiteral("Dátum"), Qt::CaseInsensitive) == 0)
            return Column{QStringLiteral("Dátum"), ColumnType::Date, 0};
        if (name.compare(QStringLiteral("NettóÁr"), Qt::CaseInsensitive) == 0)
            return Column{QStringLiteral("NettóÁr"), ColumnType::Number, 0};
        return std::nullopt;
    };
    n.table = [](const QString& name) -> std::optional<QString> {
        if (name.compare(QStringLiteral("Laporak"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Laporak");
        return std::nullopt;
    };
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static const jetsql::Names lookup = names();
    try {
        (void)jetsql::tokenize(sql);
    } catch (const StoreError&) {
    }
    try {
        (void)jetsql::translate(sql, lookup);
    } catch (const StoreError&) {
    }
    try {
        (void)jetsql::parseSelect(sql, lookup);
    } catch (const StoreError&) {
    }
    try {
        (void)jetsql::tablesNamed(sql);
        (void)jetsql::sourceTable(sql);
        (void)jetsql::isSelect(sql);
    } catch (const StoreError&) {
    }
    return 0;
}
