#include "NullSafe.h"

#include "Clock.h"
#include "Regional.h"

namespace lapora {

QString NumberOrEmpty::text() const {
    return v_ ? regional::formatNumber(*v_) : QString();
}

QString DateOrEmpty::text() const {
    return d_ ? regional::formatDate(*d_) : QString();
}

NumberOrEmpty NullNumber(const QString& controlText) {
    if (auto v = regional::parseNumber(controlText))
        return NumberOrEmpty(*v);
    return {};
}

NumberOrEmpty NullNumber(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        return NumberOrEmpty(0.0);
    case Value::Type::Number:
    case Value::Type::Bool:
        return NumberOrEmpty(v.asNumber());
    case Value::Type::Text:
        return NullNumber(v.asText());
    case Value::Type::Date:
    case Value::Type::Time:
    case Value::Type::DateTime: {
        // A date/time converts to its serial number: days since 1899.12.30, time as the fraction.
        const QDate day = v.type() == Value::Type::Time ? QDate(1899, 12, 30) : v.asDate();
        const QTime time = v.type() == Value::Type::Date ? QTime(0, 0) : v.asTime();
        const double days = QDate(1899, 12, 30).daysTo(day);
        return NumberOrEmpty(days + time.msecsSinceStartOfDay() / 86400000.0);
    }
    }
    return {};
}

DateOrEmpty NullDate(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        return DateOrEmpty(Clock::today());
    case Value::Type::Date:
    case Value::Type::DateTime:
        return DateOrEmpty(v.asDate());
    case Value::Type::Text:
        if (auto d = regional::parseDate(v.asText()))
            return DateOrEmpty(*d);
        return {};
    case Value::Type::Number:
        return DateOrEmpty(QDate(1899, 12, 30).addDays(static_cast<qint64>(v.asNumber())));
    case Value::Type::Time:
        return DateOrEmpty(QDate(1899, 12, 30));
    case Value::Type::Bool:
        return {};
    }
    return {};
}

QString NullText(const Value& v) {
    return v.display();
}

QString TimeText(const Value& v) {
    switch (v.type()) {
    case Value::Type::Time:
        return regional::formatTime(v.asTime());
    case Value::Type::DateTime:
        return regional::formatTime(v.asTime());
    case Value::Type::Text:
        if (const auto t = regional::parseTime(v.asText()))
            return regional::formatTime(*t);
        return v.asText();
    default:
        return QString();
    }
}

} // namespace lapora
