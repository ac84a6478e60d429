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

TEST(Value, DeclaredTypesRoundTrip) {
    const Column cols[] = {{"a", ColumnType::Text, 50},    {"b", ColumnType::LongText, 0},
                           {"c", ColumnType::Number, 0},   {"d", ColumnType::Integer, 0},
                           {"e", ColumnType::Date, 0},     {"f", ColumnType::Time, 0},
                           {"g", ColumnType::DateTime, 0}, {"h", ColumnType::Bool, 0}};
    for (const Column& c : cols) {
        const Column back = columnFromDeclared(c.name, declaredType(c));
        EXPECT_EQ(back.type, c.type) << declaredType(c).toStdString();
        EXPECT_EQ(back.size, c.size);
    }
}

} // namespace
