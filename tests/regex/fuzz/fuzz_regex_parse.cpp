// libFuzzer entry point: compiles random expressions under random options and lex modes, then
// renders the tree and runs every leaf code over a short text. Compile errors are expected;
// anything else (a crash, another exception, a leak, a hang) is a finding.
//
// Input: byte 0 chooses the options (low 7 bits select roIgnoreCase .. roIgnoreKana and the
// legacy classes) and the reading of the rest (bit 7: UTF-16 code units, otherwise UTF-8);
// byte 1 the lex mode.
#include "regex/errors.h"
#include "regex/parser.h"
#include "regex/regexp.h"
#include "regex/tree_dump.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

TREOptions OptionsOf(std::uint8_t b) {
    TREOptions o = 0;
    const TREOption all[] = {roIgnoreCase, roMultiLine,   roNamedGroupOnly, roSingleLine,
                             roExtended,   roIgnoreWidth, roIgnoreKana};
    for (int i = 0; i < 7; ++i) {
        if (b & (1u << i)) {
            o |= OptionBit(all[i]);
        }
    }
    if ((b & 0x7F) == 0x7F) {
        o |= OptionBit(roDefinedCharClassLegacy);
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    std::u16string expr;
    if (data[0] & 0x80) {
        for (std::size_t i = 2; i + 1 < size; i += 2) {
            expr.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        }
    } else {
        expr = FromUtf8(std::string(reinterpret_cast<const char*>(data + 2), size - 2));
    }
    TRxRegExp re;
    re.SetOptions(OptionsOf(data[0]));
    re.SetLexMode(static_cast<TRELexMode>(data[1] % 4));
    re.SetExpression(expr);
    try {
        re.Compile();
    } catch (const ERxRegExpCompile& e) {
        if (e.Message().empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const std::string dump = DumpTree(re.FCode);
    int lo = 0;
    int hi = 0;
    ComputeCharRange(re.FCode, lo, hi);
    // Every leaf code over the expression's own text, which is rich in the characters it tests.
    re.SetInputString(expr.substr(0, 64));
    const char16_t* top = re.FTextTopP;
    const char16_t* end = re.FTextEndP;
    for (const auto& code : re.FCodeList) {
        for (const char16_t* p = top; p <= end; ++p) {
            int len = 0;
            if (code->IsEqual(p, len) && (len < 0 || p + len > end)) {
                __builtin_trap();
            }
        }
        const char16_t* q = top;
        code->ExecRepeat(q, true);
        if (q < top || q > end) {
            __builtin_trap();
        }
    }
    return dump.empty() ? 1 : 0;
}
