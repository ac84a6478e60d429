// FindFirst criteria as a user may type them: parsing and matching must either work or fail with
// StoreError, never crash, hang or read out of bounds.
#include "Criteria.h"
#include "StoreError.h"

#include <QDate>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace lapora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static const Value values[] = {
        Value(),
        Value::text(QStringLiteral("Kovács és Társa Kft.")),
        Value::text(QString()),
        Value::number(1250),
        Value::number(-0.5),
        Value::date(QDate(2013, 5, 7)),
        Value::time(QTime(8, 30)),
        Value::dateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))),
        Value::boolean(true),
    };
    try {
        const Criteria c = Criteria::parse(text);
        for (const Value& v : values)
            (void)c.matches(v);
    } catch (const StoreError&) {
    }
    // The pattern alone, matched against itself and a fixed text: the backtracking must end.
    const LikePattern p(text);
    (void)p.matches(text);
    (void)p.matches(QStringLiteral("Árvíztűrő tükörfúrógép 1234"));
    return 0;
}
