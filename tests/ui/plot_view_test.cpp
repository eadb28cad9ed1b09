#include "ui/plot_view.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>

#include <gtest/gtest.h>

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
