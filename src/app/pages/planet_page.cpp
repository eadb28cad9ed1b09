#include "app/pages/planet_page.h"

#include "app/calculation.h"
#include "app/pages/page_helpers.h"
#include "app/picture_files.h"
#include "app/parameter_column.h"
#include "app/star_display.h"
#include "optics/status_sink.h"
#include "simulations/planet.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"
#include "ui/picture_reader.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace app {

namespace {

// Pictures wider or taller than this are more than the grid takes whole.
constexpr int kLargestWholePicture = 511;
constexpr int kPixelsPerArcsecond = 10;

}  // namespace

PlanetPage::PlanetPage(Calculation& calculation, ParameterColumn& parameters, StarDisplay& display,
                       optics::StatusSink& status, ui::DialogService& dialogs, sim::PlanetRun& run, PictureFiles& files,
                       QWidget* parent)
    : QWidget(parent),
      m_calculation(calculation),
      m_parameters(parameters),
      m_display(display),
      m_status(status),
      m_dialogs(dialogs),
      m_run(run),
      m_files(files)
{
    setObjectName(QStringLiteral("Planet"));
    // Titles and the small controls over the pictures, the runs under them.
    makeLabel(this, QStringLiteral("Original"), 8, 5)->setObjectName(QStringLiteral("OP"));
    m_load = makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("Load"), QRect(58, 1, 52, 21));
    m_compare = new QComboBox(this);
    m_compare->setObjectName(QStringLiteral("CompareBox"));
    m_compare->addItems({QStringLiteral("Original"), QStringLiteral("Other image")});
    m_compare->setGeometry(182, 1, 83, 21);
    ui::attachCaption(m_compare, makeLabel(this, QStringLiteral("Compare to"), 114, 5));
    m_scaleLabel = makeLabel(this, QStringLiteral("Aberrated (25 arcseconds wide)"), 284, 5);
    m_scaleLabel->setObjectName(QStringLiteral("Planetlabel"));
    m_scaleLabel->setFixedWidth(200);
    m_save = makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("Save"), QRect(489, 1, 52, 21));
    connect(m_save, &QPushButton::clicked, this, &PlanetPage::SavePlanetImageClick);

    m_original = new ui::PictureBox(this, 257, 257);
    m_original->setObjectName(QStringLiteral("Planetimage"));
    m_original->setCentred(true);
    m_original->move(8, 24);
    m_aberrated = new ui::PictureBox(this, 257, 257);
    m_aberrated->setObjectName(QStringLiteral("Planetaberrate"));
    m_aberrated->move(284, 24);

    m_size = makeLabel(this, QString(), 8, 284);
    m_size->setObjectName(QStringLiteral("planetimagesize"));
    m_size->setFixedWidth(200);
    makeLabel(this, QStringLiteral("Note :Images should have 10 pixels/arcsec."), 8, 299)->setFixedWidth(257);
    m_grey = makeButton(this, QStringLiteral("Convolute"), QStringLiteral("Calculate Greyvalues"),
                        QRect(284, 284, 128, 25));
    ui::setHint(m_grey, QStringLiteral("Calculate planet in grey values"), true);
    m_colour = makeButton(this, QStringLiteral("ConvoluteInColor"), QStringLiteral("Calculate Full Color"),
                          QRect(416, 284, 125, 25));
    ui::setHint(m_colour, QStringLiteral("Calculate Red, Green, Blue planes"), true);

    connect(m_load, &QPushButton::clicked, this, &PlanetPage::LoadPlanetImageClick);
    connect(m_grey, &QPushButton::clicked, this, &PlanetPage::ConvoluteGrey);
    connect(m_colour, &QPushButton::clicked, this, &PlanetPage::ConvoluteInColorClick);
    connect(m_compare, &QComboBox::currentIndexChanged, this, &PlanetPage::CompareBoxChange);
}

void PlanetPage::setScaleLabel(int arcseconds)
{
    m_scaleLabel->setText(QStringLiteral("Planet image (%1 arcsec.)").arg(arcseconds));
}

QString PlanetPage::loadStartPicture(const QString& fileName, const QString& path)
{
    QString error;
    if (!path.isEmpty()) {
        ui::PictureRead read = ui::ReadPicture(path);
        if (read.error.isEmpty()) {
            showOriginal(read.picture);
            m_bitmap = read.picture;
        } else {
            error = read.error;
        }
    }
    m_fileName = fileName;
    showSize();
    return error;
}

void PlanetPage::showOriginal(const QImage& picture)
{
    m_showingBitmap = false;
    m_original->setPicture(picture);
    m_pictureSize = picture.size();
}

void PlanetPage::showSize()
{
    const int width = m_pictureSize.isValid() ? m_pictureSize.width() : 0;
    m_size->setText(QStringLiteral("%1arcseconds wide").arg(width / kPixelsPerArcsecond));
}

void PlanetPage::reportFailure(const QString& error)
{
    m_dialogs.showMessage(window(), ui::MessageKind::Error, error, {ui::MessageButton::Ok});
}

void PlanetPage::LoadPlanetImageClick()
{
    if (const auto choice = m_dialogs.openFile(window(), QStringLiteral("Open"), ui::PictureFilters())) {
        ui::PictureRead read = ui::ReadPicture(choice->path);
        if (!read.error.isEmpty()) {
            reportFailure(read.error);
            return;
        }
        // The next run reads the file again into the working picture.
        showOriginal(read.picture);
        m_fileName = choice->path;
    }
    if (m_pictureSize.width() > kLargestWholePicture || m_pictureSize.height() > kLargestWholePicture)
        m_dialogs.showMessage(window(), ui::MessageKind::Error, QStringLiteral("Image to large (>512 pixels)"),
                              {ui::MessageButton::Yes});
    showSize();
}

bool PlanetPage::loadWorkingPicture()
{
    // A file unchanged since it was read last is not decoded again.
    const QByteArray stamp = ui::FileStamp(m_fileName);
    if (stamp.isEmpty() || stamp != m_bitmapStamp) {
        ui::PictureRead read = ui::ReadPicture(m_fileName);
        if (!read.error.isEmpty()) {
            reportFailure(read.error);
            return false;
        }
        m_bitmap = read.picture;
        m_bitmapStamp = stamp;
        m_showingBitmap = false;
    }
    if (!m_showingBitmap) {
        showOriginal(m_bitmap);
        m_showingBitmap = true;
    }
    return true;
}

sim::RgbPicture PlanetPage::workingPicture() const
{
    return {m_bitmap.constBits(), m_bitmap.width(), m_bitmap.height(), m_bitmap.bytesPerLine()};
}

void PlanetPage::reportCrop()
{
    const sim::PlanetPlacement place = sim::PlacePlanet(m_bitmap.width(), m_bitmap.height());
    if (place.cropped)
        m_status.setStatus(1, QStringLiteral("Only the central %1 x %2 pixels of the %3 x %4 picture were used")
                                  .arg(place.width)
                                  .arg(place.height)
                                  .arg(m_bitmap.width())
                                  .arg(m_bitmap.height())
                                  .toStdString());
}

void PlanetPage::ConvoluteGrey()
{
    if (!loadWorkingPicture())
        return;
    if (ConvolutePlanet())
        reportCrop();
}

bool PlanetPage::ConvolutePlanet()
{
    m_parameters.setValue(Parameter::Zoom, 1.0);
    m_run.dropComposite();
    if (m_run.colourPass())
        m_status.setStatus(1, sim::WavelengthStatus(m_run.waveLength(), decimalSeparator()));
    m_status.repaintNow();
    const optics::PaintTarget before = m_run.paintTarget();
    // The star image of the pass is drawn nowhere.
    m_run.setPaintTarget(optics::PaintTarget::None);
    if (!m_calculation.CalcFFTS()) {
        m_run.setPaintTarget(before);
        return false;
    }
    m_status.repaintNow();
    m_run.convolve(workingPicture(), m_status);
    m_status.setStatus(0, "Building image");
    m_status.repaintNow();
    m_run.setPaintTarget(optics::PaintTarget::Planet);
    m_display.BuildStarImage();
    return true;
}

bool PlanetPage::ConvoluteInColorClick()
{
    if (!loadWorkingPicture())
        return false;
    m_run.startColourRun(workingPicture());
    for (const sim::ColourPassSpec& pass : sim::kColourPasses) {
        m_run.setWaveLength(pass.waveLength);
        if (!ConvolutePlanet()) {
            m_run.abandonColourRun();
            return false;
        }
        m_status.repaintNow();
        m_run.accumulate(pass.channel);
    }
    m_status.setStatus(1, "Building final image");
    m_status.repaintNow();
    if (imaging::PixelBuffer* buffer = m_display.buffer())
        m_run.drawComposite(*buffer);
    m_run.setPaintTarget(optics::PaintTarget::Planet);
    m_display.Starimage1Paint();
    // From here on zoom redraws show ColourGrid as it stands (0..255).
    m_run.endColourRun();

    if (m_compare->currentIndex() == 1 && !m_compareFileName.isEmpty()) {
        ui::PictureRead read = ui::ReadPicture(m_compareFileName);
        if (read.error.isEmpty())
            showOriginal(read.picture);
        else
            reportFailure(read.error);
    }
    reportCrop();
    return true;
}

void PlanetPage::CompareBoxChange()
{
    m_compareFileName.clear();
    if (m_compare->currentIndex() != 1)
        return;
    if (const auto choice = m_dialogs.openFile(window(), QStringLiteral("Open"), ui::PictureFilters()))
        m_compareFileName = choice->path;
}

void PlanetPage::SavePlanetImageClick()
{
    m_files.savePicture(this, *m_aberrated);
}

}  // namespace app
