#pragma once

#include "Value.h"

#include <QString>

#include <vector>

namespace lapora {

// Jet's LIKE: "*" any run, "?" any one character, "#" one digit, "[abc]", "[a-z]", "[!abc]" one of / none of.
// Case-blind for every letter, accented ones included. An unclosed "[" stands for itself.
class LikePattern {
public:
    explicit LikePattern(const QString& pattern);
    bool matches(const QString& text) const;
    // A pattern for SQLite's LIKE (escape character "\\") that every text this pattern matches also
    // matches: plain ASCII letters and marks stay, everything else widens to "%".
    QString sqlSuperset() const;

private:
    struct Element {
        enum class Kind { Literal, AnyOne, Digit, Star, Set } kind;
        QString chars; // Literal: one folded char; Set: folded members, ranges expanded as pairs in `ranges`
        std::vector<std::pair<QChar, QChar>> ranges;
        bool negated = false;
    };
    bool matchOne(const Element& e, QChar c) const;
    std::vector<Element> elements_;
};

// A FindFirst criteria text: `[Field] like "pattern"` or `[Field] = number` (also `= "text"`).
// Malformed text is a StoreError, so a search fails instead of crashing.
class Criteria {
public:
    enum class Op { Like, EqualNumber, EqualText };

    static Criteria parse(const QString& text);

    const QString& field() const { return field_; }
    Op op() const { return op_; }

    // A value is compared in its displayed form (a date as yyyy.MM.dd., so "2013.05*" finds May 2013).
    bool matches(const Value& v) const;
    // For a text field: a pattern for SQLite's LIKE (escape "\\") that every stored text matching these
    // criteria matches too, so a scan can leave most rows out; empty when there is none.
    QString sqlTextFilter() const;

private:
    Criteria() : like_(QString()) {}
    QString field_;
    Op op_ = Op::Like;
    LikePattern like_;
    QString text_;
    double number_ = 0;
};

} // namespace lapora
