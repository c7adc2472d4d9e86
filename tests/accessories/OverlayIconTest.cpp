#include "accessories/ImageList.h"
#include "accessories/zkOverlayIcon.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMainWindow>
#include <QPainter>

#include <memory>
#include <vector>

using namespace quillo::accessories;

namespace {

// Records every overlay the components apply.
struct Applied {
    QWidget* window;
    bool shown;
    QString hint;
};

class CountingTaskbar : public ITaskbarList3 {
public:
    void SetOverlayIcon(QWidget* window, const QIcon& icon, const QString& description) override {
        calls.push_back({window, !icon.isNull(), description});
    }
    std::vector<Applied> calls;
};

void RunEventLoopOnce() {
    QCoreApplication::processEvents();
}

class OverlayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        taskbar = std::make_shared<CountingTaskbar>();
        images = CreateImageList2(&window);
        overlay = std::make_unique<TzkOverlayIcon>(&window, taskbar);
        overlay->SetImages(images);
    }
    void TearDown() override { overlay.reset(); }

    size_t Count() const { return taskbar->calls.size(); }
    const Applied& Last() const { return taskbar->calls.back(); }

    QMainWindow window;
    std::shared_ptr<CountingTaskbar> taskbar;
    TImageList* images = nullptr;
    std::unique_ptr<TzkOverlayIcon> overlay;
};

TEST_F(OverlayIconTest, TheSevenOverlayPicturesLoad) {
    ASSERT_EQ(images->Count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(images->GetIcon(i).pixmap(16, 16).isNull()) << i;
    }
    EXPECT_TRUE(images->GetIcon(7).isNull());
    std::unique_ptr<TImageList> actions(CreateImageList1(nullptr));
    EXPECT_EQ(actions->Count(), 24);
}

TEST_F(OverlayIconTest, FirstInitialisationAppliesEarlierChanges) {
    overlay->SetImageIndex(4);
    overlay->SetHint(QStringLiteral("文字列を検索中です"));
    EXPECT_FALSE(overlay->IsInitialized());
    EXPECT_EQ(Count(), 0u);
    RunEventLoopOnce();
    EXPECT_TRUE(overlay->IsInitialized());
    ASSERT_EQ(Count(), 1u); // only the initialisation: nothing was posted before it
    EXPECT_EQ(Last().window, &window);
    EXPECT_TRUE(Last().shown);
    EXPECT_EQ(Last().hint, "文字列を検索中です");
}

TEST_F(OverlayIconTest, ChangesApplyAtTheNextEventLoopTurn) {
    RunEventLoopOnce();
    const size_t start = Count();
    overlay->SetImageIndex(1);
    EXPECT_EQ(Count(), start); // not at once
    RunEventLoopOnce();
    ASSERT_EQ(Count(), start + 1);
    EXPECT_TRUE(Last().shown);
    EXPECT_EQ(Last().hint, "");
}

TEST_F(OverlayIconTest, SameValuesPostNothingButImagesAlwaysDo) {
    RunEventLoopOnce();
    overlay->SetImageIndex(3);
    overlay->SetHint(QStringLiteral("保存中です"));
    RunEventLoopOnce();
    const size_t start = Count();
    overlay->SetImageIndex(3);
    overlay->SetHint(QStringLiteral("保存中です"));
    RunEventLoopOnce();
    EXPECT_EQ(Count(), start);
    overlay->SetImages(images);
    RunEventLoopOnce();
    EXPECT_EQ(Count(), start + 1);
}

TEST_F(OverlayIconTest, EveryChangePostsAnUpdateOfTheLatestState) {
    RunEventLoopOnce();
    const size_t start = Count();
    overlay->SetImageIndex(5);
    overlay->SetHint(QStringLiteral("ファイルを保存しますか？"));
    overlay->SetImageIndex(2);
    RunEventLoopOnce();
    ASSERT_EQ(Count(), start + 3);
    for (size_t i = start; i < Count(); ++i) {
        EXPECT_TRUE(taskbar->calls[i].shown);
        EXPECT_EQ(taskbar->calls[i].hint, "ファイルを保存しますか？");
    }
}

TEST_F(OverlayIconTest, IndexOutsideTheListRemovesTheOverlay) {
    RunEventLoopOnce();
    for (const int index : {7, -1, 100}) {
        overlay->SetImageIndex(0);
        overlay->SetHint(QStringLiteral("x"));
        RunEventLoopOnce();
        ASSERT_TRUE(Last().shown);
        overlay->SetImageIndex(index);
        RunEventLoopOnce();
        EXPECT_FALSE(Last().shown) << index;
        EXPECT_EQ(Last().hint, "") << index;
    }
    overlay->SetImages(nullptr);
    overlay->SetImageIndex(2);
    RunEventLoopOnce();
    EXPECT_FALSE(Last().shown);
}

TEST_F(OverlayIconTest, DestructionRemovesTheOverlayAtOnce) {
    overlay->SetImageIndex(6);
    RunEventLoopOnce();
    ASSERT_TRUE(Last().shown);
    const size_t start = Count();
    overlay.reset();
    ASSERT_EQ(Count(), start + 1);
    EXPECT_FALSE(Last().shown);
    RunEventLoopOnce(); // nothing left to deliver to the gone component
    EXPECT_EQ(Count(), start + 1);
}

TEST(OverlayIcon, ClosingAWindowThatOwnsItRemovesTheOverlay) {
    auto taskbar = std::make_shared<CountingTaskbar>();
    auto* window = new QMainWindow;
    auto* overlay = new TzkOverlayIcon(window, taskbar);
    overlay->SetImages(CreateImageList2(window));
    overlay->SetImageIndex(3);
    QCoreApplication::processEvents();
    ASSERT_TRUE(taskbar->calls.back().shown);
    delete window;
    EXPECT_FALSE(taskbar->calls.back().shown);

    // The same with the real taskbar, which draws on the window being destroyed.
    window = new QMainWindow;
    overlay = new TzkOverlayIcon(window);
    overlay->SetImages(CreateImageList2(window));
    overlay->SetImageIndex(3);
    QCoreApplication::processEvents();
    ASSERT_TRUE(overlay->IsInitialized());
    delete window;
}

TEST(OverlayIcon, WithoutTaskbarOrWindowItStaysUninitialised) {
    TzkOverlayIcon noTaskbar(nullptr, nullptr);
    auto taskbar = std::make_shared<CountingTaskbar>();
    TzkOverlayIcon noWindow(nullptr, taskbar);
    noWindow.SetImageIndex(1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(noTaskbar.IsInitialized());
    EXPECT_FALSE(noWindow.IsInitialized());
    noWindow.SetImageIndex(2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(taskbar->calls.empty());
}

TEST(OverlayIcon, AutoInitializeOffKeepsItInactive) {
    auto taskbar = std::make_shared<CountingTaskbar>();
    QMainWindow window;
    TzkOverlayIcon overlay(&window, taskbar);
    overlay.SetAutoInitialize(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(overlay.IsInitialized());
    EXPECT_TRUE(taskbar->calls.empty());
}

// The real taskbar: the overlay is drawn onto the window's icon.
TEST(WindowIconTaskbar, ComposesOntoTheWindowIconAndRestoresIt) {
    QMainWindow window;
    QPixmap blue(32, 32);
    blue.fill(Qt::blue);
    window.setWindowIcon(QIcon(blue));
    QPixmap red(16, 16);
    red.fill(Qt::red);

    TWindowIconTaskbarList taskbar;
    taskbar.SetOverlayIcon(&window, QIcon(red), QStringLiteral("印刷中"));
    QImage shown = window.windowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(Qt::blue));
    EXPECT_EQ(QColor(shown.pixel(28, 28)), QColor(Qt::red));
    EXPECT_EQ(window.accessibleDescription(), "印刷中");

    // A second overlay replaces the first instead of stacking on it.
    QPixmap green(16, 16);
    green.fill(Qt::green);
    taskbar.SetOverlayIcon(&window, QIcon(green), QStringLiteral("検索中"));
    shown = window.windowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(QColor(shown.pixel(28, 28)), QColor(Qt::green));
    EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(Qt::blue));

    taskbar.SetOverlayIcon(&window, QIcon(), QString());
    shown = window.windowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(QColor(shown.pixel(28, 28)), QColor(Qt::blue));
    EXPECT_EQ(window.accessibleDescription(), "");
}

TEST(WindowIconTaskbar, RealOverlayThroughTheComponent) {
    QMainWindow window;
    QPixmap white(32, 32);
    white.fill(Qt::white);
    window.setWindowIcon(QIcon(white));
    TzkOverlayIcon overlay(&window);
    overlay.SetImages(CreateImageList2(&window));
    overlay.SetImageIndex(3);
    overlay.SetHint(QStringLiteral("保存中です"));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.accessibleDescription(), "保存中です");
    const QImage shown = window.windowIcon().pixmap(32, 32).toImage();
    int coloured = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 16; x < 32; ++x) {
            coloured += QColor(shown.pixel(x, y)) != QColor(Qt::white);
        }
    }
    EXPECT_GT(coloured, 10); // the pencil shows in the corner
}

} // namespace
