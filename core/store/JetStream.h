#pragma once

#include <cstdint>

// What lapora_jetread writes on its standard output, read back by JetFile. Little-endian, host sizes.
//
//   "LJR1"
//   u32 tables; per table: str name, u8 ok; when ok: u32 fields, per field: str name, u8 ColumnType,
//                                              i32 size; otherwise: str why
//   when a table was asked for:  'R', then per row 'r' and one value per field; then 'E', u64 rows
//   value: u8 tag, then Null: -, Int: i64, Double: f64, Text: str, DateTime: f64 (Jet's day number),
//          Bool: u8
//   str: u32 length, UTF-8 bytes
//
// A file the reader refuses (damaged, no such table) is a line on standard error and exit status kRefused;
// anything but a whole stream and exit status 0 is a failed read.
namespace lapora::jetstream {

inline constexpr char kMagic[4] = {'L', 'J', 'R', '1'};
inline constexpr char kRows = 'R';
inline constexpr char kRow = 'r';
inline constexpr char kEnd = 'E';
inline constexpr int kRefused = 4; // not 1: sanitizers and runtimes end a crashed program with 1

enum Tag : std::uint8_t { Null = 0, Int = 1, Double = 2, Text = 3, DateTime = 4, Bool = 5 };

} // namespace lapora::jetstream
