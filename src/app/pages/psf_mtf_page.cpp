#include "app/pages/psf_mtf_page.h"

#include "app/control_names.h"
#include "app/figures_text.h"
#include "app/pages/page_helpers.h"
#include "optics/figures.h"
#include "ui/hints.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

namespace app {

namespace {

constexpr double kEnergyRangeArcsec = 5.0;

// A legend line cut to its width; the whole text is its hint.
void setLegend(QLabel* label, const QString& text)
{
    label->setText(QFontMetrics(label->font()).elidedText(text, Qt::ElideRight, label->width()));
    ui::setHint(label, text, true);
}

void fill(ui::PlotSeries* series, const std::vector<optics::CurvePoint>& points, double xScale = 1.0)
{
    series->clear();
    series->beginUpdate();
    for (const optics::CurvePoint& p : points)
        series->add(p.x * xScale, p.y);
    series->endUpdate();
}

template <std::size_t N>
void fill(ui::PlotSeries* series, const std::array<optics::CurvePoint, N>& points, double xScale = 1.0)
{
    fill(series, std::vector<optics::CurvePoint>(points.begin(), points.end()), xScale);
}

}  // namespace

PsfMtfPage::PsfMtfPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(names::kPsfMtfPage));

    m_psfPlot = new ui::PlotView(this);
    m_psfPlot->setObjectName(QLatin1String(names::kPsfPlot));
    m_psfPlot->setGeometry(0, 0, 277, 236);
    ui::setHint(m_psfPlot, QStringLiteral("PSF from the Starimage"), false);
    m_psfPlot->setLeftAxis({0.0, 1.0, 6, 3, QString()});
    m_psfPlot->setBottomAxis({-5.0, 5.0, 11, 2, QStringLiteral("Arcseconds")});
    m_psfXHeld = m_psfPlot->addSeries(QLatin1String(names::kPsfXHeld), Qt::green, Qt::DashLine);
    m_psfYHeld = m_psfPlot->addSeries(QLatin1String(names::kPsfYHeld), Qt::red, Qt::DashLine);
    m_psfX = m_psfPlot->addSeries(QLatin1String(names::kPsfX), Qt::green);
    m_psfY = m_psfPlot->addSeries(QLatin1String(names::kPsfY), Qt::red);

    m_mtfPlot = new ui::PlotView(this);
    m_mtfPlot->setObjectName(QLatin1String(names::kMtfPlot));
    m_mtfPlot->setGeometry(279, 0, 277, 236);
    ui::setHint(m_mtfPlot, QStringLiteral("MTF of the Starimage"), false);
    m_mtfPlot->setLeftAxis({0.0, 1.0, 6, 2, QString()});
    m_mtfPlot->setBottomAxis({0.0, 1.0, 6, 2, QStringLiteral("Resolution")});
    m_perfect = m_mtfPlot->addSeries(QLatin1String(names::kMtfPerfect), Qt::black);
    m_mtfXHeld = m_mtfPlot->addSeries(QLatin1String(names::kMtfXHeld), Qt::green, Qt::DashLine);
    m_mtfYHeld = m_mtfPlot->addSeries(QLatin1String(names::kMtfYHeld), Qt::red, Qt::DashLine);
    m_mtfX = m_mtfPlot->addSeries(QLatin1String(names::kMtfX), Qt::green);
    m_mtfY = m_mtfPlot->addSeries(QLatin1String(names::kMtfY), Qt::red);

    // The encircled energy takes the MTF plot's place when chosen, with the
    // same zoom and scroll.
    m_energyPlot = new ui::PlotView(this);
    m_energyPlot->setObjectName(QLatin1String(names::kEnergyPlot));
    m_energyPlot->setGeometry(279, 0, 277, 236);
    ui::setHint(m_energyPlot,
                QStringLiteral("Encircled energy|Fraction of the star's light within a radius of its centre of "
                               "light (blue), against the perfect telescope of the same aperture (black)"),
                false);
    m_energyPlot->setLeftAxis({0.0, 1.0, 6, 2, QStringLiteral("Encircled energy")});
    m_energyPlot->setBottomAxis({0.0, kEnergyRangeArcsec, 6, 2, QStringLiteral("Radius (arcseconds)")});
    m_energyPerfect = m_energyPlot->addSeries(QLatin1String(names::kEnergyPerfect), Qt::black);
    m_energyHeld = m_energyPlot->addSeries(QLatin1String(names::kEnergyHeld), Qt::blue, Qt::DashLine);
    m_energy = m_energyPlot->addSeries(QLatin1String(names::kEnergyLine), Qt::blue);
    m_energyPlot->hide();

    auto legend = [this](const char* name, const QString& text, const char* colour, int x) {
        QLabel* l = makeLabel(this, text, x, 240);
        l->setObjectName(QString::fromLatin1(name));
        l->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
        return l;
    };
    legend(names::kXLegend, QStringLiteral("X-axis"), "#008000", 8);
    legend(names::kYLegend, QStringLiteral("Y-axis"), "#ff0000", 60);
    legend(names::kPerfectLegend, QStringLiteral("Perfect"), "#000000", 112);

    // The settings of the curves shown and of those held.
    m_nowLegend = makeLabel(this, QString(), 8, 258);
    m_nowLegend->setObjectName(QLatin1String(names::kNowLegend));
    m_nowLegend->setFixedWidth(186);
    m_heldLegend = makeLabel(this, QString(), 8, 274);
    m_heldLegend->setObjectName(QLatin1String(names::kHeldLegend));
    m_heldLegend->setFixedWidth(186);

    QLabel* help = makeLabel(this,
                         QStringLiteral("Zoom :   ALT-key and select area with mouse (click and drag)\r\n"
                                        "Reset :  ALT and left-click on mouse\r\n"
                                        "Scroll  : CTRL and move area with mouse (left click)"),
                         200, 240);
    help->setObjectName(QLatin1String(names::kPlotHelp));

    m_maxOne = new QCheckBox(QStringLiteral("Set Max=1"), this);
    m_maxOne->setObjectName(QLatin1String(names::kPsfMaxOne));
    m_maxOne->setGeometry(8, 296, 84, 18);
    // The axis follows the box at once.
    connect(m_maxOne, &QCheckBox::toggled, this, &PsfMtfPage::setPsfMaximum);
    // Until the first calculation with the curves.
    m_help = new QLabel(QStringLiteral("Tick 'Calculate PSF/MTF' and press Calculate"), this);
    m_help->setObjectName(QLatin1String(names::kPsfMtfHelp));
    m_help->setAlignment(Qt::AlignCenter);
    m_help->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_help->setStyleSheet(QStringLiteral("color: #606060; background: transparent;"));
    m_help->setGeometry(0, 100, 556, 30);

    m_hold = makeButton(this, QLatin1String(names::kHoldCurves), QStringLiteral("Hold"), QRect(94, 293, 48, 24));
    m_hold->setCheckable(true);
    m_hold->setStyleSheet(QStringLiteral("QPushButton:checked { background: #bcd3f2; border: 1px solid #2a6fc9; }"));
    ui::setHint(m_hold,
                QStringLiteral("Hold|Keeps the curves and the star shown now, drawn dashed, to compare the next "
                               "calculations with; press again to let go"),
                true);
    connect(m_hold, &QPushButton::toggled, this, &PsfMtfPage::holdToggled);

    m_choice = new QComboBox(this);
    m_choice->setObjectName(QLatin1String(names::kCurveChoice));
    m_choice->addItems({QStringLiteral("MTF, \u03bd / cut-off"), QStringLiteral("MTF, cycles/arcsec"),
                        QStringLiteral("MTF, lp/mm"), QStringLiteral("Encircled energy")});
    m_choice->setGeometry(146, 294, 138, 22);
    ui::setHint(m_choice,
                QStringLiteral("Right-hand plot|The MTF against the frequency over the cut-off, in cycles per "
                               "arcsecond on the sky or in line pairs per millimetre at the focal plane; or the "
                               "encircled energy"),
                true);
    connect(m_choice, &QComboBox::currentIndexChanged, this, &PsfMtfPage::showRightPlot);

    m_save = makeButton(this, QLatin1String(names::kSaveCurves), QStringLiteral("Save"), QRect(500, 293, 52, 24));
    ui::setHint(m_save, QStringLiteral("Save the curves|The PSF, MTF or encircled-energy curves as a CSV table"), true);
    connect(m_save, &QPushButton::clicked, this, &PsfMtfPage::saveCurvesClicked);

    m_resolution = makeLabel(this, QStringLiteral("Max. resolution:"), 290, 298);
    m_resolution->setObjectName(QLatin1String(names::kResolution));
    m_resolution->setFixedWidth(205);
}

void PsfMtfPage::setResolution(int hundredths)
{
    m_resolution->setText(QStringLiteral("Max. resolution (x) = ") + QLocale::system().toString(hundredths * 0.01, 'g', 15)
                          + QStringLiteral("arcsec."));
}

PsfMtfPage::RightPlot PsfMtfPage::rightPlot() const
{
    return static_cast<RightPlot>(m_choice->currentIndex());
}

void PsfMtfPage::fillPlots(const optics::PsfMtfCurves& curves)
{
    m_curves = curves;
    m_help->hide();
    m_psfX->clear();
    m_psfY->clear();
    m_psfX->beginUpdate();
    m_psfY->beginUpdate();
    setPsfMaximum();
    for (std::size_t n = 0; n < curves.psfX.size(); ++n) {
        m_psfX->add(curves.psfX[n].x, curves.psfX[n].y);
        m_psfY->add(curves.psfY[n].x, curves.psfY[n].y);
    }
    m_psfX->endUpdate();
    m_psfY->endUpdate();
    fillMtf();
}

void PsfMtfPage::setPsfMaximum()
{
    if (m_curves)
        m_psfPlot->setLeftMaximum(m_maxOne->isChecked() ? 1.0 : std::max(m_curves->psfScale, m_heldPeak));
    else if (m_maxOne->isChecked())
        m_psfPlot->setLeftMaximum(1.0);
}

double PsfMtfPage::frequencyScale(const optics::PsfMtfCurves& curves) const
{
    switch (rightPlot()) {
    case RightPlot::MtfCyclesPerArcsec:
        return optics::CutoffCyclesPerArcsec(curves.apertureInches, curves.waveLength);
    case RightPlot::MtfLinePairsPerMm:
        return optics::CutoffLinePairsPerMm(m_focalRatio, curves.waveLength);
    case RightPlot::MtfCutoff:
    case RightPlot::EncircledEnergy:
        break;
    }
    return 1.0;
}

void PsfMtfPage::fillMtf()
{
    if (m_curves) {
        const double scale = frequencyScale(*m_curves);
        fill(m_perfect, m_curves->perfect, scale);
        fill(m_mtfX, m_curves->mtfX, scale);
        fill(m_mtfY, m_curves->mtfY, scale);
    }
    // Held curves in their own telescope's frequencies: a larger aperture
    // reaches further in cycles per arcsecond.
    if (m_heldCurves) {
        const double scale = frequencyScale(*m_heldCurves);
        fill(m_mtfXHeld, m_heldCurves->mtfX, scale);
        fill(m_mtfYHeld, m_heldCurves->mtfY, scale);
    } else {
        m_mtfXHeld->clear();
        m_mtfYHeld->clear();
    }
}

void PsfMtfPage::fillEnergy()
{
    // The curves are worked out when first drawn: only while their plot is
    // chosen (they cost more than the calculation at large apertures).
    if (rightPlot() != RightPlot::EncircledEnergy)
        return;
    if (m_figures) {
        fill(m_energy, m_figures->energy());
        if (m_figures->perfect)
            fill(m_energyPerfect, m_figures->perfect->energy);
        else
            m_energyPerfect->clear();
    } else {
        m_energy->clear();
        m_energyPerfect->clear();
    }
    if (m_heldFigures)
        fill(m_energyHeld, m_heldFigures->energy());
    else
        m_energyHeld->clear();
}

void PsfMtfPage::showRightPlot()
{
    const RightPlot shown = rightPlot();
    const bool energy = shown == RightPlot::EncircledEnergy;
    m_energyPlot->setVisible(energy);
    m_mtfPlot->setVisible(!energy);
    if (energy) {
        fillEnergy();
        return;
    }
    // The axis keeps its zoom-reset range at the cut-off of the curves shown.
    const double end = m_curves ? frequencyScale(*m_curves) : 1.0;
    const QString caption = shown == RightPlot::MtfCyclesPerArcsec  ? QStringLiteral("Cycles per arcsecond")
                            : shown == RightPlot::MtfLinePairsPerMm ? QStringLiteral("Line pairs per mm (f/%1)")
                                                                          .arg(QLocale::system().toString(m_focalRatio,
                                                                                                          'g', 3))
                                                                    : QStringLiteral("Resolution");
    m_mtfPlot->setBottomAxis({0.0, end, 6, 2, caption});
    fillMtf();
}

void PsfMtfPage::setFocalRatio(double focalRatio)
{
    m_focalRatio = focalRatio;
    if (rightPlot() == RightPlot::MtfLinePairsPerMm)
        showRightPlot();
}

void PsfMtfPage::showComparison(const std::optional<SimulationModel::Calculated>& now,
                                const std::optional<SimulationModel::Held>& held)
{
    // The encircled energy of the calculation whose curves are shown.
    m_figures = now ? now->figures : nullptr;
    const auto describe = [](const SimulationModel::Calculated& c) {
        QString text = DescribeTelescope(c.request);
        if (c.figures)
            text += QStringLiteral("; Strehl ") + QLocale::system().toString(c.figures->strehl, 'f', 2);
        return text;
    };
    setLegend(m_nowLegend, now ? QStringLiteral("Now: ") + describe(*now) : QString());

    const SimulationModel::Calculated* kept = held && held->curves ? &*held->curves : nullptr;
    if (kept && kept->curves) {
        m_heldCurves = kept->curves;
        fill(m_psfXHeld, kept->curves->psfX);
        fill(m_psfYHeld, kept->curves->psfY);
    } else {
        m_heldCurves.reset();
        m_psfXHeld->clear();
        m_psfYHeld->clear();
    }
    m_heldFigures = kept ? kept->figures : nullptr;
    fillEnergy();
    fillMtf();
    setLegend(m_heldLegend, kept ? QStringLiteral("Held (- -): ") + describe(*kept)
                                 : held ? QStringLiteral("Held (- -): no curves yet") : QString());
    // The PSF plot's axis reaches the higher of the two peaks.
    m_heldPeak = m_heldCurves ? m_heldCurves->psfScale : 0.0;
    setPsfMaximum();
    // Hold follows what is held, also when the model lets go.
    const QSignalBlocker quiet(m_hold);
    m_hold->setChecked(held.has_value());
}

}  // namespace app
