#pragma once

#include "app/calculation.h"
#include "optics/engine.h"
#include "optics/status_sink.h"

#include <QMainWindow>

#include <memory>

class QLabel;
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
class CalcDriver;
class ChromaticPage;
class DoublePage;
class IntraExtraPage;
class ParameterColumn;
class PlanetPage;
class PsfMtfPage;
class StarDisplay;
class StartestPage;
class TurbulencePage;
class WavefrontPage;
struct CalcParams;

//! The main window `Form1`: it assembles the ten pages, the parameter column
//! and the status bar, owns the two pixel buffers and the calculation and
//! display services, and is the status sink of the core. Each page owns its
//! controls and handlers; the window answers only where the program as a
//! whole must (start-up, closing, hints, the calculation and the display).
class TForm1 : public QMainWindow, public optics::StatusSink, public Calculation {
    Q_OBJECT

public:
    //! Page indexes of `Tabs`.
    enum Page { StartestIndex = 0, PsfMtfIndex = 5, AboutIndex = 9 };

    //! Builds the window and runs FormCreate. `engine` and `dialogs` must
    //! outlive the window.
    TForm1(optics::Engine& engine, ui::DialogService& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    optics::Engine& engine() { return m_engine; }
    ui::DialogService& dialogs() { return m_dialogs; }
    //! `StarBuffer` and `DoubleStarBuffer`: alive from FormCreate to FormClose.
    imaging::PixelBuffer* starBuffer() const { return m_starBuffer.get(); }
    imaging::PixelBuffer* doubleStarBuffer() const { return m_doubleStarBuffer.get(); }
    QString statusText(int panel) const;

    // StatusSink
    void setStatus(int panel, const std::string& text) override;
    void repaintNow() override;

    // Start-up and closing
    void FormCreate();
    void FormClose();
    void Displayhint();

    // The display of the star picture
    void GammaSpinChange();
    void BrightslideChanged();
    void Changezoom();
    void Starimage1Paint();
    void BuildStarImage();

    // The calculation
    bool CalcFFTS() override;
    void CalculateButtonClick() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectServices();
    CalcParams readCalcParams() const;
    //! Shows why `params` cannot be calculated; false then.
    bool accept(const CalcParams& params);

    optics::Engine& m_engine;
    ui::DialogService& m_dialogs;
    std::unique_ptr<imaging::TextPainter> m_textPainter;
    std::unique_ptr<StarDisplay> m_display;
    std::unique_ptr<CalcDriver> m_calc;
    std::unique_ptr<imaging::PixelBuffer> m_starBuffer;
    std::unique_ptr<imaging::PixelBuffer> m_doubleStarBuffer;

    QTabWidget* m_tabs = nullptr;
    ParameterColumn* m_parameters = nullptr;
    QLabel* m_panels[2] = {};
    StartestPage* m_startest = nullptr;
    IntraExtraPage* m_intraExtra = nullptr;
    PlanetPage* m_planet = nullptr;
    DoublePage* m_double = nullptr;
    AnimationPage* m_animation = nullptr;
    PsfMtfPage* m_psfMtf = nullptr;
    TurbulencePage* m_turbulence = nullptr;
    WavefrontPage* m_wavefront = nullptr;
    ChromaticPage* m_chromatic = nullptr;
    AboutPage* m_about = nullptr;

    QString m_hint;
    bool m_centred = false;
};

}  // namespace app
