#include "ui/plot_view.h"

#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>
#include <QRubberBand>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// Ticks never come closer than this many pixels to each other than their
// labels need, and a zoomed axis has at most this many ticks.
constexpr int kLabelGap = 8;
constexpr int kMostRoundTicks = 11;

// Labels of `ticks` with `decimals`, and whether no two of them are the same.
bool LabelTicks(const QVector<double>& ticks, int decimals, const QLocale& locale, QVector<QString>& labels)
{
    labels.clear();
    bool distinct = true;
    for (const double tick : ticks) {
        labels.append(FormatPlotLabel(tick, decimals, locale));
        if (labels.size() > 1 && labels.last() == labels[labels.size() - 2])
            distinct = false;
    }
    return distinct;
}

//! The ticks of one axis. While the axis shows its set-up range it has the
//! set-up number of ticks evenly spread from the lower to the upper end, both
//! ends included, labelled with the set-up decimals or, when those would make
//! two labels alike (a very small range), as many more as tell them apart.
//! Once zoomed or scrolled it has ticks at multiples of a round step
//! (1, 2 or 5 times a power of ten), the smallest step whose labels fit
//! between the ticks, with the decimals the step needs.
class AxisTicker : public QCPAxisTicker {
public:
    AxisTicker(const QCPAxis& axis, const AxisSetup& setup) : m_axis(axis), m_setup(setup) {}

    void generate(const QCPRange& range, const QLocale& locale, QChar, int, QVector<double>& ticks,
                  QVector<double>* subTicks, QVector<QString>* tickLabels) override
    {
        QVector<QString> labels;
        if (range.lower == m_setup.minimum && range.upper == m_setup.maximum)
            evenTicks(range, locale, ticks, labels);
        else
            roundTicks(range, locale, ticks, labels);
        if (subTicks)
            subTicks->clear();
        if (tickLabels)
            *tickLabels = labels;
    }

private:
    void evenTicks(const QCPRange& range, const QLocale& locale, QVector<double>& ticks,
                   QVector<QString>& labels) const
    {
        const int count = std::max(m_setup.ticks, 2);
        ticks.clear();
        for (int k = 0; k < count - 1; ++k)
            ticks.append(range.lower + range.size() * k / (count - 1));
        ticks.append(range.upper);  // exactly, so the last tick is not trimmed
        for (int decimals = m_setup.decimals; !LabelTicks(ticks, decimals, locale, labels) && decimals < 15;)
            ++decimals;
    }

    void roundTicks(const QCPRange& range, const QLocale& locale, QVector<double>& ticks,
                    QVector<QString>& labels) const
    {
        const bool horizontal = m_axis.orientation() == Qt::Horizontal;
        const QFontMetrics metrics(m_axis.tickLabelFont());
        // The axis length of the last layout; before the first one, most of
        // the plot's.
        const QRect plot = m_axis.parentPlot()->viewport();
        int length = horizontal ? m_axis.axisRect()->width() : m_axis.axisRect()->height();
        if (length <= 0)
            length = (horizontal ? plot.width() : plot.height()) * 3 / 4;
        const double size = range.size();
        if (!(size > 0.0) || length <= 0) {
            ticks = {range.lower};
            LabelTicks(ticks, m_setup.decimals, locale, labels);
            return;
        }
        int exponent = static_cast<int>(std::floor(std::log10(size / (kMostRoundTicks - 1))));
        for (int tries = 0; tries < 60; ++tries, ++exponent) {
            for (const int mantissa : {1, 2, 5}) {
                const double step = mantissa * std::pow(10.0, exponent);
                if (step * (kMostRoundTicks - 1) < size * (1 - 1e-9))
                    continue;
                const double first = std::ceil(range.lower / step - 1e-9);
                const double last = std::floor(range.upper / step + 1e-9);
                ticks.clear();
                for (double k = first; k <= last; ++k)
                    ticks.append(k * step);
                LabelTicks(ticks, std::max(0, -exponent), locale, labels);
                int need = metrics.height() + kLabelGap / 2;
                if (horizontal) {
                    need = 0;
                    for (const QString& label : labels)
                        need = std::max(need, metrics.horizontalAdvance(label));
                    need += kLabelGap;
                }
                if (step / size * length >= need)
                    return;
            }
        }
    }

    const QCPAxis& m_axis;
    const AxisSetup& m_setup;
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
    // Curves come in the order of their keys: sorting them again would take
    // longer than drawing them.
    if (!m_keys.isEmpty())
        m_graph->addData(m_keys, m_values, std::is_sorted(m_keys.cbegin(), m_keys.cend()));
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

PlotSeries* PlotView::addSeries(const QString& name, const QColor& colour, Qt::PenStyle style)
{
    QCPGraph* graph = addGraph();
    graph->setName(name);
    graph->setPen(QPen(colour, 1, style));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    auto* series = new PlotSeries(*this, graph);
    m_series.append(series);
    return series;
}

void PlotView::applyAxis(QCPAxis* axis, const AxisSetup& setup)
{
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new AxisTicker(*axis, setup)));
    axis->setLabel(setup.caption);
    axis->setRange(setup.minimum, setup.maximum);
}

void PlotView::setLeftAxis(const AxisSetup& setup)
{
    m_left = setup;
    applyAxis(yAxis, m_left);
    scheduleReplot();
}

void PlotView::setBottomAxis(const AxisSetup& setup)
{
    m_bottom = setup;
    applyAxis(xAxis, m_bottom);
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

void PlotView::setScale(double scale)
{
    if (!m_scaled) {
        m_scaled = true;
        m_tickFont = xAxis->tickLabelFont();
        m_labelFont = xAxis->labelFont();
        for (int g = 0; g < graphCount(); ++g)
            m_pens.append(graph(g)->pen());
    }
    auto sized = [scale](QFont font) {
        if (font.pixelSize() > 0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
        else
            font.setPointSizeF(font.pointSizeF() * scale);
        return font;
    };
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setTickLabelFont(sized(m_tickFont));
        axis->setLabelFont(sized(m_labelFont));
    }
    for (int g = 0; g < graphCount() && g < m_pens.size(); ++g) {
        QPen pen = m_pens[g];
        pen.setWidthF(std::max(1.0, pen.widthF() * scale));
        graph(g)->setPen(pen);
    }
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
    // Nobody sees a plot out of sight redrawn: a calculation made from
    // another page leaves the drawing until the plot shows.
    if (!isVisible()) {
        m_replotWhenShown = true;
        return;
    }
    replot(QCustomPlot::rpQueuedReplot);
}

void PlotView::showEvent(QShowEvent* event)
{
    QCustomPlot::showEvent(event);
    if (m_replotWhenShown) {
        m_replotWhenShown = false;
        replot(QCustomPlot::rpQueuedReplot);
    }
}

void PlotView::paintEvent(QPaintEvent* event)
{
    // Painted while out of sight (a grab): the drawing that was left.
    if (m_replotWhenShown) {
        m_replotWhenShown = false;
        replot(QCustomPlot::rpQueuedRefresh);
    }
    QCustomPlot::paintEvent(event);
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
