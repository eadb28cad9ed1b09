#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QVector>

#include "ui/layout_scaler.h"

#include <qcustomplot.h>

class QLocale;
class QRubberBand;

namespace ui {

class PlotView;

//! `value` with at most `maxDecimals` decimals and no trailing zeros, at
//! least one integer digit ("###0.##" for 2, "###0.###" for 3), with the
//! decimal separator of `locale`. No sign on a value that rounds to zero.
QString FormatPlotLabel(double value, int maxDecimals, const QLocale& locale);

//! One line of a plot (no point marks). Points can be added one by one; while
//! updates are suspended they are collected and handed to the plot at once.
class PlotSeries {
public:
    PlotSeries(PlotView& view, QCPGraph* graph);

    QString name() const;
    QColor colour() const;
    //! Removes every point.
    void clear();
    //! Suspends redrawing: points added from now on are shown by endUpdate.
    void beginUpdate();
    void add(double x, double y);
    //! Shows the points added since beginUpdate and redraws the plot once.
    void endUpdate();

    int count() const;
    double x(int index) const;
    double y(int index) const;

private:
    PlotView& m_view;
    QCPGraph* m_graph;
    bool m_suspended = false;
    QVector<double> m_keys;
    QVector<double> m_values;
};

//! Settings of one axis: its range when the view is reset, the number of
//! evenly spaced ticks from the lower to the upper end while that range
//! shows, the decimals of the tick labels (more when they would not tell the
//! ticks apart) and the caption. A zoomed or scrolled axis has round tick
//! steps instead, as many ticks as their labels leave room for.
struct AxisSetup {
    double minimum = 0.0;
    double maximum = 1.0;
    int ticks = 6;
    int decimals = 2;
    QString caption;
};

//! An XY line plot on a white field with a dotted grid.
//!
//! Mouse gestures: with Alt held, dragging the left button zooms to the
//! dragged rectangle and a left click without dragging resets both axes to
//! their set-up ranges; with Ctrl held, dragging the left button scrolls.
class PlotView : public QCustomPlot, public Scalable {
    Q_OBJECT

public:
    explicit PlotView(QWidget* parent = nullptr);
    ~PlotView() override;

    //! Adds a line series drawn with `colour` (and `style`: dashed for a
    //! held comparison); the view owns it.
    PlotSeries* addSeries(const QString& name, const QColor& colour, Qt::PenStyle style = Qt::SolidLine);
    PlotSeries* series(int index) const { return m_series.value(index); }

    void setLeftAxis(const AxisSetup& setup);
    void setBottomAxis(const AxisSetup& setup);
    //! Sets the upper end of the left axis (the reset range too); ignored when
    //! it is not finite or not above the lower end.
    void setLeftMaximum(double maximum);
    double leftMaximum() const { return m_left.maximum; }

    //! Back to the set-up ranges of both axes.
    void resetView();
    //! Zooms to the rectangle between two widget points; an axis along which
    //! they are less than 3 pixels apart keeps its range.
    void zoomToPixels(const QPoint& from, const QPoint& to);
    //! Scrolls the ranges by the widget distance from `from` to `to`, as if
    //! the plot were dragged along.
    void scrollByPixels(const QPoint& from, const QPoint& to);

    //! Redraws once the event loop runs; a plot out of sight is redrawn when
    //! it comes into sight or is painted.
    void scheduleReplot();

    //! Texts and lines `scale` times their size.
    void setScale(double scale) override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Gesture { None, Zoom, Scroll };

    //! `setup` must be the view's own m_left or m_bottom: the axis reads it
    //! whenever it lays out its ticks.
    void applyAxis(QCPAxis* axis, const AxisSetup& setup);

    QList<PlotSeries*> m_series;
    AxisSetup m_left;
    AxisSetup m_bottom;
    Gesture m_gesture = Gesture::None;
    QPoint m_start;
    QCPRange m_startX;
    QCPRange m_startY;
    QRubberBand* m_band = nullptr;
    bool m_replotWhenShown = false;
    // The fonts and pens of scale 1, taken when the scale first changes.
    bool m_scaled = false;
    QFont m_tickFont;
    QFont m_labelFont;
    QList<QPen> m_pens;
};

}  // namespace ui
