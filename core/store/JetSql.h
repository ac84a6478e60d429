#pragma once

#include "Value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace lapora::jetsql {

// The Jet SQL texts stay verbatim in the callers; this is the one place that turns them into SQLite's
// dialect: #m/d/yyyy# date literals, "double-quoted" text literals, [bracketed] names, [file path].[table] of
// another file, and the Hungarian case-blind collation where text columns are ordered or compared.

struct Token {
    enum class Kind { Space, Word, Bracket, String, Number, Date, Symbol };
    Kind kind;
    QString
        text; // Word/Symbol/Number: as written; Bracket: the name inside; String: the value; Date: yyyy-MM-dd
};

// Fails (StoreError) on an unterminated string, bracket or date literal.
std::vector<Token> tokenize(const QString& sql);

// A simple single-table SELECT: "select <list> from <table> [where ...] [order by ...]".
struct Select {
    QString columns; // SQLite text of the select list ("*" for all)
    QString table;   // table name as written
    QString where;   // SQLite text after WHERE, empty when none
    QString orderBy; // SQLite text after ORDER BY, empty when none
};

// What the statement's names stand for: columns (case-blind; canonical name and type) and tables (canonical
// name). Either may be empty; unknown names are passed through as written.
struct Names {
    std::function<std::optional<Column>(const QString&)> column;
    std::function<std::optional<QString>(const QString&)> table;
};

// A reference to a table of another file: the statement is rewritten to read it from an attached schema.
struct Attachment {
    QString path;   // file path, separators normalised
    QString schema; // name the statement uses for it
};

struct Translation {
    QString sql;
    std::vector<Attachment> attachments;
};

// Translates one statement. Text columns (per lookup) get the Hungarian collation in ORDER BY terms and in
// comparisons with a text literal.
Translation translate(const QString& jetSql, const Names& names = {});

// Parses a simple single-table SELECT into its parts (already translated); nullopt for anything else
// (joins, GROUP BY, sub-queries).
std::optional<Select> parseSelect(const QString& jetSql, const Names& names = {});

// The table named after FROM in a SELECT, or the source itself when it is a bare table name.
QString sourceTable(const QString& source);
bool isSelect(const QString& source);

// Every table name written in a statement (after FROM, JOIN, INTO, UPDATE), as written.
QStringList tablesNamed(const QString& jetSql);

// "INSERT INTO <table> [(<fields>)] SELECT ..." taken apart, the parts still Jet text; nullopt for any
// other statement.
struct InsertSelect {
    QString head;        // "INSERT INTO <table> [(<fields>)]"
    QString table;       // as written, brackets removed
    QStringList columns; // as written; empty when the statement lists none
    QString select;      // from SELECT to the end
};
std::optional<InsertSelect> splitInsertSelect(const QString& jetSql);

// SQLite quoting of a name: "na""me".
QString quoteName(const QString& name);

} // namespace lapora::jetsql
