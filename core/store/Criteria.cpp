#include "Criteria.h"

#include "StoreError.h"

#include <cmath>

namespace lapora {

namespace {

QChar fold(QChar c) {
    return c.toCaseFolded();
}

} // namespace

LikePattern::LikePattern(const QString& pattern) {
    const int n = pattern.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        Element e{Element::Kind::Literal, {}, {}, false};
        if (c == QLatin1Char('*')) {
            if (!elements_.empty() && elements_.back().kind == Element::Kind::Star)
                continue;
            e.kind = Element::Kind::Star;
        } else if (c == QLatin1Char('?')) {
            e.kind = Element::Kind::AnyOne;
        } else if (c == QLatin1Char('#')) {
            e.kind = Element::Kind::Digit;
        } else if (c == QLatin1Char('[') && pattern.indexOf(QLatin1Char(']'), i + 1) > i) {
            const int close = pattern.indexOf(QLatin1Char(']'), i + 1);
            QString inside = pattern.mid(i + 1, close - i - 1);
            i = close;
            e.kind = Element::Kind::Set;
            if (inside.startsWith(QLatin1Char('!')) && inside.size() > 1) {
                e.negated = true;
                inside.remove(0, 1);
            }
            if (inside.isEmpty()) {
                // "[]" matches the empty string in Jet; treat it as nothing to match.
                continue;
            }
            for (int k = 0; k < inside.size(); ++k) {
                if (k + 2 < inside.size() && inside[k + 1] == QLatin1Char('-')) {
                    e.ranges.emplace_back(fold(inside[k]), fold(inside[k + 2]));
                    k += 2;
                } else {
                    e.chars += fold(inside[k]);
                }
            }
        } else {
            e.chars = QString(fold(c));
        }
        elements_.push_back(std::move(e));
    }
}

bool LikePattern::matchOne(const Element& e, QChar c) const {
    switch (e.kind) {
    case Element::Kind::Literal:
        return fold(c) == e.chars[0];
    case Element::Kind::AnyOne:
        return true;
    case Element::Kind::Digit:
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    case Element::Kind::Set: {
        const QChar f = fold(c);
        bool in = e.chars.contains(f);
        for (const auto& r : e.ranges)
            in = in || (f >= r.first && f <= r.second);
        return in != e.negated;
    }
    case Element::Kind::Star:
        return false;
    }
    return false;
}

bool LikePattern::matches(const QString& text) const {
    // Greedy matching with backtracking to the last star: linear in practice, never recursive.
    const int n = text.size();
    const int m = static_cast<int>(elements_.size());
    int ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < n) {
        if (pi < m && elements_[pi].kind == Element::Kind::Star) {
            starP = pi++;
            starT = ti;
        } else if (pi < m && matchOne(elements_[pi], text[ti])) {
            ++pi;
            ++ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < m && elements_[pi].kind == Element::Kind::Star)
        ++pi;
    return pi == m;
}

namespace {

// SQLite's LIKE folds ASCII letters only; "k" and "s" also stand for letters outside ASCII that fold to them
// (the Kelvin sign, the long s). Such a letter, and any other one character of the Basic Plane, becomes "_";
// what may match a part of a character (a surrogate) or a run becomes "%".
void appendElement(QString& out, QChar folded, bool oneCharacter) {
    const char16_t u = folded.unicode();
    if (u >= 0x20 && u < 0x7f && u != u'k' && u != u's') {
        if (folded == QLatin1Char('%') || folded == QLatin1Char('_') || folded == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += folded;
    } else if (oneCharacter && !folded.isSurrogate()) {
        out += QLatin1Char('_');
    } else if (!out.endsWith(QLatin1Char('%')) || out.endsWith(QLatin1String("\\%"))) {
        out += QLatin1Char('%');
    }
}

} // namespace

QString LikePattern::sqlSuperset() const {
    QString out;
    for (const Element& e : elements_) {
        switch (e.kind) {
        case Element::Kind::Literal:
            appendElement(out, e.chars[0], true);
            break;
        case Element::Kind::Digit:
            out += QLatin1Char('_'); // one ASCII digit
            break;
        default:
            appendElement(out, QChar(), false);
            break;
        }
    }
    return out;
}

QString Criteria::sqlTextFilter() const {
    if (op_ == Op::Like)
        return like_.sqlSuperset();
    if (op_ == Op::EqualText) {
        QString out;
        for (QChar c : text_)
            appendElement(out, c, true);
        return out;
    }
    return {};
}

Criteria Criteria::parse(const QString& text) {
    Criteria c;
    const QString s = text.trimmed();
    int i = 0;
    const int n = s.size();
    auto skip = [&] {
        while (i < n && s[i].isSpace())
            ++i;
    };
    if (i < n && s[i] == QLatin1Char('[')) {
        const int close = s.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            throw StoreError("criteria: unterminated field");
        c.field_ = s.mid(i + 1, close - i - 1);
        i = close + 1;
    } else {
        const int start = i;
        while (i < n && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_')))
            ++i;
        c.field_ = s.mid(start, i - start);
    }
    if (c.field_.trimmed().isEmpty())
        throw StoreError("criteria: no field");
    skip();
    bool like = false;
    if (s.mid(i, 4).compare(QLatin1String("like"), Qt::CaseInsensitive) == 0 &&
        (i + 4 >= n || s[i + 4].isSpace() || s[i + 4] == QLatin1Char('"') || s[i + 4] == QLatin1Char('\''))) {
        like = true;
        i += 4;
    } else if (i < n && s[i] == QLatin1Char('=')) {
        ++i;
    } else {
        throw StoreError("criteria: no operator");
    }
    skip();
    if (i < n && (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\''))) {
        // A quoted text; the quote doubled stands for itself.
        const QChar q = s[i++];
        QString v;
        bool closed = false;
        while (i < n) {
            if (s[i] == q) {
                if (i + 1 < n && s[i + 1] == q) {
                    v += q;
                    i += 2;
                    continue;
                }
                closed = true;
                ++i;
                break;
            }
            v += s[i++];
        }
        if (!closed)
            throw StoreError("criteria: unterminated text");
        skip();
        if (i != n)
            throw StoreError("criteria: text after the pattern");
        if (like) {
            c.op_ = Op::Like;
            c.like_ = LikePattern(v);
        } else {
            c.op_ = Op::EqualText;
            c.text_ = v.toCaseFolded();
        }
        return c;
    }
    if (like)
        throw StoreError("criteria: like needs a quoted pattern");
    // A number as SQL writes it: digits with an optional "." fraction.
    const QString rest = s.mid(i).trimmed();
    bool ok = false;
    const double num = rest.toDouble(&ok); // QString::toDouble is locale-independent ("C")
    if (!ok || !std::isfinite(num))
        throw StoreError("criteria: not a number");
    c.op_ = Op::EqualNumber;
    c.number_ = num;
    return c;
}

bool Criteria::matches(const Value& v) const {
    if (v.isNull())
        return false;
    switch (op_) {
    case Op::Like:
        return like_.matches(v.display());
    case Op::EqualText:
        return v.display().toCaseFolded() == text_;
    case Op::EqualNumber:
        if (v.type() == Value::Type::Number || v.type() == Value::Type::Bool)
            return v.asNumber() == number_;
        if (v.type() == Value::Type::Text) {
            bool ok = false;
            const double d = v.asText().trimmed().toDouble(&ok);
            return ok && d == number_;
        }
        return false;
    }
    return false;
}

} // namespace lapora
