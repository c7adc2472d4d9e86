#include "codepage/JapaneseTextModel.h"

#include "codepage/JapaneseTables.h"

namespace quillo::codepage {
namespace {

enum Kind {
    kAlnum,
    kSpace,
    kBreak,
    kPunct,
    kControl,
    kHiragana,
    kKatakana,
    kJaPunct,
    kKanji1,
    kKanji2,
    kFullwidth,
    kHalfKana,
    kHalfPunct,
    kSymbol,
    kExtension,
    kLatin,
    kOtherBmp,
    kInvalid,
    kPair,
    kKinds
};

// ln(prior of the kind / number of its characters).
constexpr double kCost[kKinds] = {
    -5.7,  // ASCII letters and digits
    -2.8,  // space
    -4.2,  // CR, LF
    -6.5,  // ASCII punctuation, tab
    -18.0, // other controls, NUL
    -5.7,  // hiragana
    -6.6,  // katakana
    -5.8,  // Japanese punctuation
    -9.6,  // kanji, JIS level 1
    -13.5, // kanji, JIS level 2
    -9.0,  // full-width ASCII
    -5.3,  // half-width katakana
    -8.0,  // half-width punctuation
    -11.5, // other JIS symbols
    -16.0, // vendor extensions, private use
    -10.0, // Latin-1
    -18.0, // any other BMP character
    -25.0, // undecodable byte, lone surrogate
    -15.0, // beyond the BMP
};

constexpr double kRunBonus = 0.8;

int kindOf(char16_t u) {
    if (u < 0x80) {
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) {
            return kAlnum;
        }
        if (u == ' ') {
            return kSpace;
        }
        if (u == '\r' || u == '\n') {
            return kBreak;
        }
        if (u == '\t' || (u > ' ' && u < 0x7F)) {
            return kPunct;
        }
        return kControl;
    }
    if (u >= 0x3041 && u <= 0x309E) {
        return kHiragana;
    }
    if ((u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC || u == 0x30FD || u == 0x30FE) {
        return kKatakana;
    }
    if ((u >= 0x3000 && u <= 0x3015) || u == 0x30FB || u == 0xFF08 || u == 0xFF09 || u == 0xFF0C ||
        u == 0xFF0E || u == 0xFF1A || u == 0xFF1F || u == 0xFF01) {
        return kJaPunct;
    }
    if (u >= 0xFF66 && u <= 0xFF9F) {
        return kHalfKana;
    }
    if (u >= 0xFF61 && u <= 0xFF65) {
        return kHalfPunct;
    }
    if (u >= 0xFF01 && u <= 0xFF5E) {
        return kFullwidth;
    }
    if (u >= 0xD800 && u < 0xE000) {
        return kInvalid; // a pair is scored by the caller
    }
    if (u >= 0xE000 && u < 0xF900) {
        return kExtension;
    }
    if (u < 0x100) {
        return u >= 0xA0 ? kLatin : kControl;
    }
    const std::uint16_t code = JapaneseTables::instance().cp932Code(u);
    if (code == JapaneseTables::kNoCode) {
        return kOtherBmp;
    }
    if (code >= 0x889F && code < 0x989F) {
        return kKanji1;
    }
    if (code >= 0x989F && code <= 0xEAA4) {
        return kKanji2;
    }
    if (code < 0x889F && code >= 0x8140 && !(code >= 0x8740 && code < 0x87A0)) {
        return kSymbol;
    }
    return kExtension;
}

bool voiceable(char16_t u) {
    return u == 0xFF73 || (u >= 0xFF76 && u <= 0xFF84) || (u >= 0xFF8A && u <= 0xFF8E);
}

// Half-width spelling: marks, small kana and the long vowel follow a kana.
double halfKanaContext(char16_t u, char16_t prev, bool prevHalf) {
    if (u == 0xFF9E) {
        return prevHalf && voiceable(prev) ? 1.5 : -3.0;
    }
    if (u == 0xFF9F) {
        return prevHalf && prev >= 0xFF8A && prev <= 0xFF8E ? 1.5 : -3.0;
    }
    if ((u >= 0xFF67 && u <= 0xFF70) || u == 0xFF9D) {
        return prevHalf ? 0.0 : -2.0;
    }
    return 0.0;
}

} // namespace

void JapaneseTextModel::add(char16_t u) {
    int kind = kindOf(u);
    if (kind == kInvalid && u >= 0xDC00 && prevKind_ == kInvalid && prev_ >= 0xD800 &&
        prev_ < 0xDC00) {
        // the high surrogate before was charged as invalid; refund it as a pair
        score_ += -kCost[kInvalid] + kCost[kPair];
        --invalid_;
        prevKind_ = kPair;
        prev_ = u;
        return;
    }
    double s = kCost[kind];
    if (kind == kInvalid) {
        ++invalid_;
    } else if (kind == prevKind_ && kind != kControl) {
        s += kRunBonus;
    } else if ((kind == kKanji1 || kind == kKanji2) &&
               (prevKind_ == kKanji1 || prevKind_ == kKanji2)) {
        s += kRunBonus;
    }
    if (kind == kHalfKana) {
        s += halfKanaContext(u, prev_, prevKind_ == kHalfKana);
    }
    score_ += s;
    prevKind_ = kind;
    prev_ = u;
}

} // namespace quillo::codepage
