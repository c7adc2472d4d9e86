// Rendering of syntax trees.
#include "regex/tree_dump.h"

#include "regex/bin_code.h"
#include "regex/code.h"
#include "regex/errors.h"
#include "regex/text_services.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::string CharText(char32_t c) {
    if (c < 0x20 || c == 0x7F) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(c));
        return buf;
    }
    std::u16string s;
    AppendCodePoint(s, c);
    return ToUtf8(s);
}

std::string OptionSuffix(TREOptions options) {
    std::string s;
    if (HasOption(options, roIgnoreCase)) {
        s += 'i';
    }
    if (HasOption(options, roIgnoreWidth)) {
        s += 'w';
    }
    if (HasOption(options, roIgnoreKana)) {
        s += 'k';
    }
    return s.empty() ? s : "/" + s;
}

std::string Number(int n) {
    return n == kInfinite ? "inf" : std::to_string(n);
}

std::string KindText(TRELoopKind k) {
    switch (k) {
    case lkReluctant:
        return " lazy";
    case lkSimpleReluctant:
        return " simple-lazy";
    case lkPossessive:
        return " possessive";
    case lkAny:
        return " any";
    case lkCombiningSequence:
        return " xseq";
    default:
        return "";
    }
}

std::string Negatable(const TRECode* c, const char* positive, const char* negative) {
    return static_cast<const TRENegatableCode*>(c)->Negative() ? negative : positive;
}

std::string Opening(const TREBinCode* b) {
    const std::string range = " " + Number(b->Min()) + "," + Number(b->Max());
    switch (b->Op()) {
    case opConcat:
        return "(concat";
    case opUnion:
        return "(union";
    case opGroup:
        return "(group " + std::to_string(b->GroupIndex()) +
               (b->GroupName().empty() ? "" : " <" + ToUtf8(b->GroupName()) + ">");
    case opQuest:
        return "(quest" + KindText(b->MatchKind());
    case opPlus:
        return "(plus" + KindText(b->MatchKind());
    case opStar:
        return "(star" + KindText(b->MatchKind());
    case opBound:
        return "(bound" + range + KindText(b->MatchKind());
    case opLoop:
        return "(loop" + range + KindText(b->MatchKind());
    case opAheadMatch:
        return "(ahead";
    case opAheadNoMatch:
        return "(!ahead";
    case opBehindMatch:
        return "(behind" + range;
    case opBehindNoMatch:
        return "(!behind" + range;
    case opNoBackTrack:
        return "(atomic";
    case opIfMatch:
        return "(ifmatch";
    case opIfThen:
        return "(ifthen";
    case opKeepPattern:
        return "(keep";
    default:
        return "(?";
    }
}

} // namespace

std::string DescribeCode(const TRECode* Code) {
    if (Code == nullptr) {
        return "nil";
    }
    switch (Code->Kind()) {
    case ckChar: {
        const auto* c = static_cast<const TRECharCode*>(Code);
        if (c->Convert()) {
            return CharText(c->WChar());
        }
        return "'" + CharText(c->WChar()) + "'" + OptionSuffix(c->Options());
    }
    case ckLiteral: {
        const auto* c = static_cast<const TRELiteralCode*>(Code);
        return "\"" + ToUtf8(c->Strings()) + "\"" + OptionSuffix(c->Options());
    }
    case ckRangeChar: {
        const auto* c = static_cast<const TRERangeCharCode*>(Code);
        return "[" + CharText(c->StartWChar()) + "-" + CharText(c->LastWChar()) + "]" +
               OptionSuffix(c->Options());
    }
    case ckAnyChar:
        return "any";
    case ckWordChar:
        return Negatable(Code, "\\w", "\\W");
    case ckDigitChar:
        return Negatable(Code, "\\d", "\\D");
    case ckHexDigitChar:
        return Negatable(Code, "xdigit", "!xdigit");
    case ckSpaceChar:
        return Negatable(Code, "\\s", "\\S");
    case ckHorizontalSpaceChar:
        return Negatable(Code, "\\h", "\\H");
    case ckVerticalSpaceChar:
        return Negatable(Code, "\\v", "\\V");
    case ckProperty: {
        const auto* c = static_cast<const TREPropertyCode*>(Code);
        return std::string(c->Negative() ? "\\P{" : "\\p{") + std::to_string(c->UniCodeProperty()) +
               "}";
    }
    case ckLineBreakChar:
        return "\\R";
    case ckCombiningSequence:
        return "\\X";
    case ckCharClass: {
        const auto* c = static_cast<const TRECharClassCode*>(Code);
        std::string s = c->Negative() ? "[class^" : "[class";
        std::vector<char32_t> items = c->Map().Items();
        std::sort(items.begin(), items.end());
        for (char32_t ch : items) {
            s += " " + CharText(ch);
        }
        for (int i = 0; i < c->MemberCount(); ++i) {
            s += " " + DescribeCode(c->Member(i));
        }
        return s + "]" + OptionSuffix(c->Options());
    }
    case ckBoundary:
        return static_cast<const TREBoundaryCode*>(Code)->Negative() ? "\\B" : "\\b";
    case ckReference:
        return "\\" + std::to_string(static_cast<const TREReferenceCode*>(Code)->GroupIndex());
    case ckNamedReference: {
        const auto* c = static_cast<const TRENamedReferenceCode*>(Code);
        std::string s = "\\k<" + ToUtf8(c->GroupName()) + ":";
        for (std::size_t i = 0; i < c->GroupIndexArray().size(); ++i) {
            s += (i ? "," : "") + std::to_string(c->GroupIndexArray()[i]);
        }
        return s + ">";
    }
    case ckLineHead:
        return "line-head";
    case ckLineTail:
        return "line-tail";
    case ckTextHead:
        return "\\A";
    case ckTextTail:
        return "\\Z";
    case ckTextEnd:
        return "\\z";
    case ckGlobalPos:
        return "\\G";
    case ckIfThenReference:
        return "(if " +
               std::to_string(static_cast<const TREIfThenReferenceCode*>(Code)->GroupIndex()) + ")";
    case ckIfThenNamedReference:
        return "(if <" +
               ToUtf8(static_cast<const TREIfThenNamedReferenceCode*>(Code)->GroupName()) + ">)";
    case ckBin:
        break;
    }
    return "?";
}

std::string DumpTree(const TRECode* Root) {
    // Either a node still to render or a piece of text to emit.
    struct TItem {
        const TRECode* Code;
        const char* Text;
    };
    std::string out;
    std::vector<TItem> work{{Root, nullptr}};
    while (!work.empty()) {
        const TItem item = work.back();
        work.pop_back();
        if (item.Text != nullptr) {
            out += item.Text;
            continue;
        }
        const TREBinCode* bin = AsBin(item.Code);
        if (bin == nullptr) {
            out += DescribeCode(item.Code);
            continue;
        }
        if (bin->Op() == opEmply) {
            out += "empty";
            continue;
        }
        if (bin->Op() == opGoSub) {
            out += "(gosub " + std::to_string(bin->GroupIndex()) +
                   (bin->GroupName().empty() ? "" : " <" + ToUtf8(bin->GroupName()) + ">") +
                   (bin->HasRecursion() ? " recursive" : "") + ")";
            continue;
        }
        out += Opening(bin);
        work.push_back({nullptr, ")"});
        if (bin->Right() != nullptr) {
            work.push_back({bin->Right(), nullptr});
            work.push_back({nullptr, " "});
        }
        if (bin->Left() != nullptr) {
            work.push_back({bin->Left(), nullptr});
            work.push_back({nullptr, " "});
        }
    }
    return out;
}
