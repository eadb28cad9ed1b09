#include "app/pages/double_page.h"

#include "app/calculation.h"
#include "app/pages/page_helpers.h"
#include "app/picture_files.h"
#include "app/parameter_column.h"
#include "imaging/pixel_buffer.h"
#include "simulations/double_star.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QPushButton>

namespace app {

namespace {

constexpr int kSide = 256;

// An editor with its caption on its left.
ui::NumberEdit* makeSetting(QWidget* parent, const char* name, const ui::NumberEdit::Settings& settings,
                            const QString& caption, int y)
{
    ui::NumberEdit* edit = makeEditor(parent, QLatin1String(name), settings, 160, y, 70);
    ui::attachCaption(edit, makeLabel(parent, caption, 6, y + 4));
    return edit;
}

}  // namespace

DoublePage::DoublePage(Calculation& calculation, ParameterColumn& parameters, const ui::PictureBox& starImage,
                       sim::DoubleStarView& view, PictureFiles& files, QWidget* parent)
    : QWidget(parent), m_calculation(calculation), m_parameters(parameters), m_starImage(starImage), m_view(view),
      m_files(files)
{
    setObjectName(QStringLiteral("Double"));
    // The settings on the left, the picture on the right.
    makeLabel(this, QStringLiteral("First set all the Aberrations and Aperture settings.\nPress calculate.\n"
                                   "Change separation/magnitude/PA values."),
              6, 8);
    m_separation = makeSetting(this, "RxDistance", {.minimum = 0.0, .maximum = 20.0, .step = 0.1, .start = 1.5},
                               QStringLiteral("Separation in Arcseconds"), 66);
    ui::setHint(m_separation, QStringLiteral("Distance in Arcseconds"), true);
    m_magnitudes = makeSetting(this, "RxMagnDif", {.minimum = 0.0, .maximum = 12.0, .step = 0.5, .start = 0.0},
                               QStringLiteral("Difference in Magnitudes"), 94);
    m_angle = makeSetting(this, "RxPaSpin", {.type = ui::NumberEdit::ValueType::Integer, .step = 1.0, .start = 0.0},
                          QStringLiteral("Position Angle (degrees)"), 122);
    m_calculate = makeButton(this, QStringLiteral("BitBtn6"), QStringLiteral("Calculate"), QRect(6, 158, 75, 25));
    m_dawes = makeButton(this, QStringLiteral("Dawes"), QStringLiteral("Dawes "), QRect(6, 196, 70, 25));
    makeLabel(this, QStringLiteral("Dawes criterion"), 84, 202);
    m_rayleigh = makeButton(this, QStringLiteral("Raleigh"), QStringLiteral("Rayleigh "), QRect(6, 226, 70, 25));
    makeLabel(this, QStringLiteral("Raleigh criterion"), 84, 232);
    m_save = makeButton(this, QStringLiteral("DoubleSaveButton"), QStringLiteral("Save"), QRect(6, 280, 75, 25));
    connect(m_save, &QPushButton::clicked, this, &DoublePage::DoubleSaveButtonClick);

    makeLabel(this, QStringLiteral("Double Star Images"), 291, 4);
    m_picture = new ui::PictureBox(this, kSide, kSide);
    m_picture->setObjectName(QStringLiteral("DoubleImage"));
    m_picture->move(290, 22);
    makeLabel(this, QStringLiteral("Due to programming problems the ZOOM\nis inactive for this page."), 291, 284);

    for (ui::NumberEdit* edit : {m_separation, m_magnitudes, m_angle})
        connect(edit, &ui::NumberEdit::changed, this, &DoublePage::ChangeDouble);
    connect(m_calculate, &QPushButton::clicked, this, &DoublePage::BitBtn6Click);
    connect(m_dawes, &QPushButton::clicked, this, &DoublePage::DawesClick);
    connect(m_rayleigh, &QPushButton::clicked, this, &DoublePage::RaleighClick);
}

void DoublePage::setBuffers(imaging::PixelBuffer* starBuffer, imaging::PixelBuffer* doubleStarBuffer)
{
    m_starBuffer = starBuffer;
    m_doubleStarBuffer = doubleStarBuffer;
}

void DoublePage::ChangeDouble()
{
    if (!m_starBuffer || !m_doubleStarBuffer)
        return;
    // The star picture as it is on screen goes back into the star buffer.
    const QImage& shown = m_starImage.picture();
    for (int y = 0; y < kSide && y < shown.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < kSide && x < shown.width(); ++x)
            m_starBuffer->setPixel(x, y, {static_cast<std::uint8_t>(qRed(line[x])),
                                          static_cast<std::uint8_t>(qGreen(line[x])),
                                          static_cast<std::uint8_t>(qBlue(line[x]))});
    }
    m_view.compose({m_separation->value(), m_magnitudes->value(), m_angle->value()}, *m_doubleStarBuffer);
    m_picture->copyFrom(*m_doubleStarBuffer, 0, 0, kSide, kSide, 0, 0);
}

void DoublePage::calculatePlainStar()
{
    if (m_view.showsStar())
        return;
    m_view.backToStar();
    m_parameters.setValue(Parameter::Zoom, 1.0);
    m_calculation.CalculateButtonClick();
}

void DoublePage::BitBtn6Click()
{
    calculatePlainStar();
    m_view.paintToStar();
    if (m_calculation.CalcFFTS())
        ChangeDouble();
}

void DoublePage::setSeparationFor(double constant)
{
    calculatePlainStar();
    m_view.paintToStar();
    // The editor keeps two decimals and 0..20; its change composes at once on
    // the star image as it stands.
    m_separation->setValue(sim::ResolutionLimit(constant, m_parameters.value(Parameter::Aperture),
                                                m_parameters.inches()));
    if (window()->isVisible())
        window()->repaint();
    if (m_calculation.CalcFFTS())
        ChangeDouble();
}

void DoublePage::DawesClick()
{
    setSeparationFor(sim::kDawesConstant);
}

void DoublePage::RaleighClick()
{
    setSeparationFor(sim::kRayleighConstant);
}

void DoublePage::DoubleSaveButtonClick()
{
    m_files.savePicture(this, *m_picture);
}

}  // namespace app
