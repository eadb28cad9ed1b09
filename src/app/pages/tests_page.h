#pragma once

#include "optics/star_calculator.h"
#include "simulations/mirror_tests.h"

#include <QJsonObject>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculations;
class ParameterColumn;
class PictureFiles;

//! Page 11, "Tests": what a mirror maker's tests show of the wavefront the
//! star calculation uses: a Ronchi grating and a Foucault knife edge near
//! focus, and an interferogram. The pictures are drawn again when their
//! settings or the focal ratio change and after every star calculation, on
//! the calculations' workers; the editors of other pages are only read.
//! While the page is not on show they are only marked out of date, and drawn
//! when it comes on show or when something reads them (bringUpToDate).
class TestsPage : public QWidget {
    Q_OBJECT

public:
    //! Which pictures to draw again.
    enum Picture { Ronchi = 1, Knife = 2, Fringes = 4, All = 7 };

    //! Draws through `calculations` with the focal ratio of `parameters`;
    //! saves through `files`.
    TestsPage(Calculations& calculations, ParameterColumn& parameters, PictureFiles& files, QWidget* parent = nullptr);

    //! Where the white-light Ronchigram gets its wavelengths: the
    //! Chromatic page's calculations for the request of the controls.
    void setWhiteLight(std::function<std::vector<optics::StarRequest>(const optics::StarRequest&)> plan)
    {
        m_whiteLight = std::move(plan);
    }
    //! The display curve the knife-edge picture is drawn through.
    void setDisplayCurve(double gamma, double slope);

    //! Draws `which` again from the controls as they are now; while another
    //! run goes on, when it has ended; while the page is not on show, when it
    //! comes on show (the knife's note follows at once).
    void refresh(int which);
    //! The page came on show (`showing`) or went: on show it draws what is
    //! out of date and what was never drawn.
    void setShowing(bool showing);
    //! Draws what is out of date, on show or not, and waits until it is
    //! drawn: what reads the pictures (their Save buttons, the batch driver)
    //! gets what the page would show.
    void bringUpToDate();
    //! "Save Image" of the picture on show (Ctrl+S).
    void savePicture();
    //! "Save Image" of one picture, as JPEG, BMP or PNG.
    void savePicture(sim::MirrorTest test);

    ui::PictureBox* picture(sim::MirrorTest test) const;
    //! The request of picture `test` (Ronchi or knife edge) as the controls
    //! describe it now, with the grating or the knife at `offsetMm` as its
    //! editor would hold it: the Animation page's frames. The editors keep
    //! what they hold.
    sim::MirrorTestRequest requestAt(sim::MirrorTest test, double offsetMm) const;
    //! What each picture was made with, for --dump-state.
    QJsonObject state() const;

private:
    void buildRonchi(QWidget* tab);
    void buildKnife(QWidget* tab);
    void buildFringes(QWidget* tab);
    //! The star request the pictures are drawn from: the controls' without
    //! the star page's figures and curves.
    optics::StarRequest starRequest() const;
    //! The request of one picture from the controls and `star`.
    sim::MirrorTestRequest requestFor(sim::MirrorTest test, const optics::StarRequest& star) const;
    //! Starts drawing what is out of date, on show or not.
    void draw();
    //! The knife's note for the controls as they are now.
    void checkKnife();
    void show(sim::MirrorTestResult&& result);
    void showRonchiBands();
    void showKnifeRange(const optics::StarRequest& star, const QString& refusal = {});

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    PictureFiles& m_files;
    std::function<std::vector<optics::StarRequest>(const optics::StarRequest&)> m_whiteLight;
    double m_gamma = 0.5;
    double m_slope = 4.5;

    QTabWidget* m_tabs = nullptr;
    ui::PictureBox* m_ronchiPicture = nullptr;
    ui::PictureBox* m_knifePicture = nullptr;
    ui::PictureBox* m_fringePicture = nullptr;
    ui::NumberEdit* m_ronchiLines = nullptr;
    ui::NumberEdit* m_ronchiOffset = nullptr;
    ui::NumberEdit* m_ronchiAngle = nullptr;
    QCheckBox* m_ronchiWhite = nullptr;
    QLabel* m_ronchiBands = nullptr;
    ui::NumberEdit* m_knifeOffset = nullptr;
    ui::NumberEdit* m_knifeAngle = nullptr;
    QLabel* m_knifeNote = nullptr;
    ui::NumberEdit* m_fringeTilt = nullptr;
    ui::NumberEdit* m_fringeAngle = nullptr;
    ui::NumberEdit* m_fringeDefocus = nullptr;
    ui::NumberEdit* m_fringesPerWave = nullptr;

    // What the pictures show, indexed by sim::MirrorTest.
    std::optional<sim::MirrorTestResult> m_shown[3];
    // Pictures waiting to be drawn, and those the run going draws.
    int m_stale = 0;
    int m_running = 0;
    bool m_superseded = false;
    bool m_showing = false;
    // The grids the knife edge is drawn in, kept from one draw to the next
    // (not a calculator's: the grids of the last calculation stay the ones
    // shown); one draw at a time uses them.
    struct KnifeGrids;
    std::shared_ptr<KnifeGrids> m_knifeGrids;
};

}  // namespace app
