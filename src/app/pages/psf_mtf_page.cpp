#include "app/pages/psf_mtf_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "optics/psf.h"
#include "ui/hints.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace app {

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
    m_psfX = m_psfPlot->addSeries(QLatin1String(names::kPsfX), Qt::green);
    m_psfY = m_psfPlot->addSeries(QLatin1String(names::kPsfY), Qt::red);

    m_mtfPlot = new ui::PlotView(this);
    m_mtfPlot->setObjectName(QLatin1String(names::kMtfPlot));
    m_mtfPlot->setGeometry(279, 0, 277, 236);
    ui::setHint(m_mtfPlot, QStringLiteral("MTF of the Starimage"), false);
    m_mtfPlot->setLeftAxis({0.0, 1.0, 6, 2, QString()});
    m_mtfPlot->setBottomAxis({0.0, 1.0, 6, 2, QStringLiteral("Resolution")});
    m_perfect = m_mtfPlot->addSeries(QLatin1String(names::kMtfPerfect), Qt::black);
    m_mtfX = m_mtfPlot->addSeries(QLatin1String(names::kMtfX), Qt::green);
    m_mtfY = m_mtfPlot->addSeries(QLatin1String(names::kMtfY), Qt::red);

    auto legend = [this](const char* name, const QString& text, const char* colour, int x) {
        QLabel* l = makeLabel(this, text, x, 240);
        l->setObjectName(QString::fromLatin1(name));
        l->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
        return l;
    };
    legend(names::kXLegend, QStringLiteral("X-axis"), "#008000", 8);
    legend(names::kYLegend, QStringLiteral("Y-axis"), "#ff0000", 60);
    legend(names::kPerfectLegend, QStringLiteral("Perfect"), "#000000", 112);

    QLabel* help = makeLabel(this,
                         QStringLiteral("Zoom :   ALT-key and select area with mouse (click and drag)\r\n"
                                        "Reset :  ALT and left-click on mouse\r\n"
                                        "Scroll  : CTRL and move area with mouse (left click)"),
                         200, 240);
    help->setObjectName(QLatin1String(names::kPlotHelp));

    m_maxOne = new QCheckBox(QStringLiteral("Set Max=1"), this);
    m_maxOne->setObjectName(QLatin1String(names::kPsfMaxOne));
    m_maxOne->setGeometry(8, 296, 90, 18);
    // The axis follows the box at once.
    connect(m_maxOne, &QCheckBox::toggled, this, &PsfMtfPage::setPsfMaximum);
    // Until the first calculation with the curves.
    m_help = new QLabel(QStringLiteral("Tick 'Calculate PSF/MTF' and press Calculate"), this);
    m_help->setObjectName(QLatin1String(names::kPsfMtfHelp));
    m_help->setAlignment(Qt::AlignCenter);
    m_help->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_help->setStyleSheet(QStringLiteral("color: #606060; background: transparent;"));
    m_help->setGeometry(0, 100, 556, 30);

    m_save = makeButton(this, QLatin1String(names::kSaveCurves), QStringLiteral("Save"), QRect(110, 293, 75, 23));
    ui::setHint(m_save, QStringLiteral("Save the curves|The PSF or MTF curves as a CSV table"), true);
    connect(m_save, &QPushButton::clicked, this, &PsfMtfPage::saveCurvesClicked);

    m_resolution = makeLabel(this, QStringLiteral("Max. resolution:"), 290, 298);
    m_resolution->setObjectName(QLatin1String(names::kResolution));
    m_resolution->setFixedWidth(250);
}

void PsfMtfPage::setResolution(int hundredths)
{
    m_resolution->setText(QStringLiteral("Max. resolution (x) = ") + QLocale::system().toString(hundredths * 0.01, 'g', 15)
                          + QStringLiteral("arcsec."));
}

void PsfMtfPage::setPsfMaximum()
{
    if (m_curves)
        m_psfPlot->setLeftMaximum(m_maxOne->isChecked() ? 1.0 : m_curves->psfScale);
    else if (m_maxOne->isChecked())
        m_psfPlot->setLeftMaximum(1.0);
}

void PsfMtfPage::fillPlots(const optics::PsfMtfCurves& curves)
{
    m_psfX->clear();
    m_psfY->clear();
    m_psfX->beginUpdate();
    m_psfY->beginUpdate();
    m_curves = curves;
    m_help->hide();
    setPsfMaximum();
    for (std::size_t n = 0; n < curves.psfX.size(); ++n) {
        m_psfX->add(curves.psfX[n].x, curves.psfX[n].y);
        m_psfY->add(curves.psfY[n].x, curves.psfY[n].y);
    }
    m_psfX->endUpdate();
    m_psfY->endUpdate();

    m_perfect->clear();
    m_perfect->beginUpdate();
    for (const optics::CurvePoint& p : curves.perfect)
        m_perfect->add(p.x, p.y);
    m_perfect->endUpdate();

    m_mtfX->clear();
    m_mtfY->clear();
    m_mtfX->beginUpdate();
    m_mtfY->beginUpdate();
    for (std::size_t n = 0; n < curves.mtfX.size(); ++n) {
        m_mtfX->add(curves.mtfX[n].x, curves.mtfX[n].y);
        m_mtfY->add(curves.mtfY[n].x, curves.mtfY[n].y);
    }
    m_mtfX->endUpdate();
    m_mtfY->endUpdate();
}

}  // namespace app
