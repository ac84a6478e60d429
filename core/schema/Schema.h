#pragma once

#include "Value.h"

#include <QString>

#include <vector>

namespace lapora::schema {

inline const QString kLaporaFile = QStringLiteral("lapora.mdb");
inline const QString kParameterFile = QStringLiteral("Parameter.lpb");
inline const QString kRegisztFile = QStringLiteral("Regiszt.lpb");

struct Table {
    QString name;
    std::vector<Column> columns; // stored order: some tables are read and written by position
};

struct File {
    QString name;
    std::vector<Table> tables;
};

// The three data files, their tables and fields in stored order.
const std::vector<File>& files();
const File& file(const QString& name);
const Table& table(const QString& name);

// CREATE TABLE text of a table.
QString createSql(const Table& t);

} // namespace lapora::schema
