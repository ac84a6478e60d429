#include "Criteria.h"
#include "StoreError.h"

#include <gtest/gtest.h>

using namespace lapora;

namespace {

struct LikeCase {
    const char* pattern;
    const char* text;
    bool match;
};

void PrintTo(const LikeCase& c, std::ostream* os) {
    *os << c.pattern << " ~ " << c.text;
}

class Like : public ::testing::TestWithParam<LikeCase> {};

TEST_P(Like, JetWildcards) {
    EXPECT_EQ(LikePattern(QString::fromUtf8(GetParam().pattern)).matches(QString::fromUtf8(GetParam().text)),
              GetParam().match)
        << GetParam().pattern << " ~ " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Criteria, Like,
    ::testing::Values(
        LikeCase{"Kov*", "Kovács és Társa Kft.", true}, LikeCase{"kov*", "Kovács és Társa Kft.", true},
        LikeCase{"KOVÁCS*", "Kovács és Társa Kft.", true}, // accented capitals fold too
        LikeCase{"árvíz*", "ÁRVÍZTŰRŐ Kft.", true}, LikeCase{"ő*", "Ősi", true},
        LikeCase{"Kovacs*", "Kovács", false}, // an accent is a different letter
        LikeCase{"*Kft.", "Szabó Kft.", true}, LikeCase{"Sz?bó*", "Szabó", true},
        LikeCase{"Sz?bó*", "Szbó", false}, LikeCase{"12*", "12345", true}, LikeCase{"12*", "0123", false},
        LikeCase{"#2*", "12", true}, LikeCase{"#2*", "a2", false}, LikeCase{"[KS]*", "Szabó", true},
        LikeCase{"[!KS]*", "Szabó", false}, LikeCase{"[a-c]*", "Balogh", true}, LikeCase{"[a*", "[abc", true},
        LikeCase{"*", "", true}, LikeCase{"", "", true}, LikeCase{"", "a", false},
        LikeCase{"O'Brien*", "O'Brien \"Gépész\" Bt.", true}, LikeCase{"*a*b*c*", "xxaxxbxxcxx", true},
        LikeCase{"*a*b*c", "xxaxxbxxcxx", false}, LikeCase{"2013.05*", "2013.05.07.", true},
        // The ends of the digit and letter ranges are inside; their neighbours are not.
        LikeCase{"#", "0", true}, LikeCase{"#", "9", true}, LikeCase{"#", "/", false},
        LikeCase{"#", ":", false}, LikeCase{"1#", "19", true}, LikeCase{"[a-z]", "a", true},
        LikeCase{"[a-z]", "z", true}, LikeCase{"[a-z]", "Z", true}, LikeCase{"[a-y]", "z", false},
        LikeCase{"[b-z]", "a", false}, LikeCase{"[!a-z]", "z", false}, LikeCase{"[0-9]#", "99", true}));

TEST(Criteria, ParsesTheProgramsForms) {
    auto c = Criteria::parse(QString::fromUtf8("[CimNev] like \"Kov*\""));
    EXPECT_EQ(c.field(), QStringLiteral("CimNev"));
    EXPECT_EQ(c.op(), Criteria::Op::Like);
    EXPECT_TRUE(c.matches(Value::text(QString::fromUtf8("kovács"))));
    EXPECT_FALSE(c.matches(Value())); // Null never matches

    c = Criteria::parse(QString::fromUtf8("[Dátum] like \"2013.05*\""));
    EXPECT_TRUE(c.matches(Value::date(QDate(2013, 5, 31))));
    EXPECT_FALSE(c.matches(Value::date(QDate(2013, 6, 1))));

    c = Criteria::parse(QString::fromUtf8("[Sorszám] = 12"));
    EXPECT_EQ(c.op(), Criteria::Op::EqualNumber);
    EXPECT_TRUE(c.matches(Value::number(12)));
    EXPECT_FALSE(c.matches(Value::number(120)));

    // A doubled quote stands for itself, so a name holding one can be searched for.
    c = Criteria::parse(QString::fromUtf8("[CimNev] like \"O'Brien \"\"Gépész*\""));
    EXPECT_TRUE(c.matches(Value::text(QString::fromUtf8("O'Brien \"Gépész\" Bt."))));
}

TEST(Criteria, MalformedTextFails) {
    const char* bad[] = {"[CimNev] like \"O'Brien \"Gépész*\"", // a bare quote ends the pattern early
                         "[CimNev] like \"open",
                         "[CimNev] like Kov*",
                         "[CimNev] ~ \"x\"",
                         "[CimNev",
                         "like \"x\"",
                         "[Sorszám] = tizenkettő",
                         ""};
    for (const char* b : bad)
        EXPECT_THROW(Criteria::parse(QString::fromUtf8(b)), StoreError) << b;
}

} // namespace
