#include "app/pages/wavefront_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/picture_files.h"
#include "imaging/file_output.h"
#include "imaging/wavefront_picture.h"
#include "measured/measured_compose.h"
#include "optics/constants.h"
#include "optics/pupil.h"
#include "optics/star_calculator.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"
#include "ui/picture_reader.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <numbers>

namespace app {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

QString fixed(double value, int decimals)
{
    return QString::fromStdString(imaging::FormatFixed(value, decimals, decimalSeparator()));
}

}  // namespace

WavefrontPage::WavefrontPage(PictureFiles& files, ui::DialogService& dialogs, QWidget* parent)
    : QWidget(parent), m_files(files), m_dialogs(dialogs)
{
    setObjectName(QLatin1String(names::kWavefrontPage));
    makeLabel(this, QStringLiteral("Aperture Image"), 8, 4);
    m_aperture = new ui::PictureBox(this, optics::kPictureSide, optics::kPictureSide);
    m_aperture->setObjectName(QLatin1String(names::kAperturePicture));
    m_aperture->move(8, 20);
    m_title = makeLabel(this, QStringLiteral("Pupil Phase Function"), 284, 4);
    m_title->setObjectName(QLatin1String(names::kWavefrontTitle));
    m_title->setFixedWidth(256);
    m_wavefront = new ui::PictureBox(this, optics::kPictureSide, optics::kPictureSide);
    m_wavefront->setObjectName(QLatin1String(names::kWavefrontPicture));
    m_wavefront->move(284, 20);
    m_help = new QLabel(QStringLiteral("Tick 'Display Wavefront'\nand press Calculate"), this);
    m_help->setObjectName(QLatin1String(names::kWavefrontHelp));
    m_help->setAlignment(Qt::AlignCenter);
    m_help->setStyleSheet(QStringLiteral("color: #c0c0c0; background: transparent;"));
    m_help->setGeometry(284, 20, optics::kPictureSide, optics::kPictureSide);

    auto label = [this](const char* name, int x, int y) {
        QLabel* l = makeLabel(this, QString(), x, y);
        l->setObjectName(QString::fromLatin1(name));
        l->setFixedWidth(150);
        return l;
    };
    m_peakToValley = label(names::kPeakToValley, 8, 280);
    m_peakToValleyWaves = label(names::kPeakToValleyWaves, 8, 298);
    m_rms = label(names::kRms, 160, 280);
    m_rmsWaves = label(names::kRmsWaves, 160, 298);
    m_rms->setFixedWidth(96);
    m_rmsWaves->setFixedWidth(96);

    m_save = makeButton(this, QLatin1String(names::kSaveWavefront), QStringLiteral("Save Image"),
                        QRect(380, 284, 75, 25));
    m_load =
        makeButton(this, QLatin1String(names::kLoadWavefront), QStringLiteral("Load Image"), QRect(464, 284, 75, 25));
    m_clear = makeButton(this, QLatin1String(names::kClearWavefront), QStringLiteral("Clear"), QRect(316, 284, 58, 25));
    ui::setHint(m_clear, QStringLiteral("Clear|Take the loaded picture away and show the computed map again"), true);
    m_clear->setEnabled(false);
    // The wavefront written out: two small buttons beside the readouts, one
    // above the other.
    m_saveZernikes = makeButton(this, QLatin1String(names::kSaveZernike), QStringLiteral("Zernikes..."),
                                QRect(254, 278, 60, 20));
    ui::setHint(m_saveZernikes, QStringLiteral("Save Zernikes|The wavefront as 37 Fringe terms (waves at 555 nm)"),
                true);
    m_saveMap = makeButton(this, QLatin1String(names::kSaveMap), QStringLiteral("Map..."), QRect(254, 299, 60, 20));
    ui::setHint(m_saveMap, QStringLiteral("Save map|The wavefront as a .wft or FITS map (waves at 555 nm)"), true);
    connect(m_saveZernikes, &QPushButton::clicked, this, &WavefrontPage::saveZernikes);
    connect(m_saveMap, &QPushButton::clicked, this, &WavefrontPage::saveMap);
    connect(m_save, &QPushButton::clicked, this, &WavefrontPage::savePicture);
    connect(m_load, &QPushButton::clicked, this, &WavefrontPage::loadPicture);
    connect(m_clear, &QPushButton::clicked, this, &WavefrontPage::showComputedMap);
}

void WavefrontPage::showAperture(const imaging::PixelBuffer& picture)
{
    m_aperture->copyFrom(picture);
    m_aperture->repaint();
}

void WavefrontPage::showWavefront(const imaging::PixelBuffer& picture, const optics::PupilSummary& pupil)
{
    const double minW = pupil.minW;
    const double maxW = pupil.maxW + 1e-5;
    m_rms->setText(QStringLiteral("RMS: ") + fixed(pupil.rms / kTwoPi, 3));
    m_rmsWaves->setText(pupil.rms > 0.0 ? QStringLiteral("1/") + fixed(kTwoPi / pupil.rms, 3) + QStringLiteral(" wave")
                                        : QString());
    m_peakToValley->setText(QStringLiteral("PV: lo ") + fixed(minW / kTwoPi, 3) + QStringLiteral(" hi ")
                            + fixed(maxW / kTwoPi, 3));
    const double pv = std::fabs(maxW - minW);
    m_peakToValleyWaves->setText(pv > 0.01 ? QStringLiteral("1/") + fixed(kTwoPi / pv, 3) + QStringLiteral(" wave")
                                           : QString());
    m_computed = picture;
    if (m_loaded)
        return;
    m_help->hide();
    m_wavefront->copyFrom(picture);
    m_wavefront->repaint();
}

void WavefrontPage::showComputedMap()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_clear->setEnabled(false);
    m_title->setText(QStringLiteral("Pupil Phase Function"));
    m_wavefront->clear();
    if (m_computed)
        m_wavefront->copyFrom(*m_computed);
    else
        m_help->show();
    m_wavefront->repaint();
    emit computedMapBack();
}

void WavefrontPage::savePicture()
{
    m_files.savePicture(this, *m_wavefront);
}

void WavefrontPage::loadPicture()
{
    const std::optional<ui::FileChoice> choice = m_dialogs.openFile(
        this, QStringLiteral("Load Image"), {QStringLiteral("JPEGs (*.jpg)"), QStringLiteral("BMP (*.bmp)")});
    if (choice) {
        const base::Result<QImage> loaded = ui::ReadPicture(choice->path);
        if (!loaded) {
            m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(loaded.error()),
                                  {ui::MessageButton::Ok});
            return;
        }
        m_wavefront->setPicture(*loaded);
        m_help->hide();
        m_loaded = true;
        m_clear->setEnabled(true);
        m_title->setText(QStringLiteral("Loaded (readouts: last computed wavefront)"));
        emit computedMapStopped();
    }
}

void WavefrontPage::saveZernikes()
{
    if (!m_sampler)
        return;
    const std::optional<ui::FileChoice> choice =
        m_dialogs.saveFile(this, QStringLiteral("Save the wavefront as Zernike terms"),
                           {QStringLiteral("Zernike list (*.zrn)"), QStringLiteral("Zernike table (*.csv)")},
                           QStringLiteral("zrn"));
    if (!choice)
        return;
    const auto refused = [this](const std::string& why) {
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(why), {ui::MessageButton::Ok});
    };
    const base::Result<optics::PupilPhase> pupil = m_sampler(false);
    if (!pupil)
        return refused(pupil.error());
    const base::Result<measured::FringeFit> fit = measured::FitFringe(*pupil);
    if (!fit)
        return refused("cannot save the Zernike terms: " + fit.error());
    const std::string text = choice->filterIndex == 2
                                 ? measured::ZernikeTableText(fit->terms, fit->residualRms, "Quintalis")
                                 : measured::ZernikeListText(fit->terms);
    const std::string path = QFile::encodeName(choice->path).toStdString();
    if (const base::Status written = imaging::WriteFile(path, text); !written)
        return refused(written.error());
    m_dialogs.showMessage(this, ui::MessageKind::Information,
                          QStringLiteral("Wrote the 37 Fringe terms of the wavefront (waves at 555 nm) to %1; the "
                                         "fit leaves out %2 waves RMS.")
                              .arg(choice->path, fixed(fit->residualRms, 4)),
                          {ui::MessageButton::Ok});
}

void WavefrontPage::saveMap()
{
    if (!m_sampler)
        return;
    const std::optional<ui::FileChoice> choice =
        m_dialogs.saveFile(this, QStringLiteral("Save the wavefront as a map"),
                           {QStringLiteral("Wavefront map (*.wft)"), QStringLiteral("FITS map (*.fits)")},
                           QStringLiteral("wft"));
    if (!choice)
        return;
    const auto refused = [this](const std::string& why) {
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(why), {ui::MessageButton::Ok});
    };
    const base::Result<optics::PupilPhase> pupil = m_sampler(true);
    if (!pupil)
        return refused(pupil.error());
    std::string bytes;
    if (choice->filterIndex == 2) {
        base::Result<std::string> fits = measured::FitsBytes(*pupil, pupil->diameterMm);
        if (!fits)
            return refused("cannot write " + choice->path.toStdString() + ": " + fits.error());
        bytes = std::move(*fits);
    } else {
        bytes = measured::WftText(*pupil, pupil->diameterMm);
    }
    if (const base::Status written = imaging::WriteFile(QFile::encodeName(choice->path).toStdString(), bytes);
        !written)
        return refused(written.error());
}

}  // namespace app
