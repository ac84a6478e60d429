#include "JetSql.h"

#include "Collation.h"
#include "StoreError.h"

#include <QDate>
#include <QRegularExpression>

namespace lapora::jetsql {

namespace {

using K = Token::Kind;

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

QString jetDate(const QString& inside) {
    // Jet writes #month/day/year#, optionally with a time that the callers never use.
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2,4})(?:\\s+.*)?$"));
    const auto m = re.match(inside);
    if (!m.hasMatch())
        throw StoreError("bad date literal");
    int y = m.captured(3).toInt();
    if (m.captured(3).size() <= 2)
        y += y < 30 ? 2000 : 1900;
    const QDate d(y, m.captured(1).toInt(), m.captured(2).toInt());
    if (!d.isValid())
        throw StoreError("bad date literal");
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

bool isKeyword(const QString& w, const char* kw) {
    return w.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
}

bool isPathLike(const QString& s) {
    return s.contains(QLatin1Char('/')) || s.contains(QLatin1Char('\\')) ||
           s.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive) ||
           s.endsWith(QLatin1String(".lpb"), Qt::CaseInsensitive);
}

bool isTextType(ColumnType t) {
    return t == ColumnType::Text || t == ColumnType::LongText;
}

QString quoteString(const QString& v) {
    QString s = v;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

bool isComparison(const Token& t) {
    if (t.kind != K::Symbol)
        return false;
    static const QStringList ops = {"=", "<>", "!=", "<", ">", "<=", ">="};
    return ops.contains(t.text);
}

// Index of the next/previous non-space token, or -1.
int nextSolid(const std::vector<Token>& t, int i) {
    for (int j = i + 1; j < static_cast<int>(t.size()); ++j)
        if (t[j].kind != K::Space)
            return j;
    return -1;
}
int prevSolid(const std::vector<Token>& t, int i) {
    for (int j = i - 1; j >= 0; --j)
        if (t[j].kind != K::Space)
            return j;
    return -1;
}

bool isName(const Token& t) {
    return t.kind == K::Word || t.kind == K::Bracket;
}

class Renderer {
public:
    Renderer(const std::vector<Token>& toks, const Names& names) : t_(toks), names_(names) { mark(); }

    // Renders tokens [from, to).
    QString render(int from, int to, std::vector<Attachment>* att = nullptr) const {
        QString out;
        for (int i = from; i < to; ++i) {
            const Token& tok = t_[i];
            // [file path].[table] of another file
            if (tok.kind == K::Bracket && isPathLike(tok.text) && att) {
                const int dot = i + 1 < to ? i + 1 : -1;
                if (dot > 0 && t_[dot].kind == K::Symbol && t_[dot].text == QLatin1String(".") &&
                    dot + 1 < to && isName(t_[dot + 1])) {
                    Attachment a;
                    a.path = tok.text;
                    a.path.replace(QLatin1Char('\\'), QLatin1Char('/'));
                    a.schema = QStringLiteral("lapora_att%1").arg(att->size() + 1);
                    att->push_back(a);
                    out += a.schema + QLatin1Char('.') + quoteName(t_[dot + 1].text);
                    i = dot + 1;
                    continue;
                }
            }
            out += renderOne(i);
            if (collateAfter_[i])
                out += QStringLiteral(" COLLATE ") + QLatin1String(kHungarianCollation);
        }
        return out;
    }

private:
    QString renderOne(int i) const {
        const Token& tok = t_[i];
        switch (tok.kind) {
        case K::Space:
            return QStringLiteral(" ");
        case K::String:
            return quoteString(tok.text);
        case K::Date:
            return quoteString(tok.text);
        case K::Bracket:
            return quoteName(canonical(i));
        case K::Word:
            if (tableAt_[i] || columnType(i))
                return quoteName(canonical(i));
            return tok.text;
        case K::Number:
        case K::Symbol:
            return tok.text;
        }
        return tok.text;
    }

    QString canonical(int i) const {
        const QString& n = t_[i].text;
        if (tableAt_[i] && names_.table)
            if (auto c = names_.table(n))
                return *c;
        if (names_.column)
            if (auto c = names_.column(n))
                return c->name;
        return n;
    }

    std::optional<ColumnType> columnType(int i) const {
        if (i < 0 || !isName(t_[i]) || tableAt_[i] || !names_.column)
            return std::nullopt;
        // A keyword is a column only when it is bracketed.
        if (t_[i].kind == K::Word && isSqlWord(t_[i].text))
            return std::nullopt;
        if (auto c = names_.column(t_[i].text))
            return c->type;
        return std::nullopt;
    }

    static bool isSqlWord(const QString& w) {
        static const QStringList kw = {"select",   "from",   "where",  "order",  "by",     "asc",   "desc",
                                       "and",      "or",     "not",    "like",   "is",     "null",  "in",
                                       "into",     "values", "insert", "delete", "update", "set",   "between",
                                       "distinct", "top",    "as",     "on",     "join",   "group", "having"};
        for (const auto& k : kw)
            if (isKeyword(w, k.toLatin1().constData()))
                return true;
        return false;
    }

    void mark() {
        const int n = static_cast<int>(t_.size());
        collateAfter_.assign(n, false);
        tableAt_.assign(n, false);
        // Table names: the name after FROM, JOIN, INTO, UPDATE.
        for (int i = 0; i < n; ++i) {
            if (t_[i].kind != K::Word)
                continue;
            const QString& w = t_[i].text;
            if (isKeyword(w, "from") || isKeyword(w, "join") || isKeyword(w, "into") ||
                isKeyword(w, "update")) {
                const int j = nextSolid(t_, i);
                if (j >= 0 && isName(t_[j]))
                    tableAt_[j] = true;
            }
        }
        // Comparisons of a text column with a text literal.
        for (int i = 0; i < n; ++i) {
            if (!isComparison(t_[i]))
                continue;
            const int l = prevSolid(t_, i);
            const int r = nextSolid(t_, i);
            if (l < 0 || r < 0)
                continue;
            auto lt = columnType(l);
            auto rt = columnType(r);
            if (lt && isTextType(*lt) && t_[r].kind == K::String)
                collateAfter_[r] = true;
            else if (rt && isTextType(*rt) && t_[l].kind == K::String)
                collateAfter_[r] = true;
        }
        // ORDER BY terms that are a text column alone, optionally followed by ASC/DESC.
        for (int i = 0; i < n; ++i) {
            if (t_[i].kind != K::Word || !isKeyword(t_[i].text, "order"))
                continue;
            const int by = nextSolid(t_, i);
            if (by < 0 || t_[by].kind != K::Word || !isKeyword(t_[by].text, "by"))
                continue;
            int j = nextSolid(t_, by);
            while (j >= 0) {
                const int name = j;
                int after = nextSolid(t_, name);
                if (after >= 0 && t_[after].kind == K::Word &&
                    (isKeyword(t_[after].text, "asc") || isKeyword(t_[after].text, "desc")))
                    after = nextSolid(t_, after);
                const bool termEnds =
                    after < 0 || (t_[after].kind == K::Symbol && t_[after].text == QLatin1String(","));
                if (termEnds) {
                    auto ct = columnType(name);
                    if (ct && isTextType(*ct))
                        collateAfter_[name] = true;
                }
                // Skip to the next term.
                int k = name;
                int depth = 0;
                while (k >= 0) {
                    if (t_[k].kind == K::Symbol && t_[k].text == QLatin1String("("))
                        ++depth;
                    if (t_[k].kind == K::Symbol && t_[k].text == QLatin1String(")"))
                        --depth;
                    if (depth == 0 && t_[k].kind == K::Symbol && t_[k].text == QLatin1String(","))
                        break;
                    k = nextSolid(t_, k);
                }
                j = k >= 0 ? nextSolid(t_, k) : -1;
            }
        }
    }

    const std::vector<Token>& t_;
    const Names& names_;
    std::vector<bool> collateAfter_;
    std::vector<bool> tableAt_;
};

} // namespace

QString quoteName(const QString& name) {
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            int j = i;
            while (j < n && sql[j].isSpace())
                ++j;
            out.push_back({K::Space, sql.mid(i, j - i)});
            i = j;
        } else if (isWordStart(c)) {
            int j = i;
            while (j < n && isWordChar(sql[j]))
                ++j;
            out.push_back({K::Word, sql.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('[')) {
            const int j = sql.indexOf(QLatin1Char(']'), i + 1);
            if (j < 0)
                throw StoreError("unterminated name");
            out.push_back({K::Bracket, sql.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString v;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        v += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                v += sql[j++];
            }
            if (!closed)
                throw StoreError("unterminated text");
            out.push_back({K::String, v});
            i = j + 1;
        } else if (c == QLatin1Char('#')) {
            const int j = sql.indexOf(QLatin1Char('#'), i + 1);
            if (j < 0)
                throw StoreError("unterminated date");
            out.push_back({K::Date, jetDate(sql.mid(i + 1, j - i - 1))});
            i = j + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit() &&
                                   (out.empty() || out.back().kind != K::Bracket))) {
            int j = i;
            while (j < n && (sql[j].isDigit() || sql[j] == QLatin1Char('.')))
                ++j;
            if (j < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && sql[k].isDigit()) {
                    while (k < n && sql[k].isDigit())
                        ++k;
                    j = k;
                }
            }
            out.push_back({K::Number, sql.mid(i, j - i)});
            i = j;
        } else {
            const QString two = sql.mid(i, 2);
            if (two == QLatin1String("<=") || two == QLatin1String(">=") || two == QLatin1String("<>") ||
                two == QLatin1String("!=") || two == QLatin1String("||")) {
                out.push_back({K::Symbol, two});
                i += 2;
            } else {
                out.push_back({K::Symbol, QString(c)});
                ++i;
            }
        }
    }
    return out;
}

Translation translate(const QString& jetSql, const Names& names) {
    const auto toks = tokenize(jetSql);
    Renderer r(toks, names);
    Translation t;
    t.sql = r.render(0, static_cast<int>(toks.size()), &t.attachments).trimmed();
    return t;
}

std::optional<Select> parseSelect(const QString& jetSql, const Names& names) {
    const auto toks = tokenize(jetSql);
    const int n = static_cast<int>(toks.size());
    int i = nextSolid(toks, -1);
    if (i < 0 || toks[i].kind != K::Word || !isKeyword(toks[i].text, "select"))
        return std::nullopt;
    const int listStart = i + 1;
    int from = -1;
    int depth = 0;
    for (int j = listStart; j < n; ++j) {
        const Token& t = toks[j];
        if (t.kind == K::Symbol && t.text == QLatin1String("("))
            ++depth;
        else if (t.kind == K::Symbol && t.text == QLatin1String(")"))
            --depth;
        else if (depth == 0 && t.kind == K::Word && isKeyword(t.text, "from")) {
            from = j;
            break;
        }
    }
    if (from < 0)
        return std::nullopt;
    const int table = nextSolid(toks, from);
    if (table < 0 || !isName(toks[table]))
        return std::nullopt;
    // Anything but WHERE / ORDER BY after the table (a join, an alias, grouping) is not a simple select.
    int where = -1, order = -1;
    auto orderByAt = [&](int j) {
        if (j < 0 || toks[j].kind != K::Word || !isKeyword(toks[j].text, "order"))
            return -1;
        const int by = nextSolid(toks, j);
        return by >= 0 && toks[by].kind == K::Word && isKeyword(toks[by].text, "by") ? by : -1;
    };
    const int after = nextSolid(toks, table);
    if (after >= 0) {
        if (toks[after].kind == K::Word && isKeyword(toks[after].text, "where"))
            where = after;
        else if ((order = orderByAt(after)) < 0)
            return std::nullopt;
    }
    depth = 0;
    for (int j = after; j >= 0; j = nextSolid(toks, j)) {
        const Token& t = toks[j];
        if (t.kind == K::Symbol && t.text == QLatin1String("("))
            ++depth;
        else if (t.kind == K::Symbol && t.text == QLatin1String(")"))
            --depth;
        else if (t.kind == K::Word) {
            if (isKeyword(t.text, "join") || isKeyword(t.text, "group") || isKeyword(t.text, "union") ||
                isKeyword(t.text, "having") || isKeyword(t.text, "select") || isKeyword(t.text, "limit"))
                return std::nullopt;
            if (depth == 0 && order < 0 && where >= 0)
                order = orderByAt(j);
        }
    }
    Renderer r(toks, names);
    Select s;
    s.columns = r.render(listStart, from).trimmed();
    s.table = toks[table].text;
    if (names.table)
        if (auto c = names.table(s.table))
            s.table = *c;
    if (where >= 0) {
        int whereEnd = n;
        if (order >= 0)
            whereEnd = prevSolid(toks, order); // the ORDER word
        s.where = r.render(where + 1, whereEnd).trimmed();
    }
    if (order >= 0)
        s.orderBy = r.render(order + 1, n).trimmed();
    return s;
}

bool isSelect(const QString& source) {
    return source.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive) &&
           (source.trimmed().size() == 6 || !isWordChar(source.trimmed()[6]));
}

QString sourceTable(const QString& source) {
    if (isSelect(source)) {
        if (auto s = parseSelect(source))
            return s->table;
        return {};
    }
    QString t = source.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        t = t.mid(1, t.size() - 2);
    return t;
}

QStringList tablesNamed(const QString& jetSql) {
    QStringList out;
    std::vector<Token> toks;
    try {
        toks = tokenize(jetSql);
    } catch (const StoreError&) {
        return out;
    }
    for (int i = 0; i < static_cast<int>(toks.size()); ++i) {
        if (toks[i].kind != K::Word)
            continue;
        const QString& w = toks[i].text;
        if (isKeyword(w, "from") || isKeyword(w, "join") || isKeyword(w, "into") || isKeyword(w, "update")) {
            const int j = nextSolid(toks, i);
            if (j >= 0 && isName(toks[j])) {
                // [file].[table] names a table of another file, not of this one.
                const int dot = j + 1;
                if (toks[j].kind == K::Bracket && isPathLike(toks[j].text) &&
                    dot < static_cast<int>(toks.size()) && toks[dot].kind == K::Symbol &&
                    toks[dot].text == QLatin1String("."))
                    continue;
                out << toks[j].text;
            }
        }
    }
    return out;
}

std::optional<InsertSelect> splitInsertSelect(const QString& jetSql) {
    std::vector<Token> toks;
    try {
        toks = tokenize(jetSql);
    } catch (const StoreError&) {
        return std::nullopt;
    }
    std::vector<const Token*> solid;
    for (const Token& t : toks)
        if (t.kind != K::Space)
            solid.push_back(&t);
    const auto word = [&](size_t i, const char* kw) {
        return i < solid.size() && solid[i]->kind == K::Word && isKeyword(solid[i]->text, kw);
    };
    const auto symbol = [&](size_t i, const char* s) {
        return i < solid.size() && solid[i]->kind == K::Symbol && solid[i]->text == QLatin1String(s);
    };
    if (!word(0, "insert") || !word(1, "into") || solid.size() < 3 || !isName(*solid[2]))
        return std::nullopt;
    InsertSelect out;
    out.table = solid[2]->text;
    size_t i = 3;
    if (symbol(i, "(")) {
        for (++i; i < solid.size() && !symbol(i, ")"); ++i) {
            if (symbol(i, ","))
                continue;
            if (!isName(*solid[i]))
                return std::nullopt;
            out.columns << solid[i]->text;
        }
        if (!symbol(i, ")"))
            return std::nullopt;
        ++i;
    }
    if (!word(i, "select"))
        return std::nullopt;
    // The head holds only names, so the first SELECT outside brackets and quotes starts the rest.
    const int n = int(jetSql.size());
    for (int at = 0; at < n; ++at) {
        const QChar c = jetSql[at];
        if (c == QLatin1Char('[')) {
            const int close = jetSql.indexOf(QLatin1Char(']'), at + 1);
            if (close < 0)
                return std::nullopt;
            at = close;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int close = jetSql.indexOf(c, at + 1);
            if (close < 0)
                return std::nullopt;
            at = close;
        } else if (jetSql.mid(at, 6).compare(QLatin1String("select"), Qt::CaseInsensitive) == 0 &&
                   (at == 0 || !isWordChar(jetSql[at - 1])) && (at + 6 >= n || !isWordChar(jetSql[at + 6]))) {
            out.head = jetSql.left(at);
            out.select = jetSql.mid(at);
            return out;
        }
    }
    return std::nullopt;
}

} // namespace lapora::jetsql
