#include "Regional.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lapora::regional {

QString formatNumber(double v) {
    if (!std::isfinite(v))
        return QStringLiteral("0");
    if (v == 0.0)
        return QStringLiteral("0");
    // Fifteen significant digits, as the system's own number-to-text conversion gives, without an exponent.
    const double mag = std::floor(std::log10(std::fabs(v))) + 1;
    int decimals = 15 - static_cast<int>(mag);
    if (decimals < 0)
        decimals = 0;
    if (decimals > 15)
        decimals = 15;
    QString s = QString::number(v, 'f', decimals);
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    s.replace('.', ',');
    return s;
}

std::optional<double> parseNumber(const QString& text) {
    // The Hungarian form has no exponent: "1e308" is no number.
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(,\\d*)?|,\\d+)$"));
    const QString s = text.trimmed();
    if (!re.match(s).hasMatch())
        return std::nullopt;
    std::string ascii = s.toStdString();
    for (char& c : ascii)
        if (c == ',')
            c = '.';
    if (!ascii.empty() && ascii[0] == '+')
        ascii.erase(0, 1);
    double v = 0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString formatDate(const QDate& d) {
    if (!d.isValid())
        return {};
    return QStringLiteral("%1.%2.%3.")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

std::optional<QDate> parseDate(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4})\\s*[.\\-/]\\s*(\\d{1,2})\\s*[.\\-/]\\s*(\\d{1,2})\\.?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString formatTime(const QTime& t) {
    if (!t.isValid())
        return {};
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QString formatShortTime(const QTime& t) {
    if (!t.isValid())
        return {};
    return t.toString(QStringLiteral("HH:mm"));
}

std::optional<QTime> parseTime(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(),
                  m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

QString formatDateTime(const QDate& d, const QTime& t) {
    return formatDate(d) + QLatin1Char(' ') + formatTime(t);
}

int roundHalfEven32(double v) {
    if (std::isnan(v))
        return 0;
    const double r = std::nearbyint(v); // default rounding mode: to nearest, halves to even
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

} // namespace lapora::regional
