#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace optics {
struct Engine;
}

namespace ui {
class NumberEdit;
class PictureBox;
class PlotSeries;
class PlotView;
}

namespace app {

//! MTF of an error-free unobstructed aperture at i / 96 of the cut-off
//! frequency, i = 0..100: the reference curve of the MTF plot.
extern const std::array<double, 101> PerfectMtfTable;

//! Spatial frequency of MTF sample i (index i of the transfer function along
//! one axis) relative to the cut-off frequency of the aperture, for the
//! wavelength in nm and the diameter in inches: 1.0075 at index 2R.
double MtfFrequency(int i, double waveLength, float apertureInches);

//! Page 5, "PSF/MTF": the point spread and modulation transfer plots.
class PsfMtfPage : public QWidget {
    Q_OBJECT

public:
    explicit PsfMtfPage(QWidget* parent = nullptr);

    //! Fills the five series from the last star calculation: the PSF cuts of
    //! StarGrid through [257][257] scaled by `psfScale` (which also becomes
    //! the PSF plot's upper limit, or 1 with "Set Max=1"), the reference MTF
    //! and the MTF cuts OtfReal / OtfReal[1][1] against MtfFrequency.
    void fillPlots(const optics::Engine& engine, double psfScale);

    ui::PlotView* PSFPlot;
    ui::PlotView* MTFPlot;
    ui::PlotSeries* PSFXLine;
    ui::PlotSeries* PSFYLine;
    ui::PlotSeries* MTFperfect;
    ui::PlotSeries* MTFXLine;
    ui::PlotSeries* MTFYline;
    QCheckBox* PsfMaxSet;
    QLabel* RxLabel1;
    QLabel* XAxisLegend;
    QLabel* YAxisLegend;
    QLabel* PerfectLegend;
    QLabel* PlotHelp;
};

}  // namespace app
