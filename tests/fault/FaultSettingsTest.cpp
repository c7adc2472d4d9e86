// Settings that would cost time or hide the window, and the summary of the
// suite: the longest any case held the window up.

#include "editing/LinesForm.h"
#include "fault/FaultSupport.h"
#include "platform/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>

namespace {

class FaultSettingsTest : public quillo::testing::FaultTest {
protected:
    void SetUp() override { WindowTest::SetUp(); }
};

class TSummary : public ::testing::Environment {
public:
    void TearDown() override {
        const auto& longest = quillo::testing::LongestBlock();
        std::printf("[fault] longest the window was held: %lld ms (%s)\n",
                    static_cast<long long>(longest.Ms), longest.Case.c_str());
    }
};
[[maybe_unused]] auto* const kSummary = ::testing::AddGlobalTestEnvironment(new TSummary);

} // namespace

TEST_F(FaultSettingsTest, AbsurdStoredNumbersCostNothingAndLandOnTheScreen) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->setValue("Window-Width", INT_MAX);
        s->setValue("Window-Height", INT_MAX);
        s->setValue("Window-Left", INT_MIN);
        s->setValue("Window-Top", INT_MAX);
        s->setValue("Font-Size", INT_MAX);
        s->setValue("PrintMargin-Left", INT_MAX);
        s->setValue("PrintMargin-Top", -5);
        s->setValue("Num-Window-Left", qint64(1) << 40);
        s->setValue("Num-Window-Top", -(qint64(1) << 40));
        s->sync();
    }
    std::unique_ptr<quillo::app::TWin2kAppForm> form;
    const qint64 ms = Blocked([&] { form = Start({}); });
    EXPECT_LT(ms, 1000);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(form->width(), area.width());
    EXPECT_LE(form->height(), area.height());
    EXPECT_TRUE(area.intersects(form->frameGeometry()));
    EXPECT_EQ(Memo(*form).font().pointSize(), 200);
    EXPECT_EQ(form->PageSetupMargins().Left, 50000);
    EXPECT_EQ(form->PageSetupMargins().Top, 0);

    quillo::editing::TLinesForm lines(form.get());
    EXPECT_TRUE(area.intersects(QRect(lines.pos(), lines.size())))
        << lines.pos().x() << "," << lines.pos().y();
}
