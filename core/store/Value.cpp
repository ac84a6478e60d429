#include "Value.h"

#include "Regional.h"

namespace lapora {

QString declaredType(const Column& c) {
    switch (c.type) {
    case ColumnType::Text:
        return c.size > 0 ? QStringLiteral("TEXT(%1)").arg(c.size) : QStringLiteral("TEXT");
    case ColumnType::LongText:
        return QStringLiteral("LONGTEXT");
    case ColumnType::Number:
        return QStringLiteral("REAL");
    case ColumnType::Integer:
        return QStringLiteral("INTEGER");
    case ColumnType::Date:
        return QStringLiteral("DATE");
    case ColumnType::Time:
        return QStringLiteral("TIME");
    case ColumnType::DateTime:
        return QStringLiteral("DATETIME");
    case ColumnType::Bool:
        return QStringLiteral("BOOLEAN");
    }
    return QStringLiteral("TEXT");
}

Column columnFromDeclared(const QString& name, const QString& declared) {
    Column c;
    c.name = name;
    const QString d = declared.trimmed().toUpper();
    if (d.startsWith(QLatin1String("LONGTEXT")) || d == QLatin1String("MEMO")) {
        c.type = ColumnType::LongText;
    } else if (d.contains(QLatin1String("TEXT")) || d.contains(QLatin1String("CHAR"))) {
        c.type = ColumnType::Text;
        const int open = d.indexOf('(');
        const int close = d.indexOf(')');
        if (open > 0 && close > open)
            c.size = d.mid(open + 1, close - open - 1).toInt();
    } else if (d == QLatin1String("DATETIME") || d == QLatin1String("TIMESTAMP")) {
        c.type = ColumnType::DateTime;
    } else if (d == QLatin1String("DATE")) {
        c.type = ColumnType::Date;
    } else if (d == QLatin1String("TIME")) {
        c.type = ColumnType::Time;
    } else if (d == QLatin1String("BOOLEAN") || d == QLatin1String("BOOL") || d == QLatin1String("YESNO")) {
        c.type = ColumnType::Bool;
    } else if (d.contains(QLatin1String("INT"))) {
        c.type = ColumnType::Integer;
    } else if (d.isEmpty()) {
        c.type = ColumnType::Text; // an expression column: hand out what SQLite gives, as text unless numeric
    } else {
        c.type = ColumnType::Number;
    }
    return c;
}

Value Value::number(double v) {
    Value x;
    x.v_ = v;
    return x;
}
Value Value::text(const QString& v) {
    Value x;
    x.v_ = v;
    return x;
}
Value Value::date(const QDate& v) {
    Value x;
    if (v.isValid())
        x.v_ = v;
    return x;
}
Value Value::time(const QTime& v) {
    Value x;
    if (v.isValid())
        x.v_ = v;
    return x;
}
Value Value::dateTime(const QDateTime& v) {
    return v.isValid() ? dateTime(v.date(), v.time()) : Value();
}
Value Value::dateTime(const QDate& d, const QTime& t) {
    Value x;
    if (d.isValid() && t.isValid())
        x.v_ = Stamp{d, t};
    return x;
}
Value Value::boolean(bool v) {
    Value x;
    x.v_ = v;
    return x;
}

Value::Type Value::type() const {
    switch (v_.index()) {
    case 1:
        return Type::Number;
    case 2:
        return Type::Text;
    case 3:
        return Type::Date;
    case 4:
        return Type::Time;
    case 5:
        return Type::DateTime;
    case 6:
        return Type::Bool;
    default:
        return Type::Null;
    }
}

double Value::asNumber() const {
    if (auto p = std::get_if<double>(&v_))
        return *p;
    if (auto b = std::get_if<bool>(&v_))
        return *b ? -1.0 : 0.0; // Jet's True is -1
    return 0.0;
}
QString Value::asText() const {
    if (auto p = std::get_if<QString>(&v_))
        return *p;
    return {};
}
QDate Value::asDate() const {
    if (auto p = std::get_if<QDate>(&v_))
        return *p;
    if (auto p = std::get_if<Stamp>(&v_))
        return p->date;
    return {};
}
QTime Value::asTime() const {
    if (auto p = std::get_if<QTime>(&v_))
        return *p;
    if (auto p = std::get_if<Stamp>(&v_))
        return p->time;
    return {};
}
QDateTime Value::asDateTime() const {
    if (auto p = std::get_if<Stamp>(&v_))
        return QDateTime(p->date, p->time);
    if (auto p = std::get_if<QDate>(&v_))
        return QDateTime(*p, QTime(0, 0));
    return {};
}
std::pair<QDate, QTime> Value::dateAndTime() const {
    if (auto p = std::get_if<Stamp>(&v_))
        return {p->date, p->time};
    if (auto p = std::get_if<QDate>(&v_))
        return {*p, QTime(0, 0)};
    if (auto p = std::get_if<QTime>(&v_))
        return {QDate(), *p};
    return {};
}
bool Value::asBool() const {
    if (auto p = std::get_if<bool>(&v_))
        return *p;
    if (auto p = std::get_if<double>(&v_))
        return *p != 0.0;
    return false;
}

QString Value::display() const {
    switch (type()) {
    case Type::Null:
        return {};
    case Type::Number:
        return regional::formatNumber(asNumber());
    case Type::Text:
        return asText();
    case Type::Date:
        return regional::formatDate(asDate());
    case Type::Time:
        return regional::formatTime(asTime());
    case Type::DateTime: {
        const auto [date, time] = dateAndTime();
        // Jet's general form: a value on day 0 shows its time only, one at midnight its date only.
        if (date == QDate(1899, 12, 30))
            return regional::formatTime(time);
        if (time == QTime(0, 0))
            return regional::formatDate(date);
        return regional::formatDateTime(date, time);
    }
    case Type::Bool:
        return asBool() ? QStringLiteral("Igaz") : QStringLiteral("Hamis");
    }
    return {};
}

} // namespace lapora
