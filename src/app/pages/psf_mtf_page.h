#pragma once

#include "optics/psf.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace ui {
class PlotSeries;
class PlotView;
}

namespace app {

//! Page 5, "PSF/MTF": the point spread and modulation transfer plots.
class PsfMtfPage : public QWidget {
    Q_OBJECT

public:
    explicit PsfMtfPage(QWidget* parent = nullptr);

    //! "Max. resolution (x) = " and the resolution limit given in hundredths
    //! of an arcsecond.
    void setResolution(int hundredths);

    //! Fills the five series from the curves of a calculation; the PSF plot
    //! ends at their PSF scale, or at 1 with "Set Max=1".
    void fillPlots(const optics::PsfMtfCurves& curves);
    //! The curves on show (none before the first calculation with them).
    const std::optional<optics::PsfMtfCurves>& curves() const { return m_curves; }

signals:
    //! "Save" (`SaveCurves`): the curves as a CSV table.
    void saveCurvesClicked();

private:
    //! The left axis of the PSF plot: the PSF scale of the curves, or 1.
    void setPsfMaximum();

    std::optional<optics::PsfMtfCurves> m_curves;
    ui::PlotView* m_psfPlot;
    ui::PlotView* m_mtfPlot;
    ui::PlotSeries* m_psfX;     // PSFXLine
    ui::PlotSeries* m_psfY;     // PSFYLine
    ui::PlotSeries* m_perfect;  // MTFperfect
    ui::PlotSeries* m_mtfX;     // MTFXLine
    ui::PlotSeries* m_mtfY;     // MTFYline
    QCheckBox* m_maxOne;        // PsfMaxSet
    QLabel* m_resolution;       // RxLabel1
    QLabel* m_help;
    QPushButton* m_save;
};

}  // namespace app
