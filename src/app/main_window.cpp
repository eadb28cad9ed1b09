#include "app/main_window.h"

#include "app/calc_driver.h"
#include "app/pages/about_page.h"
#include "app/pages/animation_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/double_page.h"
#include "app/pages/intra_extra_page.h"
#include "app/pages/page_helpers.h"
#include "app/pages/planet_page.h"
#include "app/pages/psf_mtf_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/pages/wavefront_page.h"
#include "app/parameter_column.h"
#include "app/star_display.h"
#include "app/resource_paths.h"
#include "imaging/colour.h"
#include "imaging/pixel_buffer.h"
#include "optics/fft.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"
#include "ui/text_painter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace app {

namespace {

constexpr int kClientWidth = 697;
constexpr int kClientHeight = 434;
const char* const kPlanetFile = "mars.jpg";

}  // namespace

TForm1::TForm1(optics::Engine& engine, ui::DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent), m_engine(engine), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quintalis"));
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
    m_display = std::make_unique<StarDisplay>(m_engine, *this);
    m_calc = std::make_unique<CalcDriver>(m_engine, *m_display, *this, *m_textPainter, decimalSeparator());

    buildLayout();
    connectServices();
    FormCreate();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
}

void TForm1::buildLayout()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    setFixedSize(kClientWidth, kClientHeight);

    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("Tabs"));
    m_tabs->setGeometry(0, -1, 561, 345);
    m_tabs->setUsesScrollButtons(false);
    // Ten captions in the window's own text size share 561 pixels, so the
    // tabs are tight; the page on show stands out in white with a blue rule
    // on top, the others recede in grey.
    m_tabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 2px 2px 3px 2px; margin-right: 0px; background: #d8d8d8; color: #303030;"
        " border: 1px solid #a0a0a0; border-bottom: none; }"
        "QTabBar::tab:selected { background: white; color: black; border-top: 3px solid #2a6fc9;"
        " padding-top: 0px; }"
        "QTabBar::tab:!selected { margin-top: 2px; }"));

    m_startest = new StartestPage;
    m_intraExtra = new IntraExtraPage;
    m_planet = new PlanetPage;
    m_double = new DoublePage;
    m_animation = new AnimationPage;
    m_psfMtf = new PsfMtfPage;
    m_turbulence = new TurbulencePage;
    m_wavefront = new WavefrontPage;
    m_chromatic = new ChromaticPage;
    m_about = new AboutPage;
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

    m_parameters = new ParameterColumn(client, m_dialogs);

    auto* status = new QStatusBar(client);
    status->setObjectName(QStringLiteral("Status"));
    status->setSizeGripEnabled(false);
    status->setGeometry(0, 415, kClientWidth, 19);
    status->setContentsMargins(0, 0, 0, 0);
    for (int panel = 0; panel < 2; ++panel) {
        m_panels[panel] = new QLabel(status);
        m_panels[panel]->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        m_panels[panel]->setFixedWidth(panel == 0 ? 250 : 350);
        m_panels[panel]->setFrameShape(QFrame::Panel);
        m_panels[panel]->setFrameShadow(QFrame::Sunken);
        status->addWidget(m_panels[panel]);
    }

    m_tabs->setCurrentIndex(AboutIndex);
}

void TForm1::connectServices()
{
    // What the parameter column and the pages ask of the program as a whole.
    connect(m_parameters, &ParameterColumn::calculateClicked, this, &TForm1::CalculateButtonClick);
    connect(m_parameters, &ParameterColumn::zoomChanged, this, &TForm1::Changezoom);
    connect(m_about, &AboutPage::displayCurveChanged, this, &TForm1::GammaSpinChange);
    connect(m_startest, &StartestPage::brightnessChanged, this, &TForm1::BrightslideChanged);
    // The reset reaches each page's own controls in this order.
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_startest, &StartestPage::resetControls);
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_chromatic, &ChromaticPage::resetControls);
    connect(m_parameters, &ParameterColumn::resetConfirmed, m_turbulence, &TurbulencePage::resetControls);
    // The screens go stale with their settings, and with the animation range.
    connect(m_turbulence, &TurbulencePage::turbulenceStale, this, [this] { m_engine.TurbulenceReady = false; });
    connect(m_turbulence, &TurbulencePage::roughnessStale, this, [this] { m_engine.RoughnessReady = false; });
    connect(m_animation, &AnimationPage::rangeEdited, m_turbulence, &TurbulencePage::Roughchange);

    // The display copies the star buffer into these pictures.
    m_display->setTarget(optics::PaintTarget::StarImage, m_startest->starImage());
    m_display->setTarget(optics::PaintTarget::Chromatic, m_chromatic->picture());
    m_display->setTarget(optics::PaintTarget::Planet, m_planet->aberratedPicture());

    // Each step of a calculation shows its result on the page it belongs to.
    CalcDriver* calc = m_calc.get();
    connect(calc, &CalcDriver::started, m_startest, [this] { m_startest->setUndersampled(false); });
    connect(calc, &CalcDriver::turbulenceScreenBuilt, m_turbulence, &TurbulencePage::showTurbulence);
    connect(calc, &CalcDriver::roughnessScreenBuilt, m_turbulence, &TurbulencePage::showRoughness);
    connect(calc, &CalcDriver::obstructionTooLarge, m_parameters, &ParameterColumn::resetObstruction);
    connect(calc, &CalcDriver::aperturePictureDrawn, m_wavefront, &WavefrontPage::showAperture);
    connect(calc, &CalcDriver::pupilBuilt, this, [this](const optics::PupilResult& pupil) {
        m_psfMtf->setResolution(pupil.t);
        if (pupil.undersampled)
            m_startest->setUndersampled(true);
    });
    connect(calc, &CalcDriver::wavefrontPictureDrawn, m_wavefront, &WavefrontPage::showWavefront);
    connect(calc, &CalcDriver::transferFunctionReady, m_psfMtf, &PsfMtfPage::fillPlots);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    }
}

void TForm1::FormCreate()
{
    optics::Engine& e = m_engine;
    optics::FillBitReverse(e);
    for (int i = 1; i <= optics::kLineLength; ++i)
        for (int j = 1; j <= optics::kLineLength; ++j)
            e.ZeroGrid(i, j) = 0.0;
    // The hint of the control under the mouse goes to status panel 1.
    qApp->installEventFilter(this);
    e.PaintTarget = optics::PaintTarget::StarImage;
    m_animation->startUp();

    // The two drawing surfaces, the size of the star picture.
    const QSize starSize = m_startest->starImage()->size();
    m_starBuffer = std::make_unique<imaging::PixelBuffer>(starSize.width(), starSize.height());
    m_doubleStarBuffer = std::make_unique<imaging::PixelBuffer>(starSize.width(), starSize.height());
    m_display->setBuffer(m_starBuffer.get());
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
    const QString planetError = m_planet->loadStartPicture(planetFile, planetPath);
    if (!planetError.isEmpty())
        m_dialogs.showMessage(this, ui::MessageKind::Error, planetError, {ui::MessageButton::Ok});

    e.WaveLength = optics::kReferenceWavelength;
    e.ColourPass = false;
    e.FftSign = 1.0;
    const imaging::Rgb starColour = imaging::WavelengthToRgb(e.WaveLength);
    e.StarRed = starColour.red;
    e.StarGreen = starColour.green;
    e.StarBlue = starColour.blue;
    e.WavefrontImageLoaded = false;
    e.TurbulenceShift = 0;
    e.TurbulenceReady = false;
    e.RoughnessReady = false;
    // The display table; no star picture exists yet to redraw.
    e.FirstGammaChange = true;
    GammaSpinChange();
}

void TForm1::FormClose()
{
    m_display->setBuffer(nullptr);
    m_starBuffer.reset();
    m_doubleStarBuffer.reset();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::Displayhint()
{
    m_panels[1]->setText(ui::longHint(m_hint));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
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
                Displayhint();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::setStatus(int panel, const std::string& text)
{
    if (panel == 0 || panel == 1)
        m_panels[panel]->setText(QString::fromStdString(text));
}

QString TForm1::statusText(int panel) const
{
    return (panel == 0 || panel == 1) ? m_panels[panel]->text() : QString();
}

void TForm1::repaintNow()
{
    if (isVisible())
        repaint();
}

// ---- Display ----------------------------------------------------------------

namespace {

imaging::DisplaySettings displaySettings(const ParameterColumn& parameters, const StartestPage& startest)
{
    return {parameters.value(Parameter::Zoom), startest.brightness()};
}

}  // namespace

void TForm1::GammaSpinChange()
{
    m_display->GammaSpinChange(m_about->gamma(), m_about->slope(), displaySettings(*m_parameters, *m_startest));
}

void TForm1::BuildStarImage()
{
    m_display->BuildStarImage(displaySettings(*m_parameters, *m_startest));
}

void TForm1::BrightslideChanged()
{
    BuildStarImage();
}

void TForm1::Changezoom()
{
    const imaging::DisplaySettings settings = displaySettings(*m_parameters, *m_startest);
    const int arcseconds = imaging::ZoomLabelNumber(settings.zoom);
    m_planet->setScaleLabel(arcseconds);
    m_startest->setScaleLabel(arcseconds);
    m_display->Changezoom(settings);
}

void TForm1::Starimage1Paint()
{
    m_display->Starimage1Paint();
}

// ---- Calculation ------------------------------------------------------------

CalcParams TForm1::readCalcParams() const
{
    CalcParams params;
    m_parameters->read(params);
    const optics::ScreenSettings turbulence = m_turbulence->turbulenceSettings();
    const optics::ScreenSettings roughness = m_turbulence->roughnessSettings();
    params.seed = turbulence.seed;
    params.pupil.turbulence = turbulence.amplitude;
    params.pupil.roughness = roughness.amplitude;
    params.display.brightness = m_startest->brightness();
    return params;
}

bool TForm1::accept(const CalcParams& params)
{
    const std::optional<QString> refusal = m_calc->check(params, m_parameters->text(Parameter::Aperture));
    if (!refusal)
        return true;
    m_dialogs.showMessage(this, ui::MessageKind::Error, *refusal, {ui::MessageButton::Ok});
    return false;
}

bool TForm1::CalcFFTS()
{
    const CalcParams params = readCalcParams();
    if (!accept(params))
        return false;
    m_calc->CalcFFTS(params);
    return true;
}

void TForm1::CalculateButtonClick()
{
    const CalcParams params = readCalcParams();
    if (!accept(params))
        return;
    if (m_tabs->currentIndex() == AboutIndex)
        m_tabs->setCurrentIndex(StartestIndex);
    m_engine.PaintTarget = optics::PaintTarget::StarImage;
    m_engine.ColourComposite = false;
    m_calc->CalcFFTS(params);
}

}  // namespace app
