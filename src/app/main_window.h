#pragma once

#include "app/status_report.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace imaging {
class PixelBuffer;
class TextPainter;
}

namespace ui {
class DialogService;
class LayoutScaler;
}

namespace app {

class AboutPage;
class AnimationPage;
class Calculations;
class ChromaticPage;
class DoublePage;
class IntraExtraPage;
class MeasuredPage;
class ParameterColumn;
class PictureFiles;
class PictureSettings;
class PlanetPage;
class PsfMtfPage;
class SettingsMenu;
class SimulationModel;
class StartestPage;
class TestsPage;
class TurbulencePage;
class WavefrontPage;
class WindowSettings;

//! How the window runs its calculations.
struct WindowOptions {
    //! Worker threads; 0 runs every calculation on the window's thread before
    //! the handler that started it returns.
    int workers = 0;
    //! Whether settings such as "Live" are kept between runs of the program.
    bool rememberSettings = false;
    //! Whether the window can be resized, its whole layout scaling with it.
    bool scalable = false;
};

//! The main window (`Form1`): it assembles the twelve pages, the parameter
//! column and the status bar, owns the model and the calculations, and wires
//! them together. Each page owns its controls and handlers; the window
//! answers only where the program as a whole must (start-up, hints, the
//! Calculate button, the display settings).
class MainWindow : public QMainWindow, public StatusReport {
    Q_OBJECT

public:
    //! Page indexes of `Tabs`.
    enum Page {
        StartestIndex = 0,
        IntraExtraIndex = 1,
        PlanetIndex = 2,
        DoubleIndex = 3,
        AnimationIndex = 4,
        PsfMtfIndex = 5,
        TurbulenceIndex = 6,
        WavefrontIndex = 7,
        ChromaticIndex = 8,
        AboutIndex = 9,
        MeasuredIndex = 10,
        TestsIndex = 11
    };

    //! Builds the window and starts it up. `dialogs` must outlive the window.
    explicit MainWindow(ui::DialogService& dialogs, WindowOptions options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    ui::DialogService& dialogs() { return m_dialogs; }
    SimulationModel& model() { return *m_model; }
    const SimulationModel& model() const { return *m_model; }
    Calculations& calculations() { return *m_calculations; }
    const Calculations& calculations() const { return *m_calculations; }

    // StatusReport
    void stage(const std::string& name) override;
    void flush() override;
    void showProgress(const QString& text) override;
    QString stageText() const override;
    QString progressText() const override;

    //! The Calculate button: from the About page it switches to the star
    //! page; the star of the controls is calculated and shown.
    void calculateStar();
    //! Waits, answering events, until no calculation is running.
    void waitForRuns();
    //! The calculation of the page on show (Enter in an editor, F5, Ctrl+R).
    void runCurrentPage();
    //! Saves the picture of the page on show (Ctrl+S).
    void saveCurrentPage();

    //! The scale the layout is drawn at (1 unless the window is scalable).
    double layoutScale() const;

    //! The values of the controls, kept in settings files.
    WindowSettings& settings() { return *m_settings; }
    //! Opening and saving settings files (the File button).
    SettingsMenu& settingsMenu() { return *m_settingsMenu; }
    //! Which settings made each picture.
    const PictureSettings& pictureSettings() const { return *m_pictureSettings; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectPages();
    void startUp();
    //! The hint of the control under the mouse, in the status bar.
    void showHint();
    //! The display settings of the controls, handed to the model.
    void applyDisplayCurve();
    void applyBrightness();
    void applyZoom();
    //! With "Live" on, a changed value calculates the star again; while one
    //! calculation runs, the newest values wait for it.
    void recalculateLive();
    void showRunProgress(const QString& text, int done, int total);
    //! A note in the progress panel for a few seconds ("Focus: "abc" is not
    //! a number; kept 0.00").
    void showNotice(const QString& text);
    void hideRunProgress();
    //! The keys of the whole window: F5 and Ctrl+R run the page, Ctrl+S saves
    //! its picture, Ctrl+Tab and Ctrl+1..9 change pages, Enter in an editor
    //! runs the page, and every button answers to Alt and a letter of its
    //! caption, said in its hint.
    void connectKeys();
    //! Settings files, and the settings each picture is saved with.
    void connectSettings();
    //! The scale of a scalable window: the one kept from last time, or whole
    //! or half steps up to about two thirds of the screen's height.
    double startScale() const;
    //! Scales the layout to the largest size the window holds.
    void fitLayout();

    ui::DialogService& m_dialogs;
    WindowOptions m_options;
    std::unique_ptr<imaging::TextPainter> m_textPainter;
    std::unique_ptr<SimulationModel> m_model;
    std::unique_ptr<Calculations> m_calculations;
    std::unique_ptr<PictureFiles> m_files;
    std::unique_ptr<WindowSettings> m_settings;
    SettingsMenu* m_settingsMenu = nullptr;
    PictureSettings* m_pictureSettings = nullptr;

    QTabWidget* m_tabs = nullptr;
    ParameterColumn* m_parameters = nullptr;
    QLabel* m_panels[2] = {};
    QProgressBar* m_runProgress = nullptr;
    QPushButton* m_runCancel = nullptr;
    QTimer* m_noticeTimer = nullptr;
    QString m_notice;  // the note on show
    bool m_livePending = false;
    QWidget* m_client = nullptr;
    std::unique_ptr<ui::LayoutScaler> m_scaler;
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
    MeasuredPage* m_measured = nullptr;
    TestsPage* m_tests = nullptr;

    QString m_hint;
    bool m_centred = false;
};

}  // namespace app
