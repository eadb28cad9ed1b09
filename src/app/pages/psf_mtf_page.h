#pragma once

#include "app/simulation_model.h"
#include "optics/psf.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace ui {
class PlotSeries;
class PlotView;
}

namespace app {

//! Page 5, "PSF/MTF": the point spread and modulation transfer plots, the
//! encircled energy in place of the MTF when chosen, and the curves kept with
//! Hold drawn dashed beside the current ones.
class PsfMtfPage : public QWidget {
    Q_OBJECT

public:
    //! What the right-hand plot shows (CurveChoice): the MTF against the
    //! frequency over the cut-off, in cycles per arcsecond on the sky or in
    //! line pairs per millimetre at the focal plane, or the encircled energy.
    enum class RightPlot { MtfCutoff, MtfCyclesPerArcsec, MtfLinePairsPerMm, EncircledEnergy };

    explicit PsfMtfPage(QWidget* parent = nullptr);

    //! "Max. resolution (x) = " and the resolution limit given in hundredths
    //! of an arcsecond.
    void setResolution(int hundredths);

    //! Fills the five series from the curves of a calculation; the PSF plot
    //! ends at their PSF scale, or at 1 with "Set Max=1".
    void fillPlots(const optics::PsfMtfCurves& curves);
    //! The curves on show (none before the first calculation with them).
    const std::optional<optics::PsfMtfCurves>& curves() const { return m_curves; }
    //! The figures of the calculation whose curves are shown, with its
    //! encircled energy (none before the first).
    const std::shared_ptr<const optics::StarFigures>& figures() const { return m_figures; }

    //! The encircled energy of the calculation whose curves are shown (with
    //! the perfect telescope's), the legends naming the settings, and what
    //! Hold keeps drawn dashed (none: nothing held).
    void showComparison(const std::optional<SimulationModel::Calculated>& now,
                        const std::optional<SimulationModel::Held>& held);

    //! The focal ratio of the line pairs per millimetre.
    void setFocalRatio(double focalRatio);

    RightPlot rightPlot() const;

signals:
    //! "Save" (`SaveCurves`): the curves as a CSV table.
    void saveCurvesClicked();
    //! "Hold" pressed (true) or released (false).
    void holdToggled(bool hold);

private:
    //! The MTF series, current and held, in the frequency unit chosen.
    void fillMtf();
    void fillEnergy();
    //! Frequency over the cut-off to the unit chosen, for these curves.
    double frequencyScale(const optics::PsfMtfCurves& curves) const;
    void showRightPlot();
    //! The left axis of the PSF plot: the higher peak of the curves shown and
    //! held, or 1 with "Set Max=1".
    void setPsfMaximum();

    ui::PlotView* m_psfPlot;
    ui::PlotView* m_mtfPlot;
    ui::PlotView* m_energyPlot;  // EEPlot, in the MTF plot's place when chosen
    ui::PlotSeries* m_psfX;      // PSFXLine
    ui::PlotSeries* m_psfY;      // PSFYLine
    ui::PlotSeries* m_perfect;   // MTFperfect
    ui::PlotSeries* m_mtfX;      // MTFXLine
    ui::PlotSeries* m_mtfY;      // MTFYline
    ui::PlotSeries* m_psfXHeld;
    ui::PlotSeries* m_psfYHeld;
    ui::PlotSeries* m_mtfXHeld;
    ui::PlotSeries* m_mtfYHeld;
    ui::PlotSeries* m_energyPerfect;
    ui::PlotSeries* m_energy;
    ui::PlotSeries* m_energyHeld;
    QCheckBox* m_maxOne;        // PsfMaxSet
    QLabel* m_resolution;       // RxLabel1
    QLabel* m_help;  // PsfMtfHelp, until the first curves
    QLabel* m_nowLegend;
    QLabel* m_heldLegend;
    QPushButton* m_hold;
    QComboBox* m_choice;
    QPushButton* m_save;  // SaveCurves

    std::optional<optics::PsfMtfCurves> m_curves;      // as last filled
    std::optional<optics::PsfMtfCurves> m_heldCurves;  // of what is held
    std::shared_ptr<const optics::StarFigures> m_figures;
    std::shared_ptr<const optics::StarFigures> m_heldFigures;
    double m_heldPeak = 0.0;
    double m_focalRatio = 6.0;
};

}  // namespace app
