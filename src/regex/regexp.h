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
#include "regex/matcher.h"
#include "regex/nfa.h"
#include "regex/options.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TRECharTypeFunc = bool (*)(char32_t);
class TRxRegExp;
using TNotifyEvent = std::function<void(TRxRegExp& Sender)>;
using TRxRegExpReplaceFunction = std::function<std::u16string(TRxRegExp& ARegExp)>;

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

    static constexpr const char* Version = "1.1.16";

    // Compiles the expression when not compiled.
    void Compile();
    bool Exec(const std::u16string& AInputStr);
    bool ExecNext();
    bool ExecPos(int AOffset = 1, int AMaxLength = 0);
    bool Success() const { return FSuccess; }
    int MatchPos(int Index) const;
    int MatchLen(int Index) const;
    std::u16string Substitute(const std::u16string& ATemplate);
    // A replacement template with its escapes (\n, \t, ...) read, ready for Substitute.
    std::u16string DecodeTemplate(const std::u16string& ATemplate) const;
    std::u16string Replace(const std::u16string& Input, const std::u16string& Replacement,
                           int Count = 0, int AOffset = 1);
    std::u16string Replace(const std::u16string& Input,
                           const TRxRegExpReplaceFunction& AReplaceFunc, int Count = 0,
                           int AOffset = 1);
    void Split(const std::u16string& Input, std::vector<std::u16string>& APieces, int Count = 0,
               int AOffset = 1);

    bool IgnoreCase() const { return GetOption(roIgnoreCase); }
    void SetIgnoreCase(bool v) { SetOption(roIgnoreCase, v); }
    bool MultiLine() const { return GetOption(roMultiLine); }
    void SetMultiLine(bool v) { SetOption(roMultiLine, v); }
    bool NamedGroupOnly() const { return GetOption(roNamedGroupOnly); }
    void SetNamedGroupOnly(bool v) { SetOption(roNamedGroupOnly, v); }
    bool SingleLine() const { return GetOption(roSingleLine); }
    void SetSingleLine(bool v) { SetOption(roSingleLine, v); }
    bool Extended() const { return GetOption(roExtended); }
    void SetExtended(bool v) { SetOption(roExtended, v); }
    // Kept for the option dialogs that publish it; it has no option bit and changes nothing.
    bool BackwardCompatible() const { return FBackwardCompatible; }
    void SetBackwardCompatible(bool v) { FBackwardCompatible = v; }
    bool IgnoreWidth() const { return GetOption(roIgnoreWidth); }
    void SetIgnoreWidth(bool v) { SetOption(roIgnoreWidth, v); }
    bool IgnoreKana() const { return GetOption(roIgnoreKana); }
    void SetIgnoreKana(bool v) { SetOption(roIgnoreKana, v); }
    bool IgnoreZenHan() const { return IgnoreWidth() && IgnoreKana(); }
    void SetIgnoreZenHan(bool v) {
        SetIgnoreWidth(v);
        SetIgnoreKana(v);
    }
    const std::u16string& EOL() const { return FEOL; }
    void SetEOL(const std::u16string& Value);
    TNotifyEvent OnMatch;
    int GroupCount() const { return FGroups.Count() - 1; }
    TREGroupCollection& Groups() { return FGroups; }
    const TREGroupCollection& Groups() const { return FGroups; }

    // Sets the text the codes test; the match range becomes the whole text.
    void SetInputString(const std::u16string& Value);
    // The same without a copy: the text is read where it lies, and must stay
    // alive and unchanged until the next input is set.
    void SetInputView(std::u16string_view Value);
    std::u16string_view InputString() const {
        return {FTextTopP, static_cast<std::size_t>(FTextEndP - FTextTopP)};
    }

    // ---- engine state ----
    TRECode* AddCode(std::unique_ptr<TRECode> ACode);
    TREBinCode* AddBinCode(std::unique_ptr<TREBinCode> ACode);
    void ClearCodes();
    void ClearAutomaton();

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
    // The automaton: FStateList[i] heads the chain of state i; FTransitions owns them all.
    std::vector<TRENFAState*> FStateList;
    std::vector<std::unique_ptr<TRENFAState>> FTransitions;
    int FEntryState = -1;
    int FExitState = -1;
    TRECharTypeFunc IsWord;
    TRECharTypeFunc IsDigit;
    TRECharTypeFunc IsSpace;
    TREMatchEngine FMatchEngine;
    bool FSuccess = false;
    std::u16string FEOL = u"\r\n";
    bool FHasInput = false;
    bool FBackwardCompatible = false;

private:
    bool RunFrom(const char16_t* Start);
    void SetCharTypeFuncs();
    void AttachInput(const char16_t* Top, std::size_t Length);
};
