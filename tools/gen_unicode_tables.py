#!/usr/bin/env python3
"""Writes src/regex/unicode_tables.cpp from the Unicode Character Database.

Run it only when the tables are to be updated:

    python3 tools/gen_unicode_tables.py [UCD folder] > src/regex/unicode_tables.cpp

The UCD folder defaults to /usr/share/unicode (Debian's unicode-data package).
The output is committed; building the program never needs the database.

Tables written:
  * code-point properties: general category (low 5 bits) and script (upper bits),
    two stages;
  * the 197 blocks the engine knows, as (first, last) pairs;
  * simple upper- and lower-case mappings, two stages of indexes into a delta table;
  * full-width / half-width pairs (from the <wide> and <narrow> decompositions).
Scripts the engine does not name map to unKnown; blocks it does not name are absent.
"""

import os
import re
import sys

UCD = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
MAX_CP = 0x110000

CATEGORIES = ["Cc", "Cf", "Cn", "Co", "Cs", "LC", "Ll", "Lm", "Lo", "Lt", "Lu", "L&",
              "Mc", "Me", "Mn", "Nd", "Nl", "No", "Pc", "Pd", "Pe", "Pf", "Pi", "Po",
              "Ps", "Sc", "Sk", "Sm", "So", "Zl", "Zp", "Zs"]

SCRIPTS = """unKnown Arabic ImperialAramaic Armenian Avestan Balinese Bamum Bengali Bopomofo
Braille Buginese Buhid CanadianAboriginal Carian Cham Cherokee Coptic Cypriot Cyrillic
Devanagari Deseret EgyptianHieroglyphs Ethiopic Georgian Glagolitic Gothic Greek Gujarati
Gurmukhi Hangul Han Hanunoo Hebrew Hiragana KatakanaOrHiragana OldItalic Javanese KayahLi
Katakana Kharoshthi Khmer Kannada Kaithi TaiTham Lao Latin Lepcha Limbu LinearB Lisu Lycian
Lydian Malayalam Mongolian MeeteiMayek Myanmar Nko Ogham OlChiki OldTurkic Oriya Osmanya
PhagsPa InscriptionalPahlavi Phoenician InscriptionalParthian Rejang Runic Samaritan
OldSouthArabian Saurashtra Shavian Sinhala Sundanese SylotiNagri Syriac Tagbanwa TaiLe
NewTaiLue Tamil TaiViet Telugu Tifinagh Tagalog Thaana Thai Tibetan Ugaritic Vai OldPersian
Cuneiform Yi Inherited Common""".split()

BLOCKS = """BasicLatin Latin1Supplement LatinExtendedA LatinExtendedB IPAExtensions
SpacingModifierLetters CombiningDiacriticalMarks GreekandCoptic Cyrillic CyrillicSupplement
Armenian Hebrew Arabic Syriac ArabicSupplement Thaana NKo Samaritan Devanagari Bengali
Gurmukhi Gujarati Oriya Tamil Telugu Kannada Malayalam Sinhala Thai Lao Tibetan Myanmar
Georgian HangulJamo Ethiopic EthiopicSupplement Cherokee UnifiedCanadianAboriginalSyllabics
Ogham Runic Tagalog Hanunoo Buhid Tagbanwa Khmer Mongolian
UnifiedCanadianAboriginalSyllabicsExtended Limbu TaiLe NewTaiLue KhmerSymbols Buginese
TaiTham Balinese Sundanese Lepcha OlChiki VedicExtensions PhoneticExtensions
PhoneticExtensionsSupplement CombiningDiacriticalMarksSupplement LatinExtendedAdditional
GreekExtended GeneralPunctuation SuperscriptsandSubscripts CurrencySymbols
CombiningDiacriticalMarksforSymbols LetterlikeSymbols NumberForms Arrows
MathematicalOperators MiscellaneousTechnical ControlPictures OpticalCharacterRecognition
EnclosedAlphanumerics BoxDrawing BlockElements GeometricShapes MiscellaneousSymbols Dingbats
MiscellaneousMathematicalSymbolsA SupplementalArrowsA BraillePatterns SupplementalArrowsB
MiscellaneousMathematicalSymbolsB SupplementalMathematicalOperators
MiscellaneousSymbolsandArrows Glagolitic LatinExtendedC Coptic GeorgianSupplement Tifinagh
EthiopicExtended CyrillicExtendedA SupplementalPunctuation CJKRadicalsSupplement
KangxiRadicals IdeographicDescriptionCharacters CJKSymbolsandPunctuation Hiragana Katakana
Bopomofo HangulCompatibilityJamo Kanbun BopomofoExtended CJKStrokes
KatakanaPhoneticExtensions EnclosedCJKLettersandMonths CJKCompatibility
CJKUnifiedIdeographsExtensionA YijingHexagramSymbols CJKUnifiedIdeographs YiSyllables
YiRadicals Lisu Vai CyrillicExtendedB Bamum ModifierToneLetters LatinExtendedD SylotiNagri
CommonIndicNumberForms Phagspa Saurashtra DevanagariExtended KayahLi Rejang
HangulJamoExtendedA Javanese Cham MyanmarExtendedA TaiViet MeeteiMayek HangulSyllables
HangulJamoExtendedB HighSurrogates HighPrivateUseSurrogates LowSurrogates PrivateUseArea
CJKCompatibilityIdeographs AlphabeticPresentationForms ArabicPresentationFormsA
VariationSelectors VerticalForms CombiningHalfMarks CJKCompatibilityForms
SmallFormVariants ArabicPresentationFormsB HalfwidthandFullwidthForms Specials
LinearBSyllabary LinearBIdeograms AegeanNumbers AncientGreekNumbers AncientSymbols
PhaistosDisc Lycian Carian OldItalic Gothic Ugaritic OldPersian Deseret Shavian Osmanya
CypriotSyllabary ImperialAramaic Phoenician Lydian Kharoshthi OldSouthArabian Avestan
InscriptionalParthian InscriptionalPahlavi OldTurkic RumiNumeralSymbols Kaithi Cuneiform
CuneiformNumbersandPunctuation EgyptianHieroglyphs ByzantineMusicalSymbols MusicalSymbols
AncientGreekMusicalNotation TaiXuanJingSymbols CountingRodNumerals
MathematicalAlphanumericSymbols MahjongTiles DominoTiles EnclosedAlphanumericSupplement
EnclosedIdeographicSupplement CJKUnifiedIdeographsExtensionB
CJKUnifiedIdeographsExtensionC CJKCompatibilityIdeographsSupplement Tags
VariationSelectorsSupplement SupplementaryPrivateUseAreaA
SupplementaryPrivateUseAreaB""".split()

assert len(CATEGORIES) == 32 and len(SCRIPTS) == 94 and len(BLOCKS) == 197


def norm(name):
    return re.sub(r"[ _\-]", "", name).lower()


def data_lines(name):
    with open(os.path.join(UCD, name), encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def cp_range(text):
    if ".." in text:
        a, b = text.split("..")
        return int(a, 16), int(b, 16)
    return int(text, 16), int(text, 16)


def version():
    with open(os.path.join(UCD, "Blocks.txt"), encoding="utf-8") as f:
        m = re.match(r"# Blocks-(\d+\.\d+\.\d+)\.txt", f.readline())
    return m.group(1)


def read_unicode_data():
    category = [CATEGORIES.index("Cn")] * MAX_CP
    upper, lower = {}, {}
    wide, narrow = {}, {}
    first = None
    for f in data_lines("UnicodeData.txt"):
        cp, name, gc = int(f[0], 16), f[1], CATEGORIES.index(f[2])
        if name.endswith(", First>"):
            first = cp
            continue
        start = first if name.endswith(", Last>") else cp
        first = None
        for c in range(start, cp + 1):
            category[c] = gc
        if f[12]:
            upper[cp] = int(f[12], 16)
        if f[13]:
            lower[cp] = int(f[13], 16)
        if f[5].startswith("<wide> ") and len(f[5].split()) == 2:
            wide[cp] = int(f[5].split()[1], 16)
        if f[5].startswith("<narrow> ") and len(f[5].split()) == 2:
            narrow[cp] = int(f[5].split()[1], 16)
    return category, upper, lower, wide, narrow


def read_scripts():
    known = {norm(s): i for i, s in enumerate(SCRIPTS)}
    script = [0] * MAX_CP
    for f in data_lines("Scripts.txt"):
        a, b = cp_range(f[0])
        idx = known.get(norm(f[1]), 0)
        for c in range(a, b + 1):
            script[c] = idx
    return script


def read_blocks():
    ranges = {}
    for f in data_lines("Blocks.txt"):
        ranges[norm(f[1])] = cp_range(f[0])
    out = [ranges[norm(b)] for b in BLOCKS]
    assert out == sorted(out), "blocks are not in code-point order"
    return out


def two_stage(values, shift, kind):
    """Returns (stage1, stage2 blocks) with identical blocks shared."""
    size = 1 << shift
    index, blocks, stage1 = {}, [], []
    for start in range(0, MAX_CP, size):
        block = tuple(values[start:start + size])
        if block not in index:
            index[block] = len(blocks)
            blocks.append(block)
        stage1.append(index[block])
    return stage1, blocks


def emit_array(out, ctype, name, values, per_line=24):
    out.append(f"extern const {ctype} {name}[{len(values)}] = {{")
    for i in range(0, len(values), per_line):
        out.append("    " + ",".join(str(v) for v in values[i:i + per_line]) + ",")
    out.append("};")


def main():
    category, upper, lower, wide, narrow = read_unicode_data()
    script = read_scripts()
    blocks = read_blocks()

    props = [(script[c] << 5) | category[c] for c in range(MAX_CP)]
    p1, p2 = two_stage(props, 7, "props")
    assert len(p2) < 65536

    deltas = [(0, 0)]
    delta_index = {(0, 0): 0}
    case_values = []
    for c in range(MAX_CP):
        d = (upper.get(c, c) - c, lower.get(c, c) - c)
        if d not in delta_index:
            delta_index[d] = len(deltas)
            deltas.append(d)
        case_values.append(delta_index[d])
    assert len(deltas) < 256
    c1, c2 = two_stage(case_values, 7, "case")
    assert len(c2) < 256

    # Full-width form -> its half-width (or ASCII) partner, both directions from one list.
    pairs = {}
    for full, half in wide.items():
        pairs.setdefault(full, half)
    for half, full in narrow.items():
        pairs.setdefault(full, half)
    width_pairs = sorted(pairs.items())

    out = []
    out.append("// Generated by tools/gen_unicode_tables.py from the Unicode Character Database "
               f"{version()}.")
    out.append("// Do not edit; run the generator again to update.")
    out.append("// NOLINTBEGIN")
    out.append('#include "regex/unicode_tables.h"')
    out.append("")
    out.append("namespace quillo::regex::tables {")
    out.append("")
    out.append(f'extern const char kUnicodeVersion[] = "{version()}";')
    out.append("")
    out.append("// Script index << 5 | general-category index, 128 code points per block.")
    emit_array(out, "std::uint16_t", "kPropStage1", p1, 32)
    emit_array(out, "std::uint16_t", "kPropStage2", [v for b in p2 for v in b], 32)
    out.append("")
    out.append("// First and last code point of each block, in code-point order.")
    emit_array(out, "std::uint32_t", "kBlockRanges", [v for r in blocks for v in r], 16)
    out.append("")
    out.append("// Index into kCaseDeltas, 128 code points per block.")
    emit_array(out, "std::uint8_t", "kCaseStage1", c1, 40)
    emit_array(out, "std::uint8_t", "kCaseStage2", [v for b in c2 for v in b], 48)
    out.append("// (upper-case delta, lower-case delta)")
    emit_array(out, "std::int32_t", "kCaseDeltas", [v for d in deltas for v in d], 16)
    out.append("")
    out.append("// (full-width form, half-width form), sorted by the full-width form.")
    emit_array(out, "std::uint32_t", "kWidthPairs", [v for p in width_pairs for v in p], 16)
    out.append(f"extern const int kWidthPairCount = {len(width_pairs)};")
    out.append("")
    out.append("} // namespace quillo::regex::tables")
    out.append("// NOLINTEND")
    sys.stdout.write("\n".join(out) + "\n")
    sys.stderr.write(f"props: {len(p1)} stage-1 entries, {len(p2)} blocks; case: {len(c2)} "
                     f"blocks, {len(deltas)} deltas; {len(width_pairs)} width pairs\n")


if __name__ == "__main__":
    main()
