#include "app/pages/animation_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/simulation_model.h"
#include "app/status_report.h"
#include "imaging/display.h"
#include "simulations/planet.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <optional>

namespace app {

namespace {

// The items of the aberration list, in order.
constexpr sim::AnimatedError kErrors[] = {
    sim::AnimatedError::Focus,         sim::AnimatedError::ComaX,         sim::AnimatedError::ComaY,
    sim::AnimatedError::AstigmatismX,  sim::AnimatedError::AstigmatismY,  sim::AnimatedError::SphericalLow,
    sim::AnimatedError::SphericalHigh, sim::AnimatedError::Tube,          sim::AnimatedError::Pinch,
    sim::AnimatedError::Edge,          sim::AnimatedError::Turbulence,
};
constexpr int kErrorCount = static_cast<int>(std::size(kErrors));
// After the errors, the offsets of the Tests page's pictures.
constexpr sim::MirrorTest kTests[] = {sim::MirrorTest::Ronchi, sim::MirrorTest::Knife};
constexpr int kItemCount = kErrorCount + static_cast<int>(std::size(kTests));

constexpr int kPlanetItem = 1;

}  // namespace

AnimationPage::AnimationPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                             StatusReport& status, ui::DialogService& dialogs, PictureFiles& files, QWidget* parent)
    : QWidget(parent),
      m_calculations(calculations),
      m_parameters(parameters),
      m_model(model),
      m_status(status),
      m_dialogs(dialogs),
      m_files(files)
{
    setObjectName(QLatin1String(names::kAnimationPage));
    buildPlayer();
    buildSettings();
}

void AnimationPage::buildPlayer()
{
    m_player = new ui::GifPlayer(this, 258, 258);
    m_player->setObjectName(QLatin1String(names::kPlayer));
    m_player->move(6, 4);
    connect(m_player, &ui::GifPlayer::changed, this, &AnimationPage::showAnimation);
    connect(m_player, &ui::GifPlayer::frameChanged, this, &AnimationPage::showFrame);
    connect(m_player, &ui::GifPlayer::started, this, &AnimationPage::showPlaying);
    connect(m_player, &ui::GifPlayer::stopped, this, &AnimationPage::showPlaying);

    // Over the lower left of the player.
    m_frameLabel = new QLabel(QStringLiteral("     "), this);
    m_frameLabel->setObjectName(QLatin1String(names::kFrameLabel));
    m_frameLabel->setStyleSheet(QStringLiteral("color: yellow; font-weight: bold; background: transparent;"));
    m_frameLabel->setGeometry(12, 242, 240, 16);
    m_frameLabel->raise();

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QLatin1String(names::kSlider));
    m_slider->setRange(0, 10);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setGeometry(6, 264, 258, 22);
    connect(m_slider, &QSlider::valueChanged, this, &AnimationPage::goToSliderFrame);

    m_speedBar = new QWidget(this);
    m_speedBar->setObjectName(QLatin1String(names::kSpeedBar));
    m_speedBar->setGeometry(6, 288, 258, 26);
    auto* row = new QHBoxLayout(m_speedBar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto button = [this, row](const char* name, const QString& caption, QStyle::StandardPixmap icon, bool enabled,
                              void (AnimationPage::*handler)()) {
        auto* b = new QToolButton(m_speedBar);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setFixedSize(41, 26);
        b->setEnabled(enabled);
        ui::setHint(b, caption + QLatin1Char('|'), true);
        connect(b, &QToolButton::clicked, this, handler);
        row->addWidget(b);
        return b;
    };
    m_playButton = button(names::kPlay, QStringLiteral("Play"), QStyle::SP_MediaPlay, true, &AnimationPage::play);
    m_stopButton = button(names::kStop, QStringLiteral("Stop"), QStyle::SP_MediaStop, false, &AnimationPage::stop);
    m_rewindButton =
        button(names::kRewind, QStringLiteral("Rewind"), QStyle::SP_MediaSkipBackward, false, &AnimationPage::rewind);
    m_backButton = button(names::kBack, QStringLiteral("Back One Frame"), QStyle::SP_MediaSeekBackward, false,
                          &AnimationPage::stepBack);
    m_nextButton = button(names::kNext, QStringLiteral("Forward One Frame"), QStyle::SP_MediaSeekForward, true,
                          &AnimationPage::stepForward);
    m_forwardButton = button(names::kForward, QStringLiteral("Fast Forward"), QStyle::SP_MediaSkipForward, true,
                             &AnimationPage::goToEnd);
    // Stepping one frame goes on while the button is held.
    m_backButton->setAutoRepeat(true);
    m_nextButton->setAutoRepeat(true);
    row->addStretch();
}

void AnimationPage::buildSettings()
{
    constexpr int left = 290;
    auto* aberrationCaption = makeLabel(this, QStringLiteral("Aberration to animate"), left, 4);
    m_aberration = new QComboBox(this);
    m_aberration->setObjectName(QLatin1String(names::kAnimatedError));
    m_aberration->addItems({QStringLiteral("Focus"), QStringLiteral("ComaX"), QStringLiteral("ComaY"),
                            QStringLiteral("Astigmatism X"), QStringLiteral("Astigmatism Y"),
                            QStringLiteral("Spherical Low"), QStringLiteral("Spherical High"),
                            QStringLiteral("Tube"), QStringLiteral("Pinch"), QStringLiteral("TDE"),
                            QStringLiteral("Turbulence"), QStringLiteral("Ronchi Offset"),
                            QStringLiteral("Knife Offset")});
    ui::setHint(m_aberration,
                QStringLiteral("Aberration to animate|Ronchi Offset and Knife Offset step the grating or the knife "
                               "of the Tests page (millimetres from focus) and animate its picture"),
                true);
    m_aberration->setCurrentIndex(-1);
    m_aberration->setGeometry(left, 20, 140, 22);
    ui::attachCaption(m_aberration, aberrationCaption);

    // The range of the animated value and the number of steps between.
    auto makeRange = [this](const char* name, const ui::NumberEdit::Settings& settings, const QString& caption,
                            int y) {
        ui::NumberEdit* edit = makeEditor(this, QLatin1String(name), settings, 460, y, 70);
        ui::attachCaption(edit, makeLabel(this, caption, left, y + 4));
        return edit;
    };
    m_lowest = makeRange(names::kLowest, {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = -5.0},
                         QStringLiteral("Lowest Value in Animation"), 52);
    m_highest = makeRange(names::kHighest, {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = 5.0},
                          QStringLiteral("Highest Value in Animation"), 78);
    m_steps = makeRange(names::kSteps,
                        {.type = ui::NumberEdit::ValueType::Integer,
                         .minimum = 0.0,
                         .maximum = 100.0,
                         .step = 1.0,
                         .start = 20.0},
                        QStringLiteral("Steps/Frames"), 104);

    auto* objectCaption = makeLabel(this, QStringLiteral("Animated object"), left, 136);
    m_object = new QComboBox(this);
    m_object->setObjectName(QLatin1String(names::kAnimatedObject));
    m_object->addItems({QStringLiteral("Star"), QStringLiteral("Planet")});
    m_object->setCurrentIndex(-1);
    m_object->setGeometry(left, 152, 140, 22);
    ui::attachCaption(m_object, objectCaption);
    // The Tests page's pictures are neither a star nor a planet.
    connect(m_aberration, &QComboBox::currentIndexChanged, this,
            [this](int item) { m_object->setEnabled(item < kErrorCount); });

    m_animate = makeButton(this, QLatin1String(names::kAnimate), QStringLiteral("Animate"), QRect(left, 186, 75, 25));
    m_save = makeButton(this, QLatin1String(names::kSaveAnimation), QStringLiteral("Save"), QRect(left + 85, 186, 75, 25));
    connect(m_animate, &QPushButton::clicked, this, &AnimationPage::animate);
    connect(m_save, &QPushButton::clicked, this, &AnimationPage::saveAnimation);
    // The player and the saved file play over and over while it is ticked.
    m_loop = new QCheckBox(QStringLiteral("Loop"), this);
    m_loop->setObjectName(QLatin1String(names::kAnimationLoop));
    m_loop->setGeometry(left + 170, 189, 60, 20);
    m_loop->setChecked(true);
    ui::setHint(m_loop, QStringLiteral("Loop|Play the animation over and over, in the player and in the saved file"),
                true);
    connect(m_loop, &QCheckBox::toggled, this, [this](bool loop) {
        m_player->setLoop(loop);
        updatePlayerButtons();
    });

    auto* instructions = makeLabel(this,
                                   QStringLiteral("1. Choose type of aberration\n2. Set the low - high values \n"
                                                  "3 .Set amount of steps \n4. Choose Star or planetary-image \n"
                                                  "5. Press Animate\n6. Save "),
                                   left, 222);
    instructions->setObjectName(QLatin1String(names::kAnimationHelp));
}

void AnimationPage::startUp()
{
    m_aberration->setCurrentIndex(0);
    m_object->setCurrentIndex(0);
    m_gif.clear();
    // Nothing to play yet.
    updatePlayerButtons();
}

sim::AnimationRange AnimationPage::range() const
{
    return {m_lowest->value(), m_highest->value(), m_steps->value()};
}

// ---- Making the animation ---------------------------------------------------

namespace {

// A frame as the player and the GIF file keep it, and what the last frame
// leaves on show.
struct StarFrame {
    optics::StarResult star;
    imaging::PalettePicture picture;
    // The last frame's star picture in full colour, for the star page.
    std::optional<imaging::PixelBuffer> drawn;
};

struct PlanetFrame {
    sim::ColourPlanet planet;
    imaging::PalettePicture picture;
};

// The planet picture box is one pixel larger than the composite: its last
// row and column stay black.
imaging::PixelBuffer planetBoxPicture(const sim::Composite& composite)
{
    constexpr int kBoxSide = optics::kPictureSide + 1;
    imaging::PixelBuffer box(kBoxSide, kBoxSide);
    const imaging::PixelBuffer drawn = imaging::DrawComposite(*composite.cells, composite.scale);
    for (int y = 0; y < kBoxSide; ++y)
        for (int x = 0; x < kBoxSide; ++x)
            box.setPixel(x, y, drawn.pixel(x, y));
    return box;
}

}  // namespace

void AnimationPage::animate()
{
    const sim::AnimationRange r = range();
    if (const base::Status checked = sim::CheckRange(r); !checked) {
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(checked.error()),
                              {ui::MessageButton::Ok});
        return;
    }
    // A run that cannot make every frame leaves the last animation, the zoom
    // and the page as they were.
    makeFrames(r);
}

void AnimationPage::framesMade(imaging::AnimatedGif gif, const std::string& item, const sim::AnimationRange& range)
{
    m_gif = std::move(gif);
    // The file's frames are compressed with the workers' help.
    m_gif.setLoops(&m_calculations.loops());
    m_madeItem = item;
    m_madeRange = range;
    emit viewWanted(View::Animation);
    updatePlayerButtons();
    m_player->setAnimation(m_gif);
    m_player->setLoop(m_loop->isChecked());
    if (!m_gif.empty())
        m_player->setFrameIndex(0);
    if (m_playButton->isEnabled())
        play();
}

bool AnimationPage::makeFrames(const sim::AnimationRange& r)
{
    const int item = std::clamp(m_aberration->currentIndex(), 0, kItemCount - 1);
    const std::string text = m_aberration->itemText(item).toStdString();
    if (item >= kErrorCount)
        return makeTestFrames(kTests[item - kErrorCount], text, r);
    const sim::AnimatedError error = kErrors[item];
    const bool planet = m_object->currentIndex() == kPlanetItem;
    const char separator = decimalSeparator();
    const sim::HeldValue held = [this](sim::Setting setting, double value) {
        return m_parameters.held(setting, value);
    };
    const optics::StarRequest base = sim::AnimationBase(m_calculations.request(), error, held);

    // Every frame is checked before the first is made.
    const int frames = sim::FrameCount(r);
    std::vector<optics::StarRequest> plan;
    sim::ScreenDrift drift(r.steps);
    for (int i = 0; i < frames; ++i)
        plan.push_back(sim::FrameRequest(base, error, sim::FrameValue(r, i), drift.advance(), held));
    std::vector<optics::StarRequest> checked = plan;
    if (planet) {
        // A planet frame calculates at the three wavelengths of its colours.
        checked.clear();
        for (const optics::StarRequest& request : plan)
            for (const optics::StarRequest& pass : sim::PlanColourPasses(request))
                checked.push_back(pass);
    }
    if (!m_calculations.accept(checked))
        return false;
    if (planet && !(m_planet.prepare && m_planet.prepare()))
        return false;
    m_parameters.showZoomOne();
    emit viewWanted(planet ? View::Planet : View::Star);

    auto gif = std::make_shared<imaging::AnimatedGif>();
    auto progressText = [text, separator, r](int frame) {
        return QString::fromStdString(sim::ProgressText(text, sim::FrameValue(r, frame), separator));
    };
    m_status.showProgress(progressText(0));
    const RunOptions options{QStringLiteral("Frame"), true};

    if (!planet) {
        // Each frame drawn as the star picture draws it now.
        const auto curve = std::make_shared<const imaging::DisplayCurve>(m_model.curve());
        const imaging::StarLook look = m_model.look();
        std::vector<Calculations::Task<StarFrame>> tasks;
        for (int i = 0; i < frames; ++i) {
            // Only the last frame's field stays in its calculator.
            optics::StarRequest request = plan[static_cast<std::size_t>(i)];
            request.keepField = i + 1 == frames;
            tasks.push_back([request = std::move(request), curve, look, last = i + 1 == frames](
                                optics::StarCalculator& calculator, optics::Progress& progress) {
                StarFrame frame;
                base::Result<optics::StarResult> star = calculator.calculate(request, progress);
                if (!star)
                    return frame;
                frame.star = std::move(star).value();
                imaging::PixelBuffer drawn =
                    imaging::DrawStarPicture(frame.star.image->grid, *curve, look, calculator.loops());
                frame.picture = imaging::ReduceToPalette(drawn);
                // Only the last frame's image stays on show.
                if (last)
                    frame.drawn = std::move(drawn);
                else
                    frame.star.image.reset();
                return frame;
            });
        }
        m_calculations.start<StarFrame>(
            std::move(tasks),
            [this, gif, plan, frames, progressText, curve, look](int index, StarFrame&& frame) {
                if (frame.picture.indices.empty()) {
                    m_calculations.cancel();
                    return;
                }
                m_model.showCalculation(frame.star);
                gif->addFrame(std::move(frame.picture));
                m_status.showProgress(progressText(index));
                if (index + 1 == frames) {
                    // The drift stays where the frames took it, for every later calculation.
                    m_model.setScreenDrift(plan.back().screenDrift);
                    // Drawn on the worker; shown unless the display changed meanwhile.
                    m_model.offerPicture(frame.star.image, curve, look, std::move(*frame.drawn));
                    m_model.showStar(Place::Star, frame.star.image);
                    m_model.dropOfferedPicture();
                }
            },
            [this, gif, text, r] { framesMade(std::move(*gif), text, r); }, options);
        return true;
    }

    std::vector<Calculations::Task<PlanetFrame>> tasks;
    const QImage picture = m_planet.picture();
    for (int i = 0; i < frames; ++i) {
        tasks.push_back([request = plan[static_cast<std::size_t>(i)], picture, last = i + 1 == frames](
                            optics::StarCalculator& calculator, optics::Progress& progress) {
            PlanetFrame frame;
            const sim::RgbPicture rgb{picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine()};
            frame.planet = sim::RunColourPlanet(calculator, request, rgb, progress);
            if (!frame.planet.composite.cells)
                return frame;
            frame.picture = imaging::ReduceToPalette(planetBoxPicture(frame.planet.composite));
            if (!last) {
                // Of the frames before the last, only what notes the screens stays.
                frame.planet.composite = {};
                for (sim::PlanetPass& pass : frame.planet.passes) {
                    optics::StarResult screens;
                    screens.turbulence = pass.star.turbulence;
                    screens.roughness = pass.star.roughness;
                    screens.turbulenceBuilt = pass.star.turbulenceBuilt;
                    screens.roughnessBuilt = pass.star.roughnessBuilt;
                    pass = {std::move(screens), nullptr};
                }
            }
            return frame;
        });
    }
    m_calculations.start<PlanetFrame>(
        std::move(tasks),
        [this, gif, plan, frames, progressText](int index, PlanetFrame&& frame) {
            if (frame.picture.indices.empty()) {
                m_calculations.cancel();
                return;
            }
            gif->addFrame(std::move(frame.picture));
            m_status.showProgress(progressText(index));
            if (index + 1 < frames) {
                for (const sim::PlanetPass& pass : frame.planet.passes)
                    m_model.noteScreens(pass.star);
                return;
            }
            // The last frame stays on show, as its colour run left it.
            m_model.setScreenDrift(plan.back().screenDrift);
            sim::ColourPlanet& planet = frame.planet;
            m_model.trace().planetTotals = planet.totals;
            for (std::size_t n = 0; n < planet.passes.size(); ++n) {
                m_model.showCalculation(planet.passes[n].star);
                m_model.trace().kernel = planet.passes[n].star.image;
                m_model.showColourPass(Place::Planet, planet.passes[n].planet, sim::kColourPasses[n].waveLength);
            }
            m_model.trace().weights = planet.lastWeights;
            m_model.showComposite(Place::Planet, planet.composite);
            if (m_planet.finished)
                m_planet.finished();
        },
        [this, gif, text, r] { framesMade(std::move(*gif), text, r); }, options);
    return true;
}

bool AnimationPage::makeTestFrames(sim::MirrorTest test, const std::string& item, const sim::AnimationRange& r)
{
    if (!m_testFrames)
        return false;
    const int frames = sim::FrameCount(r);
    std::vector<sim::MirrorTestRequest> plan;
    for (int i = 0; i < frames; ++i)
        plan.push_back(m_testFrames(test, sim::FrameValue(r, i)));
    // Every frame is checked before the first is made: a knife too far from
    // focus is refused as the Tests page refuses it.
    for (const sim::MirrorTestRequest& request : plan) {
        if (!m_calculations.accept(request.pupils))
            return false;
        if (const base::Status checked = sim::CheckMirrorTest(request); !checked) {
            m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(checked.error()),
                                  {ui::MessageButton::Ok});
            return false;
        }
    }

    const char separator = decimalSeparator();
    auto progressText = [item, separator, r](int frame) {
        return QString::fromStdString(sim::ProgressText(item, sim::FrameValue(r, frame), separator));
    };
    m_status.showProgress(progressText(0));
    std::vector<Calculations::Task<imaging::PalettePicture>> tasks;
    for (sim::MirrorTestRequest& request : plan) {
        tasks.push_back([request = std::move(request)](optics::StarCalculator& calculator, optics::Progress&) {
            // The knife edge draws in the calculator's grids, as a planet frame convolves in them.
            const base::Result<sim::MirrorTestResult> drawn =
                sim::DrawMirrorTest(request, calculator.screens(), calculator.workspace(), calculator.laneKernel());
            return drawn ? imaging::ReduceToPalette(drawn->picture) : imaging::PalettePicture{};
        });
    }
    auto gif = std::make_shared<imaging::AnimatedGif>();
    m_calculations.start<imaging::PalettePicture>(
        std::move(tasks),
        [this, gif, progressText](int index, imaging::PalettePicture&& frame) {
            if (frame.indices.empty()) {
                m_calculations.cancel();
                return;
            }
            gif->addFrame(std::move(frame));
            m_status.showProgress(progressText(index));
        },
        [this, gif, item, r] { framesMade(std::move(*gif), item, r); }, {QStringLiteral("Frame"), true});
    return true;
}

void AnimationPage::saveAnimation()
{
    m_gif.setLoop(m_loop->isChecked());
    m_files.saveAnimation(this, m_gif);
}

// ---- The player -------------------------------------------------------------

void AnimationPage::updatePlayerButtons()
{
    const int count = m_player->count();
    const int k = m_player->frameIndex();
    const bool playing = m_player->playing();
    const bool loop = m_player->loop();
    m_playButton->setEnabled(!playing && count > 1);
    m_stopButton->setEnabled(playing);
    m_rewindButton->setEnabled(k > 0);
    m_backButton->setEnabled((k > 0 || loop) && count > 1);
    m_nextButton->setEnabled((k < count - 1 || loop) && count > 1);
    m_forwardButton->setEnabled(k < count - 1);
}

void AnimationPage::showAnimation()
{
    const int count = m_player->count();
    m_slider->setMaximum(std::max(1, count - 1));
    m_frameLabel->setText(frameText(m_player->frameIndex()));
    updatePlayerButtons();
    m_slider->setEnabled(count > 1);
    m_speedBar->setEnabled(m_slider->isEnabled());
}

void AnimationPage::showFrame()
{
    const int k = m_player->frameIndex();
    m_slider->setValue(k);
    m_frameLabel->setText(frameText(k));
    updatePlayerButtons();
}

QString AnimationPage::frameText(int frame) const
{
    // The value each frame was made with, whatever the editors say now.
    if (m_gif.empty() || frame < 0)
        return QString();
    return QString::fromStdString(sim::FrameLabel(m_madeItem, m_madeRange, frame, decimalSeparator()));
}

void AnimationPage::showPlaying()
{
    updatePlayerButtons();
}

void AnimationPage::goToSliderFrame()
{
    m_player->setFrameIndex(m_slider->value());
    m_slider->setValue(m_player->frameIndex());
}

void AnimationPage::play()
{
    m_player->play();
    updatePlayerButtons();
}

void AnimationPage::stop()
{
    m_player->stop();
    updatePlayerButtons();
}

void AnimationPage::rewind()
{
    m_player->setFrameIndex(0);
}

void AnimationPage::goToEnd()
{
    m_player->setFrameIndex(m_player->count() - 1);
}

void AnimationPage::stepBack()
{
    const int count = m_player->count();
    int j = m_player->frameIndex() - 1;
    if (j < 0)
        j = m_player->loop() ? j + count : 0;
    m_player->setFrameIndex(j);
}

void AnimationPage::stepForward()
{
    const int count = m_player->count();
    int j = m_player->frameIndex() + 1;
    if (j >= count)
        j = m_player->loop() ? j - count : count - 1;
    m_player->setFrameIndex(j);
}

}  // namespace app
