#pragma once

#include "optics/engine.h"
#include "optics/status_sink.h"

#include <QImage>
#include <QMainWindow>

#include <memory>
#include <vector>

class QLabel;
class QStatusBar;
class QTabWidget;

namespace imaging {
class PixelBuffer;
class TextPainter;
}

namespace ui {
class DialogService;
}

namespace app {

class AboutPage;
class AnimationPage;
class ChromaticPage;
class DoublePage;
class IntraExtraPage;
class ParameterColumn;
class PlanetPage;
class PsfMtfPage;
class StartestPage;
class TurbulencePage;
class WavefrontPage;

//! The main window `Form1`: ten pages, the parameter column and the status
//! bar. It owns the two pixel buffers and is the status sink of the core.
//! Handlers keep the names of the behaviour they implement; their bodies are
//! split over several source files by subject.
class TForm1 : public QMainWindow, public optics::StatusSink {
    Q_OBJECT

public:
    //! Builds the window and runs FormCreate. `engine` and `dialogs` must
    //! outlive the window.
    TForm1(optics::Engine& engine, ui::DialogService& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    optics::Engine& engine() { return m_engine; }
    ui::DialogService& dialogs() { return m_dialogs; }
    imaging::TextPainter& textPainter() { return *m_textPainter; }

    // StatusSink
    void setStatus(int panel, const std::string& text) override;
    void repaintNow() override;
    QString statusText(int panel) const;

    // Start-up and window (main_window.cpp)
    void FormCreate();
    void FormClose();
    void Displayhint();
    void SecretPanel1Click();
    void Image5Click();
    //! Where "mars.jpg" was found at start-up (empty when it was not).
    QString planetPath() const { return m_planetPath; }

    // Display of the star picture (display_handlers.cpp)
    void GammaSpinChange();
    void BrightslideChanged();
    void Changezoom();
    void Starimage1Paint();
    void BuildStarImage();

    // Turbulence and roughness screens (display_handlers.cpp)
    void BuildTurbulenceScreen();
    void BuildRoughnessScreen();

    // Screen settings (parameter_handlers.cpp)
    void RMSSpinChange();
    void Roughchange();
    void RandSeedSpinChange();

    // The star calculation (calc_driver.cpp)
    void ComputePsf();
    void CalcFFTS();
    void CalculateButtonClick();
    //! Whether the diameter in ApertureSpin gives a pupil the grid can take;
    //! when not, says so in an error message box. A calculation is refused
    //! then, before anything changes.
    bool CheckAperture();

    // Regions
    QTabWidget* Tabs = nullptr;
    ParameterColumn* Parameters = nullptr;
    QStatusBar* Status = nullptr;

    // Pages, by index
    StartestPage* StartestTab = nullptr;
    IntraExtraPage* IntraExtraTab = nullptr;
    PlanetPage* PlanetTab = nullptr;
    DoublePage* DoubleTab = nullptr;
    AnimationPage* AnimationTab = nullptr;
    PsfMtfPage* PsfMtfTab = nullptr;
    TurbulencePage* TurbulenceTab = nullptr;
    WavefrontPage* WavefrontTab = nullptr;
    ChromaticPage* ChromaticTab = nullptr;
    AboutPage* AboutTab = nullptr;

    static constexpr int kStartestIndex = 0;
    static constexpr int kPsfMtfIndex = 5;
    static constexpr int kAboutIndex = 9;

    // Owned drawing surfaces, alive from FormCreate to FormClose.
    std::unique_ptr<imaging::PixelBuffer> StarBuffer;
    std::unique_ptr<imaging::PixelBuffer> DoubleStarBuffer;

    // Program-wide pictures made at start-up.
    std::vector<QImage> AnimationGif;
    QImage PlanetJpeg;
    QImage PlanetBitmap;
    QString PlanetFileName;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    //! Wires gamma, slope, brightness and zoom to the display handlers
    //! (display_handlers.cpp); runs once the controls exist.
    void connectDisplayHandlers();
    void connectCalcHandlers();
    QString locatePlanetFile(const QString& name) const;

    optics::Engine& m_engine;
    ui::DialogService& m_dialogs;
    std::unique_ptr<imaging::TextPainter> m_textPainter;
    QLabel* m_panels[2] = {};
    QString m_hint;
    QString m_planetPath;
    bool m_centred = false;
};

}  // namespace app
