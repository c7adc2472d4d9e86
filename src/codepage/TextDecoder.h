#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace quillo::codepage {

// Decodes the bytes of one code into UTF-16.  A byte the code cannot read becomes
// the lone surrogate U+DC00 + byte (counted in badBytes()); U+0000 is kept.  With
// crlf set, every lone CR and lone LF becomes CR LF.
//
// decode() may be called on successive chunks: it stops before a sequence cut by
// the end of a chunk unless `final` is set, and carries a CR across chunks.  A
// chunk that starts at a cut point (see cutPoint) needs nothing from the chunk
// before, so separate decoders can work on such chunks in parallel.
class TextDecoder {
public:
    // Throws ECodePageError when there is no converter for the code.
    TextDecoder(int code, bool crlf);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // The most units decode() can write for these bytes.
    std::size_t maxUnits(const char* in, std::size_t n) const;
    // The same without looking at the bytes (looser).
    std::size_t unitBound(std::size_t n) const;

    // A position p in (0, n), the first at or after `from` (else the last before
    // it), where the bytes can be cut: decoding [0, p) with `final` set and then
    // [p, n) by a decoder that starts at a cut gives what one pass over [0, n)
    // gives.  0 when there is none or the code cannot be cut (iconv's codes may
    // carry a shift state).
    std::size_t cutPoint(const char* in, std::size_t n, std::size_t from) const;
    // Decoding goes on where `other` stopped (the CR carried across chunks).
    void continueFrom(const TextDecoder& other) { lastWasCr_ = other.lastWasCr_; }
    // Decoding starts at a cut point, with nothing carried.
    void startAtCut() { lastWasCr_ = false; }

    struct Step {
        std::size_t consumed = 0;
        std::size_t produced = 0;
    };
    Step decode(const char* in, std::size_t n, bool final, char16_t* out);

    std::size_t badBytes() const { return bad_; }

    // Decodes a whole buffer into a string of exactly its length.
    QString decodeAll(const char* in, std::size_t n);

private:
    enum class Kind { Cp932, Euc, Utf8, Utf16Le, Utf16Be, Iconv };

    template <bool Crlf>
    Step decodeCp932(const std::uint8_t* in, std::size_t n, bool final, char16_t* out);
    template <bool Crlf>
    Step decodeEuc(const std::uint8_t* in, std::size_t n, bool final, char16_t* out);
    template <bool Crlf>
    Step decodeUtf8(const std::uint8_t* in, std::size_t n, bool final, char16_t* out);
    template <bool Crlf, bool Big>
    Step decodeUtf16(const std::uint8_t* in, std::size_t n, bool final, char16_t* out);
    Step decodeIconv(const std::uint8_t* in, std::size_t n, bool final, char16_t* out);

    Kind kind_;
    bool crlf_;
    bool lastWasCr_ = false;
    std::size_t bad_ = 0;
    void* iconv_ = nullptr;
};

// Cuts a string decoded into room for more down to its `units`, giving the slack
// back when it is large.
void FitDecodedText(QString& text, std::size_t units);

} // namespace quillo::codepage
