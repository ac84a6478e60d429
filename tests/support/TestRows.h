#pragma once

#include "Database.h"
#include "Value.h"
#include "View.h"

#include <QString>
#include <QStringList>

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

// What a data file of the current working folder holds, read through a view of its own (a table, or a SELECT
// for its order): one field of a row, and one field of every row as shown.
inline Value storedValue(const QString& file, const QString& source, int row, const QString& field) {
    View v(Database::open(file), source);
    return v.valueAt(row, v.fieldIndex(field));
}

inline QStringList storedColumn(const QString& file, const QString& source, const QString& field) {
    View v(Database::open(file), source);
    QStringList out;
    const int col = v.fieldIndex(field);
    for (int i = 0; i < v.recordCount(); ++i)
        out << v.valueAt(i, col).display();
    return out;
}

} // namespace lapora::test
