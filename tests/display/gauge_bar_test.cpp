#include "display/gauge_bar.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "tests/display/display_test_support.h"

namespace {

class TGaugeBarTest : public testing::Test {
protected:
    TGaugeBarTest()
    {
        bar.OnChange = [this] { ++changes; };
    }
    QPoint middle_of(const QRect& r) const { return r.center(); }
    void wheel(int delta)
    {
        QWheelEvent event(QPointF(50, 4), bar.mapToGlobal(QPointF(50, 4)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&bar, &event);
    }
    TGaugeBar bar;
    int changes = 0;
};

TEST_F(TGaugeBarTest, StartsAtFiveOfFiveToFourHundredAndClampsWithChangeOnlyOnChange)
{
    EXPECT_EQ(bar.size(), QSize(100, 9));
    EXPECT_EQ(bar.position(), 5);
    bar.set_position(3);
    EXPECT_EQ(bar.position(), 5);
    EXPECT_EQ(changes, 0);  // clamped to the current position
    bar.set_position(500);
    EXPECT_EQ(bar.position(), 400);
    EXPECT_EQ(changes, 1);
    bar.set_position(400);
    EXPECT_EQ(changes, 1);
    bar.set_range(5, 300);
    EXPECT_EQ(bar.position(), 300);
    EXPECT_EQ(changes, 2);
}

TEST_F(TGaugeBarTest, ArrowsStepByOneAndTheTrackByTenTowardsThePress)
{
    bar.set_position(100);
    changes = 0;
    press(bar, middle_of(bar.increase_arrow_rect()));
    release(bar, middle_of(bar.increase_arrow_rect()));
    EXPECT_EQ(bar.position(), 101);
    press(bar, middle_of(bar.decrease_arrow_rect()));
    release(bar, middle_of(bar.decrease_arrow_rect()));
    EXPECT_EQ(bar.position(), 100);
    const QPoint after_handle(bar.handle_rect().right() + 3, 4);
    press(bar, after_handle);
    release(bar, after_handle);
    EXPECT_EQ(bar.position(), 110);
    const QPoint before_handle(bar.handle_rect().left() - 3, 4);
    press(bar, before_handle);
    release(bar, before_handle);
    EXPECT_EQ(bar.position(), 100);
    EXPECT_EQ(changes, 4);
}

TEST_F(TGaugeBarTest, DraggingTheHandleMovesInProportionToTheFreeLength)
{
    ASSERT_GT(bar.free_length(), 10);
    const QPoint grip = bar.handle_rect().center();
    press(bar, grip);
    move(bar, grip + QPoint(10, 0));
    EXPECT_EQ(bar.position(), 5 + static_cast<int>(std::lround(10.0 * 395 / bar.free_length())));
    move(bar, grip + QPoint(bar.free_length(), 30));
    EXPECT_EQ(bar.position(), 400);
    move(bar, grip + QPoint(-500, 0));
    EXPECT_EQ(bar.position(), 5);
    release(bar, grip);
    move(bar, grip + QPoint(10, 0));
    EXPECT_EQ(bar.position(), 5);  // released: later moves do not drag
}

TEST_F(TGaugeBarTest, WheelStepsByOnePerNotch)
{
    bar.set_position(50);
    wheel(120);
    EXPECT_EQ(bar.position(), 51);
    wheel(-240);
    EXPECT_EQ(bar.position(), 49);
    wheel(60);
    EXPECT_EQ(bar.position(), 49);
    wheel(60);
    EXPECT_EQ(bar.position(), 50);
}

TEST_F(TGaugeBarTest, HeldPressesRepeatAndTheTrackStopsAtThePress)
{
    press(bar, middle_of(bar.increase_arrow_rect()));
    QTest::qWait(TGaugeBar::kRepeatDelay + 10 * TGaugeBar::kRepeatInterval);
    release(bar, middle_of(bar.increase_arrow_rect()));
    const int held = bar.position();
    EXPECT_GT(held, 7);
    QTest::qWait(3 * TGaugeBar::kRepeatInterval);
    EXPECT_EQ(bar.position(), held);  // released: no more steps

    bar.set_position(5);
    const QPoint target(bar.track_rect().center().x(), 4);
    press(bar, target);
    QTest::qWait(TGaugeBar::kRepeatDelay + 40 * TGaugeBar::kRepeatInterval);
    release(bar, target);
    EXPECT_LE(bar.handle_rect().left(), target.x());
    EXPECT_GE(bar.handle_rect().right() + 1, target.x() - 1);
    EXPECT_LT(bar.position(), 400);
}

TEST_F(TGaugeBarTest, DrawsPatternArrowsAndAHandleThatFollowsThePosition)
{
    const QImage start = shown(bar);
    ASSERT_EQ(start.size(), QSize(100, 9));
    // The track beyond the handle alternates the colour with white.
    const int x = bar.track_rect().right() - 4;
    EXPECT_NE(at(start, x, 4), at(start, x + 1, 4));
    EXPECT_EQ(at(start, x, 4), at(start, x + 1, 5));
    // Each arrow has a dark glyph at its centre.
    EXPECT_EQ(at(start, bar.decrease_arrow_rect().center().x(), 4), 0xFF000000u);
    EXPECT_EQ(at(start, bar.increase_arrow_rect().center().x(), 4), 0xFF000000u);
    // The handle's grip is drawn where the handle is, and moves with it.
    const QPoint grip = bar.handle_rect().center();
    const std::uint32_t grip_colour = at(start, grip.x(), grip.y());
    bar.set_position(400);
    const QImage end = shown(bar);
    EXPECT_NE(at(end, grip.x(), grip.y()), grip_colour);
    EXPECT_EQ(at(end, bar.handle_rect().center().x(), grip.y()), grip_colour);
}

}  // namespace
