#pragma once

#include "Value.h"

#include <QDate>
#include <QString>

#include <optional>

namespace lapora {

// What NullNumber gives: a number, or "empty" when the value could not be converted.
// Empty counts as 0 in arithmetic and as empty text when joined to text.
class NumberOrEmpty {
public:
    NumberOrEmpty() = default;
    explicit NumberOrEmpty(double v) : v_(v) {}
    bool isEmpty() const { return !v_.has_value(); }
    double value() const { return v_.value_or(0.0); }
    QString text() const; // plain regional form, or empty
private:
    std::optional<double> v_;
};

// What NullDate gives: a date, or empty when the value could not be converted.
class DateOrEmpty {
public:
    DateOrEmpty() = default;
    explicit DateOrEmpty(const QDate& d) : d_(d) {}
    bool isEmpty() const { return !d_.has_value(); }
    QDate value() const { return d_.value_or(QDate()); }
    QString text() const; // short date form, or empty
private:
    std::optional<QDate> d_;
};

NumberOrEmpty NullNumber(const Value& v);
NumberOrEmpty
NullNumber(const QString& controlText); // a control's text: empty text is not Null, it is "empty"
DateOrEmpty NullDate(const Value& v);
QString NullText(const Value& v);
// A time of day in the regional form (HH:mm:ss); Null, or a value that holds no time, gives nothing.
QString TimeText(const Value& v);

} // namespace lapora
