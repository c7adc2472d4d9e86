#include "regex/errors.h"
#include "regex/lexer.h"
#include "regex/regexp.h"
#include "regex/unicode_props.h"
#include "regex_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kTokenNames[] = {
    "End",       "Char",   "Union",   "Quest",   "Dot",      "Range",     "LHead",    "LTail",
    "Empty",     "LPar",   "RPar",    "Star",    "Plus",     "Bound",     "Class",    "NegClass",
    "ClassEnd",  "Group",  "Ref",     "RefRel",  "NamedRef", "Ahead",     "NotAhead", "Behind",
    "NotBehind", "Atomic", "LParOpt", "w",       "W",        "d",         "D",        "x",
    "X",         "s",      "S",       "NewLine", "A",        "Z",         "z",        "b",
    "B",         "Option", "h",       "H",       "v",        "V",         "R",        "Posix",
    "NotPosix",  "XSeq",   "Prop",    "NotProp", "GoSub",    "GoSubName", "GoSubRel", "If",
    "IfRef",     "G",      "K",       "Reset"};

std::string Describe(const TRELex& lex) {
    std::string s = kTokenNames[lex.Token()];
    switch (lex.Token()) {
    case tkChar:
        s += "(" + ToUtf8(std::u16string(1, static_cast<char16_t>(lex.WChar()))) + ")";
        if (lex.WChar() > 0xFFFF || lex.WChar() < 0x20) {
            s = "Char(#" + std::to_string(lex.WChar()) + ")";
        }
        break;
    case tkRangeChar:
        s += "(" + std::to_string(lex.StartWChar()) + "-" + std::to_string(lex.LastWChar()) + ")";
        break;
    case tkBound:
    case tkReference:
    case tkReferenceRelative:
    case tkGoSub:
    case tkGoSubRelative:
        s += "(" + std::to_string(lex.Min()) +
             (lex.Token() == tkBound ? "," + std::to_string(lex.Max()) : "") + ")";
        break;
    case tkIfMatchRef:
        s += "(" + (lex.GroupName().empty() ? std::to_string(lex.Min()) : ToUtf8(lex.GroupName())) +
             ")";
        break;
    case tkGroupBegin:
    case tkNamedReference:
    case tkGoSubName:
        s += "<" + ToUtf8(lex.GroupName()) + ">";
        break;
    case tkProperty:
    case tkNEProperty:
    case tkPosixBracket:
    case tkNEPosixBracket:
        s += "(" + std::to_string(lex.UnicodeProperty()) + ")";
        break;
    default:
        break;
    }
    return s;
}

// The tokens of an expression, the way the parser would ask for them (inline options applied).
std::string Lex(const std::string& expr, TREOptions options = 0) {
    TRxRegExp re;
    re.SetOptions(options);
    const std::u16string text = U(expr);
    TRELex lex(re, text);
    std::string out;
    try {
        for (int i = 0; i < 200; ++i) {
            lex.GetToken();
            if (lex.Token() == tkOption || lex.Token() == tkLParWithOption) {
                lex.ApplyNewOptions();
            }
            out += (out.empty() ? "" : " ") + Describe(lex);
            if (lex.Token() == tkEnd) {
                break;
            }
        }
    } catch (const ERxRegExpCompile& e) {
        out += std::string(out.empty() ? "" : " ") + "! " + e.what();
    }
    return out;
}

constexpr TREOptions kI = OptionBit(roIgnoreCase);
constexpr TREOptions kX = OptionBit(roExtended);
constexpr TREOptions kW = OptionBit(roIgnoreWidth);

TEST(Lexer, MetacharactersAndLiterals) {
    EXPECT_EQ(Lex("a|b.c?^$"), "Char(a) Union Char(b) Dot Char(c) Quest LHead LTail End");
    EXPECT_EQ(Lex("a{,5}"), "Char(a) Char({) Char(,) Char(5) Char(}) End");
    EXPECT_EQ(Lex("x{2}y{2,}z{1,3}"),
              "Char(x) Bound(2,2) Char(y) Bound(2,2147483647) Char(z) Bound(1,3) End");
    EXPECT_EQ(Lex("]}"), "Char(]) Char(}) End");
    EXPECT_EQ(Lex("a", kI), "Char(A) End");
    EXPECT_EQ(Lex("a", kW), "Char(ａ) End");
    EXPECT_EQ(Lex("\xEF\xBD\xB6\xEF\xBE\x9E", kW), "Char(ガ) End"); // half-width GA
    EXPECT_EQ(Lex("^", kW), "LHead End");
    EXPECT_EQ(Lex("\\x61", kI), "Char(a) End"); // given by code: not folded
}

TEST(Lexer, EscapesOutsideAndInsideClasses) {
    EXPECT_EQ(Lex("\\0\\011\\0111"), "Char(#0) Char(#9) Char(#9) Char(1) End");
    EXPECT_EQ(Lex("\\a\\e\\f\\n\\r\\t"),
              "Char(#7) Char(#27) Char(#12) Char(#10) Char(#13) Char(#9) End");
    EXPECT_EQ(Lex("\\cA\\cz\\c\\\\"), "Char(#1) Char(#26) Char(#28) End");
    EXPECT_EQ(Lex("\\x41\\x{3042}\\x{}\\x{1F600}"), "Char(A) Char(あ) Char(#0) Char(#128512) End");
    EXPECT_EQ(Lex("\\d\\D\\w\\W\\s\\S\\h\\H\\v\\V"), "d D w W s S h H v V End");
    EXPECT_EQ(Lex("\\A\\Z\\z\\b\\B\\G\\K\\R\\X"), "A Z z b B G K R XSeq End");
    EXPECT_EQ(Lex("[\\b\\A\\Q\\E\\g\\k\\R]"),
              "Class Char(b) Char(A) Char(Q) Char(E) Char(g) Char(k) Char(R) ClassEnd End");
    EXPECT_EQ(Lex("\\.\\\\\\["), "Char(.) Char(\\) Char([) End");
    EXPECT_EQ(Lex("[\\1\\8]"), "Class Char(#1) Char(8) ClassEnd End");
}

TEST(Lexer, BackReferencesByNumberAndByName) {
    EXPECT_EQ(Lex("\\1\\9\\12"), "Ref(1) Ref(9) Char(#10) End"); // no group 12: octal
    std::string elevenGroups;
    for (int i = 0; i < 11; ++i) {
        elevenGroups += "(";
    }
    const std::string lexed = Lex(elevenGroups + "\\12");
    EXPECT_NE(lexed.find("Char(#10)"), std::string::npos); // the lexer alone opens no group
    EXPECT_EQ(Lex("\\g1\\g-2\\g{3}\\g{-1}\\k4\\k-1"),
              "Ref(1) RefRel(2) Ref(3) RefRel(1) Ref(4) RefRel(1) End");
    EXPECT_EQ(Lex("\\k<n>\\k'n'\\k{n}\\g{n}(?P=n)"),
              "NamedRef<n> NamedRef<n> NamedRef<n> NamedRef<n> NamedRef<n> End");
    EXPECT_EQ(Lex("\\g<1>\\g'+1'\\g<-2>\\g<n>"),
              "GoSub(1) GoSubRel(1) GoSubRel(-2) GoSubName<n> End");
}

TEST(Lexer, ReferenceAboveNineIsAReferenceOnlyWithEnoughGroups) {
    TRxRegExp re;
    for (int i = 0; i < 11; ++i) {
        re.FGroups.Add(u"");
    }
    const std::u16string text = u"\\12\\13";
    TRELex lex(re, text);
    lex.GetToken();
    EXPECT_EQ(lex.Token(), tkReference);
    EXPECT_EQ(lex.Min(), 12);
    lex.GetToken();
    EXPECT_EQ(lex.Token(), tkChar);
    EXPECT_EQ(lex.WChar(), 013u);
}

TEST(Lexer, GroupOpeners) {
    EXPECT_EQ(Lex("((?:(?=(?!(?<=(?<!(?>"),
              "Group<> LPar Ahead NotAhead Behind NotBehind Atomic End");
    EXPECT_EQ(Lex("(?<a>(?'b'(?P<c>"), "Group<a> Group<b> Group<c> End");
    EXPECT_EQ(Lex("(?P>n)(?&a b)"), "GoSubName<n> GoSubName<a b> End");
    EXPECT_EQ(Lex("(?1)(?+2)(?-3)(?R)"), "GoSub(1) GoSubRel(2) GoSubRel(-3) GoSub(0) End");
    EXPECT_EQ(Lex("(?#comment)a(?)(?|"), "Char(a) Empty Reset End");
    EXPECT_EQ(Lex("(?(1)(?(<n>)(?('m')"), "IfRef(1) IfRef(n) IfRef(m) End");
    EXPECT_EQ(Lex("(?(?=a)"), "If Ahead Char(a) RPar End");
    EXPECT_EQ(Lex("(", OptionBit(roNamedGroupOnly)), "LPar End");
    EXPECT_EQ(Lex("(?<名前>"), "Group<名前> End");
}

TEST(Lexer, InlineOptions) {
    EXPECT_EQ(Lex("(?i)a(?-i)a"), "Option Char(A) Option Char(a) End");
    EXPECT_EQ(Lex("(?-ix)a b", kI), "Option Char(a) Char(b) End");
    EXPECT_EQ(Lex("(?x-i:a b)", kI), "LParOpt Char(a) Char(b) RPar End");
    EXPECT_EQ(Lex("(?w)a(?k)あ"), "Option Char(ａ) Option Char(ア) End");
}

TEST(Lexer, ExtendedModeHidesBlanksAlmostEverywhere) {
    EXPECT_EQ(Lex("a b", kX), "Char(a) Char(b) End");
    EXPECT_EQ(Lex("[a b]", kX), "Class Char(a) Char(b) ClassEnd End");
    EXPECT_EQ(Lex("\\Qa b\\E", kX), "Char(a) Char(b) End");
    EXPECT_EQ(Lex("x{1 0}", kX), "Char(x) Bound(10,10) End");
    EXPECT_EQ(Lex("[a -]", kX), "Class Char(a) Char(-) ClassEnd End");
    EXPECT_EQ(Lex("a\vb\fc", kX), "Char(a) Char(#11) Char(b) Char(#12) Char(c) End");
}

TEST(Lexer, QuotationsAndStrayEnds) {
    EXPECT_EQ(Lex("\\Qa.*\\E+"), "Char(a) Char(.) Char(*) Plus End");
    EXPECT_EQ(Lex("\\Q\\E\\Q\\E"), "End");
    // \E outside a quotation ends nothing and adds nothing.
    EXPECT_EQ(Lex("a\\Eb\\E"), "Char(a) Char(b) End");
    EXPECT_EQ(Lex("\\E"), "End");
}

TEST(Lexer, ClassMembers) {
    EXPECT_EQ(Lex("[]]"), "Class Char(]) ClassEnd End");
    EXPECT_EQ(Lex("[a]]"), "Class Char(a) Char(]) ClassEnd End");
    EXPECT_EQ(Lex("[a-]"), "Class Char(a) Char(-) ClassEnd End");
    EXPECT_EQ(Lex("[^a-z\\x41-\\x5A]"), "NegClass Range(97-122) Range(65-90) ClassEnd End");
    EXPECT_EQ(Lex("[[:alpha:][:^digit:]]"), "Class Posix(1) NotPosix(5) ClassEnd End");
    EXPECT_EQ(Lex("[\\p{Greek}\\PL]"), "Class Prop(81) NotProp(17) ClassEnd End");
    EXPECT_EQ(Lex("[a]", kI), "Class Char(a) ClassEnd End"); // the class folds when it matches
}

TEST(Lexer, PropertyNames) {
    const std::string greek = "Prop(" + std::to_string(upGreek) + ") End";
    EXPECT_EQ(Lex("\\p{Greek}"), greek);
    EXPECT_EQ(Lex("\\p{greek}"), greek);
    EXPECT_EQ(Lex("\\p{Gr-eek}"), greek);
    EXPECT_EQ(Lex("\\p{ Gr_eek }"), greek);
    EXPECT_EQ(Lex("\\p{IsBasicLatin}"), "Prop(" + std::to_string(upInBasicLatin) + ") End");
    EXPECT_EQ(Lex("\\p{isalnum}"), "Prop(0) End");
    EXPECT_EQ(Lex("\\p{^L&}"), "NotProp(" + std::to_string(upLamp) + ") End");
    EXPECT_EQ(Lex("\\pL\\PN"), "Prop(17) NotProp(19) End");
}

TEST(Lexer, StepsBackUpToThreeTokens) {
    TRxRegExp re;
    const std::u16string text = u"abcd";
    TRELex lex(re, text);
    lex.GetToken();
    lex.GetToken();
    lex.GetToken();
    lex.GetToken();
    EXPECT_EQ(lex.WChar(), U'd');
    lex.PushToken();
    EXPECT_EQ(lex.WChar(), U'c');
    lex.PushToken();
    EXPECT_EQ(lex.WChar(), U'b');
    lex.PushToken();
    EXPECT_EQ(lex.WChar(), U'a');
    lex.PushToken(); // the ring holds three states only
    EXPECT_EQ(lex.WChar(), U'a');
    lex.GetToken();
    EXPECT_EQ(lex.WChar(), U'b');
}

TEST(Lexer, OptionStack) {
    TRxRegExp re;
    re.SetOptions(kI);
    const std::u16string text = u"(?-i)";
    TRELex lex(re, text);
    lex.PushOptions();
    lex.GetToken();
    lex.ApplyNewOptions();
    EXPECT_EQ(lex.Options(), 0);
    lex.PopOptions();
    EXPECT_EQ(lex.Options(), kI);
    lex.PopOptions(); // empty: nothing happens
    EXPECT_EQ(lex.Options(), kI);
}

TEST(Lexer, EveryErrorMessageWithItsMarkedExpression) {
    EXPECT_EQ(CompileError("ab(?z)"), "(?z... not recognized; ab(?z <-- )");
    EXPECT_EQ(CompileError("[ab"), "Unmatched [; [ab <-- ");
    EXPECT_EQ(CompileError("\\Qab"), "Unmatched [; \\Qab <-- ");
    EXPECT_EQ(CompileError("x{3"), "{3...Unmatched {; x{3 <-- ");
    EXPECT_EQ(CompileError("x{40000}"), "{40000}...Quantifier is too large; x{40000} <-- ");
    EXPECT_EQ(CompileError("x{2,1}"), "{2,1}...Can't do {n,m} with n > m; x{2,1} <-- ");
    EXPECT_EQ(CompileError("ab\\"), "\\...Regular expression not completed; ab\\ <-- ");
    EXPECT_EQ(CompileError("\\c1"), "\\c1...Invalid escape charactoer syntax; \\c1 <-- ");
    EXPECT_EQ(CompileError("\\c\\a"), "\\c\\...Invalid escape charactoer syntax; \\c\\ <-- a");
    EXPECT_EQ(CompileError("\\xg1"), "\\xg...Hex-digit is required; \\xg <-- 1");
    EXPECT_EQ(CompileError("\\x{1234567}"),
              "\\x{1234567...Missing right brace on \\x{}; \\x{1234567 <-- }");
    EXPECT_EQ(CompileError("\\x{110000}"), "\\x{110000}...Codepoint range over; \\x{110000} <-- ");
    EXPECT_EQ(CompileError("\\pC"), "\\pC...Invalide property; \\pC <-- ");
    EXPECT_EQ(CompileError("\\p{Gr!}"), "\\p{Gr!...Invalide property; \\p{Gr! <-- }");
    EXPECT_EQ(CompileError("\\p{Greek"), "\\p{Greek...Missing right brace; \\p{Greek <-- ");
    EXPECT_EQ(CompileError("\\p{Foo-bar}x"), "Property {Foobar} unkown; \\p{Foo-bar} <-- x");
    EXPECT_EQ(CompileError("\\p{IsFoo}"), "Property {IsFoo} unkown; \\p{IsFoo} <-- ");
    EXPECT_EQ(CompileError("\\k+1"), "\\k+1...Group number is empty; \\k+1 <-- ");
    EXPECT_EQ(CompileError("\\gx"), "\\gx...Group number is empty; \\gx <-- ");
    EXPECT_EQ(CompileError("(a)\\k<1x>"), "\\k<1x...Not terminated; (a)\\k<1x <-- >");
    EXPECT_EQ(CompileError("(?<name"), "(?<name...No end of group; (?<name <-- ");
    EXPECT_EQ(CompileError("(?<1a>x)"), "(?<1...Invalid char in group name; (?<1 <-- a>x)");
    EXPECT_EQ(CompileError("(?<a-b>x)"), "(?<a-...Invalid char in group name; (?<a- <-- b>x)");
    EXPECT_EQ(CompileError("(?Px)"), "(?Px...)group name is empty; (?Px <-- )");
    EXPECT_EQ(CompileError("(?i"), "(?i...Option not completed; (?i <-- ");
    EXPECT_EQ(CompileError("(?iq)"), "(?iq... not recognized; (?iq <-- )");
    EXPECT_EQ(CompileError("(?(12"), "(?(12...) not recognized; (?(12 <-- ");
    EXPECT_EQ(CompileError("[[:foo:]]"), "Posix class [:foo:] unknown; [[:foo:] <-- ]");
    EXPECT_EQ(CompileError("[[:alpha]"), "[:alpha]...Unmatched [; [[:alpha] <-- ");
    EXPECT_EQ(CompileError("[z-a]"), "Invalid [] range [z-a]; [z-a <-- ]");
    EXPECT_EQ(CompileError("[a-\\d]"), "Invalid [] range [a-\\d]; [a-\\d <-- ]");
    EXPECT_EQ(CompileError("(?+x)"), "(?+x...Group number is empty; (?+x <-- )");
    EXPECT_EQ(CompileError("(?1"), "(?1...Unmatched (; (?1 <-- ");
    EXPECT_EQ(CompileError("(?&abc"), "(?&abc...Unmatched (; (?&abc <-- ");
}

TEST(Lexer, UnterminatedCommentsAndNamedConditionsAreErrors) {
    EXPECT_EQ(CompileError("a(?#abc"), "(?#abc...Unmatched (; a(?#abc <-- ");
    EXPECT_EQ(CompileError("(?<n>a)(?(<n>x"), "(?(<n>x...Unmatched (; (?<n>a)(?(<n>x <-- ");
    EXPECT_EQ(CompileError("(?<n>a)(?('n'"), "(?('n'...Unmatched (; (?<n>a)(?('n' <-- ");
    EXPECT_EQ(CompileError("(?#)a"), "");
}

TEST(Lexer, EmbeddedNulIsAnOrdinaryCharacter) {
    TRxRegExp re;
    const std::u16string text(u"a\0b", 3);
    TRELex lex(re, text);
    lex.GetToken();
    lex.GetToken();
    EXPECT_EQ(lex.Token(), tkChar);
    EXPECT_EQ(lex.WChar(), 0u);
    lex.GetToken();
    EXPECT_EQ(lex.WChar(), U'b');
    lex.GetToken();
    EXPECT_EQ(lex.Token(), tkEnd);
}

} // namespace
