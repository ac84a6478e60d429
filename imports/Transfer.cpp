#include "Transfer.h"

#include "Clock.h"
#include "NullSafe.h"
#include "Regional.h"
#include "StoreError.h"
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

// A field of one row of the collection view, read without moving the view (its grid need not follow every
// line of a transfer).
struct Line {
    const View& lines;
    int row;
    Value operator()(const char* field) const {
        const int col = lines.fieldIndex(u(field));
        if (col < 0)
            throw StoreError("no such field: " + std::string(field));
        return lines.valueAt(row, col);
    }
    Value num(const char* field) const { return numberValue(NullNumber((*this)(field))); }
    Value text(const char* field) const { return Value::text(NullText((*this)(field))); }
    Value date(const char* field) const { return dateValue(NullDate((*this)(field))); }
    Value address(const char* seat, const char* street) const {
        return Value::text(NullText((*this)(seat)) + QLatin1Char(' ') + NullText((*this)(street)));
    }
};

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
    const auto [day, seconds] = Clock::todayAndSeconds();
    return transferStamp(day, seconds);
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

void mapInvoiceLine(const View& lines, int row, View& staging) {
    const Line line{lines, row};
    staging.setField(u("Szamlaszam"), line.num("SZAMLASOR"));
    staging.setField(u("CegNev"), line.text("VEVONEV"));
    staging.setField(u("CegCim"), line.address("VEVOSZEKH", "vevocim"));
    staging.setField(u("Megnevezes"), line.text("MEGNEVEZES"));
    staging.setField(u("Netto"), line.num("NETTO_ERTE"));
    staging.setField(u("AFA"), line.num("AFA"));
    staging.setField(u("Brutto"), line.num("BRUTTO"));
    staging.setField(u("Datumtol"), line.date("TELJ_DATUM"));
    staging.setField(u("Datumig"), line.date("ESEDEKES"));
    staging.setField(u("Adatfelvetel"), line.date("SZML_KELTE"));
    staging.setField(u("Devizanem"), line.text("PENZNEM"));
    staging.setField(u("RészÖsszeg"), Value::number(0));
    staging.setField(u("FizetésMódja"), line.text("FIZ_MOD"));
    staging.setField(u("Mennyiség"), line.num("MENNYISEG"));
}

void mapWarehouseLine(const View& lines, int row, View& staging) {
    const Line line{lines, row};
    const Value today = Value::date(Clock::today());
    staging.setField(u("Szamlaszam"), line.num("Sorszám"));
    staging.setField(u("CegNev"), line.text("VEVONEV"));
    staging.setField(u("CegCim"), line.address("VEVOSZEKH", "VEVOCIM"));
    staging.setField(u("Megnevezes"), line.text("MEGNEVEZES"));
    staging.setField(u("Netto"), line.num("NETTO"));
    staging.setField(u("AFA"), line.num("AFA"));
    staging.setField(u("Brutto"), line.num("BRUTTO"));
    staging.setField(u("Datumtol"), line.date("KIDATUM"));
    staging.setField(u("Datumig"), today);
    staging.setField(u("Adatfelvetel"), today);
    staging.setField(u("Devizanem"), Value::text(QString()));
    staging.setField(u("RészÖsszeg"), Value::number(0));
    staging.setField(u("FizetésMódja"), Value::text(QString()));
    staging.setField(u("Mennyiség"), line.num("MENNYISEG"));
}

} // namespace lapora::imports
