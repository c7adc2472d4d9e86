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
// chunk that starts right after an LF byte (an LF unit for UTF-16) needs nothing
// from the chunk before, so separate decoders can work on such chunks in parallel.
class TextDecoder {
public:
    // Throws ECodePageError when there is no converter for the code.
    TextDecoder(int code, bool crlf);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // The most units decode() can write for these bytes.
    std::size_t maxUnits(const char* in, std::size_t n) const;

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

} // namespace quillo::codepage
