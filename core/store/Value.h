#pragma once

#include "ColumnType.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <utility>
#include <variant>

namespace lapora {

struct Column {
    QString name;
    ColumnType type = ColumnType::Text;
    int size = 0; // characters for Text; 0 when not limited
};

// SQL declared type of a column (TEXT(50), LONGTEXT, REAL, INTEGER, DATE, TIME, DATETIME, BOOLEAN) and back.
QString declaredType(const Column& c);
Column columnFromDeclared(const QString& name, const QString& declared);

// One field value as DAO hands it out: Null, number, text, date, time, date-time or yes/no.
class Value {
public:
    enum class Type { Null, Number, Text, Date, Time, DateTime, Bool };

    Value() = default;
    static Value number(double v);
    static Value text(const QString& v);
    static Value date(const QDate& v);
    static Value time(const QTime& v);
    static Value dateTime(const QDateTime& v);
    static Value dateTime(const QDate& d, const QTime& t); // the same without building a QDateTime
    static Value boolean(bool v);

    Type type() const;
    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }

    // Raw accessors: the value when it is of that type, otherwise an empty/zero default.
    double asNumber() const;
    QString asText() const;
    QDate asDate() const;
    QTime asTime() const;
    QDateTime asDateTime() const; // local time, built on demand
    // Date and time of a Date (at midnight), DateTime or Time (with no date) value: compares as the
    // calendar does, with no time-zone work.
    std::pair<QDate, QTime> dateAndTime() const;
    bool asBool() const;

    // The value as the user sees it in the regional forms; Null gives empty text.
    QString display() const;

    bool operator==(const Value& o) const { return v_ == o.v_; }
    bool operator!=(const Value& o) const { return !(*this == o); }

private:
    // A stored date-time has no time zone: kept as its date and time (a QDateTime in local time costs a
    // time-zone lookup to build, once per value read).
    struct Stamp {
        QDate date;
        QTime time;
        bool operator==(const Stamp& o) const { return date == o.date && time == o.time; }
    };
    using Storage = std::variant<std::monostate, double, QString, QDate, QTime, Stamp, bool>;
    Storage v_;
};

} // namespace lapora
