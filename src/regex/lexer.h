// TRELex turns the text of an expression into tokens for the parser. Receives the expression
// (which must stay alive and unchanged while the lexer exists) and the engine whose options and
// group table it reads. Guarantees: it never reads outside the expression (an embedded NUL is
// an ordinary character); every malformed construct raises ERxRegExpCompile with the composed
// message; literal characters outside a class come folded by the options in force; it can step
// back over the last three tokens; reading a token never recurses, however many comments or
// quotations follow one another.
#pragma once

#include "regex/options.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TRxRegExp;

enum TREToken : std::uint8_t {
    tkEnd,
    tkChar,
    tkUnion,
    tkQuest,
    tkDot,
    tkRangeChar,
    tkLHead,
    tkLTail,
    tkEmpty,
    tkLPar,
    tkRPar,
    tkStar,
    tkPlus,
    tkBound,
    tkCharClassFirst,
    tkNegativeCharClassFirst,
    tkCharClassEnd,
    tkGroupBegin,
    tkReference,
    tkReferenceRelative,
    tkNamedReference,
    tkAheadMatch,
    tkAheadNoMatch,
    tkBehindMatch,
    tkBehindNoMatch,
    tkNoBackTrack,
    tkLParWithOption,
    tkWordChar,
    tkNEWordChar,
    tkDigitChar,
    tkNEDigitChar,
    tkHexDigitChar,
    tkNEHexDigitChar,
    tkSpaceChar,
    tkNESpaceChar,
    tkNewLine,
    tkTHead,
    tkTTail,
    tkTTailEnd,
    tkWordBoundary,
    tkNEWordBoundary,
    tkOption,
    tkHorizontalSpaceChar,
    tkNEHorizontalSpaceChar,
    tkVerticalSpaceChar,
    tkNEVerticalSpaceChar,
    tkLineBreak,
    tkPosixBracket,
    tkNEPosixBracket,
    tkCombiningSequence,
    tkProperty,
    tkNEProperty,
    tkGoSub,
    tkGoSubName,
    tkGoSubRelative,
    tkIfMatch,
    tkIfMatchRef,
    tkGlobalPos,
    tkKeepPattern,
    tkBranchReset,
};

enum TREContextKind : std::uint8_t {
    ctNormal,
    ctCharClass,
    ctNegativeCharClass,
    ctQuote,
};

struct TRELexRec {
    bool FStored = false;
    TREToken FToken = tkEnd;
    TREOptions FOptions = 0;
    TREOptions FNewOptions = 0;
    const char16_t* FP = nullptr;
    const char16_t* FTokenStartP = nullptr;
    const char16_t* FTopP = nullptr;
    char32_t FWChar = 0;
    char32_t FStartWChar = 0;
    char32_t FLastWChar = 0;
    int FMin = 0;
    int FMax = 0;
    TREContextKind FContext = ctNormal;
    std::uint16_t FUniCodeProperty = 0;
    bool FConvert = false;
    std::u16string FGroupName;
    std::vector<TREOptions> FOptionList;
};

class TRELex {
public:
    TRELex(TRxRegExp& ARegExp, std::u16string_view Expression);

    // Reads the next token. Unless Skip, the current state is first saved for PushToken.
    void GetToken(bool Skip = false);
    // Steps back to the state before the most recent GetToken (up to three times).
    void PushToken();
    void Assign(const TRELex& Source);

    // 1-based index of the character at the read position; 0 without an expression.
    int GetCompileErrorPos() const;
    // Raises ERxRegExpCompile: resource formatted with the token text (plus suffix when the
    // text is not empty), then the expression marked at the read position.
    [[noreturn]] void Error(std::u16string_view Resource,
                            std::u16string_view Suffix = u"...") const;
    // The same with Arg in place of the token text.
    [[noreturn]] void ErrorWithArg(std::u16string_view Resource, std::u16string_view Arg) const;
    // Raises with the expression marked at a recorded 1-based position.
    [[noreturn]] void ErrorAt(std::u16string_view Resource, std::u16string_view Arg, int Pos) const;

    void PushOptions();
    void PopOptions();
    void ApplyNewOptions() { FOptions = FNewOptions; }

    TREToken Token() const { return FToken; }
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    TREOptions Options() const { return FOptions; }
    TREOptions NewOptions() const { return FNewOptions; }
    char32_t WChar() const { return FWChar; }
    char32_t StartWChar() const { return FStartWChar; }
    char32_t LastWChar() const { return FLastWChar; }
    std::uint16_t UnicodeProperty() const { return FUniCodeProperty; }
    bool Convert() const { return FConvert; }
    const char16_t* TokenStartP() const { return FTokenStartP; }
    const std::u16string& GroupName() const { return FGroupName; }
    TREContextKind Context() const { return FContext; }

private:
    // Outcome of one attempt to read a token: a token, or nothing (a comment, \Q, \E) so that
    // reading goes on.
    enum TReadResult { rrToken, rrAgain };

    void Save();
    void Restore(const TRELexRec& r);
    TReadResult ReadToken();
    TReadResult ReadNormal();
    TReadResult ReadEscape(bool InClass);
    TReadResult ReadGroupOpener();
    void ReadInlineOptions();
    void ReadBound();
    void ReadProperty(bool Negative);
    void ReadClassMember();
    void ReadPosixBracket();
    void ReadDelimitedReference(char16_t Close, bool IsCall);
    std::u16string ReadGroupName(char16_t Close);

    bool AtEnd() const { return FP >= FLastP; }
    char16_t Cur() const { return FP < FLastP ? *FP : 0; }
    bool IsBlank(char16_t c) const { return c == 9 || c == 10 || c == 13 || c == 32; }
    bool IsDigitChar(char16_t c) const { return c >= u'0' && c <= u'9'; }
    void SkipBlanks();
    void CharNext(int Len = 1);
    // Reads a decimal number (saturating); false when no digit stands at the read position.
    bool ReadNumber(int& Value);
    int ReadOctal(int MaxDigits);
    void SetChar(char32_t c) {
        FToken = tkChar;
        FWChar = c;
    }
    void SetFoldedChar();
    std::u16string MarkedExpression(int Pos) const;

    TRxRegExp& FRegExp;
    TREToken FToken = tkEnd;
    const char16_t* FP;
    const char16_t* FTokenStartP;
    const char16_t* FTopP;
    const char16_t* FLastP;
    char32_t FWChar = 0;
    char32_t FStartWChar = 0;
    char32_t FLastWChar = 0;
    int FMin = 0;
    int FMax = 0;
    TREContextKind FContext = ctNormal;
    std::uint16_t FUniCodeProperty = 0;
    bool FConvert = false;
    std::u16string FGroupName;
    TREOptions FOptions;
    TREOptions FNewOptions = 0;
    std::vector<TREOptions> FOptionList;
    std::array<TRELexRec, 3> FPrevLex;
    int FPrevCount = 0;
};
