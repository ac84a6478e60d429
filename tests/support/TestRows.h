#pragma once

#include "Database.h"
#include "Value.h"
#include "View.h"

#include <QString>

#include <map>

namespace lapora::test {

inline QString u(const char* s) {
    return QString::fromUtf8(s);
}

using Fields = std::map<QString, Value>;

// Appends one row to a table of a data file in the current working folder.
inline void addRow(const QString& file, const QString& table, const Fields& f) {
    View v(Database::open(file), table);
    v.addNew();
    for (const auto& [name, value] : f)
        v.setField(name, value);
    v.update();
}

} // namespace lapora::test
