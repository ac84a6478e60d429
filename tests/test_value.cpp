#include "Value.h"

#include <gtest/gtest.h>

using namespace lapora;

namespace {

TEST(Value, NullIsNeitherEmptyTextNorZero) {
    EXPECT_TRUE(Value().isNull());
    EXPECT_NE(Value(), Value::text(QString()));
    EXPECT_NE(Value(), Value::number(0));
    EXPECT_TRUE(Value::date(QDate()).isNull()); // an invalid date stores as Null
}

TEST(Value, DeclaredTypes) {
    struct DeclCase {
        ColumnType type;
        int size;
        const char* declared;
    };
    const DeclCase cases[] = {{ColumnType::Text, 50, "TEXT(50)"},    {ColumnType::LongText, 0, "LONGTEXT"},
                              {ColumnType::Number, 0, "REAL"},       {ColumnType::Integer, 0, "INTEGER"},
                              {ColumnType::Date, 0, "DATE"},         {ColumnType::Time, 0, "TIME"},
                              {ColumnType::DateTime, 0, "DATETIME"}, {ColumnType::Bool, 0, "BOOLEAN"}};
    for (const DeclCase& c : cases) {
        SCOPED_TRACE(c.declared);
        EXPECT_EQ(declaredType(Column{QStringLiteral("a"), c.type, c.size}), QString::fromLatin1(c.declared));
        const Column read = columnFromDeclared(QStringLiteral("a"), QString::fromLatin1(c.declared));
        EXPECT_EQ(read.type, c.type);
        EXPECT_EQ(read.size, c.size);
    }
}

} // namespace

TEST(Value, ADateTimeKeepsItsWallTimeWhateverTheTimeZone) {
    // Stored date-times carry no zone: 2:30 on the night the clocks jump from 2:00 to 3:00 in Budapest
    // is kept and shown as written, and orders by the calendar.
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Budapest");
    tzset();
    const Value gap = Value::dateTime(QDate(2013, 3, 31), QTime(2, 30));
    const Value before = Value::dateTime(QDateTime(QDate(2013, 3, 31), QTime(1, 59)));
    EXPECT_EQ(gap.type(), Value::Type::DateTime);
    EXPECT_EQ(gap.asDate(), QDate(2013, 3, 31));
    EXPECT_EQ(gap.asTime(), QTime(2, 30));
    EXPECT_EQ(gap.display(), QStringLiteral("2013.03.31. 02:30:00"));
    EXPECT_LT(before.dateAndTime(), gap.dateAndTime());
    EXPECT_EQ(gap, Value::dateTime(QDate(2013, 3, 31), QTime(2, 30)));
    EXPECT_NE(gap, before);
    EXPECT_TRUE(Value::dateTime(QDate(), QTime(1, 0)).isNull());
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}
