#include "JetSql.h"
#include "StoreError.h"

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::jetsql;

namespace {

Names laporakNames() {
    Names n;
    n.column = [](const QString& c) -> std::optional<Column> {
        static const Column cols[] = {{QString::fromUtf8("Dátum"), ColumnType::Date, 0},
                                      {QString::fromUtf8("CégNeve"), ColumnType::Text, 50},
                                      {QString::fromUtf8("MunkalapSzáma"), ColumnType::Text, 5},
                                      {QStringLiteral("Fiz_Mod"), ColumnType::Text, 50},
                                      {QStringLiteral("SZAMLASOR"), ColumnType::Integer, 0}};
        for (const Column& x : cols)
            if (x.name.compare(c, Qt::CaseInsensitive) == 0)
                return x;
        return std::nullopt;
    };
    n.table = [](const QString& t) -> std::optional<QString> {
        if (t.compare(QStringLiteral("laporak"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Laporak");
        return std::nullopt;
    };
    return n;
}

struct Case {
    const char* jet;
    const char* sqlite;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.jet;
}

class Translate : public ::testing::TestWithParam<Case> {};

TEST_P(Translate, ToSqlite) {
    const auto t = translate(QString::fromUtf8(GetParam().jet), laporakNames());
    EXPECT_EQ(t.sql.toStdString(), GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    JetSql, Translate,
    ::testing::Values(
        // Text columns order and compare in the Hungarian case-blind collation; dates and numbers do not.
        Case{"select * from Laporak order by Dátum, MunkalapSzáma",
             "select * from \"Laporak\" order by \"Dátum\", \"MunkalapSzáma\" COLLATE HU"},
        Case{"select  * from laporak where CégNeve = 'Kovács' order by CégNeve DESC",
             "select * from \"Laporak\" where \"CégNeve\" = 'Kovács' COLLATE HU order by \"CégNeve\" COLLATE "
             "HU DESC"},
        Case{"select * from laporak where CégNeve = 'O''Brien' and Dátum >= #6/1/2013# and Dátum <= "
             "#12/31/2013#",
             "select * from \"Laporak\" where \"CégNeve\" = 'O''Brien' COLLATE HU and \"Dátum\" >= "
             "'2013-06-01' and "
             "\"Dátum\" <= '2013-12-31'"},
        Case{"SELECT * FROM laporak WHERE SZAMLASOR >= 1250",
             "SELECT * FROM \"Laporak\" WHERE \"SZAMLASOR\" >= 1250"},
        Case{"select * from Laporak where Fiz_Mod = \"átutalás\"",
             "select * from \"Laporak\" where \"Fiz_Mod\" = 'átutalás' COLLATE HU"},
        Case{"select [CégNeve] from [Laporak]", "select \"CégNeve\" from \"Laporak\""}));

TEST(JetSql, AnotherFilesTableBecomesAnAttachment) {
    const auto t = translate(QString::fromUtf8(
        "INSERT INTO [Laporak] (a) SELECT a FROM  [C:\\work\\SAVE-20130101-101010\\lapora.mdb].[Laporak]"));
    ASSERT_EQ(t.attachments.size(), 1u);
    EXPECT_EQ(t.attachments[0].path, QStringLiteral("C:/work/SAVE-20130101-101010/lapora.mdb"));
    EXPECT_TRUE(t.sql.endsWith(QStringLiteral("FROM lapora_att1.\"Laporak\""))) << t.sql.toStdString();
}

TEST(JetSql, ParsesSimpleSelects) {
    auto s = parseSelect(QStringLiteral("select  * from SzamlaAthozat order by Sorszám"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->columns, QStringLiteral("*"));
    EXPECT_EQ(s->table, QStringLiteral("SzamlaAthozat"));
    EXPECT_TRUE(s->where.isEmpty());
    EXPECT_EQ(s->orderBy, QString::fromUtf8("Sorszám"));

    s = parseSelect(QString::fromUtf8("select * from laporak where CégNeve = 'a' order by Dátum"),
                    laporakNames());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->table, QStringLiteral("Laporak"));
    EXPECT_EQ(s->where, QString::fromUtf8("\"CégNeve\" = 'a' COLLATE HU"));
    EXPECT_EQ(s->orderBy, QString::fromUtf8("\"Dátum\""));

    EXPECT_FALSE(parseSelect(QStringLiteral("select a from t1 join t2 on t1.x = t2.x")));
    EXPECT_FALSE(parseSelect(QStringLiteral("select a, count(*) from t group by a")));
    EXPECT_FALSE(parseSelect(QStringLiteral("select * from t x")));
    EXPECT_EQ(sourceTable(QStringLiteral("select * from OsszesSzamlaLPM where SZAMLASOR >= 3")),
              QStringLiteral("OsszesSzamlaLPM"));
    EXPECT_EQ(sourceTable(QStringLiteral("OSSZESSZAMLALPM")), QStringLiteral("OSSZESSZAMLALPM"));
}

TEST(JetSql, MalformedTextFailsCleanly) {
    EXPECT_THROW(translate(QStringLiteral("select * from t where a = 'open")), StoreError);
    EXPECT_THROW(translate(QStringLiteral("select * from [t")), StoreError);
    EXPECT_THROW(translate(QStringLiteral("select * from t where d = #13/45/2013#")), StoreError);
    EXPECT_THROW(translate(QStringLiteral("select * from t where d = #1/1/2013")), StoreError);
}

} // namespace
