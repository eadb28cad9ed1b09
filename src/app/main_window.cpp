#include "app/main_window.h"

#include "app/pages/about_page.h"
#include "app/pages/animation_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/double_page.h"
#include "app/pages/intra_extra_page.h"
#include "app/pages/planet_page.h"
#include "app/pages/psf_mtf_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/pages/wavefront_page.h"
#include "app/parameter_column.h"
#include "app/resource_paths.h"
#include "imaging/colour.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_buffer.h"
#include "optics/fft.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"
#include "ui/text_painter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace app {

namespace {

constexpr int kClientWidth = 697;
constexpr int kClientHeight = 434;
const char* const kPlanetFile = "mars.jpg";

QImage toQImage(const imaging::PixelBuffer& picture)
{
    return ui::imageView(picture).copy();
}

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

    buildLayout();
    connectHandlers();
    connectDisplayHandlers();
    connectCalcHandlers();
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

    Tabs = new QTabWidget(client);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->setGeometry(0, -1, 561, 345);
    Tabs->setUsesScrollButtons(false);
    // Ten captions share 561 pixels: keep the tabs tight so all stay in view.
    Tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 3px; font-size: 10px; }"));

    StartestTab = new StartestPage;
    IntraExtraTab = new IntraExtraPage;
    PlanetTab = new PlanetPage;
    DoubleTab = new DoublePage;
    AnimationTab = new AnimationPage;
    PsfMtfTab = new PsfMtfPage;
    TurbulenceTab = new TurbulencePage;
    WavefrontTab = new WavefrontPage;
    ChromaticTab = new ChromaticPage;
    AboutTab = new AboutPage;
    Tabs->addTab(StartestTab, QStringLiteral("Startest"));
    Tabs->addTab(IntraExtraTab, QStringLiteral("Intra/Extra"));
    Tabs->addTab(PlanetTab, QStringLiteral("Planet"));
    Tabs->addTab(DoubleTab, QStringLiteral("Double"));
    Tabs->addTab(AnimationTab, QStringLiteral("Animation"));
    Tabs->addTab(PsfMtfTab, QStringLiteral("PSF/MTF"));
    Tabs->addTab(TurbulenceTab, QStringLiteral("Turbulence"));
    Tabs->addTab(WavefrontTab, QStringLiteral("Wavefront"));
    Tabs->addTab(ChromaticTab, QStringLiteral("Chromatic"));
    Tabs->addTab(AboutTab, QStringLiteral("About"));

    Parameters = new ParameterColumn(client, *this);

    Status = new QStatusBar(client);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setSizeGripEnabled(false);
    Status->setGeometry(0, 415, kClientWidth, 19);
    Status->setContentsMargins(0, 0, 0, 0);
    for (int panel = 0; panel < 2; ++panel) {
        m_panels[panel] = new QLabel(Status);
        m_panels[panel]->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        m_panels[panel]->setFixedWidth(panel == 0 ? 250 : 350);
        m_panels[panel]->setFrameShape(QFrame::Panel);
        m_panels[panel]->setFrameShadow(QFrame::Sunken);
        Status->addWidget(m_panels[panel]);
    }

    Tabs->setCurrentIndex(kAboutIndex);
}

void TForm1::connectHandlers()
{
    connect(AboutTab, &AboutPage::secretPanelClicked, this, &TForm1::SecretPanel1Click);
    connect(AboutTab->Image5, &ui::PictureBox::clicked, this, &TForm1::Image5Click);
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

QString TForm1::locatePlanetFile(const QString& name) const
{
    // The current directory first; then beside the program, where the
    // message about a missing file asks the user to put it; then where an
    // installed copy keeps its pictures.
    return FindDataFile(name);
}

void TForm1::FormCreate()
{
    optics::Engine& e = m_engine;
    // 1, 2: transform table and the zero grid.
    optics::FillBitReverse(e);
    for (int i = 1; i <= optics::kLineLength; ++i)
        for (int j = 1; j <= optics::kLineLength; ++j)
            e.ZeroGrid(i, j) = 0.0;
    // 3: hints of every control go to status panel 1.
    qApp->installEventFilter(this);
    // 4, 5
    e.PaintTarget = 1;
    AnimationTab->AniAberchoice->setCurrentIndex(0);
    AnimationTab->Imagechoice->setCurrentIndex(0);
    // 6: the two drawing surfaces, the size of the star picture.
    const QSize starSize = StartestTab->StarImage->size();
    StarBuffer = std::make_unique<imaging::PixelBuffer>(starSize.width(), starSize.height());
    DoubleStarBuffer = std::make_unique<imaging::PixelBuffer>(starSize.width(), starSize.height());
    StartestTab->StarImage->repaint();
    // 7: the default planet picture.
    m_planetPath = locatePlanetFile(QString::fromLatin1(kPlanetFile));
    if (m_planetPath.isEmpty()) {
        m_dialogs.showMessage(this, ui::MessageKind::Error,
                              QStringLiteral("mars.jpg file missing, please put this file with the Quintalis in the "
                                             "same directory !!!!!"),
                              {ui::MessageButton::Yes});
    }
    // 8
    AnimationGif.clear();
    // 9, 10: the picture on the Planet page, and its JPEG and 24-bit copies.
    PlanetJpeg = QImage();
    PlanetBitmap = QImage();
    if (!m_planetPath.isEmpty()) {
        imaging::ReadResult read = imaging::ReadJpeg(m_planetPath.toStdString());
        if (read.picture) {
            PlanetJpeg = toQImage(*read.picture);
            PlanetTab->Planetimage->setPicture(PlanetJpeg);
            PlanetBitmap = PlanetJpeg.convertToFormat(QImage::Format_RGB888);
        } else {
            m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(read.error),
                                  {ui::MessageButton::Ok});
        }
    }
    // 11, 12
    PlanetFileName = QString::fromLatin1(kPlanetFile);
    PlanetTab->planetimagesize->setText(
        QStringLiteral("%1arcseconds wide").arg(PlanetJpeg.isNull() ? 0 : PlanetJpeg.width() / 10));
    // 13, 14: wavelength and the star colour for it.
    e.WaveLength = 555.0;
    e.ColourPass = false;
    e.FftSign = 1.0;
    const imaging::Rgb starColour = imaging::WavelengthToRgb(555.0);
    e.StarRed = starColour.red;
    e.StarGreen = starColour.green;
    e.StarBlue = starColour.blue;
    // 15
    e.WavefrontImageLoaded = false;
    e.TurbulenceShift = 0;
    e.TurbulenceReady = false;
    e.RoughnessReady = false;
    e.FirstGammaChange = true;
    // 16: the display table; no picture exists yet.
    GammaSpinChange();
}

void TForm1::FormClose()
{
    StarBuffer.reset();
    DoubleStarBuffer.reset();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::SecretPanel1Click()
{
    AboutTab->Specials->setVisible(true);
}

void TForm1::Image5Click()
{
    AboutTab->Specials->setVisible(true);
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

}  // namespace app
