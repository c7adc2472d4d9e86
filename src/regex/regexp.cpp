// The facade: properties, compilation and the engine state the stages share.
#include "regex/regexp.h"

#include "regex/messages.h"
#include "regex/nfa.h"
#include "regex/parser.h"
#include "regex/text_services.h"
#include "regex/unicode_props.h"

namespace {

bool LegacyIsWord(char32_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || c == u'_' ||
           (c >= u'a' && c <= u'z');
}
bool LegacyIsDigit(char32_t c) {
    return c >= u'0' && c <= u'9';
}
bool LegacyIsSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20;
}

} // namespace

TRxRegExp::TRxRegExp() : FGroups(this), FMatchEngine(*this) {
    SetCharTypeFuncs();
    SetInputString(std::u16string());
}

TRxRegExp::~TRxRegExp() = default;

void TRxRegExp::SetCharTypeFuncs() {
    const bool legacy = HasOption(FOptions, roDefinedCharClassLegacy);
    IsWord = legacy ? LegacyIsWord : ::IsWord;
    IsDigit = legacy ? LegacyIsDigit : ::IsDigit;
    IsSpace = legacy ? LegacyIsSpace : ::IsSpace;
}

void TRxRegExp::SetExpression(const std::u16string& Value) {
    if (Value != FExpression) {
        FExpression = Value;
        FCompiled = false;
    }
}

void TRxRegExp::SetOptions(TREOptions Value) {
    FOptions = Value;
    FCompiled = false;
    SetCharTypeFuncs();
}

void TRxRegExp::SetOption(TREOption o, bool Value) {
    if (GetOption(o) != Value) {
        SetOptions(Value ? (FOptions | OptionBit(o)) : (FOptions & ~OptionBit(o)));
    }
}

void TRxRegExp::SetDefinedCharClassLegacy(bool Value) {
    SetOption(roDefinedCharClassLegacy, Value);
}

void TRxRegExp::SetLexMode(TRELexMode Value) {
    if (Value != FLexMode) {
        FLexMode = Value;
        FCompiled = false;
    }
}

TRECode* TRxRegExp::AddCode(std::unique_ptr<TRECode> ACode) {
    FCodeList.push_back(std::move(ACode));
    return FCodeList.back().get();
}

TREBinCode* TRxRegExp::AddBinCode(std::unique_ptr<TREBinCode> ACode) {
    FBinCodeList.push_back(std::move(ACode));
    return FBinCodeList.back().get();
}

void TRxRegExp::ClearCodes() {
    FCode = nullptr;
    FBinCodeList.clear();
    FCodeList.clear();
}

void TRxRegExp::ClearAutomaton() {
    FStateList.clear();
    FTransitions.clear();
    FEntryState = -1;
    FExitState = -1;
}

void TRxRegExp::Compile() {
    if (FCompiled) {
        return;
    }
    ClearCodes();
    FGroups.Clear();
    ClearAutomaton();
    TREParser parser(*this, FExpression);
    parser.Parse();
    SetCharTypeFuncs();
    TRENFA nfa(*this);
    nfa.Compile();
    FMatchEngine.Optimize();
    FCompiled = true;
}

void TRxRegExp::SetInputString(const std::u16string& Value) {
    FInputString = Value;
    AttachInput(FInputString.data(), FInputString.size());
}

void TRxRegExp::SetInputView(std::u16string_view Value) {
    FInputString.clear();
    AttachInput(Value.data(), Value.size());
}

void TRxRegExp::AttachInput(const char16_t* Top, std::size_t Length) {
    FTextTopP = Top;
    FTextEndP = Top + Length;
    FMatchTopP = FTextTopP;
    FMatchEndP = FTextEndP;
    FGlobalStartP = FTextTopP;
    FGlobalEndP = FTextTopP;
    FGroups.Reset();
    FSuccess = false;
    FHasInput = true;
    FMatchEngine.ResetMemo();
}

void TRxRegExp::SetEOL(const std::u16string& Value) {
    if (Value != FEOL) {
        FEOL = Value;
        FCompiled = false;
    }
    if (Value.size() > 2) {
        throw ERxRegExpRuntime(u"EOL Range over");
    }
}

bool TRxRegExp::RunFrom(const char16_t* Start) {
    FSuccess = Start <= FMatchEndP && FMatchEngine.Match(Start);
    if (FSuccess) {
        FGlobalStartP = FGroups[0].StartP();
        FGlobalEndP = FGroups[0].EndP();
        if (OnMatch) {
            OnMatch(*this);
        }
    } else {
        FGlobalStartP = FMatchTopP;
        FGlobalEndP = FMatchTopP;
    }
    return FSuccess;
}

bool TRxRegExp::Exec(const std::u16string& AInputStr) {
    Compile();
    SetInputString(AInputStr);
    return RunFrom(FMatchTopP);
}

bool TRxRegExp::ExecNext() {
    if (!FCompiled) {
        throw ERxRegExpRuntime(u"Exec function not call");
    }
    if (!FSuccess) {
        return false;
    }
    const char16_t* start = FGlobalEndP;
    if (FGlobalStartP == FGlobalEndP) {
        ++start; // an empty match: the next search starts one unit further
    }
    if (start > FMatchEndP) {
        FSuccess = false;
        return false;
    }
    return RunFrom(start);
}

bool TRxRegExp::ExecPos(int AOffset, int AMaxLength) {
    if (AOffset < 1 || !FHasInput) {
        return false;
    }
    Compile();
    const std::ptrdiff_t length = FTextEndP - FTextTopP;
    if (AOffset - 1 > length) {
        FSuccess = false;
        return false;
    }
    const char16_t* start = FTextTopP + (AOffset - 1);
    if (AOffset > 1 && start < FTextEndP && !FEOL.empty()) {
        if (*start == FEOL[0]) {
            ++start;
            if (FEOL.size() == 2 && start < FTextEndP && *start == FEOL[1]) {
                ++start;
            }
        } else if ((FEOL.size() == 2 && *start == FEOL[1]) || IsLineBreakChar(*start)) {
            ++start;
        }
    }
    if (AMaxLength < 1) {
        FMatchTopP = FTextTopP;
        FMatchEndP = FTextEndP;
    } else {
        FMatchTopP = start;
        FMatchEndP = FTextEndP - start > AMaxLength ? start + AMaxLength : FTextEndP;
    }
    return RunFrom(start);
}

int TRxRegExp::MatchPos(int Index) const {
    return Index >= 0 && Index < FGroups.Count() ? FGroups[Index].Index() : 0;
}

int TRxRegExp::MatchLen(int Index) const {
    return Index >= 0 && Index < FGroups.Count() ? FGroups[Index].Length() : 0;
}

namespace {

int OctalDigit(char16_t c) {
    return c >= u'0' && c <= u'7' ? c - u'0' : -1;
}

int HexDigit(char16_t c) {
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

} // namespace

std::u16string TRxRegExp::DecodeTemplate(const std::u16string& ATemplate) const {
    std::u16string out;
    const std::size_t n = ATemplate.size();
    auto fail = [&](const char16_t* resource, std::size_t upTo) {
        std::u16string text = ATemplate.substr(0, std::min(upTo + 1, n));
        text += u" <-- ";
        throw ERxRegExp(FormatMessage(resource, text));
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = ATemplate[i];
        if (c != u'\\' || i + 1 >= n) {
            out.push_back(c);
            continue;
        }
        const char16_t e = ATemplate[++i];
        switch (e) {
        case u'0':
        case u'1':
        case u'2':
        case u'3': {
            int v = 0;
            int digits = 0;
            while (digits < 3 && i < n && OctalDigit(ATemplate[i]) >= 0) {
                v = v * 8 + OctalDigit(ATemplate[i]);
                ++i;
                ++digits;
            }
            --i;
            out.push_back(static_cast<char16_t>(v));
            break;
        }
        case u'a':
            out.push_back(7);
            break;
        case u'e':
            out.push_back(27);
            break;
        case u'f':
            out.push_back(12);
            break;
        case u'n':
            out.push_back(10);
            break;
        case u'r':
            out.push_back(13);
            break;
        case u't':
            out.push_back(9);
            break;
        case u'c': {
            if (i + 1 >= n) {
                break;
            }
            char16_t x = ATemplate[++i];
            if (x == u'\\') {
                if (i + 1 >= n || ATemplate[i + 1] != u'\\') {
                    fail(rxmsg::InvalidEscape, i);
                }
                ++i;
            }
            if (x >= u'a' && x <= u'z') {
                x = static_cast<char16_t>(x - 32);
            }
            if (x >= 0x40 && x <= 0x5F) {
                out.push_back(static_cast<char16_t>(x ^ 0x40));
            }
            break;
        }
        case u'x': {
            char32_t v = 0;
            if (i + 1 < n && ATemplate[i + 1] == u'{') {
                i += 2;
                int digits = 0;
                while (true) {
                    if (i < n && ATemplate[i] == u'}') {
                        break;
                    }
                    if (digits == 6) {
                        fail(rxmsg::UnmatchedBrace, i);
                    }
                    const int h = i < n ? HexDigit(ATemplate[i]) : -1;
                    if (h < 0) {
                        fail(rxmsg::HexDigitRequired, i);
                    }
                    v = v * 16 + static_cast<char32_t>(h);
                    ++digits;
                    ++i;
                }
                if (v > 0x10FFFF) {
                    fail(rxmsg::CodepointRange, i);
                }
            } else {
                for (int k = 0; k < 2; ++k) {
                    ++i;
                    const int h = i < n ? HexDigit(ATemplate[i]) : -1;
                    if (h < 0) {
                        fail(rxmsg::HexDigitRequired, i);
                    }
                    v = v * 16 + static_cast<char32_t>(h);
                }
            }
            AppendCodePoint(out, v);
            break;
        }
        default:
            out.push_back(e);
            break;
        }
    }
    return out;
}

std::u16string TRxRegExp::Substitute(const std::u16string& ATemplate) {
    std::u16string out;
    if (ATemplate.empty() || !FSuccess) {
        return out;
    }
    auto capture = [&](int index) {
        if (index >= 0 && index < FGroups.Count() && FGroups[index].Matched()) {
            out += FGroups[index].Strings();
        }
    };
    const std::size_t n = ATemplate.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = ATemplate[i];
        if (c != u'$') {
            out.push_back(c);
            continue;
        }
        if (i + 1 >= n) {
            out.push_back(u'$'); // a single $ at the end stands for itself
            break;
        }
        const char16_t d = ATemplate[++i];
        if (d >= u'0' && d <= u'9') {
            if (d - u'0' <= GroupCount()) {
                capture(d - u'0');
            }
        } else if (d == u'{') {
            const std::size_t close = ATemplate.find(u'}', i + 1);
            const std::size_t end = close == std::u16string::npos ? n : close;
            capture(FGroups.IndexOfMatchedName(ATemplate.substr(i + 1, end - i - 1)));
            i = end;
        } else if (d == u'&') {
            capture(0);
        } else if (d == u'`') {
            out.append(FTextTopP, FGroups[0].StartP());
        } else if (d == u'\'') {
            out.append(FGroups[0].EndP(), FTextEndP);
        } else if (d == u'_') {
            out.append(FTextTopP, FTextEndP);
        } else if (d == u'+') {
            for (int g = GroupCount(); g >= 1; --g) {
                if (FGroups[g].Matched()) {
                    capture(g);
                    break;
                }
            }
        } else {
            out.push_back(d); // $$ and $ before any other character
        }
    }
    return out;
}

std::u16string TRxRegExp::Replace(const std::u16string& Input, const std::u16string& Replacement,
                                  int Count, int AOffset) {
    const std::u16string decoded = DecodeTemplate(Replacement);
    return Replace(
        Input, [&](TRxRegExp& re) { return re.Substitute(decoded); }, Count, AOffset);
}

std::u16string TRxRegExp::Replace(const std::u16string& Input,
                                  const TRxRegExpReplaceFunction& AReplaceFunc, int Count,
                                  int AOffset) {
    Compile();
    SetInputString(Input);
    std::u16string out;
    const char16_t* last = FTextTopP;
    int replaced = 0;
    bool found = ExecPos(AOffset, 0);
    while (found) {
        if (FGlobalEndP != FGlobalStartP) {
            if (Count > 0 && replaced >= Count) {
                break;
            }
            out.append(last, FGlobalStartP);
            if (AReplaceFunc) {
                out += AReplaceFunc(*this);
            }
            last = FGlobalEndP;
            ++replaced;
        }
        found = ExecNext();
    }
    out.append(last, FTextEndP);
    return out;
}

void TRxRegExp::Split(const std::u16string& Input, std::vector<std::u16string>& APieces, int Count,
                      int AOffset) {
    APieces.clear();
    Compile();
    SetInputString(Input);
    const char16_t* last = FTextTopP;
    bool found = ExecPos(AOffset, 0);
    while (found) {
        if (FGlobalEndP != FGlobalStartP) {
            if (Count > 0 && static_cast<int>(APieces.size()) >= Count - 1) {
                break;
            }
            APieces.emplace_back(last, FGlobalStartP);
            last = FGlobalEndP;
        }
        found = ExecNext();
    }
    APieces.emplace_back(last, FTextEndP);
}
