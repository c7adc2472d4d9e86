#pragma once

#include "codepage/DocumentCodes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <cstddef>

namespace quillo::codepage {

// Writes UTF-16 text in one of the document codes (see DocumentCodes), with no byte-order mark, a
// piece at a time.  A lone surrogate U+DC00..U+DCFF (a byte the reader could not decode) is written
// back as that byte in every code but UTF-16, which keeps it.  A character the code cannot hold
// becomes its default character ('?'; U+FFFD in UTF-8) and is counted. Every unit's bytes depend on
// that unit alone, or on the pair it belongs to, so pieces that end at cut points (see cutPoint)
// can be encoded apart, on any thread, and joined.
class TextEncoder {
public:
    // Throws ECodePageError for a code it cannot write.
    explicit TextEncoder(int code);

    // Room encode() needs for `units` units (a little more than it writes:
    // the fast paths store whole words).
    std::size_t byteBound(std::size_t units) const;

    // The first position p >= at (at most n) that is not inside a surrogate pair.
    static std::size_t cutPoint(const char16_t* s, std::size_t n, std::size_t at);

    // Encodes n units into `out`, which has byteBound(n) bytes; returns the
    // number written and adds the substituted characters to *substituted.
    std::size_t encode(const char16_t* s, std::size_t n, char* out, qsizetype& substituted) const;

    // True when the bytes are the units themselves (UTF-16 in the machine's order).
    bool copiesUnits() const;

private:
    CodeForm kind_;
};

// Encodes the whole text in one code (any code iconv knows besides the
// document codes), with no byte-order mark.  `mark` goes in front of the bytes
// (written in place, not copied after).  Throws ECodePageError when there is
// no converter for the code.
QByteArray EncodeText(QStringView text, int code, QByteArrayView mark = {},
                      qsizetype* substituted = nullptr);

} // namespace quillo::codepage
