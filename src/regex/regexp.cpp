// The facade: properties, compilation and the engine state the stages share.
#include "regex/regexp.h"

#include "regex/parser.h"
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

TRxRegExp::TRxRegExp() : FGroups(this) {
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

void TRxRegExp::Compile() {
    if (FCompiled) {
        return;
    }
    ClearCodes();
    FGroups.Clear();
    TREParser parser(*this, FExpression);
    parser.Parse();
    SetCharTypeFuncs();
    FCompiled = true;
}

void TRxRegExp::SetInputString(const std::u16string& Value) {
    FInputString = Value;
    FTextTopP = FInputString.data();
    FTextEndP = FTextTopP + FInputString.size();
    FMatchTopP = FTextTopP;
    FMatchEndP = FTextEndP;
    FGlobalStartP = FTextTopP;
    FGlobalEndP = FTextTopP;
    FGroups.Reset();
}
