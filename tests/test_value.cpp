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
