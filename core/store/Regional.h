#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// Hungarian regional forms, fixed: decimal comma, no thousands separator, dates yyyy.MM.dd., times HH:mm:ss.
// Nothing else in the program formats or parses numbers and dates by hand.
namespace lapora::regional {

// 12500 -> "12500", 12.5 -> "12,5", -3 -> "-3"; no exponent, no trailing zeros.
QString formatNumber(double v);
// "12,5", " 12,5 ", "-3" are numbers; "1e3", "1,2,3", "", "abc" are not. A "." is not a decimal separator.
std::optional<double> parseNumber(const QString& s);

QString formatDate(const QDate& d); // "2013.05.07."
// Accepts "2013.05.07.", "2013.05.07", "2013.5.7", "2013-05-07".
std::optional<QDate> parseDate(const QString& s);

QString formatTime(const QTime& t);      // "08:30:00"
QString formatShortTime(const QTime& t); // "08:30"
// Accepts "8:30", "08:30:15".
std::optional<QTime> parseTime(const QString& s);

QString formatDateTime(const QDate& d, const QTime& t); // "2013.05.07. 08:30:00"

// Round to the nearest whole number, halves to the even neighbour, into a signed 32-bit integer
// (out of range clamps).
int roundHalfEven32(double v);

} // namespace lapora::regional
