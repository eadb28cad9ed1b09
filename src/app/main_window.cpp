#include "app/main_window.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/about_page.h"
#include "app/pages/animation_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/double_page.h"
#include "app/pages/intra_extra_page.h"
#include "app/pages/measured_page.h"
#include "app/pages/page_helpers.h"
#include "app/pages/planet_page.h"
#include "app/pages/psf_mtf_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/tests_page.h"
#include "app/pages/turbulence_page.h"
#include "app/pages/wavefront_page.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/picture_settings.h"
#include "app/resource_paths.h"
#include "app/science_exports.h"
#include "app/settings_file.h"
#include "app/settings_menu.h"
#include "app/simulation_model.h"
#include "imaging/pixel_buffer.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/layout_scaler.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"
#include "ui/text_painter.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QShortcut>
#include <QCloseEvent>
#include <QResizeEvent>

#include <cmath>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace app {

namespace {

constexpr int kClientWidth = 697;
constexpr int kClientHeight = 434;
// How long a notice stays in the status bar.
constexpr int kNoticeMilliseconds = 5000;
const char* const kPlanetFile = "mars.jpg";

}  // namespace

MainWindow::MainWindow(ui::DialogService& dialogs, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_options(options)
{
    setObjectName(QLatin1String(names::kWindow));
    setWindowTitle(QStringLiteral("Quintalis"));
    if (m_options.scalable)
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    else
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // "MS Sans Serif" 8 point: 11 pixels on a 96 dpi screen. Where the face is
    // missing the nearest sans serif stands in at the same pixel size.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    // The one window of the program: its font is the application's, so pages
    // and labels are measured with it from the moment they are made.
    QApplication::setFont(font);
    setFont(font);
    m_textPainter = std::make_unique<ui::QtTextPainter>(font);
    m_model = std::make_unique<SimulationModel>(*m_textPainter, decimalSeparator());
    m_calculations = std::make_unique<Calculations>(*m_model, *this, m_dialogs, m_options.workers);
    m_model->setLoops(&m_calculations->loops());
    m_files = std::make_unique<PictureFiles>(m_dialogs);

    buildLayout();
    connectPages();
    connectKeys();
    connectSettings();
    startUp();
    if (m_options.scalable) {
        // Everything as built is scale 1.
        m_scaler = std::make_unique<ui::LayoutScaler>(m_client);
        setMinimumSize(kClientWidth, kClientHeight);
        const double scale = startScale();
        resize(static_cast<int>(std::lround(kClientWidth * scale)), static_cast<int>(std::lround(kClientHeight * scale)));
        fitLayout();
    }
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The workers stop before the pages they report to go.
    m_model->setLoops(nullptr);
    m_calculations.reset();
}

void MainWindow::buildLayout()
{
    auto* client = new QWidget(this);
    client->setObjectName(QLatin1String(names::kClient));
    client->setFixedSize(kClientWidth, kClientHeight);
    m_client = client;
    if (m_options.scalable) {
        // The layout sits in the middle of whatever room the window has.
        auto* room = new QWidget(this);
        client->setParent(room);
        setCentralWidget(room);
    } else {
        setCentralWidget(client);
        setFixedSize(kClientWidth, kClientHeight);
    }

    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QLatin1String(names::kTabs));
    m_tabs->setGeometry(0, -1, 561, 345);
    m_tabs->setUsesScrollButtons(false);
    // Twelve captions share 561 pixels, so they are two pixels smaller than
    // the window's text and tightly padded; the page on show stands out in white
    // with a blue rule on top, the others recede in grey.
    m_tabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { font-size: 9px; padding: 2px 1px 3px 1px; margin-right: 0px; background: #d8d8d8;"
        " color: #303030;"
        " border: 1px solid #a0a0a0; border-bottom: none; }"
        "QTabBar::tab:selected { background: white; color: black; border-top: 3px solid #2a6fc9;"
        " padding-top: 0px; }"
        "QTabBar::tab:!selected { margin-top: 2px; }"));

    m_parameters = new ParameterColumn(client, m_dialogs);
    Calculations& calculations = *m_calculations;
    SimulationModel& model = *m_model;

    m_startest = new StartestPage(*m_files);
    m_intraExtra = new IntraExtraPage(calculations, *m_parameters, model, *this, m_dialogs, *m_files);
    m_planet = new PlanetPage(calculations, *m_parameters, model, *this, m_dialogs, *m_files);
    m_double = new DoublePage(calculations, *m_parameters, model, *m_files);
    m_animation = new AnimationPage(calculations, *m_parameters, model, *this, m_dialogs, *m_files);
    m_psfMtf = new PsfMtfPage;
    m_turbulence = new TurbulencePage;
    m_wavefront = new WavefrontPage(*m_files, m_dialogs);
    m_chromatic = new ChromaticPage(calculations, *m_parameters, model, *this, *m_files);
    m_about = new AboutPage;
    m_measured = new MeasuredPage(m_dialogs, *m_textPainter);
    m_tests = new TestsPage(calculations, *m_parameters, *m_files);
    m_tabs->addTab(m_startest, QStringLiteral("Startest"));
    m_tabs->addTab(m_intraExtra, QStringLiteral("Intra/Extra"));
    m_tabs->addTab(m_planet, QStringLiteral("Planet"));
    m_tabs->addTab(m_double, QStringLiteral("Double"));
    m_tabs->addTab(m_animation, QStringLiteral("Animation"));
    m_tabs->addTab(m_psfMtf, QStringLiteral("PSF/MTF"));
    m_tabs->addTab(m_turbulence, QStringLiteral("Turbulence"));
    m_tabs->addTab(m_wavefront, QStringLiteral("Wavefront"));
    m_tabs->addTab(m_chromatic, QStringLiteral("Chromatic"));
    m_tabs->addTab(m_about, QStringLiteral("About"));
    m_tabs->addTab(m_measured, QStringLiteral("Measured"));
    m_tabs->addTab(m_tests, QStringLiteral("Tests"));
    // The parameter regions overlap the edges of the pages.
    m_tabs->lower();

    auto* status = new QStatusBar(client);
    status->setObjectName(QLatin1String(names::kStatusBar));
    status->setSizeGripEnabled(false);
    status->setGeometry(0, 415, kClientWidth, 19);
    status->setContentsMargins(0, 0, 0, 0);
    for (int panel = 0; panel < 2; ++panel) {
        m_panels[panel] = new QLabel(status);
        m_panels[panel]->setObjectName(QLatin1String(panel == 0 ? names::kStatusPanel0 : names::kStatusPanel1));
        m_panels[panel]->setFixedWidth(panel == 0 ? 250 : 350);
        m_panels[panel]->setFrameShape(QFrame::Panel);
        m_panels[panel]->setFrameShadow(QFrame::Sunken);
        status->addWidget(m_panels[panel]);
    }
    // Over the progress panel while a long run goes on.
    m_runProgress = new QProgressBar(client);
    m_runProgress->setObjectName(QLatin1String(names::kRunProgress));
    m_runProgress->setGeometry(252, 416, 350, 17);
    m_runProgress->setTextVisible(true);
    m_runProgress->hide();
    m_runCancel = new QPushButton(QStringLiteral("Cancel"), client);
    m_runCancel->setObjectName(QLatin1String(names::kRunCancel));
    m_runCancel->setGeometry(606, 415, 88, 19);
    ui::setHint(m_runCancel, QStringLiteral("Cancel|Stop the calculation; everything stays as it was"), true);
    m_runCancel->hide();

    m_tabs->setCurrentIndex(AboutIndex);
}

void MainWindow::connectPages()
{
    // Calculations read the controls once, when they start.
    m_calculations->setControls({[this] {
                                     optics::StarRequest request;
                                     m_parameters->read(request);
                                     const optics::ScreenSettings turbulence = m_turbulence->turbulenceSettings();
                                     request.screenSeed = turbulence.seed;
                                     request.pupil.turbulence = turbulence.amplitude;
                                     request.pupil.roughness = m_turbulence->roughnessSettings().amplitude;
                                     request.screenDrift = m_model->screenDrift();
                                     request.measured = m_measured->measured();
                                     // The encircled energy goes with the PSF and MTF curves.
                                     request.figures = request.transferFunction;
                                     return request;
                                 },
                                 [this] { return m_parameters->diameterText(); }, this});

    // What the controls ask of the program as a whole.
    connect(m_parameters, &ParameterColumn::calculateClicked, this, &MainWindow::calculateStar);
    connect(m_parameters, &ParameterColumn::edited, this, &MainWindow::recalculateLive);
    connect(m_turbulence, &TurbulencePage::edited, this, &MainWindow::recalculateLive);
    connect(m_measured, &MeasuredPage::changed, this, &MainWindow::recalculateLive);
    // The wavefront page writes the wavefront the controls describe.
    m_wavefront->setSampler([this](bool wholeDisc) -> base::Result<optics::PupilPhase> {
        optics::StarRequest request = m_calculations->request();
        if (const base::Status fits = m_calculations->check(request); !fits)
            return base::Fail(fits.error());
        if (wholeDisc) {
            // A map describes the wavefront, not the aperture in front of it.
            request.mask = nullptr;
            request.aperture = {};
        }
        return optics::SamplePupil(request, m_calculations->screens());
    });
    connect(m_parameters, &ParameterColumn::liveToggled, this, [this](bool live) {
        if (m_options.rememberSettings)
            QSettings().setValue(QStringLiteral("live"), live);
        if (live)
            recalculateLive();
    });
    // Long runs show their progress, and Cancel stops them.
    connect(m_calculations.get(), &Calculations::progressShown, this, &MainWindow::showRunProgress);
    connect(m_calculations.get(), &Calculations::progressChanged, this, [this](const QString& text, int done, int total) {
        if (m_runProgress->isVisible())
            showRunProgress(text, done, total);
    });
    connect(m_calculations.get(), &Calculations::runEnded, this, [this] {
        hideRunProgress();
        if (m_livePending) {
            m_livePending = false;
            recalculateLive();
        }
    });
    connect(m_runCancel, &QPushButton::clicked, this, [this] { m_calculations->cancel(); });
    // A run that stopped leaves no progress behind; one that finished says so.
    connect(m_calculations.get(), &Calculations::runCancelled, this, [this] {
        stage("Ready");
        showProgress({});
    });
    connect(m_calculations.get(), &Calculations::runFinished, this, [this](qint64 milliseconds) {
        stage(QStringLiteral("Calculated in %1 ms").arg(milliseconds).toStdString());
        // A note the run left stays for its few seconds.
        if (!m_noticeTimer->isActive())
            showProgress({});
    });
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setObjectName(QLatin1String(names::kNoticeTimer));
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(kNoticeMilliseconds);
    // A note goes unless something else came since.
    connect(m_noticeTimer, &QTimer::timeout, this, [this] {
        if (progressText() == m_notice)
            showProgress({});
    });
    // Text that is no number goes back to the editor's last value, and the
    // status bar says so.
    for (ui::NumberEdit* edit : findChildren<ui::NumberEdit*>()) {
        connect(edit, &ui::NumberEdit::notANumber, this, [this, edit](const QString& typed, const QString& kept) {
            QString name = ui::captionOf(edit).simplified();
            if (name.isEmpty())
                name = ui::shortHint(ui::hintOf(edit)).simplified();
            if (name.isEmpty())
                name = edit->objectName();
            showNotice(QStringLiteral("%1: \"%2\" is not a number; kept %3").arg(name, typed, kept));
        });
    }
    connect(m_parameters, &ParameterColumn::zoomChanged, this, &MainWindow::applyZoom);
    // The focal ratio converts, it does not calculate.
    connect(m_parameters, &ParameterColumn::focalRatioChanged, this, [this] {
        m_model->setFocalRatio(m_parameters->focalRatio());
        m_psfMtf->setFocalRatio(m_parameters->focalRatio());
    });
    connect(m_parameters, &ParameterColumn::focalRatioChanged, m_intraExtra, &IntraExtraPage::showFocusLabels);
    // A seeing is turned into a turbulence amount for the aperture.
    connect(m_parameters, &ParameterColumn::edited, this,
            [this] { m_turbulence->setApertureInches(m_parameters->apertureInches()); });
    connect(m_psfMtf, &PsfMtfPage::holdToggled, this, [this](bool hold) {
        if (hold)
            m_model->hold();
        else
            m_model->release();
    });
    connect(m_about, &AboutPage::displayCurveChanged, this, &MainWindow::applyDisplayCurve);
    // The Tests page draws from the wavefront of the controls; its white
    // light is the Chromatic page's, its knife edge takes the display curve.
    m_tests->setWhiteLight([this](const optics::StarRequest& controls) { return m_chromatic->plan(controls); });
    m_animation->setTestFrames(
        [this](sim::MirrorTest test, double offsetMm) { return m_tests->requestAt(test, offsetMm); });
    connect(m_about, &AboutPage::displayCurveChanged, this,
            [this] { m_tests->setDisplayCurve(m_about->gamma(), m_about->slope()); });
    // Out of sight its pictures wait for the page to come on show.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int page) { m_tests->setShowing(page == TestsIndex); });
    m_tests->setShowing(m_tabs->currentIndex() == TestsIndex);
    connect(m_startest, &StartestPage::brightnessChanged, this, &MainWindow::applyBrightness);
    // The reset reaches each page's own controls in this order.
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_startest, &StartestPage::resetControls);
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_chromatic, &ChromaticPage::resetControls);
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_turbulence, &TurbulencePage::resetControls);
    // A wavefront picture loaded (or asked for) stops the computed map.
    connect(m_wavefront, &WavefrontPage::computedMapStopped, this, [this] { m_model->setWavefrontLoaded(true); });
    connect(m_wavefront, &WavefrontPage::computedMapBack, this, [this] { m_model->setWavefrontLoaded(false); });
    // Ticking "Display Wavefront" again asks for the computed map.
    connect(m_parameters, &ParameterColumn::wavefrontMapToggled, this, [this](bool on) {
        if (on)
            m_wavefront->showComputedMap();
    });
    // The double star follows the zoom and the display curve like the star.
    connect(m_model.get(), &SimulationModel::scaleChanged, m_double, &DoublePage::redraw);
    connect(m_about, &AboutPage::displayCurveChanged, m_double, &DoublePage::redraw);
    // Planet frames are colour planet runs of the planet page's picture.
    m_animation->setPlanetFrames({[this] { return m_planet->prepareFrames(); },
                                  [this] { return m_planet->workingBitmap(); }, [this] { m_planet->framesShown(); }});
    // The animation shows the page of its frames, then its own.
    connect(m_animation, &AnimationPage::viewWanted, this, [this](AnimationPage::View view) {
        m_tabs->setCurrentIndex(view == AnimationPage::View::Star     ? StartestIndex
                                : view == AnimationPage::View::Planet ? PlanetIndex
                                                                      : AnimationIndex);
    });

    // What the model has to show goes to the page it belongs to.
    SimulationModel* model = m_model.get();
    connect(model, &SimulationModel::pictureDrawn, this,
            [this](Place place, std::shared_ptr<const imaging::PixelBuffer> picture) {
        if (place == Place::Star) {
            m_startest->showStar(std::move(picture));
            return;
        }
        ui::PictureBox* box = place == Place::Chromatic ? m_chromatic->picture() : m_planet->aberratedPicture();
        box->copyFrom(std::move(picture));
        box->repaint();
    });
    connect(model, &SimulationModel::scaleChanged, this, [this](int arcseconds) {
        m_planet->setScaleLabel(arcseconds);
        m_startest->setScaleLabel(arcseconds);
        m_startest->setFocalPlaneWidth(m_model->pictureMicrometres());
    });
    connect(model, &SimulationModel::focalPlaneChanged, this,
            [this] { m_startest->setFocalPlaneWidth(m_model->pictureMicrometres()); });
    connect(model, &SimulationModel::figuresChanged, this, [this] {
        const auto& figured = m_model->figuredCalculation();
        m_startest->showFigures(figured ? figured->figures.get() : nullptr, m_model->figuresCurrent());
    });
    const auto showComparison = [this] {
        m_psfMtf->showComparison(m_model->curveCalculation(), m_model->held());
    };
    connect(model, &SimulationModel::curveCalculationChanged, this, showComparison);
    connect(model, &SimulationModel::heldChanged, this, showComparison);
    connect(model, &SimulationModel::heldChanged, this, [this] { m_startest->setHeldPicture(m_model->heldPicture()); });
    connect(model, &SimulationModel::screenShown, this,
            [this](optics::ScreenKind kind, const optics::ScreenPicture& picture) {
                if (kind == optics::ScreenKind::Turbulence)
                    m_turbulence->showTurbulence(picture);
                else
                    m_turbulence->showRoughness(picture);
            });
    connect(model, &SimulationModel::obstructionLeftOut, this, [this] {
        // Said once, for the calculation that found it; the others find 0 in the editor.
        if (m_parameters->obstruction() == 0.0)
            return;
        showNotice(QStringLiteral("Obstruction %1 % leaves no open aperture; calculated without obstruction")
                       .arg(QLocale().toString(m_parameters->obstruction(), 'g', QLocale::FloatingPointShortest)));
        m_parameters->resetObstruction();
    });
    connect(model, &SimulationModel::apertureDrawn, m_wavefront, &WavefrontPage::showAperture);
    connect(model, &SimulationModel::pupilSampled, this, [this](const optics::PupilSummary& pupil) {
        m_psfMtf->setResolution(pupil.t);
        m_startest->setUndersampled(pupil.undersampled);
    });
    connect(model, &SimulationModel::wavefrontDrawn, m_wavefront, &WavefrontPage::showWavefront);
    connect(model, &SimulationModel::curvesReady, m_psfMtf, &PsfMtfPage::fillPlots);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    }
}

void MainWindow::startUp()
{
    // The hint of the control under the mouse goes to the status bar.
    qApp->installEventFilter(this);
    m_animation->startUp();
    m_startest->starImage()->repaint();

    // The default planet picture. Start-up goes on without it.
    const QString planetFile = QString::fromLatin1(kPlanetFile);
    // The current directory first; then beside the program, where the message
    // about a missing file asks the user to put it; then where an installed
    // copy keeps its pictures.
    const QString planetPath = FindDataFile(planetFile);
    if (planetPath.isEmpty()) {
        m_dialogs.showMessage(this, ui::MessageKind::Error,
                              QStringLiteral("mars.jpg file missing, please put this file with the Quintalis in the "
                                             "same directory !!!!!"),
                              {ui::MessageButton::Yes});
    }
    if (const base::Status loaded = m_planet->loadStartPicture(planetFile, planetPath); !loaded)
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(loaded.error()),
                              {ui::MessageButton::Ok});

    // The display settings of the controls; nothing is on show yet.
    m_model->startDisplay(m_about->gamma(), m_about->slope(), m_parameters->zoom(), m_startest->brightness());
    m_model->setFocalRatio(m_parameters->focalRatio());
    m_psfMtf->setFocalRatio(m_parameters->focalRatio());
    m_tests->setDisplayCurve(m_about->gamma(), m_about->slope());
    m_turbulence->setApertureInches(m_parameters->apertureInches());
    if (m_options.rememberSettings)
        m_parameters->setLive(QSettings().value(QStringLiteral("live"), false).toBool());
}

void MainWindow::showHint()
{
    m_panels[1]->setText(ui::longHint(m_hint));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == this || isAncestorOf(widget)) {
            // The hint of the control under the mouse, or of its nearest
            // parent that has one.
            QString hint;
            for (QWidget* w = widget; w && hint.isEmpty(); w = w->parentWidget()) {
                hint = ui::hintOf(w);
                if (w == this)
                    break;
            }
            if (hint != m_hint) {
                m_hint = hint;
                showHint();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Status bar -----------------------------------------------------------------

void MainWindow::stage(const std::string& name)
{
    // A text longer than its panel can still be read in full.
    const QString text = QString::fromStdString(name);
    m_panels[0]->setText(text);
    m_panels[0]->setToolTip(text);
}

void MainWindow::showProgress(const QString& text)
{
    m_panels[1]->setText(text);
    m_panels[1]->setToolTip(text);
}

QString MainWindow::stageText() const
{
    return m_panels[0]->text();
}

QString MainWindow::progressText() const
{
    return m_panels[1]->text();
}

void MainWindow::flush()
{
    if (isVisible())
        repaint();
}

// ---- Display settings and the Calculate button ----------------------------------

void MainWindow::applyDisplayCurve()
{
    m_model->setDisplayCurve(m_about->gamma(), m_about->slope());
}

void MainWindow::applyBrightness()
{
    m_model->setBrightness(m_startest->brightness());
}

void MainWindow::applyZoom()
{
    m_model->setZoom(m_parameters->zoom());
}

void MainWindow::runCurrentPage()
{
    switch (m_tabs->currentIndex()) {
    case IntraExtraIndex: m_intraExtra->calculateFocalSeries(); break;
    case PlanetIndex: m_planet->convolveInColour(); break;
    case DoubleIndex: m_double->calculateDoubleStar(); break;
    case AnimationIndex: m_animation->animate(); break;
    case ChromaticIndex: m_chromatic->calculateWhiteLight(); break;
    default: calculateStar(); break;
    }
}

void MainWindow::saveCurrentPage()
{
    switch (m_tabs->currentIndex()) {
    case StartestIndex: m_startest->savePicture(); break;
    case IntraExtraIndex: m_intraExtra->savePicture(); break;
    case PlanetIndex: m_planet->savePicture(); break;
    case DoubleIndex: m_double->savePicture(); break;
    case AnimationIndex: m_animation->saveAnimation(); break;
    case WavefrontIndex: m_wavefront->savePicture(); break;
    case ChromaticIndex: m_chromatic->savePicture(); break;
    case PsfMtfIndex: m_files->saveCurves(m_psfMtf, m_psfMtf->curves(), m_psfMtf->figures().get()); break;
    case TestsIndex: m_tests->savePicture(); break;
    default: break;
    }
}

void MainWindow::connectKeys()
{
    auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_F5), [this] { runCurrentPage(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { runCurrentPage(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { saveCurrentPage(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count()); });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), [this] {
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + m_tabs->count() - 1) % m_tabs->count());
    });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), [this] {
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + m_tabs->count() - 1) % m_tabs->count());
    });
    for (int page = 0; page < 9 && page < m_tabs->count(); ++page)
        key(QKeySequence(Qt::CTRL | (Qt::Key_1 + page)), [this, page] { m_tabs->setCurrentIndex(page); });
    key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { m_tabs->setCurrentIndex(m_tabs->count() - 1); });

    // Enter in any editor runs the page on show.
    for (ui::NumberEdit* edit : findChildren<ui::NumberEdit*>())
        connect(edit, &ui::NumberEdit::entered, this, &MainWindow::runCurrentPage);

    // Alt and a letter of the caption: the column's buttons, always on show,
    // take theirs first; each page's buttons share the rest.
    QString taken;
    auto letterFor = [](const QAbstractButton* button, const QString& busy) -> QChar {
        QString caption = button->text().isEmpty() ? ui::hintOf(button) : button->text();
        for (const QChar c : caption.toUpper())
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z') && !busy.contains(c))
                return c;
        return {};
    };
    auto mark = [](QAbstractButton* button, QChar letter, const QString& extra) {
        const QString hint = ui::hintOf(button);
        const QString caption = button->text().trimmed().isEmpty() ? ui::shortHint(hint) : button->text().trimmed();
        const QString keys = QStringLiteral(" (Alt+%1%2)").arg(letter).arg(extra);
        ui::setHint(button, hint.isEmpty() ? caption + keys : hint + keys,
                    hint.isEmpty() ? true : ui::showsTooltip(button));
    };
    std::map<QChar, QAbstractButton*> column;
    for (QAbstractButton* button : m_client->findChildren<QPushButton*>()) {
        if (m_tabs->isAncestorOf(button) || button == m_runCancel)
            continue;
        const QChar letter = letterFor(button, taken);
        if (letter.isNull())
            continue;
        taken += letter;
        column[letter] = button;
        mark(button, letter, button->objectName() == QLatin1String(names::kCalculate) ? QStringLiteral(", F5, Ctrl+R")
                                                                                      : QString());
    }
    std::vector<std::map<QChar, QAbstractButton*>> pages(static_cast<std::size_t>(m_tabs->count()));
    for (int page = 0; page < m_tabs->count(); ++page) {
        QString busy = taken;
        for (QAbstractButton* button : m_tabs->widget(page)->findChildren<QAbstractButton*>()) {
            if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
                continue;
            const QChar letter = letterFor(button, busy);
            if (letter.isNull())
                continue;
            busy += letter;
            pages[static_cast<std::size_t>(page)][letter] = button;
            const bool saves = button->text().startsWith(QLatin1String("Save"));
            mark(button, letter, saves ? QStringLiteral(", Ctrl+S") : QString());
        }
    }
    for (QChar letter = QLatin1Char('A'); letter <= QLatin1Char('Z'); letter = QChar(letter.unicode() + 1)) {
        key(QKeySequence(Qt::ALT | (Qt::Key_A + (letter.unicode() - 'A'))), [this, letter, column, pages] {
            const auto& onPage = pages[static_cast<std::size_t>(m_tabs->currentIndex())];
            QAbstractButton* button = nullptr;
            if (const auto found = onPage.find(letter); found != onPage.end())
                button = found->second;
            else if (const auto inColumn = column.find(letter); inColumn != column.end())
                button = inColumn->second;
            if (button && button->isEnabled() && button->isVisible())
                button->click();
        });
    }
}

void MainWindow::connectSettings()
{
    // The frame position and the comparison picture's list (which asks for
    // a file) are no settings; the Measured page keeps its own, with its
    // wavefront by value.
    m_settings = std::make_unique<WindowSettings>(*this, QStringList{QLatin1String(names::kSlider),
                                                                     QLatin1String(names::kCompareBox),
                                                                     QLatin1String(names::kMeasuredPage)});
    m_settings->addPart({QStringLiteral("measuredWavefront"), [this] { return m_measured->keptState(); },
                         [this](const QJsonValue& kept) { return m_measured->restoreState(kept); }});
    m_settingsMenu = new SettingsMenu(*this, m_client, *m_settings, m_dialogs, m_options.rememberSettings);
    m_pictureSettings = new PictureSettings(*this, *m_settings, [this] { return m_calculations->running(); });
    m_files->setPictureSettings([this](const ui::PictureBox& box) { return m_pictureSettings->of(box); });
    // Pictures drawn during a run keep the settings it started with.
    connect(m_calculations.get(), &Calculations::runStarted, m_pictureSettings,
            &PictureSettings::calculationStarted);

    // The data behind three pictures can be saved as FITS, the curves as CSV.
    using Images = std::optional<std::vector<imaging::FitsImage>>;
    m_files->offerFits(*m_startest->starImage(), [this](const QJsonObject& settings) -> Images {
        if (const optics::StarImagePtr star = m_model->starImage())
            return StarFits(*star, settings);
        return std::nullopt;
    });
    m_files->offerFits(*m_intraExtra->picture(), [this](const QJsonObject& settings) -> Images {
        const IntraExtraPage::FocalPair& pair = m_intraExtra->focalPair();
        if (!pair.intra || !pair.extra)
            return std::nullopt;
        return IntraExtraFits(*pair.intra, pair.intraFocus, *pair.extra, pair.extraFocus, settings);
    });
    m_files->offerFits(*m_planet->aberratedPicture(), [this](const QJsonObject& settings) -> Images {
        const sim::Composite& colour = m_planet->colourResult();
        if (!m_planet->greyResult() && !colour.cells)
            return std::nullopt;
        return PlanetFits(m_planet->greyResult().get(), colour.cells.get(), colour.scale, settings);
    });
    connect(m_psfMtf, &PsfMtfPage::saveCurvesClicked, this,
            [this] { m_files->saveCurves(m_psfMtf, m_psfMtf->curves(), m_psfMtf->figures().get()); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Whatever runs stops at once.
    m_calculations->cancel();
    if (m_options.rememberSettings && m_scaler)
        QSettings().setValue(QStringLiteral("scale"), m_scaler->scale());
    QMainWindow::closeEvent(event);
}

double MainWindow::layoutScale() const
{
    return m_scaler ? m_scaler->scale() : 1.0;
}

double MainWindow::startScale() const
{
    if (m_options.rememberSettings) {
        const double kept = QSettings().value(QStringLiteral("scale"), 0.0).toDouble();
        if (kept >= 1.0 && kept <= 8.0)
            return kept;
    }
    const QScreen* screen = this->screen();
    if (!screen)
        return 1.0;
    // Half steps up to two thirds of the screen's height; 1 on small screens.
    const double fits = screen->availableGeometry().height() * 2.0 / 3.0 / kClientHeight;
    return std::max(1.0, std::floor(fits * 2.0) / 2.0);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    fitLayout();
}

void MainWindow::fitLayout()
{
    if (!m_scaler || !centralWidget())
        return;
    const QSize room = centralWidget()->size();
    const double scale =
        std::max(1.0, std::min(room.width() / double(kClientWidth), room.height() / double(kClientHeight)));
    if (std::abs(scale - m_scaler->scale()) > 1e-3)
        m_scaler->apply(scale);
    m_client->move((room.width() - m_client->width()) / 2, (room.height() - m_client->height()) / 2);
}

void MainWindow::waitForRuns()
{
    m_calculations->waitForRuns();
}

void MainWindow::showRunProgress(const QString& text, int done, int total)
{
    m_runProgress->setRange(0, total);
    m_runProgress->setValue(done);
    m_runProgress->setFormat(text);
    m_runProgress->show();
    m_runCancel->show();
}

void MainWindow::showNotice(const QString& text)
{
    m_notice = text;
    showProgress(text);
    m_noticeTimer->start();
}

void MainWindow::hideRunProgress()
{
    m_runProgress->hide();
    m_runCancel->hide();
}

void MainWindow::recalculateLive()
{
    if (!m_parameters->live())
        return;
    if (m_calculations->running()) {
        m_livePending = true;
        return;
    }
    optics::StarRequest request = m_calculations->request();
    request.figures = true;
    // Values on their way (a diameter half typed) are passed over quietly.
    if (!m_calculations->check(request))
        return;
    m_calculations->startStars(
        {request}, [this](int, optics::StarResult&& result) { m_model->showStar(Place::Star, result.image); },
        [this] { m_tests->refresh(TestsPage::All); }, RunOptions::DrawingStars());
}

void MainWindow::calculateStar()
{
    optics::StarRequest request = m_calculations->request();
    // The figures of the star page.
    request.figures = true;
    if (!m_calculations->accept({request}))
        return;
    if (m_tabs->currentIndex() == AboutIndex)
        m_tabs->setCurrentIndex(StartestIndex);
    m_calculations->startStars(
        {request}, [this](int, optics::StarResult&& result) { m_model->showStar(Place::Star, result.image); },
        [this] { m_tests->refresh(TestsPage::All); }, RunOptions::DrawingStars());
}

}  // namespace app
