#include "sqlconv/ColumnList.h"
#include "sqlconv/sqlconv.h"

#include <span>
#include <string>

namespace quillo::sqlconv {
namespace {

struct Column {
    std::u16string name;
    std::u16string typeArea; // every field after the name, upper-cased
    std::u16string ord;
};

std::optional<std::vector<Column>> ReadColumns(std::u16string_view text) {
    const std::vector<std::u16string_view> lines = SplitLines(text);
    std::vector<Column> columns;
    columns.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const FieldSplit split = SplitAtTab(lines[i]);
        if (!split.hadTab) {
            return std::nullopt;
        }
        const std::string ord = std::to_string(i);
        columns.push_back({TrimTrailingBlanks(split.head), AsciiUpper(split.tail),
                           std::u16string(ord.begin(), ord.end())});
    }
    return columns;
}

constexpr std::u16string_view kIntKeywords[] = {u"AUTO_UINT", u"TINYINT", u"MEDIUMINT", u"INT",
                                                u"INTEGER"};
constexpr std::u16string_view kSmallIntKeywords[] = {u"SMALLINT"};
constexpr std::u16string_view kBigIntKeywords[] = {u"BIGINT"};
constexpr std::u16string_view kFloatKeywords[] = {u"REAL", u"DOUBLE", u"FLOAT"};
constexpr std::u16string_view kDecimalKeywords[] = {u"DECIMAL", u"NUMERIC"};
constexpr std::u16string_view kByteKeywords[] = {u"BYTE"};
constexpr std::u16string_view kTextKeywords[] = {u"VARCHAR",  u"CHAR",       u"TEXT",
                                                 u"TINYTEXT", u"MEDIUMTEXT", u"LONGTEXT"};
constexpr std::u16string_view kDateKeywords[] = {u"DATE"};
constexpr std::u16string_view kTimeKeywords[] = {u"TIME"};
constexpr std::u16string_view kStampKeywords[] = {u"TIMESTAMP", u"DATETIME"};
constexpr std::u16string_view kAnyTimeKeywords[] = {u"TIME", u"TIMESTAMP", u"DATETIME"};

struct ReadForm {
    std::u16string_view type;
    std::u16string_view method;
    std::u16string_view nullValue;
};

// Later rows win, so DATETIME (which also holds DATE and TIME) and the INT family end up right.
ReadForm ReadFormOf(std::u16string_view area) {
    struct Row {
        std::span<const std::u16string_view> keywords;
        ReadForm form;
    };
    static constexpr Row rows[] = {
        {kIntKeywords, {u"int", u"GetInt32", u"0"}},
        {kSmallIntKeywords, {u"short", u"GetInt16", u"0"}},
        {kBigIntKeywords, {u"long", u"GetInt64", u"0"}},
        {kFloatKeywords, {u"double", u"GetDouble", u"0"}},
        {kDecimalKeywords, {u"decimal", u"GetDecimal", u"0"}},
        {kByteKeywords, {u"byte", u"GetByte", u"0"}},
        {kTextKeywords, {u"string", u"GetString", u"\"\""}},
        {kDateKeywords, {u"DateTime", u"GetDate", u"DateTime.Today"}},
        {kAnyTimeKeywords, {u"DateTime", u"GetDateTime", u"DateTime.Now"}},
    };
    ReadForm form{u"int", u"GetInt32", u"0"};
    for (const Row& row : rows) {
        if (ContainsAny(area, row.keywords)) {
            form = row.form;
        }
    }
    return form;
}

// Four-digit years and the 24-hour clock: a two-digit year or a 12-hour clock without a marker
// would store another date or time than the one the program holds.
constexpr std::u16string_view kPlainSuffix = u".ToString()";
constexpr std::u16string_view kDateSuffix = u".ToString(\"yyyy/MM/dd\")";
constexpr std::u16string_view kTimeSuffix = u".ToString(\"HH:mm:ss\")";
constexpr std::u16string_view kDateTimeSuffix = u".ToString(\"yyyy/MM/dd HH:mm:ss\")";

struct WriteForm {
    bool quoted;
    std::u16string_view suffix;
};

// Same rule as for reading: the last matching row wins.
WriteForm WriteFormOf(std::u16string_view area) {
    WriteForm form{false, kPlainSuffix};
    if (ContainsAny(area, kNumericKeywords)) {
        form = {false, kPlainSuffix};
    }
    if (ContainsAny(area, kTextKeywords)) {
        form.quoted = true;
    }
    if (ContainsAny(area, kDateKeywords)) {
        form = {true, kDateSuffix};
    }
    if (ContainsAny(area, kTimeKeywords)) {
        form = {true, kTimeSuffix};
    }
    if (ContainsAny(area, kStampKeywords)) {
        form = {true, kDateTimeSuffix};
    }
    return form;
}

struct WriteLists {
    std::vector<std::u16string> names;
    std::vector<std::u16string> placeholders;
    std::vector<std::u16string> arguments;
};

WriteLists MakeWriteLists(const std::vector<Column>& columns) {
    WriteLists lists;
    for (const Column& c : columns) {
        const WriteForm form = WriteFormOf(c.typeArea);
        const std::u16string placeholder = u"{" + c.ord + u"}";
        lists.names.push_back(c.name);
        lists.placeholders.push_back(form.quoted ? u"'" + placeholder + u"'" : placeholder);
        lists.arguments.push_back(c.name + std::u16string(form.suffix));
    }
    return lists;
}

std::u16string FormatStatement(std::u16string_view format,
                               const std::vector<std::u16string>& arguments) {
    std::u16string out = u"string sqlStr = String.Format(\"";
    out += format;
    out += u"\",";
    out += kLineBreak;
    out += JoinWithCommas(arguments);
    out += u");";
    return out;
}

} // namespace

std::optional<std::u16string> ConvertToCSharpRead(std::u16string_view text) {
    const std::optional<std::vector<Column>> columns = ReadColumns(text);
    if (!columns) {
        return std::nullopt;
    }
    std::u16string out;
    for (const Column& c : *columns) {
        const ReadForm form = ReadFormOf(c.typeArea);
        out += form.type;
        out += u' ';
        out += c.name;
        out += u" = (Reader.IsDBNull(" + c.ord + u")) ? ";
        out += form.nullValue;
        out += u" : Reader.";
        out += form.method;
        out += u"(" + c.ord + u");";
        out += kLineBreak;
    }
    return out;
}

std::optional<std::u16string> ConvertToCSharpInsert(std::u16string_view text) {
    const std::optional<std::vector<Column>> columns = ReadColumns(text);
    if (!columns) {
        return std::nullopt;
    }
    const WriteLists lists = MakeWriteLists(*columns);
    return FormatStatement(u"INSERT INTO newTable (" + JoinWithCommas(lists.names) + u") VALUES (" +
                               JoinWithCommas(lists.placeholders) + u");",
                           lists.arguments);
}

std::optional<std::u16string> ConvertToCSharpUpdate(std::u16string_view text) {
    const std::optional<std::vector<Column>> columns = ReadColumns(text);
    if (!columns) {
        return std::nullopt;
    }
    const WriteLists lists = MakeWriteLists(*columns);
    std::vector<std::u16string> assignments;
    for (std::size_t i = 0; i < lists.names.size(); ++i) {
        assignments.push_back(lists.names[i] + u" = " + lists.placeholders[i]);
    }
    return FormatStatement(
        u"UPDATE newTable SET " + JoinWithCommas(assignments) + u" WHERE ID = 0;", lists.arguments);
}

} // namespace quillo::sqlconv
