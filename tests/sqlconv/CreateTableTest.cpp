#include "sqlconv/ColumnText.h"
#include "sqlconv/sqlconv.h"

#include <gtest/gtest.h>

using quillo::sqlconv::ConvertToCreateTable;
using quillo::sqlconv::TrimTrailingBlanks;

namespace {

// The definition line of a one-column list, without the closing ");".
std::u16string Definition(std::u16string_view line) {
    const auto out = ConvertToCreateTable(Tabs(line));
    EXPECT_TRUE(out.has_value());
    const std::u16string head = u"CREATE TABLE new_table(\r\n";
    const std::u16string tail = u");\r\n";
    if (!out || out->size() < head.size() + tail.size() || !out->starts_with(head) ||
        !out->ends_with(tail)) {
        ADD_FAILURE() << "not a one-column statement";
        return {};
    }
    return out->substr(head.size(), out->size() - head.size() - tail.size());
}

} // namespace

TEST(TrimTrailingBlanks, RemovesOnlyTrailingSpacesAndIdeographicSpaces) {
    EXPECT_EQ(TrimTrailingBlanks(u" a b \u3000 \u3000"), u" a b");
    EXPECT_EQ(TrimTrailingBlanks(u"\u3000 \u3000"), u"");
    EXPECT_EQ(TrimTrailingBlanks(u""), u"");
    EXPECT_EQ(TrimTrailingBlanks(u"a\t"), u"a\t");
    EXPECT_EQ(TrimTrailingBlanks(u"a\u00A0"), u"a\u00A0");
}

TEST(CreateTable, WorkedExample) {
    EXPECT_EQ(ConvertToCreateTable(
                  Text({u"id→INT→0→NOT NULL", u"name,→VARCHAR(20)→none→", u"created→DATETIME→→"})),
              Text({u"CREATE TABLE new_table(", u"id→INT→DEFAULT 0→NOT NULL,",
                    u"name→VARCHAR(20) DEFAULT 'none',", u"created→DATETIME);"}));
}

TEST(CreateTable, LinesOfTheList) {
    EXPECT_EQ(ConvertToCreateTable(u""), u"CREATE TABLE new_table(\r\n");
    // A final line break adds no line; without it the last line still counts.
    EXPECT_EQ(ConvertToCreateTable(Tabs(u"a→INT\r\nb→INT")),
              ConvertToCreateTable(Tabs(u"a→INT\r\nb→INT\r\n")));
    EXPECT_EQ(ConvertToCreateTable(Tabs(u"a→INT\r\nb→INT")),
              Text({u"CREATE TABLE new_table(", u"a→→INT,", u"b→→INT);"}));
}

TEST(CreateTable, LineWithoutTabStopsTheConversion) {
    EXPECT_EQ(ConvertToCreateTable(Text({u"a→INT", u"", u"b→INT"})), std::nullopt);
    EXPECT_EQ(ConvertToCreateTable(Text({u"a→INT", u"b→INT", u"single"})), std::nullopt);
    EXPECT_EQ(ConvertToCreateTable(Text({u"a→INT", u""})), std::nullopt);
}

TEST(CreateTable, FieldsAndDefaults) {
    EXPECT_EQ(Definition(u"id→INT"), Tabs(u"id→→INT"));
    EXPECT_EQ(Definition(u"id→INT→0"), Tabs(u"id→INT→0"));
    EXPECT_EQ(Definition(u"id→INT→0→"), Tabs(u"id→INT→DEFAULT 0"));
    EXPECT_EQ(Definition(u"s→CHAR(2)→ab→"), Tabs(u"s→CHAR(2) DEFAULT 'ab'"));
    EXPECT_EQ(Definition(u"id→INT→→NOT NULL→PRIMARY KEY"), Tabs(u"id→INT→NOT NULL→PRIMARY KEY"));
    EXPECT_EQ(Definition(u"→INT→1→"), Tabs(u"→INT→DEFAULT 1"));
}

TEST(CreateTable, NumericTypesBySubstringInAnyCase) {
    EXPECT_EQ(Definition(u"p→decimal(10,2)→1.5→"), Tabs(u"p→decimal(10,2)→DEFAULT 1.5"));
    EXPECT_EQ(Definition(u"p→int unsigned→7→"), Tabs(u"p→int unsigned→DEFAULT 7"));
    EXPECT_EQ(Definition(u"p→POINT→x→"), Tabs(u"p→POINT→DEFAULT x"));
    EXPECT_EQ(Definition(u"p→double→2→"), Tabs(u"p→double→DEFAULT 2"));
    EXPECT_EQ(Definition(u"b→BOOLEAN→1→"), Tabs(u"b→BOOLEAN DEFAULT '1'"));
    EXPECT_EQ(Definition(u"b→BIT→1→"), Tabs(u"b→BIT DEFAULT '1'"));
}

TEST(CreateTable, QuotesInTextDefaultsAreDoubled) {
    EXPECT_EQ(Definition(u"who→VARCHAR(20)→O'Brien→"), Tabs(u"who→VARCHAR(20) DEFAULT 'O''Brien'"));
}

TEST(CreateTable, CommasAndBlanks) {
    EXPECT_EQ(Definition(u"p→DECIMAL(10,2),→"), Tabs(u"p→DECIMAL(10,2)"));
    EXPECT_EQ(Definition(u"name,  →INT"), Tabs(u"name→→INT"));
    EXPECT_EQ(Definition(u"name ,→INT"), Tabs(u"name →→INT"));
    EXPECT_EQ(Definition(u"name,,→INT"), Tabs(u"name,→→INT"));
    EXPECT_EQ(Definition(u"   →INT"), Tabs(u"→→INT"));
    EXPECT_EQ(Definition(u"名前\u3000→TEXT→→"), Tabs(u"名前→TEXT"));
}

TEST(CreateTable, LongLinesAreReadWhole) {
    const std::u16string remark(10000, u'x');
    EXPECT_EQ(Definition(u"id→INT→0→" + remark + u"END"),
              Tabs(u"id→INT→DEFAULT 0→") + remark + u"END");
}
