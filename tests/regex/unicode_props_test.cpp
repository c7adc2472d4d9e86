#include "regex/unicode_props.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(UnicodeProps, CategoryScriptAndBlockOfTellingCodePoints) {
    struct Row {
        char32_t Cp;
        TUnicodeProperty Category;
        TUnicodeProperty Script;
    };
    const Row rows[] = {
        {0x41, upLu, upLatin},      {0x61, upLl, upLatin},      {0x30, upNd, upCommon},
        {0x20, upZs, upCommon},     {0x301, upMn, upInherited}, {0x3042, upLo, upHiragana},
        {0x30A2, upLo, upKatakana}, {0x4E00, upLo, upHan},      {0xFF21, upLu, upLatin},
        {0xE000, upCo, upunKnown},  {0xD800, upCs, upunKnown},  {0x10FFFF, upCn, upunKnown},
        {0x20000, upLo, upHan},     {0x378, upCn, upunKnown},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(GetGeneralCategory(r.Cp), r.Category) << std::hex << static_cast<unsigned>(r.Cp);
        EXPECT_EQ(GetScript(r.Cp), r.Script) << std::hex << static_cast<unsigned>(r.Cp);
    }
    EXPECT_EQ(GetBlock(0x41), upInBasicLatin);
    EXPECT_EQ(GetBlock(0x30A2), upInKatakana);
    EXPECT_EQ(GetBlock(0xE0100), upInVariationSelectorsSupplement);
    EXPECT_EQ(GetBlock(0xF0000), upInSupplementaryPrivateUseAreaA);
    EXPECT_EQ(GetBlock(0x10FFFF), upInSupplementaryPrivateUseAreaB);
    EXPECT_EQ(GetBlock(0x11000), kNoBlock); // a block the engine does not name
    EXPECT_EQ(GetMajorCategory(0x41), upL);
    EXPECT_EQ(GetMajorCategory(0x2028), upZ);
}

TEST(UnicodeProps, PropertyTestsOfTheDocumentedEdgeCases) {
    for (auto p : {upLu, upL, upLatin, upInBasicLatin, upAlpha, upAlnum, upWord, upUpper, upGraph,
                   upPrint, upXdigit, upAssigned, upAny, upLC, upLamp, upAscii}) {
        EXPECT_TRUE(IsProperty(0x41, p)) << p;
    }
    for (auto p : {upLl, upLower, upDigit, upPunct, upSpace, upBlank, upCntrl, upGreek}) {
        EXPECT_FALSE(IsProperty(0x41, p)) << p;
    }
    EXPECT_TRUE(IsProperty(0x30A2, upLo));
    EXPECT_TRUE(IsProperty(0x30A2, upKatakana));
    EXPECT_TRUE(IsProperty(0x30A2, upInKatakana));
    EXPECT_TRUE(IsWord(0x30A2));
    EXPECT_TRUE(IsProperty(0x3000, upZs));
    EXPECT_TRUE(IsSpace(0x3000));
    EXPECT_TRUE(IsWord(0x5F));
    EXPECT_TRUE(IsSpace(0xA0));
    EXPECT_TRUE(IsSpace(0x85));
    EXPECT_EQ(GetGeneralCategory(0x85), upCc);
    EXPECT_TRUE(IsProperty(0xD800, upCs));
    EXPECT_FALSE(IsProperty(0xD800, upGraph));
    EXPECT_TRUE(IsProperty(0x09, upBlank));
    EXPECT_FALSE(IsProperty(0x0A, upBlank));
    EXPECT_TRUE(IsProperty(0x0A, upPrint)); // space characters print
    EXPECT_FALSE(IsProperty(0x0A, upGraph));
    EXPECT_TRUE(IsProperty(0x0661, upDigit));
    EXPECT_TRUE(IsProperty(0x0661, upAlnum));
    EXPECT_FALSE(IsProperty(0x0378, upAssigned));
    EXPECT_FALSE(IsProperty(0x41, 9999));
}

TEST(UnicodeProps, NameTableIsCaseInsensitiveAndComplete) {
    std::uint16_t p = 0;
    ASSERT_TRUE(FindPropertyName(u"isalnum", p));
    EXPECT_EQ(p, upAlnum);
    EXPECT_FALSE(FindPropertyName(u"Alnum", p)); // the POSIX-like names start with Is
    ASSERT_TRUE(FindPropertyName(u"GREEK", p));
    EXPECT_EQ(p, upGreek);
    ASSERT_TRUE(FindPropertyName(u"L&", p));
    EXPECT_EQ(p, upLamp);
    ASSERT_TRUE(FindPropertyName(u"lowercaseletter", p));
    EXPECT_EQ(p, upLl);
    ASSERT_TRUE(FindPropertyName(u"InBasicLatin", p));
    EXPECT_EQ(p, upInBasicLatin);
    ASSERT_TRUE(FindPropertyName(u"insupplementaryprivateuseareab", p));
    EXPECT_EQ(p, upInSupplementaryPrivateUseAreaB);
    ASSERT_TRUE(FindPropertyName(u"unknown", p));
    EXPECT_EQ(p, upunKnown);
    EXPECT_FALSE(FindPropertyName(u"IsBasicLatin", p)); // the lexer retries with In
    EXPECT_FALSE(FindPropertyName(u"", p));
    // 16 Is names, 7 major and 31 general categories with two names each, L&, 94 scripts,
    // 197 blocks; no two collide.
    EXPECT_EQ(PropertyNameCount(), 16 + 7 * 2 + 31 * 2 + 1 + 94 + 197);
}

// The tables against the database they were generated from, code point by code point. The
// database is read here with its own simple parser, independent of the generator.
class UnicodeDatabase : public ::testing::Test {
protected:
    static std::string Path(const char* name) { return std::string(QUILLO_UCD_DIR) + "/" + name; }

    static bool SameVersion() {
        std::ifstream in(Path("Blocks.txt"));
        std::string first;
        std::getline(in, first);
        return first.find(std::string("Blocks-") + UnicodeTablesVersion() + ".txt") !=
               std::string::npos;
    }

    static std::vector<std::string> Fields(const std::string& line) {
        std::vector<std::string> out;
        std::string data = line.substr(0, line.find('#'));
        std::stringstream ss(data);
        std::string f;
        while (std::getline(ss, f, ';')) {
            const auto a = f.find_first_not_of(' ');
            const auto b = f.find_last_not_of(' ');
            out.push_back(a == std::string::npos ? "" : f.substr(a, b - a + 1));
        }
        return out;
    }
};

TEST_F(UnicodeDatabase, EveryCodePointHasTheCategoryAndScriptOfTheDatabase) {
    if (!std::ifstream(Path("UnicodeData.txt")) || !SameVersion()) {
        GTEST_SKIP() << "Unicode Character Database " << UnicodeTablesVersion() << " not installed";
    }
    static const char* const kCategories[] = {"Cc", "Cf", "Cn", "Co", "Cs", "LC", "Ll", "Lm",
                                              "Lo", "Lt", "Lu", "L&", "Mc", "Me", "Mn", "Nd",
                                              "Nl", "No", "Pc", "Pd", "Pe", "Pf", "Pi", "Po",
                                              "Ps", "Sc", "Sk", "Sm", "So", "Zl", "Zp", "Zs"};
    std::map<std::string, int> category;
    for (int i = 0; i < 32; ++i) {
        category[kCategories[i]] = kFirstCategory + i;
    }
    std::vector<std::uint16_t> expected(0x110000, upCn);
    std::ifstream data(Path("UnicodeData.txt"));
    std::string line;
    long first = -1;
    while (std::getline(data, line)) {
        const auto f = Fields(line);
        const long cp = std::stol(f[0], nullptr, 16);
        if (f[1].find(", First>") != std::string::npos) {
            first = cp;
            continue;
        }
        for (long c = (first >= 0 ? first : cp); c <= cp; ++c) {
            expected[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(category.at(f[2]));
        }
        first = -1;
    }
    // Scripts by their names without underscores, as the engine spells them.
    std::vector<std::uint16_t> expectedScript(0x110000, upunKnown);
    std::ifstream scripts(Path("Scripts.txt"));
    while (std::getline(scripts, line)) {
        const auto f = Fields(line);
        if (f.size() < 2) {
            continue;
        }
        std::string name;
        for (char c : f[1]) {
            if (c != '_') {
                name += c;
            }
        }
        std::u16string name16(name.begin(), name.end());
        std::uint16_t ordinal = 0;
        if (!FindPropertyName(name16, ordinal) || ordinal < kFirstScript ||
            ordinal >= kFirstBlock) {
            ordinal = upunKnown; // a script newer than those the engine names
        }
        const auto dots = f[0].find("..");
        const long a = std::stol(f[0].substr(0, dots), nullptr, 16);
        const long b =
            dots == std::string::npos ? a : std::stol(f[0].substr(dots + 2), nullptr, 16);
        for (long c = a; c <= b; ++c) {
            expectedScript[static_cast<std::size_t>(c)] = ordinal;
        }
    }
    int wrong = 0;
    for (char32_t c = 0; c < 0x110000 && wrong < 10; ++c) {
        if (GetGeneralCategory(c) != expected[c] || GetScript(c) != expectedScript[c]) {
            ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c);
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(UnicodeDatabase, BlocksMatchTheDatabaseRanges) {
    if (!std::ifstream(Path("Blocks.txt")) || !SameVersion()) {
        GTEST_SKIP() << "Unicode Character Database not installed";
    }
    std::ifstream in(Path("Blocks.txt"));
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        const auto f = Fields(line);
        if (f.size() < 2) {
            continue;
        }
        std::string name = "In";
        for (char c : f[1]) {
            if (c != ' ' && c != '-' && c != '_') {
                name += c;
            }
        }
        std::uint16_t ordinal = 0;
        const bool known = FindPropertyName(std::u16string(name.begin(), name.end()), ordinal) &&
                           ordinal >= kFirstBlock;
        const auto dots = f[0].find("..");
        const char32_t a = static_cast<char32_t>(std::stol(f[0].substr(0, dots), nullptr, 16));
        const char32_t b = static_cast<char32_t>(std::stol(f[0].substr(dots + 2), nullptr, 16));
        const std::uint16_t want = known ? ordinal : kNoBlock;
        EXPECT_EQ(GetBlock(a), want) << name;
        EXPECT_EQ(GetBlock(b), want) << name;
        checked += known;
    }
    EXPECT_EQ(checked, 197);
}

} // namespace
