// libFuzzer entry point: compiles a random expression and searches a random subject with it,
// all matches, then replaces and splits. Compile errors and the matcher's limits are expected;
// a crash, any other exception, a leak or a hang is a finding.
//
// Input: byte 0 chooses the options (as for the parse target), byte 1 the lex mode; the rest is
// UTF-8: the expression, a NUL, the subject.
#include "regex/errors.h"
#include "regex/regexp.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t nul = rest.find('\0');
    const std::u16string expr = FromUtf8(rest.substr(0, nul));
    const std::u16string subject = nul == std::string::npos ? std::u16string(u"abc aab\r\nxyz 123")
                                                            : FromUtf8(rest.substr(nul + 1));
    TRxRegExp re;
    TREOptions options = 0;
    const TREOption all[] = {roIgnoreCase, roMultiLine,   roNamedGroupOnly, roSingleLine,
                             roExtended,   roIgnoreWidth, roIgnoreKana};
    for (int i = 0; i < 7; ++i) {
        if (data[0] & (1u << i)) {
            options |= OptionBit(all[i]);
        }
    }
    if (data[0] & 0x80) {
        options |= OptionBit(roDefinedCharClassLegacy);
    }
    re.SetOptions(options);
    re.SetLexMode(static_cast<TRELexMode>(data[1] % 4));
    re.SetExpression(expr);
    try {
        int count = 0;
        for (bool ok = re.Exec(subject); ok && count < 100; ok = re.ExecNext()) {
            const int pos = re.MatchPos(0);
            const int len = re.MatchLen(0);
            if (pos < 1 || pos - 1 + len > static_cast<int>(subject.size())) {
                __builtin_trap();
            }
            for (int g = 1; g <= re.GroupCount(); ++g) {
                if (re.Groups()[g].Matched() &&
                    re.MatchPos(g) - 1 + re.MatchLen(g) > static_cast<int>(subject.size())) {
                    __builtin_trap();
                }
            }
            ++count;
        }
        // Searches that reached the matcher's limits above are not repeated.
        re.Replace(subject, u"[$1|$&|${n}|$+]", 0, 1);
        std::vector<std::u16string> pieces;
        re.Split(subject, pieces, 0, 1);
    } catch (const ERxRegExpCompile&) {
    } catch (const ERxRegExpRuntime&) {
    }
    return 0;
}
