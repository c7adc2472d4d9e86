#include "codepage/SjisByteLength.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

namespace quillo::codepage {
namespace {

// The display width counts the bytes EncodeDocument writes in Shift-JIS.
TEST(SjisByteLength, EqualsTheLengthOfTheWrittenBytes) {
    const std::u16string texts[] = {u"abc",
                                    u"あいう",
                                    u"ｱｲｳ漢字",
                                    u"a\U0001F600b",
                                    u"\u00E9\uAC00",
                                    u"①纊～",
                                    std::u16string(1, char16_t(0xDC81))};
    for (const std::u16string& text : texts) {
        const QString q = QString::fromStdU16String(text);
        EXPECT_EQ(Cp932ByteLength(text), EncodeDocument(q, 932).bytes.size());
    }
    EXPECT_EQ(Cp932UnitBytes(u'a'), 1);
    EXPECT_EQ(Cp932UnitBytes(u'ｱ'), 1);
    EXPECT_EQ(Cp932UnitBytes(u'漢'), 2);
    EXPECT_EQ(Cp932UnitBytes(u'\uAC00'), 1);
}

} // namespace
} // namespace quillo::codepage
