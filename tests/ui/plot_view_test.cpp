#include "ui/plot_view.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ui::PlotView;

void mouse(PlotView& view, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(view.mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(&view, &event);
}

void drag(PlotView& view, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers)
{
    mouse(view, QEvent::MouseButtonPress, from, modifiers);
    mouse(view, QEvent::MouseMove, (from + to) / 2, modifiers);
    mouse(view, QEvent::MouseMove, to, modifiers);
    mouse(view, QEvent::MouseButtonRelease, to, modifiers);
}

class Plot : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(300, 240);
        view.setBottomAxis({-5.0, 5.0, 11, 2, "Arcseconds"});
        view.setLeftAxis({0.0, 1.0, 6, 3, QString()});
        view.replot();
    }
    QPoint at(double x, double y) const
    {
        return {qRound(view.xAxis->coordToPixel(x)), qRound(view.yAxis->coordToPixel(y))};
    }

    PlotView view;
};

TEST_F(Plot, AltDragZoomsToTheRectangleAndAltClickResets)
{
    drag(view, at(-2, 0.8), at(2, 0.2), Qt::AltModifier);
    EXPECT_NEAR(view.xAxis->range().lower, -2, 0.05);
    EXPECT_NEAR(view.xAxis->range().upper, 2, 0.05);
    EXPECT_NEAR(view.yAxis->range().lower, 0.2, 0.01);
    EXPECT_NEAR(view.yAxis->range().upper, 0.8, 0.01);

    const QPoint p = at(0, 0.5);
    mouse(view, QEvent::MouseButtonPress, p, Qt::AltModifier);
    mouse(view, QEvent::MouseButtonRelease, p + QPoint(1, 0), Qt::AltModifier);
    EXPECT_EQ(view.xAxis->range(), QCPRange(-5, 5));
    EXPECT_EQ(view.yAxis->range(), QCPRange(0, 1));
}

TEST_F(Plot, CtrlDragScrolls)
{
    drag(view, at(0, 0.5), at(1, 0.5), Qt::ControlModifier);
    EXPECT_NEAR(view.xAxis->range().lower, -6, 0.05);
    EXPECT_NEAR(view.xAxis->range().upper, 4, 0.05);
    EXPECT_NEAR(view.yAxis->range().lower, 0, 1e-9);
    EXPECT_NEAR(view.yAxis->range().upper, 1, 1e-9);
}

TEST_F(Plot, LeftMaximumBecomesTheResetRange)
{
    view.setLeftMaximum(0.83);
    drag(view, at(-1, 0.5), at(1, 0.1), Qt::AltModifier);
    view.resetView();
    EXPECT_EQ(view.yAxis->range(), QCPRange(0, 0.83));
    view.setLeftMaximum(std::nan(""));
    view.setLeftMaximum(0.0);
    EXPECT_EQ(view.leftMaximum(), 0.83);
}

TEST_F(Plot, SixEvenTicksWithTrimmedLabels)
{
    view.setLeftMaximum(0.83);
    view.replot();
    const QVector<double> ticks = view.yAxis->tickVector();
    const QVector<QString> labels = view.yAxis->tickVectorLabels();
    ASSERT_EQ(ticks.size(), 6);
    EXPECT_EQ(ticks.first(), 0.0);
    EXPECT_EQ(ticks.last(), 0.83);
    const QLocale& l = view.locale();
    EXPECT_EQ(labels[0], "0");
    EXPECT_EQ(labels[1], ui::FormatPlotLabel(0.166, 3, l));
    EXPECT_EQ(labels[5], ui::FormatPlotLabel(0.83, 3, l));
}

// 1, 2 or 5 times a power of ten.
bool IsRoundStep(double step)
{
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (std::fabs(mantissa - m) < 1e-6)
            return true;
    return false;
}

// After zooming or scrolling, each axis has ticks a round step apart whose
// labels differ and do not run into each other.
TEST_F(Plot, ZoomedAndScrolledAxesHaveRoundStepsAndRoomForTheirLabels)
{
    struct Case {
        const char* name;
        QPointF from;  // fractions of the axis rectangle
        QPointF to;
        Qt::KeyboardModifiers modifiers;
        int times;
    } cases[] = {
        {"zoom", {0.345, 0.09}, {0.67, 0.87}, Qt::AltModifier, 1},
        {"deep zoom", {0.41, 0.4}, {0.53, 0.52}, Qt::AltModifier, 4},
        {"scroll", {0.5, 0.5}, {0.537, 0.43}, Qt::ControlModifier, 1},
    };
    for (const Case& c : cases) {
        view.resetView();
        view.replot();
        const QRect r = view.axisRect()->rect();
        const auto pixel = [&](QPointF f) {
            return QPoint(r.left() + qRound(f.x() * r.width()), r.top() + qRound(f.y() * r.height()));
        };
        for (int k = 0; k < c.times; ++k) {
            drag(view, pixel(c.from), pixel(c.to), c.modifiers);
            view.replot();
        }
        ASSERT_NE(view.xAxis->range(), QCPRange(-5, 5)) << c.name;
        for (QCPAxis* axis : {view.xAxis, view.yAxis}) {
            const QVector<double> ticks = axis->tickVector();
            const QVector<QString> labels = axis->tickVectorLabels();
            const QFontMetrics metrics(axis->tickLabelFont());
            ASSERT_GE(ticks.size(), 2) << c.name;
            for (int k = 1; k < ticks.size(); ++k) {
                const double step = ticks[k] - ticks[k - 1];
                EXPECT_TRUE(IsRoundStep(step)) << c.name << " step " << step;
                EXPECT_NE(labels[k], labels[k - 1]) << c.name;
                const double apart = std::fabs(axis->coordToPixel(ticks[k]) - axis->coordToPixel(ticks[k - 1]));
                const int need = axis == view.xAxis
                                     ? std::max(metrics.horizontalAdvance(labels[k]),
                                                metrics.horizontalAdvance(labels[k - 1]))
                                     : metrics.height();
                EXPECT_GE(apart, need) << c.name << " " << labels[k - 1].toStdString() << " "
                                       << labels[k].toStdString();
            }
        }
    }
    // Back at the set-up ranges the even ticks return.
    view.resetView();
    view.replot();
    EXPECT_EQ(view.xAxis->tickVector().size(), 11);
    EXPECT_EQ(view.yAxis->tickVector().size(), 6);
}

TEST_F(Plot, SmallMaximumGetsTheDecimalsThatTellTheTicksApart)
{
    view.setLeftMaximum(0.004);
    view.replot();
    const QVector<QString> labels = view.yAxis->tickVectorLabels();
    const QVector<QString> expected = {"0", "0.0008", "0.0016", "0.0024", "0.0032", "0.004"};
    EXPECT_EQ(labels, expected);
}

TEST_F(Plot, SuspendedSeriesShowsItsPointsAtTheEnd)
{
    ui::PlotSeries* s = view.addSeries("line", Qt::green);
    s->beginUpdate();
    s->add(0.0, 1.0);
    s->add(0.5, 0.25);
    EXPECT_EQ(s->count(), 0);
    s->endUpdate();
    ASSERT_EQ(s->count(), 2);
    EXPECT_EQ(s->x(1), 0.5);
    EXPECT_EQ(s->y(1), 0.25);
    s->add(1.0, 0.0);
    EXPECT_EQ(s->count(), 3);
    s->clear();
    EXPECT_EQ(s->count(), 0);
    EXPECT_EQ(s->colour(), QColor(Qt::green));
    // Points given out of order are still kept in the order of their keys.
    s->beginUpdate();
    for (const double x : {0.75, 0.25, 0.5})
        s->add(x, x);
    s->endUpdate();
    ASSERT_EQ(s->count(), 3);
    EXPECT_EQ(s->x(0), 0.25);
    EXPECT_EQ(s->x(2), 0.75);
}

TEST(FormatPlotLabel, AtMostTheGivenDecimalsWithoutTrailingZeros)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(ui::FormatPlotLabel(0.8281, 3, c), "0.828");
    EXPECT_EQ(ui::FormatPlotLabel(1.0, 2, c), "1");
    EXPECT_EQ(ui::FormatPlotLabel(0.5, 3, c), "0.5");
    EXPECT_EQ(ui::FormatPlotLabel(-2.5, 2, c), "-2.5");
    EXPECT_EQ(ui::FormatPlotLabel(-0.0001, 2, c), "0");
    EXPECT_EQ(ui::FormatPlotLabel(1234.5, 2, c), "1234.5");
    EXPECT_EQ(ui::FormatPlotLabel(0.5, 2, QLocale(QLocale::German)), "0,5");
}

}  // namespace
