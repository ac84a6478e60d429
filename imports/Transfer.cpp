#include "Transfer.h"

#include "Clock.h"
#include "NullSafe.h"
#include "Regional.h"
#include "View.h"

#include <cmath>

namespace lapora::imports {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

Value numberValue(const NumberOrEmpty& n) {
    return n.isEmpty() ? Value() : Value::number(n.value());
}

Value dateValue(const DateOrEmpty& d) {
    return d.isEmpty() ? Value() : Value::date(d.value());
}

Value num(const View& line, const char* field) {
    return numberValue(NullNumber(line.field(u(field))));
}

Value text(const View& line, const char* field) {
    return Value::text(NullText(line.field(u(field))));
}

Value date(const View& line, const char* field) {
    return dateValue(NullDate(line.field(u(field))));
}

} // namespace

QString transferStamp(const QDate& day, double secondsSinceMidnight) {
    // Single precision: seven significant digits, as the seconds were always written.
    const float seconds = static_cast<float>(secondsSinceMidnight);
    QString s = QString::number(static_cast<double>(seconds), 'g', 7);
    if (s.contains(QLatin1Char('e'))) // not within a day's seconds, but never an exponent in a stamp
        s = QString::number(static_cast<double>(seconds), 'f', 0);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return (QString::number(day.year()) + QString::number(day.month()) + QString::number(day.day()) + s)
        .trimmed();
}

QString transferStamp() {
    return transferStamp(Clock::today(), Clock::secondsSinceMidnight());
}

bool storable(const Value& v, ColumnType type) {
    using T = Value::Type;
    if (v.isNull())
        return true;
    const bool blank = v.type() == T::Text && v.asText().trimmed().isEmpty();
    switch (type) {
    case ColumnType::Text:
    case ColumnType::LongText:
        return true;
    case ColumnType::Number:
    case ColumnType::Integer:
        return v.type() == T::Number || v.type() == T::Bool || blank ||
               (v.type() == T::Text && regional::parseNumber(v.asText()).has_value());
    case ColumnType::Date:
        return v.type() == T::Date || v.type() == T::DateTime || v.type() == T::Number || blank ||
               (v.type() == T::Text && regional::parseDate(v.asText()).has_value());
    case ColumnType::Time:
        return v.type() == T::Time || v.type() == T::DateTime || blank ||
               (v.type() == T::Text && regional::parseTime(v.asText()).has_value());
    case ColumnType::DateTime:
        return v.type() == T::Date || v.type() == T::DateTime || v.type() == T::Time || blank;
    case ColumnType::Bool:
        return v.type() == T::Bool || v.type() == T::Number || blank;
    }
    return false;
}

std::optional<QString> serialNumber(const std::optional<QString>& typed) {
    if (!typed)
        return std::nullopt;
    const auto n = regional::parseNumber(*typed);
    if (!n || *n == 0 || !std::isfinite(*n) || std::fabs(*n) > 1e15)
        return std::nullopt;
    // Plain digits for the SQL text; a fraction keeps its point, which SQL reads as one.
    if (*n == std::trunc(*n))
        return QString::number(static_cast<qint64>(*n));
    return QString::number(*n, 'g', 15);
}

void mapInvoiceLine(const View& line, View& staging) {
    staging.setField(u("Szamlaszam"), num(line, "SZAMLASOR"));
    staging.setField(u("CegNev"), text(line, "VEVONEV"));
    staging.setField(u("CegCim"), Value::text(NullText(line.field(u("VEVOSZEKH"))) + QLatin1Char(' ') +
                                              NullText(line.field(u("vevocim")))));
    staging.setField(u("Megnevezes"), text(line, "MEGNEVEZES"));
    staging.setField(u("Netto"), num(line, "NETTO_ERTE"));
    staging.setField(u("AFA"), num(line, "AFA"));
    staging.setField(u("Brutto"), num(line, "BRUTTO"));
    staging.setField(u("Datumtol"), date(line, "TELJ_DATUM"));
    staging.setField(u("Datumig"), date(line, "ESEDEKES"));
    staging.setField(u("Adatfelvetel"), date(line, "SZML_KELTE"));
    staging.setField(u("Devizanem"), text(line, "PENZNEM"));
    staging.setField(u("RészÖsszeg"), Value::number(0));
    staging.setField(u("FizetésMódja"), text(line, "FIZ_MOD"));
    staging.setField(u("Mennyiség"), num(line, "MENNYISEG"));
}

void mapWarehouseLine(const View& line, View& staging) {
    const Value today = Value::date(Clock::today());
    staging.setField(u("Szamlaszam"), num(line, "Sorszám"));
    staging.setField(u("CegNev"), text(line, "VEVONEV"));
    staging.setField(u("CegCim"), Value::text(NullText(line.field(u("VEVOSZEKH"))) + QLatin1Char(' ') +
                                              NullText(line.field(u("VEVOCIM")))));
    staging.setField(u("Megnevezes"), text(line, "MEGNEVEZES"));
    staging.setField(u("Netto"), num(line, "NETTO"));
    staging.setField(u("AFA"), num(line, "AFA"));
    staging.setField(u("Brutto"), num(line, "BRUTTO"));
    staging.setField(u("Datumtol"), date(line, "KIDATUM"));
    staging.setField(u("Datumig"), today);
    staging.setField(u("Adatfelvetel"), today);
    staging.setField(u("Devizanem"), Value::text(QString()));
    staging.setField(u("RészÖsszeg"), Value::number(0));
    staging.setField(u("FizetésMódja"), Value::text(QString()));
    staging.setField(u("Mennyiség"), num(line, "MENNYISEG"));
}

} // namespace lapora::imports
