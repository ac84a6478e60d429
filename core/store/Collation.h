#pragma once

#include <QString>

struct sqlite3;

namespace lapora {

// Jet compares and sorts text without regard to case, in the language's order (c < cs, o < ö < ő, s < sz).
// Registered under its own name on every connection; JetSql applies it where SQL orders or compares text.
// SQLite's built-in NOCASE is left alone: replacing it corrupts index order and LIKE.
inline constexpr const char* kHungarianCollation = "HU";

int compareHungarian(const QString& a, const QString& b);
void registerHungarianCollation(sqlite3* db);

// Case-blind equality for names of tables and fields (accented letters included).
bool sameName(const QString& a, const QString& b);

} // namespace lapora
