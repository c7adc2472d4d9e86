#include "sqlconv/ColumnText.h"
#include "sqlconv/sqlconv.h"

#include <gtest/gtest.h>

using quillo::sqlconv::ConvertToCSharpInsert;
using quillo::sqlconv::ConvertToCSharpRead;
using quillo::sqlconv::ConvertToCSharpUpdate;

namespace {

const std::u16string kExample =
    Text({u"id→INT→0→", u"name→VARCHAR(20)→→", u"price→DECIMAL(10,2)→→", u"created→DATETIME→→"});

std::u16string Read(std::u16string_view line) {
    return ConvertToCSharpRead(Tabs(line)).value_or(u"(unchanged)");
}

// The argument line of the INSERT statement, which carries every placeholder's suffix.
std::u16string Insert(std::u16string_view text) {
    return ConvertToCSharpInsert(Tabs(text)).value_or(u"(unchanged)");
}

std::u16string Statement(std::u16string_view head, std::u16string_view args) {
    return u"string sqlStr = String.Format(\"" + std::u16string(head) + u"\",\r\n" +
           std::u16string(args) + u");";
}

} // namespace

TEST(CSharpStatements, WorkedExample) {
    EXPECT_EQ(ConvertToCSharpRead(kExample),
              Text({u"int id = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt32(0);",
                    u"string name = (Reader.IsDBNull(1)) ? \"\" : Reader.GetString(1);",
                    u"decimal price = (Reader.IsDBNull(2)) ? 0 : Reader.GetDecimal(2);",
                    u"DateTime created = (Reader.IsDBNull(3)) ? DateTime.Now : "
                    u"Reader.GetDateTime(3);"}));
    const std::u16string args = u"id.ToString(),name.ToString(),price.ToString(),"
                                u"created.ToString(\"yyyy/MM/dd HH:mm:ss\")";
    EXPECT_EQ(ConvertToCSharpInsert(kExample),
              Statement(u"INSERT INTO newTable (id,name,price,created) VALUES "
                        u"({0},'{1}',{2},'{3}');",
                        args));
    EXPECT_EQ(ConvertToCSharpUpdate(kExample),
              Statement(u"UPDATE newTable SET id = {0},name = '{1}',price = {2},created = '{3}' "
                        u"WHERE ID = 0;",
                        args));
}

TEST(CSharpStatements, EmptyText) {
    EXPECT_EQ(ConvertToCSharpRead(u""), u"");
    EXPECT_EQ(ConvertToCSharpInsert(u""), Statement(u"INSERT INTO newTable () VALUES ();", u""));
    EXPECT_EQ(ConvertToCSharpUpdate(u""), Statement(u"UPDATE newTable SET  WHERE ID = 0;", u""));
}

TEST(CSharpStatements, LineWithoutTabLeavesTextUnchanged) {
    const std::u16string text = Text({u"a→INT", u"plain", u"b→INT"});
    EXPECT_EQ(ConvertToCSharpRead(text), std::nullopt);
    EXPECT_EQ(ConvertToCSharpInsert(text), std::nullopt);
    EXPECT_EQ(ConvertToCSharpUpdate(text), std::nullopt);
}

TEST(CSharpStatements, ReadTypes) {
    EXPECT_EQ(Read(u"f→BLOB"), u"int f = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt32(0);\r\n");
    EXPECT_EQ(Read(u"f→BOOLEAN"), u"int f = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt32(0);\r\n");
    EXPECT_EQ(Read(u"f→smallint"), u"short f = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt16(0);\r\n");
    EXPECT_EQ(Read(u"f→TINYINT"), u"int f = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt32(0);\r\n");
    EXPECT_EQ(Read(u"f→MEDIUMINT"), Read(u"f→AUTO_UINT"));
    EXPECT_EQ(Read(u"f→BIGINT"), u"long f = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt64(0);\r\n");
    EXPECT_EQ(Read(u"f→FLOAT"), u"double f = (Reader.IsDBNull(0)) ? 0 : Reader.GetDouble(0);\r\n");
    EXPECT_EQ(Read(u"f→NUMERIC"),
              u"decimal f = (Reader.IsDBNull(0)) ? 0 : Reader.GetDecimal(0);\r\n");
    EXPECT_EQ(Read(u"f→BYTE"), u"byte f = (Reader.IsDBNull(0)) ? 0 : Reader.GetByte(0);\r\n");
    EXPECT_EQ(Read(u"f→longtext"),
              u"string f = (Reader.IsDBNull(0)) ? \"\" : Reader.GetString(0);\r\n");
    EXPECT_EQ(Read(u"f→DATE"),
              u"DateTime f = (Reader.IsDBNull(0)) ? DateTime.Today : Reader.GetDate(0);\r\n");
    EXPECT_EQ(Read(u"f→TIMESTAMP"),
              u"DateTime f = (Reader.IsDBNull(0)) ? DateTime.Now : Reader.GetDateTime(0);\r\n");
    // A keyword in a later field counts, and the last matching row wins.
    EXPECT_EQ(Read(u"f→SMALLINT→0→date of birth"),
              u"DateTime f = (Reader.IsDBNull(0)) ? DateTime.Today : Reader.GetDate(0);\r\n");
    EXPECT_EQ(Read(u"f→VARCHAR(9)→→int remark"),
              u"string f = (Reader.IsDBNull(0)) ? \"\" : Reader.GetString(0);\r\n");
}

TEST(CSharpStatements, WriteTypes) {
    EXPECT_EQ(Insert(u"f→BIT"),
              Statement(u"INSERT INTO newTable (f) VALUES ({0});", u"f.ToString()"));
    EXPECT_EQ(Insert(u"f→TEXT"),
              Statement(u"INSERT INTO newTable (f) VALUES ('{0}');", u"f.ToString()"));
    EXPECT_EQ(Insert(u"f→date"), Statement(u"INSERT INTO newTable (f) VALUES ('{0}');",
                                           u"f.ToString(\"yyyy/MM/dd\")"));
    EXPECT_EQ(Insert(u"f→TIME"),
              Statement(u"INSERT INTO newTable (f) VALUES ('{0}');", u"f.ToString(\"HH:mm:ss\")"));
    EXPECT_EQ(Insert(u"f→TIMESTAMP"), Statement(u"INSERT INTO newTable (f) VALUES ('{0}');",
                                                u"f.ToString(\"yyyy/MM/dd HH:mm:ss\")"));
    EXPECT_EQ(Insert(u"f→INT→→created date"), Statement(u"INSERT INTO newTable (f) VALUES ('{0}');",
                                                        u"f.ToString(\"yyyy/MM/dd\")"));
}

TEST(CSharpStatements, NamesAndLists) {
    // Blanks go, a comma stays; an empty name keeps its place in every list.
    EXPECT_EQ(Read(u"name,\u3000 →INT"),
              u"int name, = (Reader.IsDBNull(0)) ? 0 : Reader.GetInt32(0);\r\n");
    EXPECT_EQ(
        ConvertToCSharpInsert(Text({u"→INT", u"b→CHAR"})),
        Statement(u"INSERT INTO newTable (,b) VALUES ({0},'{1}');", u".ToString(),b.ToString()"));
    std::u16string many;
    for (int i = 0; i < 12; ++i) {
        many += u"c\tINT\r\n";
    }
    const std::u16string read = ConvertToCSharpRead(many).value_or(u"");
    EXPECT_TRUE(read.ends_with(u"int c = (Reader.IsDBNull(11)) ? 0 : Reader.GetInt32(11);\r\n"));
    const std::u16string insert = ConvertToCSharpInsert(many).value_or(u"");
    EXPECT_NE(insert.find(u"{9},{10},{11});\""), std::u16string::npos);
}

TEST(CSharpStatements, LongLinesAreReadWhole) {
    // A keyword far past the first few thousand units still decides the type.
    const std::u16string line = u"f→INT→→" + std::u16string(9000, u'x') + u" DATETIME";
    EXPECT_EQ(Read(line),
              u"DateTime f = (Reader.IsDBNull(0)) ? DateTime.Now : Reader.GetDateTime(0);\r\n");
}
