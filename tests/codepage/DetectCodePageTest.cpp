#include "codepage/codepage.h"

#include <gtest/gtest.h>

namespace quillo::codepage {
namespace {

QByteArray in(int code, const char* utf8) {
    return EncodeDocument(QString::fromUtf8(utf8), code)
        .bytes.sliced(code == 65001                  ? 3
                      : code >= 1200 && code <= 1201 ? 2
                                                     : 0);
}

TEST(DetectCodePage, PlainAsciiAndEmptyAreShiftJis) {
    EXPECT_EQ(DetectCodePage(""), 932);
    EXPECT_EQ(DetectCodePage("int main() { return 0; }\n"), 932);
}

TEST(DetectCodePage, MarksDecide) {
    EXPECT_EQ(DetectCodePage("\xEF\xBB\xBF"
                             "abc"),
              65001);
    EXPECT_EQ(DetectCodePage(QByteArrayView("\xFF\xFE"
                                            "a\0",
                                            4)),
              1200);
    EXPECT_EQ(DetectCodePage(QByteArrayView("\xFE\xFF\0a", 4)), 1201);
}

TEST(DetectCodePage, ShortJapaneseTextsInEveryCode) {
    const char* texts[] = {
        "ファイルを開きます。",
        "環境変数を設定する",
        "このコマンドは、指定されたファイルの内容を表示する。",
        "ｺﾏﾝﾄﾞｦｼﾞｯｺｳｼﾏｽ",
        "Hello, world. This is English text.",
    };
    for (const char* text : texts) {
        for (int code : {932, 51932, 65001, 1200, 1201}) {
            const QByteArray bytes = in(code, text);
            const bool ascii = QByteArray(text).front() == 'H';
            if (ascii && (code == 932 || code == 51932 || code == 65001)) {
                EXPECT_EQ(DetectCodePage(bytes), 932) << text;
                continue;
            }
            EXPECT_EQ(DetectCodePage(bytes), code) << text << " in " << code;
        }
    }
}

TEST(DetectCodePage, OtherCodesGoToTheGeneralDetector) {
    const QByteArray russian = QByteArray::fromHex(
        "cff0e8e2e5f22c20ece8f02120dde8ee20f2e5f1f220eaeee4e8f0eee2eae82c20ede520e1eeebe5e5");
    const int code = DetectCodePage(russian);
    EXPECT_NE(code, 932);
    EXPECT_NE(code, 51932);
}

} // namespace
} // namespace quillo::codepage
