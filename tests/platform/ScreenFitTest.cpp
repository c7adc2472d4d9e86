#include "platform/ScreenFit.h"

#include <gtest/gtest.h>

#include <climits>

using quillo::platform::FitOnScreen;

namespace {

const QRect kArea(0, 30, 1280, 770); // a screen under a 30-pixel panel

} // namespace

TEST(ScreenFit, AFrameOnTheScreenStaysAsItIs) {
    EXPECT_EQ(FitOnScreen({100, 120}, {700, 400}, kArea), QRect(100, 120, 700, 400));
    // Partly off to the right or left is the user's choice while enough shows.
    EXPECT_EQ(FitOnScreen({1100, 120}, {700, 400}, kArea), QRect(1100, 120, 700, 400));
    EXPECT_EQ(FitOnScreen({-500, 120}, {700, 400}, kArea), QRect(-500, 120, 700, 400));
}

TEST(ScreenFit, HugeAndFarOffValuesComeOntoTheScreen) {
    const QRect huge = FitOnScreen({192, 102}, {INT_MAX, INT_MAX}, kArea);
    EXPECT_EQ(huge.size(), kArea.size());
    EXPECT_TRUE(kArea.contains(huge.topLeft()));

    for (const QPoint far : {QPoint(INT_MAX, INT_MAX), QPoint(INT_MIN, INT_MIN),
                             QPoint(INT_MIN, INT_MAX), QPoint(5000, -5000)}) {
        const QRect fitted = FitOnScreen(far, {700, 400}, kArea);
        EXPECT_EQ(fitted.size(), QSize(700, 400));
        // The top edge is on the screen and at least 100 pixels of it show.
        EXPECT_GE(fitted.top(), kArea.top());
        EXPECT_LE(fitted.top(), kArea.bottom() - 99);
        EXPECT_GE(fitted.right(), kArea.left() + 99);
        EXPECT_LE(fitted.left(), kArea.right() - 99);
    }
}

TEST(ScreenFit, NoSizeBelowTheMinimum) {
    EXPECT_EQ(FitOnScreen({10, 40}, {-5, 0}, kArea, {200, 200}).size(), QSize(200, 200));
    EXPECT_EQ(FitOnScreen({10, 40}, {INT_MIN, 50}, kArea, {200, 200}).size(), QSize(200, 200));
}
