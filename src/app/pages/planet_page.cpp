#include "app/pages/planet_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/simulation_model.h"
#include "app/status_report.h"
#include "simulations/planet.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"
#include "ui/picture_reader.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace app {

namespace {

// Pictures wider or taller than this are more than the grid takes whole.
constexpr int kLargestWholePicture = 511;
constexpr int kPixelsPerArcsecond = 10;

}  // namespace

PlanetPage::PlanetPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                       StatusReport& status, ui::DialogService& dialogs, PictureFiles& files, QWidget* parent)
    : QWidget(parent),
      m_calculations(calculations),
      m_parameters(parameters),
      m_model(model),
      m_status(status),
      m_dialogs(dialogs),
      m_files(files)
{
    setObjectName(QLatin1String(names::kPlanetPage));
    // Titles and the small controls over the pictures, the runs under them.
    makeLabel(this, QStringLiteral("Original"), 8, 5)->setObjectName(QLatin1String(names::kOriginalCaption));
    m_load = makeButton(this, QLatin1String(names::kLoadPlanet), QStringLiteral("Load"), QRect(58, 1, 52, 21));
    m_compare = new QComboBox(this);
    m_compare->setObjectName(QLatin1String(names::kCompareBox));
    m_compare->addItems({QStringLiteral("Original"), QStringLiteral("Other image")});
    m_compare->setGeometry(182, 1, 98, 21);
    ui::attachCaption(m_compare, makeLabel(this, QStringLiteral("Compare to"), 114, 5));
    m_scaleLabel = makeLabel(this, QString(), 284, 5);
    m_scaleLabel->setObjectName(QLatin1String(names::kPlanetLabel));
    m_scaleLabel->setFixedWidth(200);
    setScaleLabel(25);
    m_save = makeButton(this, QLatin1String(names::kSavePlanet), QStringLiteral("Save"), QRect(489, 1, 52, 21));
    connect(m_save, &QPushButton::clicked, this, &PlanetPage::savePicture);

    m_original = new ui::PictureBox(this, 257, 257);
    m_original->setObjectName(QLatin1String(names::kPlanetImage));
    m_original->setCentred(true);
    m_original->move(8, 24);
    m_aberrated = new ui::PictureBox(this, 257, 257);
    m_aberrated->setObjectName(QLatin1String(names::kPlanetAberrated));
    m_aberrated->move(284, 24);

    m_size = makeLabel(this, QString(), 8, 284);
    m_size->setObjectName(QLatin1String(names::kPlanetImageSize));
    m_size->setFixedWidth(200);
    makeLabel(this, QStringLiteral("Note :Images should have 10 pixels/arcsec."), 8, 299)->setFixedWidth(257);
    m_grey = makeButton(this, QLatin1String(names::kConvoluteGrey), QStringLiteral("Calculate Greyvalues"),
                        QRect(284, 284, 128, 25));
    ui::setHint(m_grey, QStringLiteral("Calculate planet in grey values"), true);
    m_colour = makeButton(this, QLatin1String(names::kConvoluteColour), QStringLiteral("Calculate Full Color"),
                          QRect(416, 284, 125, 25));
    ui::setHint(m_colour, QStringLiteral("Calculate Red, Green, Blue planes"), true);

    connect(m_load, &QPushButton::clicked, this, &PlanetPage::loadPlanetPicture);
    connect(m_grey, &QPushButton::clicked, this, &PlanetPage::convolveGrey);
    connect(m_colour, &QPushButton::clicked, this, [this] { convolveInColour(); });
    connect(m_compare, &QComboBox::currentIndexChanged, this, &PlanetPage::chooseComparison);
}

void PlanetPage::setScaleLabel(int arcseconds)
{
    m_scaleLabel->setText(QStringLiteral("Planet image (%1 arcseconds)").arg(arcseconds));
}

base::Status PlanetPage::loadStartPicture(const QString& fileName, const QString& path)
{
    base::Status loaded;
    if (!path.isEmpty())
        loaded = readWorkingPicture(path);
    // Every later run reads the picture where it was found, whatever the
    // working folder is by then; a missing one keeps its plain name.
    m_fileName = path.isEmpty() ? fileName : QFileInfo(path).absoluteFilePath();
    showSize();
    return loaded;
}

base::Status PlanetPage::readWorkingPicture(const QString& path)
{
    // The stamp of the file before it is read: a file that changes meanwhile
    // is read again by the next run.
    const QByteArray stamp = ui::FileStamp(path);
    const base::Result<QImage> read = ui::ReadPicture(path);
    if (!read)
        return base::Fail(read.error());
    showOriginal(*read);
    m_bitmap = *read;
    m_bitmapStamp = stamp;
    m_showingBitmap = true;
    return base::Done();
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

void PlanetPage::reportFailure(const std::string& error)
{
    m_dialogs.showMessage(window(), ui::MessageKind::Error, QString::fromStdString(error), {ui::MessageButton::Ok});
}

void PlanetPage::loadPlanetPicture()
{
    if (const auto choice = m_dialogs.openFile(window(), QStringLiteral("Open"), ui::PictureFilters())) {
        // The picture decoded here is the one the next run works on, unless
        // the file changes before.
        if (const base::Status read = readWorkingPicture(choice->path); !read) {
            reportFailure(read.error());
            return;
        }
        m_fileName = choice->path;
    }
    if (m_pictureSize.width() > kLargestWholePicture || m_pictureSize.height() > kLargestWholePicture)
        m_dialogs.showMessage(window(), ui::MessageKind::Information,
                              QStringLiteral("Image too large (more than 512 pixels): its central 512 x 512 pixels "
                                             "are used"),
                              {ui::MessageButton::Ok});
    showSize();
}

bool PlanetPage::loadWorkingPicture()
{
    // A file unchanged since it was read last is not decoded again.
    const QByteArray stamp = ui::FileStamp(m_fileName);
    if (stamp.isEmpty() || stamp != m_bitmapStamp) {
        const base::Result<QImage> read = ui::ReadPicture(m_fileName);
        if (!read) {
            reportFailure(read.error());
            return false;
        }
        m_bitmap = *read;
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
        m_status.showProgress(QStringLiteral("Only the central %1 x %2 pixels of the %3 x %4 picture were used")
                                  .arg(place.width)
                                  .arg(place.height)
                                  .arg(m_bitmap.width())
                                  .arg(m_bitmap.height()));
}

namespace {

sim::RgbPicture rgbOf(const QImage& picture)
{
    return {picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine()};
}

}  // namespace

void PlanetPage::startPasses(const std::vector<optics::StarRequest>& requests,
                             const std::vector<sim::PlanetPlane>& planes,
                             std::function<void(int, sim::PlanetPass&&)> deliver, std::function<void()> finish,
                             std::shared_ptr<sim::PlanetColourSum> sum)
{
    std::vector<Calculations::Task<sim::PlanetPass>> tasks;
    for (std::size_t n = 0; n < requests.size(); ++n) {
        tasks.push_back([request = requests[n], plane = planes[n], picture = m_bitmap, sum](
                            optics::StarCalculator& calculator, optics::Progress& progress) {
            sim::PlanetPass pass = sim::RunPlanetPass(calculator, request, rgbOf(picture), plane, progress);
            // A colour pass adds its plane to its own channel where it was made.
            if (sum && pass.planet) {
                thread_local std::vector<double> amplitude;
                pass.weight = sum->addChannel(pass.planet->grid, plane, amplitude, calculator.loops());
            }
            return pass;
        });
    }
    m_calculations.start<sim::PlanetPass>(
        std::move(tasks),
        [this, deliver = std::move(deliver)](int index, sim::PlanetPass&& pass) {
            if (!pass.planet) {
                m_calculations.cancel();
                return;
            }
            // The star image of a pass is shown nowhere; what it made besides is.
            m_model.showCalculation(pass.star);
            m_model.trace().kernel = pass.star.image;
            deliver(index, std::move(pass));
        },
        std::move(finish), {QStringLiteral("Colour"), requests.size() > 1});
}

void PlanetPage::convolveGrey()
{
    if (!loadWorkingPicture())
        return;
    const optics::StarRequest request = m_calculations.request();
    if (!m_calculations.accept({request}))
        return;
    m_parameters.showZoomOne();
    m_status.flush();
    startPasses(
        {request}, {sim::PlanetPlane::Grey},
        [this](int, sim::PlanetPass&& pass) {
            m_greyResult = pass.planet;
            m_colourResult = {};
            m_model.showStar(Place::Planet, pass.planet);
        },
        [this] { reportCrop(); });
}

bool PlanetPage::convolveInColour()
{
    if (!loadWorkingPicture())
        return false;
    const std::vector<optics::StarRequest> plan = sim::PlanColourPasses(m_calculations.request());
    if (!m_calculations.accept(plan))
        return false;
    m_parameters.showZoomOne();

    std::vector<sim::PlanetPlane> planes;
    for (const sim::ColourPassSpec& pass : sim::kColourPasses)
        planes.push_back(pass.channel);
    auto sum = std::make_shared<sim::PlanetColourSum>(workingPicture());
    m_model.trace().planetTotals = sum->totals();
    m_status.showProgress(QString::fromStdString(sim::WavelengthStatus(plan.front().waveLength, decimalSeparator())));
    m_status.flush();
    startPasses(
        plan, planes,
        [this, sum, plan](int index, sim::PlanetPass&& pass) {
            const sim::ColourPassSpec& colour = sim::kColourPasses[index];
            m_model.showColourPass(Place::Planet, pass.planet, colour.waveLength, m_calculations.drawIntermediateNow());
            sum->noteAdded(colour.channel, pass.weight);
            m_model.trace().weights = sum->lastWeights();
            if (static_cast<std::size_t>(index + 1) < plan.size())
                m_status.showProgress(QString::fromStdString(
                    sim::WavelengthStatus(plan[static_cast<std::size_t>(index + 1)].waveLength, decimalSeparator())));
            m_status.flush();
        },
        [this, sum] {
            m_colourResult = sum->finish();
            m_greyResult.reset();
            m_model.showComposite(Place::Planet, m_colourResult);
            showComparison();
            reportCrop();
        },
        sum);
    return true;
}

void PlanetPage::showComparison()
{
    if (m_compare->currentIndex() != 1 || m_compareFileName.isEmpty())
        return;
    const base::Result<QImage> read = ui::ReadPicture(m_compareFileName);
    if (read)
        showOriginal(*read);
    else
        reportFailure(read.error());
}

bool PlanetPage::prepareFrames()
{
    return loadWorkingPicture();
}

void PlanetPage::framesShown()
{
    showComparison();
    reportCrop();
}

void PlanetPage::chooseComparison()
{
    m_compareFileName.clear();
    if (m_compare->currentIndex() != 1)
        return;
    if (const auto choice = m_dialogs.openFile(window(), QStringLiteral("Open"), ui::PictureFilters()))
        m_compareFileName = choice->path;
}

void PlanetPage::savePicture()
{
    m_files.savePicture(this, *m_aberrated);
}

}  // namespace app
