// Property lookups over the generated tables, and the table of property names.
#include "regex/unicode_props.h"

#include "regex/unicode_tables.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace t = quillo::regex::tables;

std::uint16_t PropValue(char32_t cp) {
    if (cp >= 0x110000) {
        return 2; // unassigned, script unKnown
    }
    const std::uint32_t block = t::kPropStage1[cp >> t::kStageShift];
    return t::kPropStage2[(block << t::kStageShift) | (cp & t::kStageMask)];
}

const char16_t* const kScriptNames[94] = {
    u"unKnown",
    u"Arabic",
    u"ImperialAramaic",
    u"Armenian",
    u"Avestan",
    u"Balinese",
    u"Bamum",
    u"Bengali",
    u"Bopomofo",
    u"Braille",
    u"Buginese",
    u"Buhid",
    u"CanadianAboriginal",
    u"Carian",
    u"Cham",
    u"Cherokee",
    u"Coptic",
    u"Cypriot",
    u"Cyrillic",
    u"Devanagari",
    u"Deseret",
    u"EgyptianHieroglyphs",
    u"Ethiopic",
    u"Georgian",
    u"Glagolitic",
    u"Gothic",
    u"Greek",
    u"Gujarati",
    u"Gurmukhi",
    u"Hangul",
    u"Han",
    u"Hanunoo",
    u"Hebrew",
    u"Hiragana",
    u"KatakanaOrHiragana",
    u"OldItalic",
    u"Javanese",
    u"KayahLi",
    u"Katakana",
    u"Kharoshthi",
    u"Khmer",
    u"Kannada",
    u"Kaithi",
    u"TaiTham",
    u"Lao",
    u"Latin",
    u"Lepcha",
    u"Limbu",
    u"LinearB",
    u"Lisu",
    u"Lycian",
    u"Lydian",
    u"Malayalam",
    u"Mongolian",
    u"MeeteiMayek",
    u"Myanmar",
    u"Nko",
    u"Ogham",
    u"OlChiki",
    u"OldTurkic",
    u"Oriya",
    u"Osmanya",
    u"PhagsPa",
    u"InscriptionalPahlavi",
    u"Phoenician",
    u"InscriptionalParthian",
    u"Rejang",
    u"Runic",
    u"Samaritan",
    u"OldSouthArabian",
    u"Saurashtra",
    u"Shavian",
    u"Sinhala",
    u"Sundanese",
    u"SylotiNagri",
    u"Syriac",
    u"Tagbanwa",
    u"TaiLe",
    u"NewTaiLue",
    u"Tamil",
    u"TaiViet",
    u"Telugu",
    u"Tifinagh",
    u"Tagalog",
    u"Thaana",
    u"Thai",
    u"Tibetan",
    u"Ugaritic",
    u"Vai",
    u"OldPersian",
    u"Cuneiform",
    u"Yi",
    u"Inherited",
    u"Common",
};
const char16_t* const kBlockNames[197] = {
    u"InBasicLatin",
    u"InLatin1Supplement",
    u"InLatinExtendedA",
    u"InLatinExtendedB",
    u"InIPAExtensions",
    u"InSpacingModifierLetters",
    u"InCombiningDiacriticalMarks",
    u"InGreekandCoptic",
    u"InCyrillic",
    u"InCyrillicSupplement",
    u"InArmenian",
    u"InHebrew",
    u"InArabic",
    u"InSyriac",
    u"InArabicSupplement",
    u"InThaana",
    u"InNKo",
    u"InSamaritan",
    u"InDevanagari",
    u"InBengali",
    u"InGurmukhi",
    u"InGujarati",
    u"InOriya",
    u"InTamil",
    u"InTelugu",
    u"InKannada",
    u"InMalayalam",
    u"InSinhala",
    u"InThai",
    u"InLao",
    u"InTibetan",
    u"InMyanmar",
    u"InGeorgian",
    u"InHangulJamo",
    u"InEthiopic",
    u"InEthiopicSupplement",
    u"InCherokee",
    u"InUnifiedCanadianAboriginalSyllabics",
    u"InOgham",
    u"InRunic",
    u"InTagalog",
    u"InHanunoo",
    u"InBuhid",
    u"InTagbanwa",
    u"InKhmer",
    u"InMongolian",
    u"InUnifiedCanadianAboriginalSyllabicsExtended",
    u"InLimbu",
    u"InTaiLe",
    u"InNewTaiLue",
    u"InKhmerSymbols",
    u"InBuginese",
    u"InTaiTham",
    u"InBalinese",
    u"InSundanese",
    u"InLepcha",
    u"InOlChiki",
    u"InVedicExtensions",
    u"InPhoneticExtensions",
    u"InPhoneticExtensionsSupplement",
    u"InCombiningDiacriticalMarksSupplement",
    u"InLatinExtendedAdditional",
    u"InGreekExtended",
    u"InGeneralPunctuation",
    u"InSuperscriptsandSubscripts",
    u"InCurrencySymbols",
    u"InCombiningDiacriticalMarksforSymbols",
    u"InLetterlikeSymbols",
    u"InNumberForms",
    u"InArrows",
    u"InMathematicalOperators",
    u"InMiscellaneousTechnical",
    u"InControlPictures",
    u"InOpticalCharacterRecognition",
    u"InEnclosedAlphanumerics",
    u"InBoxDrawing",
    u"InBlockElements",
    u"InGeometricShapes",
    u"InMiscellaneousSymbols",
    u"InDingbats",
    u"InMiscellaneousMathematicalSymbolsA",
    u"InSupplementalArrowsA",
    u"InBraillePatterns",
    u"InSupplementalArrowsB",
    u"InMiscellaneousMathematicalSymbolsB",
    u"InSupplementalMathematicalOperators",
    u"InMiscellaneousSymbolsandArrows",
    u"InGlagolitic",
    u"InLatinExtendedC",
    u"InCoptic",
    u"InGeorgianSupplement",
    u"InTifinagh",
    u"InEthiopicExtended",
    u"InCyrillicExtendedA",
    u"InSupplementalPunctuation",
    u"InCJKRadicalsSupplement",
    u"InKangxiRadicals",
    u"InIdeographicDescriptionCharacters",
    u"InCJKSymbolsandPunctuation",
    u"InHiragana",
    u"InKatakana",
    u"InBopomofo",
    u"InHangulCompatibilityJamo",
    u"InKanbun",
    u"InBopomofoExtended",
    u"InCJKStrokes",
    u"InKatakanaPhoneticExtensions",
    u"InEnclosedCJKLettersandMonths",
    u"InCJKCompatibility",
    u"InCJKUnifiedIdeographsExtensionA",
    u"InYijingHexagramSymbols",
    u"InCJKUnifiedIdeographs",
    u"InYiSyllables",
    u"InYiRadicals",
    u"InLisu",
    u"InVai",
    u"InCyrillicExtendedB",
    u"InBamum",
    u"InModifierToneLetters",
    u"InLatinExtendedD",
    u"InSylotiNagri",
    u"InCommonIndicNumberForms",
    u"InPhagspa",
    u"InSaurashtra",
    u"InDevanagariExtended",
    u"InKayahLi",
    u"InRejang",
    u"InHangulJamoExtendedA",
    u"InJavanese",
    u"InCham",
    u"InMyanmarExtendedA",
    u"InTaiViet",
    u"InMeeteiMayek",
    u"InHangulSyllables",
    u"InHangulJamoExtendedB",
    u"InHighSurrogates",
    u"InHighPrivateUseSurrogates",
    u"InLowSurrogates",
    u"InPrivateUseArea",
    u"InCJKCompatibilityIdeographs",
    u"InAlphabeticPresentationForms",
    u"InArabicPresentationFormsA",
    u"InVariationSelectors",
    u"InVerticalForms",
    u"InCombiningHalfMarks",
    u"InCJKCompatibilityForms",
    u"InSmallFormVariants",
    u"InArabicPresentationFormsB",
    u"InHalfwidthandFullwidthForms",
    u"InSpecials",
    u"InLinearBSyllabary",
    u"InLinearBIdeograms",
    u"InAegeanNumbers",
    u"InAncientGreekNumbers",
    u"InAncientSymbols",
    u"InPhaistosDisc",
    u"InLycian",
    u"InCarian",
    u"InOldItalic",
    u"InGothic",
    u"InUgaritic",
    u"InOldPersian",
    u"InDeseret",
    u"InShavian",
    u"InOsmanya",
    u"InCypriotSyllabary",
    u"InImperialAramaic",
    u"InPhoenician",
    u"InLydian",
    u"InKharoshthi",
    u"InOldSouthArabian",
    u"InAvestan",
    u"InInscriptionalParthian",
    u"InInscriptionalPahlavi",
    u"InOldTurkic",
    u"InRumiNumeralSymbols",
    u"InKaithi",
    u"InCuneiform",
    u"InCuneiformNumbersandPunctuation",
    u"InEgyptianHieroglyphs",
    u"InByzantineMusicalSymbols",
    u"InMusicalSymbols",
    u"InAncientGreekMusicalNotation",
    u"InTaiXuanJingSymbols",
    u"InCountingRodNumerals",
    u"InMathematicalAlphanumericSymbols",
    u"InMahjongTiles",
    u"InDominoTiles",
    u"InEnclosedAlphanumericSupplement",
    u"InEnclosedIdeographicSupplement",
    u"InCJKUnifiedIdeographsExtensionB",
    u"InCJKUnifiedIdeographsExtensionC",
    u"InCJKCompatibilityIdeographsSupplement",
    u"InTags",
    u"InVariationSelectorsSupplement",
    u"InSupplementaryPrivateUseAreaA",
    u"InSupplementaryPrivateUseAreaB",
};

struct CategoryName {
    TUnicodeProperty Prop;
    const char16_t* Short;
    const char16_t* Long;
};

const CategoryName kCategoryNames[] = {
    {upC, u"C", u"Other"},
    {upL, u"L", u"Letter"},
    {upM, u"M", u"Mark"},
    {upN, u"N", u"Number"},
    {upP, u"P", u"Punctuation"},
    {upS, u"S", u"Symbol"},
    {upZ, u"Z", u"Separator"},
    {upCc, u"Cc", u"Control"},
    {upCf, u"Cf", u"Format"},
    {upCn, u"Cn", u"Unassigned"},
    {upCo, u"Co", u"PrivateUse"},
    {upCs, u"Cs", u"Surrogate"},
    {upLC, u"LC", u"CasedLetter"},
    {upLl, u"Ll", u"LowercaseLetter"},
    {upLm, u"Lm", u"ModifierLetter"},
    {upLo, u"Lo", u"OtherLetter"},
    {upLt, u"Lt", u"TitlecaseLetter"},
    {upLu, u"Lu", u"UppercaseLetter"},
    {upLamp, u"L&", nullptr},
    {upMc, u"Mc", u"SpacingMark"},
    {upMe, u"Me", u"EnclosingMark"},
    {upMn, u"Mn", u"NonspacingMark"},
    {upNd, u"Nd", u"DecimalNumber"},
    {upNl, u"Nl", u"LetterNumber"},
    {upNo, u"No", u"OtherNumber"},
    {upPc, u"Pc", u"ConnectorPunctuation"},
    {upPd, u"Pd", u"DashPunctuation"},
    {upPe, u"Pe", u"ClosePunctuation"},
    {upPf, u"Pf", u"FinalPunctuation"},
    {upPi, u"Pi", u"InitialPunctuation"},
    {upPo, u"Po", u"OtherPunctuation"},
    {upPs, u"Ps", u"OpenPunctuation"},
    {upSc, u"Sc", u"CurrencySymbol"},
    {upSk, u"Sk", u"ModifierSymbol"},
    {upSm, u"Sm", u"MathSymbol"},
    {upSo, u"So", u"OtherSymbol"},
    {upZl, u"Zl", u"LineSeparator"},
    {upZp, u"Zp", u"ParagraphSeparator"},
    {upZs, u"Zs", u"SpaceSeparator"},
};

const char16_t* const kPosixNames[16] = {u"IsAlnum",  u"IsAlpha", u"IsAscii", u"IsBlank",
                                         u"IsCntrl",  u"IsDigit", u"IsGraph", u"IsLower",
                                         u"IsPrint",  u"IsUpper", u"IsPunct", u"IsSpace",
                                         u"IsXdigit", u"IsWord",  u"IsAny",   u"IsAssigned"};

std::u16string FoldAscii(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
    }
    return out;
}

// Sorted by the ASCII-lower-cased name; a name added twice keeps its first ordinal.
class TPropertyNameTable {
public:
    TPropertyNameTable() {
        for (int i = 0; i < 16; ++i) {
            Add(kPosixNames[i], static_cast<std::uint16_t>(i));
        }
        for (const auto& c : kCategoryNames) {
            Add(c.Short, c.Prop);
            if (c.Long) {
                Add(c.Long, c.Prop);
            }
        }
        for (int i = 0; i < 94; ++i) {
            Add(kScriptNames[i], static_cast<std::uint16_t>(kFirstScript + i));
        }
        for (int i = 0; i < 197; ++i) {
            Add(kBlockNames[i], static_cast<std::uint16_t>(kFirstBlock + i));
        }
        std::stable_sort(FItems.begin(), FItems.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto last = std::unique(FItems.begin(), FItems.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; });
        FItems.erase(last, FItems.end());
    }

    bool Find(std::u16string_view name, std::uint16_t& prop) const {
        const std::u16string key = FoldAscii(name);
        auto it = std::lower_bound(
            FItems.begin(), FItems.end(), key,
            [](const auto& item, const std::u16string& k) { return item.first < k; });
        if (it == FItems.end() || it->first != key) {
            return false;
        }
        prop = it->second;
        return true;
    }

    int Count() const { return static_cast<int>(FItems.size()); }

private:
    void Add(const char16_t* name, std::uint16_t prop) {
        FItems.emplace_back(FoldAscii(name), prop);
    }

    std::vector<std::pair<std::u16string, std::uint16_t>> FItems;
};

const TPropertyNameTable& NameTable() {
    static const TPropertyNameTable table;
    return table;
}

} // namespace

TUnicodeProperty GetGeneralCategory(char32_t cp) {
    return static_cast<TUnicodeProperty>(kFirstCategory + (PropValue(cp) & 0x1F));
}

TUnicodeProperty GetScript(char32_t cp) {
    return static_cast<TUnicodeProperty>(kFirstScript + (PropValue(cp) >> 5));
}

TUnicodeProperty GetMajorCategory(char32_t cp) {
    switch (GetGeneralCategory(cp)) {
    case upCc:
    case upCf:
    case upCn:
    case upCo:
    case upCs:
        return upC;
    case upLC:
    case upLl:
    case upLm:
    case upLo:
    case upLt:
    case upLu:
    case upLamp:
        return upL;
    case upMc:
    case upMe:
    case upMn:
        return upM;
    case upNd:
    case upNl:
    case upNo:
        return upN;
    case upSc:
    case upSk:
    case upSm:
    case upSo:
        return upS;
    case upZl:
    case upZp:
    case upZs:
        return upZ;
    default:
        return upP;
    }
}

std::uint16_t GetBlock(char32_t cp) {
    int low = 0;
    int high = t::kBlockCount - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (cp >= t::kBlockRanges[middle * 2] && cp <= t::kBlockRanges[middle * 2 + 1]) {
            return static_cast<std::uint16_t>(kFirstBlock + middle);
        }
        if (cp < t::kBlockRanges[middle * 2 + 1]) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return kNoBlock;
}

namespace {

bool IsWordByCategory(char32_t cp) {
    const TUnicodeProperty gc = GetGeneralCategory(cp);
    const TUnicodeProperty major = GetMajorCategory(cp);
    return major == upL || major == upM || gc == upNd || gc == upPc;
}

} // namespace

bool IsWord(char32_t cp) {
    // \b tests two characters at every position of a search: ASCII from a table of the same test.
    static const auto ascii = [] {
        std::array<bool, 128> table{};
        for (char32_t c = 0; c < 128; ++c) {
            table[c] = IsWordByCategory(c);
        }
        return table;
    }();
    return cp < 128 ? ascii[cp] : IsWordByCategory(cp);
}

bool IsDigit(char32_t cp) {
    return GetGeneralCategory(cp) == upNd;
}

bool IsSpace(char32_t cp) {
    return (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || GetMajorCategory(cp) == upZ;
}

namespace {

bool IsGraphChar(char32_t cp) {
    const TUnicodeProperty gc = GetGeneralCategory(cp);
    return !IsSpace(cp) && gc != upCc && gc != upCn && gc != upCs;
}

} // namespace

bool IsProperty(char32_t cp, std::uint16_t prop) {
    switch (prop) {
    case upAlnum: {
        const TUnicodeProperty major = GetMajorCategory(cp);
        return major == upL || major == upM || GetGeneralCategory(cp) == upNd;
    }
    case upAlpha: {
        const TUnicodeProperty major = GetMajorCategory(cp);
        return major == upL || major == upM;
    }
    case upAscii:
        return cp < 128;
    case upBlank:
        return cp == 0x09 || GetGeneralCategory(cp) == upZs;
    case upCntrl:
        return GetMajorCategory(cp) == upC;
    case upDigit:
        return IsDigit(cp);
    case upGraph:
        return IsGraphChar(cp);
    case upLower:
        return GetGeneralCategory(cp) == upLl;
    case upPrint:
        return IsGraphChar(cp) || IsSpace(cp);
    case upUpper:
        return GetGeneralCategory(cp) == upLu;
    case upPunct:
        return GetMajorCategory(cp) == upP;
    case upSpace:
        return IsSpace(cp);
    case upXdigit:
        return (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'F') || (cp >= 'a' && cp <= 'f');
    case upWord:
        return IsWord(cp);
    case upAny:
        return true;
    case upAssigned:
        return GetGeneralCategory(cp) != upCn;
    case upLC:
    case upLamp: {
        const TUnicodeProperty gc = GetGeneralCategory(cp);
        return gc == upLu || gc == upLl || gc == upLt;
    }
    default:
        break;
    }
    if (prop >= upC && prop <= upZ) {
        return GetMajorCategory(cp) == prop;
    }
    if (prop >= kFirstCategory && prop < kFirstScript) {
        return GetGeneralCategory(cp) == prop;
    }
    if (prop >= kFirstScript && prop < kFirstBlock) {
        return GetScript(cp) == prop;
    }
    if (prop >= kFirstBlock && prop < kUnicodePropertyCount) {
        return GetBlock(cp) == prop;
    }
    return false;
}

bool FindPropertyName(std::u16string_view name, std::uint16_t& prop) {
    return NameTable().Find(name, prop);
}

int PropertyNameCount() {
    return NameTable().Count();
}

const char* UnicodeTablesVersion() {
    return t::kUnicodeVersion;
}
