#include "codepage/DocumentCodes.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

using namespace quillo::codepage;

// The lists the dialogs show and the codes their entries stand for.
TEST(DocumentCodes, ListsAndTheirCodesAgree) {
    const QStringList open = OpenFilterList();
    ASSERT_EQ(open.size(), 6);
    EXPECT_EQ(open[0], QStringLiteral("すべてのファイル - 自動判別 (*.*)"));
    EXPECT_EQ(open[5], QStringLiteral("すべてのファイル - Unicode Big-Endian(*.*)"));
    EXPECT_EQ(OpenListCode(0), kDetectCode);
    EXPECT_EQ(RereadList(),
              (QStringList{QStringLiteral("自動認識"), QStringLiteral("Shift-JIS"),
                           QStringLiteral("EUC-JP"), QStringLiteral("UTF-8"),
                           QStringLiteral("Unicode"), QStringLiteral("Unicode Big endian")}));
    const QStringList save = SaveFilterList();
    ASSERT_EQ(save.size(), 5);
    const int codes[] = {kShiftJis, kEucJp, kUtf8, kUtf16Le, kUtf16Be};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(save[i], open[i + 1]);
        EXPECT_EQ(SaveListCode(i), codes[i]);
        EXPECT_EQ(OpenListCode(i + 1), codes[i]);
        EXPECT_EQ(SaveListIndexOf(codes[i]), i);
        EXPECT_TRUE(HasDocumentWriter(codes[i]));
    }
    // 0 (no answer from detection) is read and written as Shift-JIS.
    EXPECT_EQ(SaveListIndexOf(kUnknownCode), 0);
    EXPECT_EQ(SaveListIndexOf(kUtf32Le), -1);
    EXPECT_THROW(WriterCodeOf(kUtf32Le), ECodePageError);
}

TEST(DocumentCodes, MarksAreThoseOfTheUnicodeCodes) {
    EXPECT_TRUE(WriterCodeOf(kShiftJis).mark.isEmpty());
    EXPECT_TRUE(WriterCodeOf(kEucJp).mark.isEmpty());
    EXPECT_EQ(WriterCodeOf(kUtf8).mark, QByteArrayView("\xEF\xBB\xBF"));
    EXPECT_EQ(WriterCodeOf(kUtf16Le).mark, QByteArrayView("\xFF\xFE"));
    EXPECT_EQ(WriterCodeOf(kUtf16Be).mark, QByteArrayView("\xFE\xFF"));
}
