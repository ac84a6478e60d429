#pragma once

#include "Value.h"

#include <QDate>
#include <QString>

#include <optional>

namespace lapora {

class View;

namespace imports {

// The stamp written into recordID of every transferred staging line: year, month and day without leading
// zeros, then the seconds since midnight as a single-precision number with the decimal comma.
QString transferStamp(const QDate& day, double secondsSinceMidnight);
QString transferStamp(); // today, now

// Whether a value read from another program's table can go into a column of this type; a value that cannot
// is left out of the copied line (with a beep) instead of failing the whole line.
bool storable(const Value& v, ColumnType type);

// The serial number the user typed, as the SQL text needs it; nothing for an empty, non-numeric or zero
// answer.
std::optional<QString> serialNumber(const std::optional<QString>& typed);

// One staging line's fields from a row of a collection view: every field the transfer fills except Sorszám
// and recordID. StoreError when a field is missing or the staging view refuses a value.
using LineMapping = void (*)(const View& lines, int row, View& staging);
void mapInvoiceLine(const View& lines, int row, View& staging);
void mapWarehouseLine(const View& lines, int row, View& staging);

} // namespace imports
} // namespace lapora
