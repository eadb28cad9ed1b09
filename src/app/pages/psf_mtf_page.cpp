#include "app/pages/psf_mtf_page.h"

#include "app/pages/page_helpers.h"
#include "optics/engine.h"
#include "ui/hints.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QLabel>

namespace app {

const std::array<double, 101> PerfectMtfTable = {
    1.0000, 0.9867, 0.9734, 0.9601, 0.9469, 0.9336, 0.9203, 0.9070, 0.8937, 0.8804,
    0.8672, 0.8539, 0.8406, 0.8273, 0.8140, 0.8007, 0.7876, 0.7744, 0.7613, 0.7481,
    0.7351, 0.7221, 0.7091, 0.6961, 0.6833, 0.6704, 0.6577, 0.6449, 0.6322, 0.6195,
    0.6068, 0.5940, 0.5815, 0.5690, 0.5566, 0.5441, 0.5317, 0.5192, 0.5069, 0.4948,
    0.4826, 0.4706, 0.4587, 0.4468, 0.4349, 0.4232, 0.4114, 0.3998, 0.3882, 0.3766,
    0.3651, 0.3538, 0.3426, 0.3314, 0.3204, 0.3093, 0.2986, 0.2878, 0.2770, 0.2664,
    0.2560, 0.2457, 0.2355, 0.2254, 0.2155, 0.2056, 0.1958, 0.1861, 0.1768, 0.1674,
    0.1582, 0.1491, 0.1403, 0.1316, 0.1231, 0.1148, 0.1066, 0.0984, 0.0908, 0.0831,
    0.0757, 0.0685, 0.0615, 0.0547, 0.0482, 0.0421, 0.0364, 0.0308, 0.0255, 0.0203,
    0.0158, 0.0115, 0.0080, 0.0048, 0.0021, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000,
    0.0000,
};

double MtfFrequency(int i, double waveLength, float apertureInches)
{
    // lambda / 555 x 16 / D / 0.71 x i / 255, step by step in extended
    // precision: one index of the transfer function is 0.1003 arcsec^-1
    // scaled to the cut-off frequency of the aperture.
    long double f = 0.0018018018018018018L;
    f = f * static_cast<long double>(waveLength);
    f = f * 16.0L;
    f = f / static_cast<long double>(apertureInches);
    f = f * 1.0L;
    f = f * 1.4084507042253521L;
    f = f * i;
    f = f * 0.0039215686274509804L;
    return static_cast<double>(f);
}

PsfMtfPage::PsfMtfPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PSFMTF"));

    PSFPlot = new ui::PlotView(this);
    PSFPlot->setObjectName(QStringLiteral("PSFPlot"));
    PSFPlot->setGeometry(0, 0, 277, 236);
    ui::setHint(PSFPlot, QStringLiteral("PSF from the Starimage"), false);
    PSFPlot->setLeftAxis({0.0, 1.0, 6, 3, QString()});
    PSFPlot->setBottomAxis({-5.0, 5.0, 11, 2, QStringLiteral("Arcseconds")});
    PSFXLine = PSFPlot->addSeries(QStringLiteral("PSFXLine"), Qt::green);
    PSFYLine = PSFPlot->addSeries(QStringLiteral("PSFYLine"), Qt::red);

    MTFPlot = new ui::PlotView(this);
    MTFPlot->setObjectName(QStringLiteral("MTFPlot"));
    MTFPlot->setGeometry(279, 0, 277, 236);
    ui::setHint(MTFPlot, QStringLiteral("MTF of the Starimage"), false);
    MTFPlot->setLeftAxis({0.0, 1.0, 6, 2, QString()});
    MTFPlot->setBottomAxis({0.0, 1.0, 6, 2, QStringLiteral("Resolution")});
    MTFperfect = MTFPlot->addSeries(QStringLiteral("MTFperfect"), Qt::black);
    MTFXLine = MTFPlot->addSeries(QStringLiteral("MTFXLine"), Qt::green);
    MTFYline = MTFPlot->addSeries(QStringLiteral("MTFYline"), Qt::red);

    auto legend = [this](const char* name, const QString& text, const char* colour, int x) {
        QLabel* l = makeLabel(this, text, x, 240);
        l->setObjectName(QString::fromLatin1(name));
        l->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
        return l;
    };
    XAxisLegend = legend("XAxisLegend", QStringLiteral("X-axis"), "#008000", 8);
    YAxisLegend = legend("YAxisLegend", QStringLiteral("Y-axis"), "#ff0000", 60);
    PerfectLegend = legend("PerfectLegend", QStringLiteral("Perfect"), "#000000", 112);

    PlotHelp = makeLabel(this,
                         QStringLiteral("Zoom :   ALT-key and select area with mouse (click and drag)\r\n"
                                        "Reset :  ALT and left-click on mouse\r\n"
                                        "Scroll  : CTRL and move area with mouse (left click)"),
                         200, 240);
    PlotHelp->setObjectName(QStringLiteral("PlotHelp"));

    PsfMaxSet = new QCheckBox(QStringLiteral("Set Max=1"), this);
    PsfMaxSet->setObjectName(QStringLiteral("PsfMaxSet"));
    PsfMaxSet->setGeometry(8, 296, 90, 18);
    RxLabel1 = makeLabel(this, QStringLiteral("Max. resolution:"), 290, 298);
    RxLabel1->setObjectName(QStringLiteral("RxLabel1"));
    RxLabel1->setFixedWidth(250);
}

void PsfMtfPage::fillPlots(const optics::Engine& engine, double psfScale)
{
    const optics::Grid& star = engine.StarGrid;
    PSFXLine->clear();
    PSFYLine->clear();
    PSFXLine->beginUpdate();
    PSFYLine->beginUpdate();
    PSFPlot->setLeftMaximum(PsfMaxSet->isChecked() ? 1.0 : psfScale);
    for (int i = -100; i <= 100; ++i) {
        PSFXLine->add(i * 0.1, star(257 + i, 257) * psfScale);
        PSFYLine->add(i * 0.1, star(257, 257 + i) * psfScale);
    }
    PSFXLine->endUpdate();
    PSFYLine->endUpdate();

    MTFperfect->clear();
    MTFperfect->beginUpdate();
    for (int i = 0; i <= 100; ++i)
        MTFperfect->add(i * 0.010416666666666667, PerfectMtfTable[i]);
    MTFperfect->endUpdate();

    const optics::Grid& otf = engine.OtfReal;
    const double zero = otf(1, 1);
    MTFXLine->clear();
    MTFYline->clear();
    MTFXLine->beginUpdate();
    MTFYline->beginUpdate();
    for (int i = 0; i <= 255; ++i) {
        const double f = MtfFrequency(i, engine.WaveLength, engine.ApertureInches);
        MTFXLine->add(f, otf(1 + i, 1) / zero);
        MTFYline->add(f, otf(1, 1 + i) / zero);
    }
    MTFXLine->endUpdate();
    MTFYline->endUpdate();
}

}  // namespace app
