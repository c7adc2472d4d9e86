// The lexer: contexts, escapes, group openers, bounds, class members and error composition.
#include "regex/lexer.h"

#include "regex/bin_code.h"
#include "regex/errors.h"
#include "regex/fold.h"
#include "regex/messages.h"
#include "regex/regexp.h"
#include "regex/text_services.h"
#include "regex/unicode_props.h"

#include <algorithm>
#include <climits>

namespace {

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

bool IsAsciiLetterOrDigit(char32_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

struct TPosixName {
    const char16_t* Name;
    TUnicodeProperty Prop;
};

const TPosixName kPosixNames[] = {
    {u"alnum", upAlnum},   {u"alpha", upAlpha}, {u"ascii", upAscii}, {u"blank", upBlank},
    {u"cntrl", upCntrl},   {u"digit", upDigit}, {u"graph", upGraph}, {u"lower", upLower},
    {u"print", upPrint},   {u"punct", upPunct}, {u"space", upSpace}, {u"upper", upUpper},
    {u"xdigit", upXdigit}, {u"word", upWord},
};

} // namespace

TRELex::TRELex(TRxRegExp& ARegExp, std::u16string_view Expression)
    : FRegExp(ARegExp), FP(Expression.data()), FTokenStartP(FP), FTopP(FP),
      FLastP(FP + Expression.size()), FOptions(ARegExp.FOptions) {}

// ---- movement ----

void TRELex::SkipBlanks() {
    while (FP < FLastP && IsBlank(*FP)) {
        ++FP;
    }
}

void TRELex::CharNext(int Len) {
    FP = FLastP - FP < Len ? FLastP : FP + Len;
    if (HasOption(FOptions, roExtended)) {
        SkipBlanks();
    }
}

bool TRELex::ReadNumber(int& Value) {
    Value = 0;
    if (!IsDigitChar(Cur())) {
        return false;
    }
    while (IsDigitChar(Cur())) {
        const int digit = *FP - u'0';
        Value = Value > (INT_MAX - digit) / 10 ? INT_MAX : Value * 10 + digit;
        CharNext();
    }
    return true;
}

int TRELex::ReadOctal(int MaxDigits) {
    int value = 0;
    for (int i = 0; i < MaxDigits && Cur() >= u'0' && Cur() <= u'7'; ++i) {
        value = value * 8 + (*FP - u'0');
        CharNext();
    }
    return value;
}

void TRELex::SetFoldedChar() {
    int len = 0;
    FWChar = FoldChar(FP, FLastP, ToCompareOptions(FOptions), len);
    FToken = tkChar;
    CharNext(len);
}

// ---- tokens ----

void TRELex::GetToken(bool Skip) {
    if (!Skip) {
        Save();
    }
    for (;;) {
        FConvert = false;
        FWChar = 0;
        FStartWChar = 0;
        FLastWChar = 0;
        FMin = 0;
        FMax = 0;
        FGroupName.clear();
        FTokenStartP = FP;
        if (HasOption(FOptions, roExtended)) {
            SkipBlanks();
        }
        if (ReadToken() == rrToken) {
            return;
        }
    }
}

TRELex::TReadResult TRELex::ReadToken() {
    if (AtEnd()) {
        if (FContext == ctCharClass || FContext == ctQuote) {
            Error(rxmsg::UnmatchedBracket);
        }
        FToken = tkEnd;
        return rrToken;
    }
    if (FContext == ctCharClass) {
        if (*FP == u']') {
            if (FP + 1 < FLastP && FP[1] == u']') {
                SetChar(u']');
            } else {
                FToken = tkCharClassEnd;
                FContext = ctNormal;
            }
            CharNext();
            return rrToken;
        }
        ReadClassMember();
        return rrToken;
    }
    if (FContext == ctQuote) {
        if (*FP == u'\\' && FP + 1 < FLastP && FP[1] == u'E') {
            FContext = ctNormal;
            CharNext(2);
            return rrAgain;
        }
        SetFoldedChar();
        return rrToken;
    }
    return ReadNormal();
}

TRELex::TReadResult TRELex::ReadNormal() {
    switch (*FP) {
    case u'$':
    case u'^':
        FToken = *FP == u'$' ? tkLTail : tkLHead;
        FWChar = *FP;
        FConvert = true;
        CharNext();
        break;
    case u'(':
        return ReadGroupOpener();
    case u')':
        FToken = tkRPar;
        CharNext();
        break;
    case u'*':
        FToken = tkStar;
        CharNext();
        break;
    case u'+':
        FToken = tkPlus;
        FMin = 1;
        CharNext();
        break;
    case u'.':
        FToken = tkDot;
        CharNext();
        break;
    case u'?':
        FToken = tkQuest;
        CharNext();
        break;
    case u'[':
        CharNext();
        if (Cur() == u'^' && !AtEnd()) {
            CharNext();
            FToken = tkNegativeCharClassFirst;
        } else {
            FToken = tkCharClassFirst;
        }
        FContext = ctCharClass;
        break;
    case u'\\':
        return ReadEscape(false);
    case u'{': {
        const char16_t* q = FP + 1;
        while (q < FLastP && IsBlank(*q)) {
            ++q;
        }
        if (q < FLastP && IsDigitChar(*q)) {
            ReadBound();
        } else {
            SetFoldedChar();
        }
        break;
    }
    case u'|':
        FToken = tkUnion;
        CharNext();
        break;
    default:
        SetFoldedChar();
        break;
    }
    return rrToken;
}

void TRELex::ReadBound() {
    CharNext();
    SkipBlanks();
    int n = 0;
    ReadNumber(n);
    if (n > 32767) {
        Error(rxmsg::QuantifierTooLarge);
    }
    int m = n;
    SkipBlanks();
    if (Cur() == u',' && !AtEnd()) {
        CharNext();
        SkipBlanks();
        if (IsDigitChar(Cur())) {
            ReadNumber(m);
            if (m > 32767) {
                Error(rxmsg::QuantifierTooLarge);
            }
            if (m < n) {
                Error(rxmsg::BoundOrder);
            }
        } else {
            m = kInfinite;
        }
        SkipBlanks();
    }
    if (Cur() != u'}' || AtEnd()) {
        Error(rxmsg::UnmatchedBrace);
    }
    CharNext();
    FToken = tkBound;
    FMin = n;
    FMax = m;
}

TRELex::TReadResult TRELex::ReadEscape(bool InClass) {
    CharNext();
    if (AtEnd()) {
        Error(rxmsg::NotCompleted);
    }
    const char16_t c = *FP;
    switch (c) {
    case u'0':
        SetChar(static_cast<char32_t>(ReadOctal(3)));
        return rrToken;
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
    case u'6':
    case u'7':
    case u'8':
    case u'9': {
        const char16_t* start = FP;
        if (!InClass) {
            int n = 0;
            ReadNumber(n);
            if (n <= 9 || n <= FRegExp.FGroups.Count()) {
                FToken = tkReference;
                FMin = n;
                return rrToken;
            }
            FP = start;
        }
        if (c >= u'8') {
            SetChar(c);
            CharNext();
        } else {
            SetChar(static_cast<char32_t>(ReadOctal(3)));
        }
        return rrToken;
    }
    case u'a':
        SetChar(7);
        break;
    case u'e':
        SetChar(27);
        break;
    case u'f':
        SetChar(12);
        break;
    case u'n':
        SetChar(10);
        break;
    case u'r':
        SetChar(13);
        break;
    case u't':
        SetChar(9);
        break;
    case u'c': {
        CharNext();
        if (AtEnd()) {
            Error(rxmsg::InvalidEscape);
        }
        char32_t x = *FP;
        if (x == u'\\') {
            if (FP + 1 >= FLastP || FP[1] != u'\\') {
                Error(rxmsg::InvalidEscape);
            }
            CharNext();
        } else if (x >= u'a' && x <= u'z') {
            x -= 32;
        } else if (x < 0x40 || x > 0x5F) {
            Error(rxmsg::InvalidEscape);
        }
        SetChar(x ^ 0x40);
        break;
    }
    case u'x': {
        CharNext();
        char32_t v = 0;
        if (Cur() == u'{' && !AtEnd()) {
            CharNext();
            int digits = 0;
            while (!(Cur() == u'}' && !AtEnd())) {
                if (digits == 6) {
                    Error(rxmsg::MissingBraceX);
                }
                const int h = AtEnd() ? -1 : HexValue(*FP);
                if (h < 0) {
                    Error(rxmsg::HexDigitRequired);
                }
                v = v * 16 + static_cast<char32_t>(h);
                ++digits;
                CharNext();
            }
            if (v > 0x10FFFF) {
                Error(rxmsg::CodepointRange);
            }
        } else {
            for (int i = 0; i < 2; ++i) {
                const int h = AtEnd() ? -1 : HexValue(*FP);
                if (h < 0) {
                    Error(rxmsg::HexDigitRequired);
                }
                v = v * 16 + static_cast<char32_t>(h);
                if (i == 0) {
                    CharNext();
                }
            }
        }
        SetChar(v);
        break;
    }
    case u'd':
        FToken = tkDigitChar;
        break;
    case u'D':
        FToken = tkNEDigitChar;
        break;
    case u'w':
        FToken = tkWordChar;
        break;
    case u'W':
        FToken = tkNEWordChar;
        break;
    case u's':
        FToken = tkSpaceChar;
        break;
    case u'S':
        FToken = tkNESpaceChar;
        break;
    case u'h':
        FToken = tkHorizontalSpaceChar;
        break;
    case u'H':
        FToken = tkNEHorizontalSpaceChar;
        break;
    case u'v':
        FToken = tkVerticalSpaceChar;
        break;
    case u'V':
        FToken = tkNEVerticalSpaceChar;
        break;
    case u'p':
    case u'P':
        ReadProperty(c == u'P');
        return rrToken;
    case u'A':
    case u'Z':
    case u'z':
    case u'b':
    case u'B':
    case u'G':
    case u'K':
    case u'R':
    case u'X':
        if (InClass) {
            SetFoldedChar();
            return rrToken;
        }
        FToken = c == u'A'   ? tkTHead
                 : c == u'Z' ? tkTTail
                 : c == u'z' ? tkTTailEnd
                 : c == u'b' ? tkWordBoundary
                 : c == u'B' ? tkNEWordBoundary
                 : c == u'G' ? tkGlobalPos
                 : c == u'K' ? tkKeepPattern
                 : c == u'R' ? tkLineBreak
                             : tkCombiningSequence;
        break;
    case u'Q':
        if (InClass) {
            SetFoldedChar();
            return rrToken;
        }
        FContext = ctQuote;
        CharNext();
        return rrAgain;
    case u'E':
        if (InClass) {
            SetFoldedChar();
            return rrToken;
        }
        // Outside a quotation \E ends nothing and adds nothing.
        CharNext();
        return rrAgain;
    case u'g':
    case u'k': {
        if (InClass) {
            SetFoldedChar();
            return rrToken;
        }
        CharNext();
        const char16_t d = AtEnd() ? 0 : *FP;
        if (d == u'\'' || d == u'<') {
            ReadDelimitedReference(d == u'<' ? u'>' : u'\'', c == u'g');
        } else if (d == u'{') {
            ReadDelimitedReference(u'}', false);
        } else if (IsDigitChar(d) || d == u'-' || (c == u'k' && d == u'+')) {
            const bool relative = d == u'-';
            if (d == u'-' || d == u'+') {
                CharNext();
            }
            int n = 0;
            if (d == u'+' || !ReadNumber(n)) {
                Error(rxmsg::GroupNumberEmpty);
            }
            FToken = relative ? tkReferenceRelative : tkReference;
            FMin = n;
        } else {
            Error(rxmsg::GroupNumberEmpty);
        }
        return rrToken;
    }
    default:
        SetFoldedChar();
        return rrToken;
    }
    CharNext();
    return rrToken;
}

void TRELex::ReadDelimitedReference(char16_t Close, bool IsCall) {
    CharNext();
    int sign = 0;
    if (Cur() == u'-' && !AtEnd()) {
        sign = -1;
        CharNext();
    } else if (IsCall && Cur() == u'+' && !AtEnd()) {
        sign = 1;
        CharNext();
    }
    if (IsDigitChar(Cur()) && !AtEnd()) {
        int n = 0;
        ReadNumber(n);
        if (Cur() != Close || AtEnd()) {
            Error(rxmsg::NotTerminated);
        }
        CharNext();
        if (IsCall) {
            FToken = sign != 0 ? tkGoSubRelative : tkGoSub;
            FMin = sign < 0 ? -n : n;
        } else {
            FToken = sign != 0 ? tkReferenceRelative : tkReference;
            FMin = n;
        }
        return;
    }
    if (sign != 0) {
        Error(rxmsg::GroupNumberEmpty);
    }
    FGroupName = ReadGroupName(Close);
    FToken = IsCall ? tkGoSubName : tkNamedReference;
}

std::u16string TRELex::ReadGroupName(char16_t Close) {
    std::u16string name;
    for (;;) {
        if (AtEnd()) {
            Error(rxmsg::NoEndOfGroup);
        }
        if (*FP == Close) {
            break;
        }
        int len = 0;
        const char32_t c = ReadCodePoint(FP, FLastP, len);
        if ((name.empty() && ::IsDigit(c)) || !::IsWord(c)) {
            Error(rxmsg::InvalidGroupNameChar);
        }
        AppendCodePoint(name, c);
        CharNext(len);
    }
    CharNext();
    return name;
}

void TRELex::ReadProperty(bool Negative) {
    const bool upperP = Negative;
    CharNext();
    if (AtEnd()) {
        Error(rxmsg::InvalidProperty);
    }
    const char16_t c = *FP;
    std::uint16_t prop = 0;
    switch (c) {
    case u'L':
        prop = upL;
        break;
    case u'M':
        prop = upM;
        break;
    case u'N':
        prop = upN;
        break;
    case u'P':
        prop = upP;
        break;
    case u'S':
        prop = upS;
        break;
    case u'Z':
        prop = upZ;
        break;
    case u'{':
        break;
    default:
        Error(rxmsg::InvalidProperty);
    }
    if (c != u'{') {
        CharNext();
    } else {
        CharNext();
        if (!upperP && Cur() == u'^' && !AtEnd()) {
            Negative = true;
            CharNext();
        }
        std::u16string name;
        for (;;) {
            if (AtEnd()) {
                Error(rxmsg::MissingBrace);
            }
            if (*FP == u'}') {
                break;
            }
            int len = 0;
            const char32_t ch = ReadCodePoint(FP, FLastP, len);
            if (IsAsciiLetterOrDigit(ch) || ch == u'&' || GetMajorCategory(ch) == upL) {
                AppendCodePoint(name, ch);
            } else if (!(ch == u'-' || ch == u'_' || (ch >= 9 && ch <= 13) || ch == u' ')) {
                Error(rxmsg::InvalidProperty);
            }
            CharNext(len);
        }
        if (!FindPropertyName(name, prop)) {
            const bool isIs = name.size() >= 2 && (name[0] == u'I' || name[0] == u'i') &&
                              (name[1] == u'S' || name[1] == u's');
            if (!isIs || !FindPropertyName(u"In" + name.substr(2), prop)) {
                ErrorWithArg(rxmsg::PropertyUnknown, name);
            }
        }
        CharNext();
    }
    FToken = Negative ? tkNEProperty : tkProperty;
    FUniCodeProperty = prop;
}

TRELex::TReadResult TRELex::ReadGroupOpener() {
    CharNext();
    if (AtEnd() || *FP != u'?') {
        FToken = HasOption(FOptions, roNamedGroupOnly) ? tkLPar : tkGroupBegin;
        return rrToken;
    }
    CharNext();
    if (AtEnd()) {
        Error(rxmsg::NotRecognized);
    }
    const char16_t c = *FP;
    int n = 0;
    switch (c) {
    case u':':
        FToken = tkLPar;
        CharNext();
        break;
    case u'=':
        FToken = tkAheadMatch;
        CharNext();
        break;
    case u'!':
        FToken = tkAheadNoMatch;
        CharNext();
        break;
    case u'>':
        FToken = tkNoBackTrack;
        CharNext();
        break;
    case u'<':
        CharNext();
        if (Cur() == u'=' && !AtEnd()) {
            FToken = tkBehindMatch;
            CharNext();
        } else if (Cur() == u'!' && !AtEnd()) {
            FToken = tkBehindNoMatch;
            CharNext();
        } else {
            FGroupName = ReadGroupName(u'>');
            FToken = tkGroupBegin;
        }
        break;
    case u'\'':
        CharNext();
        FGroupName = ReadGroupName(u'\'');
        FToken = tkGroupBegin;
        break;
    case u'P': {
        CharNext();
        const char16_t d = AtEnd() ? 0 : *FP;
        if (d == u'<') {
            CharNext();
            FGroupName = ReadGroupName(u'>');
            FToken = tkGroupBegin;
        } else if (d == u'=') {
            CharNext();
            FGroupName = ReadGroupName(u')');
            FToken = tkNamedReference;
        } else if (d == u'>') {
            CharNext();
            FGroupName = ReadGroupName(u')');
            FToken = tkGoSubName;
        } else {
            Error(rxmsg::GroupNameEmpty, u"...)");
        }
        break;
    }
    case u'&': {
        CharNext();
        std::u16string name;
        while (!AtEnd() && *FP != u')') {
            name.push_back(*FP);
            CharNext();
        }
        if (AtEnd()) {
            Error(rxmsg::UnmatchedPar);
        }
        CharNext();
        FGroupName = name;
        FToken = tkGoSubName;
        break;
    }
    case u'+':
    case u'-':
        if (c == u'-' && !(FP + 1 < FLastP && IsDigitChar(FP[1]))) {
            ReadInlineOptions();
            break;
        }
        CharNext();
        if (!ReadNumber(n)) {
            Error(rxmsg::GroupNumberEmpty);
        }
        if (Cur() != u')' || AtEnd()) {
            Error(rxmsg::UnmatchedPar);
        }
        CharNext();
        FToken = tkGoSubRelative;
        FMin = c == u'-' ? -n : n;
        break;
    case u'R':
        CharNext();
        if (Cur() != u')' || AtEnd()) {
            Error(rxmsg::UnmatchedPar);
        }
        CharNext();
        FToken = tkGoSub;
        FMin = 0;
        break;
    case u'#':
        while (!AtEnd() && *FP != u')') {
            ++FP;
        }
        if (AtEnd()) {
            Error(rxmsg::UnmatchedPar);
        }
        CharNext();
        return rrAgain;
    case u')':
        FToken = tkEmpty;
        CharNext();
        break;
    case u'|':
        FToken = tkBranchReset;
        CharNext();
        break;
    case u'(': {
        const char16_t* inner = FP;
        CharNext();
        const char16_t d = AtEnd() ? 0 : *FP;
        if (IsDigitChar(d)) {
            ReadNumber(n);
            if (Cur() != u')' || AtEnd()) {
                Error(rxmsg::NotRecognized, u"...)");
            }
            CharNext();
            FToken = tkIfMatchRef;
            FMin = n;
        } else if (d == u'<' || d == u'\'') {
            CharNext();
            FGroupName = ReadGroupName(d == u'<' ? u'>' : u'\'');
            if (Cur() != u')' || AtEnd()) {
                Error(rxmsg::UnmatchedPar);
            }
            CharNext();
            FToken = tkIfMatchRef;
        } else {
            FP = inner;
            FToken = tkIfMatch;
        }
        break;
    }
    default:
        if (c >= u'0' && c <= u'9') {
            ReadNumber(n);
            if (Cur() != u')' || AtEnd()) {
                Error(rxmsg::UnmatchedPar);
            }
            CharNext();
            FToken = tkGoSub;
            FMin = n;
        } else if (c == u'i' || c == u'k' || c == u'm' || c == u'n' || c == u's' || c == u'w' ||
                   c == u'x') {
            ReadInlineOptions();
        } else {
            Error(rxmsg::NotRecognized);
        }
        break;
    }
    return rrToken;
}

void TRELex::ReadInlineOptions() {
    FNewOptions = FOptions;
    bool any = false;
    for (;;) {
        if (AtEnd()) {
            Error(rxmsg::OptionNotCompleted);
        }
        char16_t c = *FP;
        if (any && (c == u')' || c == u':')) {
            FToken = c == u')' ? tkOption : tkLParWithOption;
            CharNext();
            return;
        }
        bool negative = false;
        if (c == u'-') {
            negative = true;
            CharNext();
            if (AtEnd()) {
                Error(rxmsg::OptionNotCompleted);
            }
            c = *FP;
        }
        TREOption option = roNone;
        switch (c) {
        case u'i':
            option = roIgnoreCase;
            break;
        case u'k':
            option = roIgnoreKana;
            break;
        case u'm':
            option = roMultiLine;
            break;
        case u'n':
            option = roNamedGroupOnly;
            break;
        case u's':
            option = roSingleLine;
            break;
        case u'w':
            option = roIgnoreWidth;
            break;
        case u'x':
            option = roExtended;
            break;
        default:
            Error(rxmsg::NotRecognized);
        }
        if (negative) {
            FNewOptions &= static_cast<TREOptions>(~OptionBit(option));
        } else {
            FNewOptions |= OptionBit(option);
        }
        any = true;
        CharNext();
    }
}

void TRELex::ReadClassMember() {
    const char16_t* memberStart = FP;
    if (*FP == u'\\') {
        ReadEscape(true);
    } else if (*FP == u'[' && FP + 1 < FLastP && FP[1] == u':') {
        ReadPosixBracket();
        return;
    } else {
        int len = 0;
        SetChar(ReadCodePoint(FP, FLastP, len));
        CharNext(len);
    }
    if (FToken != tkChar || AtEnd() || *FP != u'-') {
        return;
    }
    const char16_t* after = FP + 1;
    if (HasOption(FOptions, roExtended)) {
        while (after < FLastP && IsBlank(*after)) {
            ++after;
        }
    }
    if (after >= FLastP || *after == u']') {
        return;
    }
    const char32_t start = FWChar;
    CharNext();
    char32_t last = 0;
    if (*FP == u'\\') {
        ReadEscape(true);
        if (FToken != tkChar) {
            ErrorAt(rxmsg::InvalidRange, std::u16string(memberStart, FP),
                    static_cast<int>(FP - FTopP));
        }
        last = FWChar;
    } else {
        int len = 0;
        last = ReadCodePoint(FP, FLastP, len);
        CharNext(len);
    }
    if (last < start) {
        // Marked at the range's last character.
        ErrorAt(rxmsg::InvalidRange, std::u16string(memberStart, FP), static_cast<int>(FP - FTopP));
    }
    FToken = tkRangeChar;
    FStartWChar = start;
    FLastWChar = last;
    FWChar = last;
}

void TRELex::ReadPosixBracket() {
    CharNext(2);
    bool negative = false;
    if (Cur() == u'^' && !AtEnd()) {
        negative = true;
        CharNext();
    }
    std::u16string name;
    while (!AtEnd() && *FP != u':') {
        name.push_back(*FP);
        CharNext();
    }
    if (AtEnd()) {
        Error(rxmsg::UnmatchedBracket);
    }
    CharNext();
    if (AtEnd() || *FP != u']') {
        Error(rxmsg::UnmatchedBracket);
    }
    const auto* it = std::find_if(std::begin(kPosixNames), std::end(kPosixNames),
                                  [&](const TPosixName& p) { return name == p.Name; });
    if (it == std::end(kPosixNames)) {
        ErrorWithArg(rxmsg::PosixUnknown, name);
    }
    CharNext();
    FToken = negative ? tkNEPosixBracket : tkPosixBracket;
    FUniCodeProperty = it->Prop;
}

// ---- stepping back ----

void TRELex::Save() {
    TRELexRec& r = FPrevLex[static_cast<std::size_t>(FPrevCount)];
    r.FStored = true;
    r.FToken = FToken;
    r.FOptions = FOptions;
    r.FNewOptions = FNewOptions;
    r.FP = FP;
    r.FTokenStartP = FTokenStartP;
    r.FTopP = FTopP;
    r.FWChar = FWChar;
    r.FStartWChar = FStartWChar;
    r.FLastWChar = FLastWChar;
    r.FMin = FMin;
    r.FMax = FMax;
    r.FContext = FContext;
    r.FUniCodeProperty = FUniCodeProperty;
    r.FConvert = FConvert;
    r.FGroupName = FGroupName;
    r.FOptionList = FOptionList;
    FPrevCount = (FPrevCount + 1) % 3;
}

void TRELex::Restore(const TRELexRec& r) {
    FToken = r.FToken;
    FOptions = r.FOptions;
    FNewOptions = r.FNewOptions;
    FP = r.FP;
    FTokenStartP = r.FTokenStartP;
    FTopP = r.FTopP;
    FWChar = r.FWChar;
    FStartWChar = r.FStartWChar;
    FLastWChar = r.FLastWChar;
    FMin = r.FMin;
    FMax = r.FMax;
    FContext = r.FContext;
    FUniCodeProperty = r.FUniCodeProperty;
    FConvert = r.FConvert;
    FGroupName = r.FGroupName;
    FOptionList = r.FOptionList;
}

void TRELex::PushToken() {
    const int slot = (FPrevCount + 2) % 3;
    TRELexRec& r = FPrevLex[static_cast<std::size_t>(slot)];
    if (!r.FStored) {
        return;
    }
    Restore(r);
    r.FStored = false;
    FPrevCount = slot;
}

void TRELex::Assign(const TRELex& Source) {
    FToken = Source.FToken;
    FP = Source.FP;
    FTokenStartP = Source.FTokenStartP;
    FWChar = Source.FWChar;
    FStartWChar = Source.FStartWChar;
    FLastWChar = Source.FLastWChar;
    FMin = Source.FMin;
    FMax = Source.FMax;
    FContext = Source.FContext;
    FUniCodeProperty = Source.FUniCodeProperty;
    FConvert = Source.FConvert;
    FGroupName = Source.FGroupName;
    FOptions = Source.FOptions;
    FNewOptions = Source.FNewOptions;
    FOptionList = Source.FOptionList;
}

// ---- options ----

void TRELex::PushOptions() {
    FOptionList.push_back(FOptions);
}

void TRELex::PopOptions() {
    if (!FOptionList.empty()) {
        FOptions = FOptionList.back();
        FOptionList.pop_back();
    }
}

// ---- errors ----

int TRELex::GetCompileErrorPos() const {
    if (FTopP == FLastP) {
        return 0;
    }
    return static_cast<int>(FP - FTopP) + 1;
}

std::u16string TRELex::MarkedExpression(int Pos) const {
    if (Pos <= 0) {
        return {};
    }
    const std::u16string_view expr(FTopP, static_cast<std::size_t>(FLastP - FTopP));
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Pos), expr.size());
    std::u16string out(expr.substr(0, n));
    out += u" <-- ";
    out += expr.substr(n);
    return out;
}

void TRELex::Error(std::u16string_view Resource, std::u16string_view Suffix) const {
    const char16_t* tokenEnd = FLastP;
    if (FP < FLastP) {
        int len = 0;
        ReadCodePoint(FP, FLastP, len);
        tokenEnd = FP + len;
    }
    std::u16string text;
    if (FTokenStartP < tokenEnd) {
        text.assign(FTokenStartP, tokenEnd);
        text += Suffix;
    }
    const int pos = GetCompileErrorPos();
    ERxRegExpCompile e(FormatMessage(Resource, text) + u"; " + MarkedExpression(pos));
    e.ErrorPos = pos;
    throw e;
}

void TRELex::ErrorWithArg(std::u16string_view Resource, std::u16string_view Arg) const {
    ErrorAt(Resource, Arg, GetCompileErrorPos());
}

void TRELex::ErrorAt(std::u16string_view Resource, std::u16string_view Arg, int Pos) const {
    ERxRegExpCompile e(FormatMessage(Resource, Arg) + u"; " + MarkedExpression(Pos));
    e.ErrorPos = Pos;
    throw e;
}
