#!/usr/bin/env python3
"""Builds the text corpus for measuring character-code detection.

Reads the roff sources of the Japanese manual pages (Debian's manpages-ja and
the Japanese pages other packages ship) and of the English section-1 pages,
strips the markup, and writes UTF-8 files into the output folder:

  ja.txt        Japanese text as found
  hw_mixed.txt  the same with katakana written in half-width forms
  hw_only.txt   half-width katakana only: kana turned to half-width, kanji dropped
  en.txt        English text

The samples of each size and code are cut from these by codepage_accuracy,
which encodes them with our own tables (Windows' mappings).  Nothing here is
committed: run it when measuring.
"""
import gzip
import pathlib
import re
import sys
import unicodedata

ROFF_ESCAPES = re.compile(r"\\f[BIRP]|\\f\(..|\\f\[[^]]*\]|\\\(..|\\\[[^]]*\]|\\[&/,:%|^~]|\\s[-+]?\d")


def roff_text(path):
    opener = gzip.open if path.suffix == ".gz" else open
    try:
        with opener(path, "rt", encoding="utf-8", errors="strict") as f:
            data = f.read()
    except (UnicodeDecodeError, OSError):
        return []
    lines = []
    for line in data.splitlines():
        if line.startswith((".", "'")):
            continue
        line = ROFF_ESCAPES.sub("", line).replace("\\-", "-").replace("\\e", "\\")
        line = line.replace("\\", "").strip()
        if line:
            lines.append(line)
    return lines


def half_width_table():
    table = {}
    for code in range(0xFF61, 0xFFA0):
        half = chr(code)
        full = unicodedata.normalize("NFKC", half)
        if len(full) == 1:
            table[full] = half
    table["\u3099"] = "\uff9e"
    table["\u309a"] = "\uff9f"
    return table


HALF = half_width_table()


def to_half_katakana(text, hiragana_too):
    out = []
    for ch in unicodedata.normalize("NFC", text):
        if hiragana_too and "\u3041" <= ch <= "\u3096":
            ch = chr(ord(ch) + 0x60)
        if "\u30a0" <= ch <= "\u30ff" or (hiragana_too and ch in "、。「」・"):
            out += [HALF.get(part, part) for part in unicodedata.normalize("NFD", ch)]
        else:
            out.append(ch)
    return "".join(out)


def only_half(text):
    text = to_half_katakana(text, True)
    kept = "".join(ch if ("\uff61" <= ch <= "\uff9f" or ch == " ") else " " for ch in text)
    return re.sub(" +", " ", kept).strip()


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "corpus")
    out.mkdir(parents=True, exist_ok=True)
    ja, en = [], []
    for path in sorted(pathlib.Path("/usr/share/man/ja").rglob("*")):
        if path.is_file():
            ja += [l for l in roff_text(path) if any(ord(c) > 0x3000 for c in l)]
    for path in sorted(pathlib.Path("/usr/share/man/man1").glob("*.gz"))[:400]:
        en += [l for l in roff_text(path) if l.isascii() and len(l) > 20]
    (out / "ja.txt").write_text("\n".join(ja) + "\n", encoding="utf-8")
    (out / "hw_mixed.txt").write_text("\n".join(to_half_katakana(l, False) for l in ja) + "\n",
                                      encoding="utf-8")
    hw = [only_half(l) for l in ja]
    (out / "hw_only.txt").write_text("\n".join(l for l in hw if len(l) > 8) + "\n", encoding="utf-8")
    (out / "en.txt").write_text("\n".join(en) + "\n", encoding="utf-8")
    for name in ("ja", "hw_mixed", "hw_only", "en"):
        print(name, (out / f"{name}.txt").stat().st_size, "bytes")


if __name__ == "__main__":
    main()
