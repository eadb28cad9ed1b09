#include "app/pages/intra_extra_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/figures_text.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/simulation_model.h"
#include "app/status_report.h"
#include "imaging/display.h"
#include "simulations/intra_extra.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <mutex>

namespace app {

namespace {

// Where the three images sit in the assembled picture, and what each copies
// from the 256 x 256 star picture: the central 200 x 200 pixels of the
// out-of-focus stars, the central 100 x 100 of the in-focus one.
constexpr int kPictureX = 24;
constexpr int kPictureY = 26;
constexpr int kSideSize = 200;
constexpr int kSideSource = 28;
constexpr int kIntraX = 0;
constexpr int kFocusX = 202;
constexpr int kFocusY = 50;
constexpr int kFocusSize = 100;
constexpr int kFocusSource = 78;
constexpr int kExtraX = 304;

// The dimmer side drawn on the brighter one's peak, at the display settings
// of the start.
imaging::PixelBuffer DrawBalanced(sim::BalancedSide side, const optics::StarImage& intra,
                                  const optics::StarImage& extra, const imaging::DisplayCurve& curve,
                                  const imaging::StarLook& look, optics::LoopRunner* loops)
{
    const bool intraSide = side == sim::BalancedSide::Intra;
    const optics::StarImage& dimmer = intraSide ? intra : extra;
    const optics::StarImage& brighter = intraSide ? extra : intra;
    return imaging::DrawOnPeakScale(dimmer.grid, dimmer.peak, brighter.peak, curve, look, kSideSource,
                                    kSideSource + kSideSize, loops);
}

QLabel* centredLabel(QWidget* parent, const QString& text, int x, int y, int width)
{
    QLabel* label = makeLabel(parent, text, x, y);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFixedWidth(width);
    return label;
}

}  // namespace

// The two out-of-focus images as their workers make them: the worker that
// makes the second draws the dimmer one on the brighter one's peak while the
// grids are fresh, rather than the window's thread at the end of the run.
struct IntraExtraPage::Balance {
    std::shared_ptr<const imaging::DisplayCurve> curve;
    imaging::StarLook look;
    std::mutex mutex;
    optics::StarImagePtr sides[2];
    std::optional<imaging::PixelBuffer> picture;

    void made(int side, const optics::StarImagePtr& image, optics::LoopRunner* loops)
    {
        optics::StarImagePtr intra;
        optics::StarImagePtr extra;
        {
            std::lock_guard lock(mutex);
            sides[side] = image;
            if (!sides[0] || !sides[1])
                return;
            intra = sides[0];
            extra = sides[1];
        }
        const sim::BalancedSide dimmer = sim::DimmerSide(intra->peak, extra->peak);
        if (dimmer == sim::BalancedSide::None)
            return;
        imaging::PixelBuffer drawn = DrawBalanced(dimmer, *intra, *extra, *curve, look, loops);
        std::lock_guard lock(mutex);
        picture = std::move(drawn);
    }
};

IntraExtraPage::IntraExtraPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                               StatusReport& status, ui::DialogService& dialogs, PictureFiles& files,
                               QWidget* parent)
    : QWidget(parent),
      m_calculations(calculations),
      m_parameters(parameters),
      m_model(model),
      m_status(status),
      m_dialogs(dialogs),
      m_files(files)
{
    setObjectName(QLatin1String(names::kIntraExtraPage));
    constexpr int captionY = kPictureY - 18;
    centredLabel(this, QStringLiteral("Intrafocal"), kPictureX + kIntraX, captionY, kSideSize);
    centredLabel(this, QStringLiteral("Focus (x4)"), kPictureX + kFocusX, captionY, kFocusSize);
    centredLabel(this, QStringLiteral("Extrafocal"), kPictureX + kExtraX, captionY, kSideSize);

    m_picture = new ui::PictureBox(this, 505, 201);
    m_picture->setObjectName(QLatin1String(names::kIntraExtraImage));
    m_picture->move(kPictureX, kPictureY);

    constexpr int labelY = kPictureY + 201 + 4;
    m_intraLabel = centredLabel(this, QString(), kPictureX + kIntraX, labelY, kSideSize);
    m_intraLabel->setObjectName(QLatin1String(names::kIntraLabel));
    m_extraLabel = centredLabel(this, QString(), kPictureX + kExtraX, labelY, kSideSize);
    m_extraLabel->setObjectName(QLatin1String(names::kExtraLabel));

    makeLabel(this, QStringLiteral("NOTE: the brightness of the out-of-focus images is balanced"), kPictureX, 256);

    m_calculate = makeButton(this, QLatin1String(names::kCalculateIntraExtra), QStringLiteral("Calculate"),
                             QRect(kPictureX, 280, 90, 26));
    ui::setHint(m_calculate, QStringLiteral("Calculate images"), true);
    connect(m_calculate, &QPushButton::clicked, this, &IntraExtraPage::calculateFocalSeries);
    m_save = makeButton(this, QLatin1String(names::kSaveIntraExtra), QStringLiteral("Save"),
                        QRect(kPictureX + 100, 280, 75, 26));
    connect(m_save, &QPushButton::clicked, this, &IntraExtraPage::savePicture);
}

void IntraExtraPage::calculateFocalSeries()
{
    const optics::StarRequest controls = m_calculations.request();
    if (controls.pupil.focus == 0.0) {
        m_dialogs.showRefusal(window(), ui::MessageKind::Information, QStringLiteral("Focus-value is Zero"));
        return;
    }
    const sim::IntraExtraPlan plan = sim::PlanIntraExtra(
        controls, [this](sim::Setting setting, double value) { return m_parameters.held(setting, value); });
    if (!m_calculations.accept({plan.focused, plan.intra, plan.extra}))
        return;

    // Each image is shown in the star picture as it comes, and its middle
    // copied here; then the dimmer side again, on the brighter one's scale.
    m_status.showProgress(QStringLiteral("Building focussed image"));
    auto peaks = std::make_shared<std::pair<optics::StarImagePtr, optics::StarImagePtr>>();
    auto drawn = std::make_shared<Balance>();
    drawn->curve = std::make_shared<const imaging::DisplayCurve>(m_model.curve());
    drawn->look = m_model.look();
    RunOptions options = RunOptions::DrawingStars();
    // The two stars out of focus start side by side; the star at focus, the
    // smallest, follows the intrafocal one on its worker, and the other
    // worker helps with it once the extrafocal star is done. The extrafocal
    // star, the last, stores its field (the others hand theirs on): it is the
    // dearest, so it is better not left for the end.
    options.jobs = {{1, 0}, {2}};
    options.onWorker = [drawn](int index, const optics::StarResult& result, optics::LoopRunner* loops) {
        if (index > 0)
            drawn->made(index - 1, result.image, loops);
    };
    const double intraFocus = plan.intra.pupil.focus;
    const double extraFocus = plan.extra.pupil.focus;
    m_calculations.startStars(
        {plan.focused, plan.intra, plan.extra},
        [this, peaks, intraFocus, extraFocus](int index, optics::StarResult&& result) {
            m_model.showStar(Place::Star, result.image);
            if (index == 0) {
                copyStar(kFocusSource, kFocusSource, kFocusSize, kFocusX, kFocusY);
                m_status.showProgress(QStringLiteral("Building Intra-focal image"));
            } else if (index == 1) {
                m_intraFocus = intraFocus;
                showFocusLabels();
                copyStar(kSideSource, kSideSource, kSideSize, kIntraX, 0);
                m_model.trace().intraFocal = result.image;
                peaks->first = result.image;
                m_status.showProgress(QStringLiteral("Building In-focus image"));
            } else {
                m_extraFocus = extraFocus;
                showFocusLabels();
                copyStar(kSideSource, kSideSource, kSideSize, kExtraX, 0);
                peaks->second = result.image;
            }
            m_status.flush();
        },
        [this, peaks, drawn, intraFocus, extraFocus] {
            m_pair = {peaks->first, peaks->second, intraFocus, extraFocus};
            balance(*peaks->first, *peaks->second, *drawn);
            m_status.showProgress(QString());
        },
        std::move(options));
}

void IntraExtraPage::balance(const optics::StarImage& intra, const optics::StarImage& extra, Balance& drawn)
{
    const sim::BalancedSide side = sim::DimmerSide(intra.peak, extra.peak);
    if (side == sim::BalancedSide::None)
        return;
    // The run has ended: no worker writes the picture any more.
    std::optional<imaging::PixelBuffer> balanced;
    if (drawn.picture && *drawn.curve == m_model.curve() && drawn.look == m_model.look())
        balanced = std::move(drawn.picture);
    else
        balanced = DrawBalanced(side, intra, extra, m_model.curve(), m_model.look(), &m_calculations.loops());
    m_picture->copyFrom(*balanced, kSideSource, kSideSource, kSideSource + kSideSize, kSideSource + kSideSize,
                        side == sim::BalancedSide::Intra ? kIntraX : kExtraX, 0);
}

void IntraExtraPage::copyStar(int left, int top, int size, int x, int y)
{
    if (const imaging::PixelBuffer* star = m_model.picture(Place::Star))
        m_picture->copyFrom(*star, left, top, left + size, top + size, x, y);
}

void IntraExtraPage::showFocusLabels()
{
    const double focalRatio = m_parameters.focalRatio();
    if (m_intraFocus)
        m_intraLabel->setText(FocusWithTravel(*m_intraFocus, focalRatio));
    if (m_extraFocus)
        m_extraLabel->setText(FocusWithTravel(*m_extraFocus, focalRatio));
}

void IntraExtraPage::savePicture()
{
    m_files.savePicture(this, *m_picture);
}

}  // namespace app
