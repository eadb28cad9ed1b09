#include "app/pages/double_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/simulation_model.h"
#include "optics/constants.h"
#include "simulations/double_star.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QPushButton>

namespace app {

namespace {

constexpr int kSide = optics::kPictureSide;

// An editor with its caption on its left.
ui::NumberEdit* makeSetting(QWidget* parent, const char* name, const ui::NumberEdit::Settings& settings,
                            const QString& caption, int y)
{
    ui::NumberEdit* edit = makeEditor(parent, QLatin1String(name), settings, 160, y, 70);
    ui::attachCaption(edit, makeLabel(parent, caption, 6, y + 4));
    return edit;
}

}  // namespace

DoublePage::DoublePage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                       PictureFiles& files, QWidget* parent)
    : QWidget(parent), m_calculations(calculations), m_parameters(parameters), m_model(model), m_files(files)
{
    setObjectName(QLatin1String(names::kDoublePage));
    // The settings on the left, the picture on the right.
    makeLabel(this, QStringLiteral("First set all the Aberrations and Aperture settings.\nPress calculate.\n"
                                   "Change separation/magnitude/PA values."),
              6, 8);
    m_separation = makeSetting(this, names::kSeparation, {.minimum = 0.0, .maximum = 20.0, .step = 0.1, .start = 1.5},
                               QStringLiteral("Separation in Arcseconds"), 66);
    ui::setHint(m_separation, QStringLiteral("Distance in Arcseconds"), true);
    m_magnitudes = makeSetting(this, names::kMagnitudeDifference,
                               {.minimum = 0.0, .maximum = 12.0, .step = 0.5, .start = 0.0},
                               QStringLiteral("Difference in Magnitudes"), 94);
    // An angle of one turn either way; stepping on past it goes round.
    m_angle = makeSetting(this, names::kPositionAngle,
                          {.type = ui::NumberEdit::ValueType::Integer,
                           .minimum = -360.0,
                           .maximum = 360.0,
                           .step = 1.0,
                           .start = 0.0,
                           .period = 360.0},
                          QStringLiteral("Position Angle (degrees)"), 122);
    m_calculate = makeButton(this, QLatin1String(names::kCalculateDouble), QStringLiteral("Calculate"),
                             QRect(6, 158, 75, 25));
    m_dawes = makeButton(this, QLatin1String(names::kDawes), QStringLiteral("Dawes "), QRect(6, 196, 70, 25));
    makeLabel(this, QStringLiteral("Dawes criterion"), 84, 202);
    m_rayleigh = makeButton(this, QLatin1String(names::kRayleigh), QStringLiteral("Rayleigh "), QRect(6, 226, 70, 25));
    makeLabel(this, QStringLiteral("Rayleigh criterion"), 84, 232);
    m_save = makeButton(this, QLatin1String(names::kSaveDouble), QStringLiteral("Save"), QRect(6, 280, 75, 25));
    connect(m_save, &QPushButton::clicked, this, &DoublePage::savePicture);

    makeLabel(this, QStringLiteral("Double Star Images"), 291, 4);
    m_picture = new ui::PictureBox(this, kSide, kSide);
    m_picture->setObjectName(QLatin1String(names::kDoubleImage));
    m_picture->move(290, 22);
    makeLabel(this, QStringLiteral("The zoom enlarges this picture too:\na close pair can be seen at zoom 2."), 291, 284);

    for (ui::NumberEdit* edit : {m_separation, m_magnitudes, m_angle})
        connect(edit, &ui::NumberEdit::changed, this, &DoublePage::composeDoubleStar);
    connect(m_calculate, &QPushButton::clicked, this, &DoublePage::calculateDoubleStar);
    connect(m_dawes, &QPushButton::clicked, this, &DoublePage::useDawesLimit);
    connect(m_rayleigh, &QPushButton::clicked, this, &DoublePage::useRayleighLimit);
}

void DoublePage::composeDoubleStar()
{
    const optics::StarImagePtr star = m_model.starImage();
    if (!star)
        return;
    const sim::DoubleStarParams params{m_separation->value(), m_magnitudes->value(), m_angle->value()};
    m_picture->copyFrom(sim::ComposeDoubleStar(star->grid, m_model.curve(), params, m_model.look().zoom));
}

void DoublePage::redraw()
{
    if (m_picture->drawn())
        composeDoubleStar();
}

void DoublePage::calculate()
{
    optics::StarRequest request = m_calculations.request();
    // The star of the star page, with its figures.
    request.figures = true;
    if (!m_calculations.accept({request}))
        return;
    // After another view's picture, the star is shown as the Calculate button
    // shows it after such a picture: at zoom 1.
    if (m_model.showsComposite() || m_model.shownPlace() != Place::Star)
        m_parameters.showZoomOne();
    m_calculations.startStars(
        {request}, [this](int, optics::StarResult&& result) { m_model.showStar(Place::Star, result.image); },
        [this] { composeDoubleStar(); }, RunOptions::DrawingStars());
}

void DoublePage::calculateDoubleStar()
{
    calculate();
}

void DoublePage::setSeparationFor(double constant)
{
    const optics::StarRequest request = m_calculations.request();
    // The editor keeps two decimals and 0..20; its change composes at once on
    // the star image as it stands.
    m_separation->setValue(sim::ResolutionLimit(constant, request.pupil.diameter, !request.pupil.millimeters));
    calculate();
}

void DoublePage::useDawesLimit()
{
    setSeparationFor(sim::kDawesConstant);
}

void DoublePage::useRayleighLimit()
{
    setSeparationFor(sim::kRayleighConstant);
}

void DoublePage::savePicture()
{
    m_files.savePicture(this, *m_picture);
}

}  // namespace app
