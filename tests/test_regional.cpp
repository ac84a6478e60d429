#include "Clock.h"
#include "NullSafe.h"
#include "Regional.h"

#include <gtest/gtest.h>

using namespace lapora;

namespace {

struct NumberCase {
    double value;
    const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.text;
}

class FormatNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumber, PlainFormWithDecimalComma) {
    EXPECT_EQ(regional::formatNumber(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Regional, FormatNumber,
                         ::testing::Values(NumberCase{12500, "12500"}, NumberCase{12.5, "12,5"},
                                           NumberCase{0, "0"}, NumberCase{-0.0, "0"}, NumberCase{-3, "-3"},
                                           NumberCase{12.7, "12,7"}, NumberCase{1234567.25, "1234567,25"},
                                           NumberCase{0.1 + 0.2, "0,3"}, NumberCase{296.91, "296,91"},
                                           NumberCase{1e15, "1000000000000000"},
                                           NumberCase{0.0001, "0,0001"}));

struct ParseCase {
    const char* text;
    bool ok;
    double value;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ParseNumber : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumber, ReadsTheDecimalComma) {
    const auto r = regional::parseNumber(QString::fromUtf8(GetParam().text));
    ASSERT_EQ(r.has_value(), GetParam().ok) << GetParam().text;
    if (r) {
        EXPECT_DOUBLE_EQ(*r, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Regional, ParseNumber,
                         ::testing::Values(ParseCase{"10000", true, 10000}, ParseCase{"12,5", true, 12.5},
                                           ParseCase{" 7 ", true, 7}, ParseCase{"-3", true, -3},
                                           ParseCase{",5", true, 0.5}, ParseCase{"5,", true, 5},
                                           ParseCase{"1,2,3", false, 0}, ParseCase{"", false, 0},
                                           ParseCase{"-", false, 0}, ParseCase{"abc", false, 0},
                                           ParseCase{"12.5", false, 0}, ParseCase{"1 000", false, 0},
                                           // no exponent in the Hungarian form
                                           ParseCase{"1e3", false, 0}, ParseCase{"1e308", false, 0},
                                           ParseCase{"9E99", false, 0}));

TEST(Regional, DatesAndTimesBothWays) {
    EXPECT_EQ(regional::formatDate(QDate(2013, 5, 7)), QStringLiteral("2013.05.07."));
    EXPECT_EQ(regional::formatTime(QTime(8, 30, 5)), QStringLiteral("08:30:05"));
    EXPECT_EQ(regional::formatShortTime(QTime(8, 30, 5)), QStringLiteral("08:30"));
    EXPECT_EQ(regional::parseDate(QStringLiteral("2013.05.07.")), QDate(2013, 5, 7));
    EXPECT_EQ(regional::parseDate(QStringLiteral("2013.5.7")), QDate(2013, 5, 7));
    EXPECT_EQ(regional::parseDate(QStringLiteral("2013-05-07")), QDate(2013, 5, 7));
    EXPECT_FALSE(regional::parseDate(QStringLiteral("2013.02.30.")));
    EXPECT_FALSE(regional::parseDate(QStringLiteral("május")));
    EXPECT_EQ(regional::parseTime(QStringLiteral("8:30")), QTime(8, 30));
    EXPECT_EQ(regional::parseTime(QStringLiteral("23:59:59")), QTime(23, 59, 59));
    EXPECT_FALSE(regional::parseTime(QStringLiteral("25:00")));
}

TEST(Regional, RoundsHalvesToEvenInto32Bits) {
    EXPECT_EQ(regional::roundHalfEven32(2.5), 2);
    EXPECT_EQ(regional::roundHalfEven32(3.5), 4);
    EXPECT_EQ(regional::roundHalfEven32(-2.5), -2);
    EXPECT_EQ(regional::roundHalfEven32(12.7), 13);
    EXPECT_EQ(regional::roundHalfEven32(1e12), 2147483647);
    EXPECT_EQ(regional::roundHalfEven32(-1e12), -2147483647 - 1);
}

TEST(NullSafe, NullNumber) {
    EXPECT_EQ(NullNumber(Value()).value(), 0.0);
    EXPECT_FALSE(NullNumber(Value()).isEmpty());
    EXPECT_EQ(NullNumber(Value::number(12.5)).text(), QStringLiteral("12,5"));
    EXPECT_EQ(NullNumber(Value::text(QStringLiteral("12,5"))).value(), 12.5);
    // Not a number: empty, which is 0 in arithmetic and nothing when joined.
    const auto bad = NullNumber(Value::text(QStringLiteral("1,2,3")));
    EXPECT_TRUE(bad.isEmpty());
    EXPECT_EQ(bad.value(), 0.0);
    EXPECT_EQ(bad.text(), QString());
    EXPECT_TRUE(NullNumber(QString()).isEmpty()); // an empty control is not Null
    EXPECT_EQ(NullNumber(QStringLiteral("25")).value(), 25.0);
}

TEST(NullSafe, NullDateAndNullText) {
    Clock::fix(QDate(2013, 6, 1), QTime(9, 0));
    EXPECT_EQ(NullDate(Value()).value(), QDate(2013, 6, 1));
    EXPECT_EQ(NullDate(Value::date(QDate(2012, 2, 14))).text(), QStringLiteral("2012.02.14."));
    EXPECT_EQ(NullDate(Value::text(QStringLiteral("2013.05.07."))).value(), QDate(2013, 5, 7));
    EXPECT_TRUE(NullDate(Value::text(QStringLiteral("tegnap"))).isEmpty());
    Clock::release();
    EXPECT_EQ(NullText(Value()), QString());
    EXPECT_EQ(NullText(Value::text(QStringLiteral("Árvíztűrő"))), QStringLiteral("Árvíztűrő"));
    EXPECT_EQ(NullText(Value::number(12500)), QStringLiteral("12500"));
    EXPECT_EQ(NullText(Value::date(QDate(2013, 5, 7))), QStringLiteral("2013.05.07."));
    EXPECT_EQ(NullText(Value::time(QTime(8, 5))), QStringLiteral("08:05:00"));
    EXPECT_EQ(TimeText(Value::time(QTime(8, 5))), QStringLiteral("08:05:00"));
    EXPECT_EQ(TimeText(Value::dateTime(QDateTime(QDate(2013, 5, 7), QTime(13, 40)))),
              QStringLiteral("13:40:00"));
    EXPECT_EQ(TimeText(Value()), QString());
    EXPECT_EQ(TimeText(Value::date(QDate(2013, 5, 7))), QString()); // a date holds no time of day
}

} // namespace
