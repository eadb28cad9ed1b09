#include "ui/plot_view.h"

#include <QLocale>
#include <QMouseEvent>
#include <QRubberBand>

#include <cmath>

namespace ui {

namespace {

//! `count` ticks evenly spread from the lower to the upper end of the range,
//! both ends included, labelled with at most `decimals` decimals.
class EvenTicker : public QCPAxisTicker {
public:
    EvenTicker(int count, int decimals) : m_count(count < 2 ? 2 : count), m_decimals(decimals) {}

protected:
    double getTickStep(const QCPRange& range) override { return range.size() / (m_count - 1); }
    int getSubTickCount(double) override { return 0; }
    QString getTickLabel(double tick, const QLocale& locale, QChar, int) override
    {
        return FormatPlotLabel(tick, m_decimals, locale);
    }
    QVector<double> createTickVector(double, const QCPRange& range) override
    {
        QVector<double> ticks;
        ticks.reserve(m_count);
        for (int k = 0; k < m_count - 1; ++k)
            ticks.append(range.lower + range.size() * k / (m_count - 1));
        ticks.append(range.upper);  // exactly, so the last tick is not trimmed
        return ticks;
    }

private:
    int m_count;
    int m_decimals;
};

// Drags shorter than this are clicks.
constexpr int kDragThreshold = 3;

}  // namespace

QString FormatPlotLabel(double value, int maxDecimals, const QLocale& locale)
{
    QString s = QString::number(value, 'f', maxDecimals);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    s.replace(QLatin1Char('.'), locale.decimalPoint());
    return s;
}

PlotSeries::PlotSeries(PlotView& view, QCPGraph* graph) : m_view(view), m_graph(graph) {}

QString PlotSeries::name() const
{
    return m_graph->name();
}

QColor PlotSeries::colour() const
{
    return m_graph->pen().color();
}

void PlotSeries::clear()
{
    m_graph->data()->clear();
    m_keys.clear();
    m_values.clear();
    if (!m_suspended)
        m_view.scheduleReplot();
}

void PlotSeries::beginUpdate()
{
    m_suspended = true;
}

void PlotSeries::add(double x, double y)
{
    if (m_suspended) {
        m_keys.append(x);
        m_values.append(y);
    } else {
        m_graph->addData(x, y);
        m_view.scheduleReplot();
    }
}

void PlotSeries::endUpdate()
{
    m_suspended = false;
    if (!m_keys.isEmpty())
        m_graph->addData(m_keys, m_values);
    m_keys.clear();
    m_values.clear();
    m_view.scheduleReplot();
}

int PlotSeries::count() const
{
    return m_graph->data()->size();
}

double PlotSeries::x(int index) const
{
    return m_graph->data()->at(index)->key;
}

double PlotSeries::y(int index) const
{
    return m_graph->data()->at(index)->value;
}

PlotView::PlotView(QWidget* parent) : QCustomPlot(parent)
{
    setLocale(QLocale::system());
    setBackground(Qt::white);
    axisRect()->setBackground(Qt::white);
    const QPen dotted(QColor(160, 160, 160), 0, Qt::DotLine);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->grid()->setPen(dotted);
        axis->grid()->setZeroLinePen(dotted);
        axis->grid()->setSubGridVisible(false);
    }
    setNoAntialiasingOnDrag(true);
}

PlotView::~PlotView()
{
    qDeleteAll(m_series);
}

PlotSeries* PlotView::addSeries(const QString& name, const QColor& colour)
{
    QCPGraph* graph = addGraph();
    graph->setName(name);
    graph->setPen(QPen(colour, 1));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    auto* series = new PlotSeries(*this, graph);
    m_series.append(series);
    return series;
}

void PlotView::applyAxis(QCPAxis* axis, const AxisSetup& setup)
{
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new EvenTicker(setup.ticks, setup.decimals)));
    axis->setLabel(setup.caption);
    axis->setRange(setup.minimum, setup.maximum);
}

void PlotView::setLeftAxis(const AxisSetup& setup)
{
    m_left = setup;
    applyAxis(yAxis, setup);
    scheduleReplot();
}

void PlotView::setBottomAxis(const AxisSetup& setup)
{
    m_bottom = setup;
    applyAxis(xAxis, setup);
    scheduleReplot();
}

void PlotView::setLeftMaximum(double maximum)
{
    if (!std::isfinite(maximum) || !(maximum > m_left.minimum))
        return;
    m_left.maximum = maximum;
    yAxis->setRange(m_left.minimum, maximum);
    scheduleReplot();
}

void PlotView::resetView()
{
    xAxis->setRange(m_bottom.minimum, m_bottom.maximum);
    yAxis->setRange(m_left.minimum, m_left.maximum);
    scheduleReplot();
}

void PlotView::zoomToPixels(const QPoint& from, const QPoint& to)
{
    // An axis along which the drag is shorter than a click keeps its range.
    if (std::abs(to.x() - from.x()) >= kDragThreshold)
        xAxis->setRange(QCPRange(xAxis->pixelToCoord(from.x()), xAxis->pixelToCoord(to.x())));
    if (std::abs(to.y() - from.y()) >= kDragThreshold)
        yAxis->setRange(QCPRange(yAxis->pixelToCoord(from.y()), yAxis->pixelToCoord(to.y())));
    scheduleReplot();
}

void PlotView::scrollByPixels(const QPoint& from, const QPoint& to)
{
    const double dx = xAxis->pixelToCoord(from.x()) - xAxis->pixelToCoord(to.x());
    const double dy = yAxis->pixelToCoord(from.y()) - yAxis->pixelToCoord(to.y());
    xAxis->setRange(xAxis->range().lower + dx, xAxis->range().upper + dx);
    yAxis->setRange(yAxis->range().lower + dy, yAxis->range().upper + dy);
    scheduleReplot();
}

void PlotView::scheduleReplot()
{
    replot(QCustomPlot::rpQueuedReplot);
}

void PlotView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::AltModifier)) {
        m_gesture = Gesture::Zoom;
        m_start = event->pos();
        if (!m_band)
            m_band = new QRubberBand(QRubberBand::Rectangle, this);
        m_band->setGeometry(QRect(m_start, QSize()));
        m_band->show();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        m_gesture = Gesture::Scroll;
        m_start = event->pos();
        m_startX = xAxis->range();
        m_startY = yAxis->range();
        event->accept();
        return;
    }
    QCustomPlot::mousePressEvent(event);
}

void PlotView::mouseMoveEvent(QMouseEvent* event)
{
    switch (m_gesture) {
    case Gesture::Zoom:
        m_band->setGeometry(QRect(m_start, event->pos()));
        event->accept();
        return;
    case Gesture::Scroll:
        // Always from the ranges at the press, so rounding does not build up.
        xAxis->setRange(m_startX);
        yAxis->setRange(m_startY);
        scrollByPixels(m_start, event->pos());
        event->accept();
        return;
    case Gesture::None:
        break;
    }
    QCustomPlot::mouseMoveEvent(event);
}

void PlotView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_gesture == Gesture::Zoom && event->button() == Qt::LeftButton) {
        m_gesture = Gesture::None;
        m_band->hide();
        const QPoint end = event->pos();
        if (std::abs(end.x() - m_start.x()) < kDragThreshold && std::abs(end.y() - m_start.y()) < kDragThreshold)
            resetView();
        else
            zoomToPixels(m_start, end);
        event->accept();
        return;
    }
    if (m_gesture == Gesture::Scroll && event->button() == Qt::LeftButton) {
        m_gesture = Gesture::None;
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

}  // namespace ui
