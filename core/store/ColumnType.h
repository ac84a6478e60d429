#pragma once

namespace lapora {

// How a stored column hands its values out; the SQLite declared type carries it. (A header of its own: the
// Jet reader process speaks it without Qt.)
enum class ColumnType { Text, LongText, Number, Integer, Date, Time, DateTime, Bool };

} // namespace lapora
