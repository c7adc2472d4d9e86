// TRxRegExp, the engine's facade: expression, options, input and results. It owns the leaf
// codes, the syntax-tree nodes of a compilation and the group table. Receives the expression and
// options from its user; guarantees that a compilation either succeeds or raises
// ERxRegExpCompile and leaves the object not compiled.
//
// The members marked as engine state are shared with the lexer, the parser, the codes and the
// matcher, which work on them directly; the program uses the properties.
#pragma once

#include "regex/bin_code.h"
#include "regex/code.h"
#include "regex/errors.h"
#include "regex/groups.h"
#include "regex/options.h"

#include <memory>
#include <string>
#include <vector>

using TRECharTypeFunc = bool (*)(char32_t);

enum TRELexMode : std::uint8_t { lmTraditionalNFA, lmDFA, lmTompsonNFA, lmHibrid };

class TRxRegExp {
public:
    TRxRegExp();
    ~TRxRegExp();
    TRxRegExp(const TRxRegExp&) = delete;
    TRxRegExp& operator=(const TRxRegExp&) = delete;

    const std::u16string& Expression() const { return FExpression; }
    void SetExpression(const std::u16string& Value);
    TREOptions Options() const { return FOptions; }
    void SetOptions(TREOptions Value);
    bool GetOption(TREOption o) const { return HasOption(FOptions, o); }
    void SetOption(TREOption o, bool Value);
    bool DefinedCharClassLegacy() const { return GetOption(roDefinedCharClassLegacy); }
    void SetDefinedCharClassLegacy(bool Value);
    TRELexMode LexMode() const { return FLexMode; }
    void SetLexMode(TRELexMode Value);
    bool Compiled() const { return FCompiled; }

    // Parses the expression when not compiled.
    void Compile();
    int GroupCount() const { return FGroups.Count() - 1; }
    TREGroupCollection& Groups() { return FGroups; }
    const TREGroupCollection& Groups() const { return FGroups; }

    // Sets the text the codes test; the match range becomes the whole text.
    void SetInputString(const std::u16string& Value);
    const std::u16string& InputString() const { return FInputString; }

    // ---- engine state ----
    TRECode* AddCode(std::unique_ptr<TRECode> ACode);
    TREBinCode* AddBinCode(std::unique_ptr<TREBinCode> ACode);
    void ClearCodes();

    TRECode* FCode = nullptr;
    std::vector<std::unique_ptr<TRECode>> FCodeList;
    std::vector<std::unique_ptr<TREBinCode>> FBinCodeList;
    bool FCompiled = false;
    const char16_t* FTextTopP = nullptr;
    const char16_t* FTextEndP = nullptr;
    const char16_t* FMatchTopP = nullptr;
    const char16_t* FMatchEndP = nullptr;
    const char16_t* FGlobalStartP = nullptr;
    const char16_t* FGlobalEndP = nullptr;
    TREGroupCollection FGroups;
    std::u16string FInputString;
    std::u16string FExpression;
    TREOptions FOptions = 0;
    TRELexMode FLexMode = lmTraditionalNFA;
    TRECharTypeFunc IsWord;
    TRECharTypeFunc IsDigit;
    TRECharTypeFunc IsSpace;

private:
    void SetCharTypeFuncs();
};
