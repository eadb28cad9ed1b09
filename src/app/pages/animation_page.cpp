#include "app/pages/animation_page.h"

#include "app/calculation.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "optics/status_sink.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

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

// The editor each item of the aberration list writes for a frame, and the
// angle turned by 90 degrees while the frames are made ("ComaY" is coma at
// the set angle plus 90 degrees). "Turbulence" writes nothing: its frames
// differ only by the drift of the screen.
struct Drive {
    std::optional<Parameter> amount;
    std::optional<Parameter> turnedAngle;
};
const Drive kDrives[] = {
    {Parameter::Focus, {}},
    {Parameter::Coma, {}},
    {Parameter::Coma, Parameter::ComaAngle},
    {Parameter::Astigmatism, {}},
    {Parameter::Astigmatism, Parameter::AstigmatismAngle},
    {Parameter::Spherical, {}},
    {Parameter::HigherSpherical, {}},
    {Parameter::Tube, {}},
    {Parameter::Pinch, {}},
    {Parameter::Edge, {}},
    {{}, {}},
};

constexpr int kPlanetItem = 1;

}  // namespace

AnimationPage::AnimationPage(Calculation& calculation, ParameterColumn& parameters, optics::StatusSink& status,
                             ui::DialogService& dialogs, PictureFiles& files, sim::AnimationRun& run,
                             const ui::PictureBox& starImage, QWidget* parent)
    : QWidget(parent),
      m_calculation(calculation),
      m_parameters(parameters),
      m_status(status),
      m_dialogs(dialogs),
      m_files(files),
      m_run(run),
      m_starImage(starImage)
{
    setObjectName(QStringLiteral("Animation"));
    buildPlayer();
    buildSettings();
}

void AnimationPage::buildPlayer()
{
    m_player = new ui::GifPlayer(this, 258, 258);
    m_player->setObjectName(QStringLiteral("Image"));
    m_player->move(6, 4);
    connect(m_player, &ui::GifPlayer::changed, this, &AnimationPage::ImageChanged);
    connect(m_player, &ui::GifPlayer::frameChanged, this, &AnimationPage::ImageFrameChanged);
    connect(m_player, &ui::GifPlayer::started, this, &AnimationPage::ImageStartStop);
    connect(m_player, &ui::GifPlayer::stopped, this, &AnimationPage::ImageStartStop);

    // Over the lower left of the player.
    m_frameLabel = new QLabel(QStringLiteral("     "), this);
    m_frameLabel->setObjectName(QStringLiteral("Framelabel"));
    m_frameLabel->setStyleSheet(QStringLiteral("color: yellow; font-weight: bold; background: transparent;"));
    m_frameLabel->setGeometry(12, 242, 240, 16);
    m_frameLabel->raise();

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("Slider"));
    m_slider->setRange(0, 10);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setGeometry(6, 264, 258, 22);
    connect(m_slider, &QSlider::valueChanged, this, &AnimationPage::SliderChange);

    m_speedBar = new QWidget(this);
    m_speedBar->setObjectName(QStringLiteral("SpeedBar"));
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
    m_playButton = button("PlayBtn", QStringLiteral("Play"), QStyle::SP_MediaPlay, true, &AnimationPage::PlayBtnClick);
    m_stopButton = button("StopBtn", QStringLiteral("Stop"), QStyle::SP_MediaStop, false, &AnimationPage::StopBtnClick);
    m_rewindButton = button("RewindBtn", QStringLiteral("Rewind"), QStyle::SP_MediaSkipBackward, false,
                            &AnimationPage::RewindBtnClick);
    m_backButton = button("BackBtn", QStringLiteral("Back One Frame"), QStyle::SP_MediaSeekBackward, false,
                          &AnimationPage::BackBtnClick);
    m_nextButton = button("NextBtn", QStringLiteral("Forward One Frame"), QStyle::SP_MediaSeekForward, true,
                          &AnimationPage::NextBtnClick);
    m_forwardButton = button("ForwardBtn", QStringLiteral("Fast Forward"), QStyle::SP_MediaSkipForward, true,
                             &AnimationPage::ForwardBtnClick);
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
    m_aberration->setObjectName(QStringLiteral("AniAberchoice"));
    m_aberration->addItems({QStringLiteral("Focus"), QStringLiteral("ComaX"), QStringLiteral("ComaY"),
                            QStringLiteral("Astigmatism X"), QStringLiteral("Astigmatism Y"),
                            QStringLiteral("Spherical Low"), QStringLiteral("Spherical High"),
                            QStringLiteral("Tube"), QStringLiteral("Pinch"), QStringLiteral("TDE"),
                            QStringLiteral("Turbulence")});
    m_aberration->setCurrentIndex(-1);
    m_aberration->setGeometry(left, 20, 140, 22);
    ui::attachCaption(m_aberration, aberrationCaption);

    // The range of the animated value and the number of steps between.
    auto makeRange = [this](const char* name, const ui::NumberEdit::Settings& settings, const QString& caption,
                            int y) {
        ui::NumberEdit* edit = makeEditor(this, QLatin1String(name), settings, 460, y, 70);
        ui::attachCaption(edit, makeLabel(this, caption, left, y + 4));
        connect(edit, &ui::NumberEdit::changed, this, &AnimationPage::rangeEdited);
        return edit;
    };
    m_lowest = makeRange("RxSpinEdit1", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = -5.0},
                         QStringLiteral("Lowest Value in Animation"), 52);
    m_highest = makeRange("RxSpinEdit2", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = 5.0},
                          QStringLiteral("Highest Value in Animation"), 78);
    m_steps = makeRange("RxSpinEdit3",
                        {.type = ui::NumberEdit::ValueType::Integer,
                         .minimum = 0.0,
                         .maximum = 100.0,
                         .step = 1.0,
                         .start = 20.0},
                        QStringLiteral("Steps/Frames"), 104);

    auto* objectCaption = makeLabel(this, QStringLiteral("Animated object"), left, 136);
    m_object = new QComboBox(this);
    m_object->setObjectName(QStringLiteral("Imagechoice"));
    m_object->addItems({QStringLiteral("Star"), QStringLiteral("Planet")});
    m_object->setCurrentIndex(-1);
    m_object->setGeometry(left, 152, 140, 22);
    ui::attachCaption(m_object, objectCaption);

    m_animate = makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("Animate"), QRect(left, 186, 75, 25));
    m_save = makeButton(this, QStringLiteral("BitBtn5"), QStringLiteral("Save"), QRect(left + 85, 186, 75, 25));
    connect(m_animate, &QPushButton::clicked, this, &AnimationPage::AnibuttonClick);
    connect(m_save, &QPushButton::clicked, this, &AnimationPage::SaveAnimationClick);

    auto* instructions = makeLabel(this,
                                   QStringLiteral("1. Choose type of aberration\n2. Set the low - high values \n"
                                                  "3 .Set amount of steps \n4. Choose Star or planetary-image \n"
                                                  "5. Press Animate\n6. Save "),
                                   left, 222);
    instructions->setObjectName(QStringLiteral("AnimationHelp"));
}

void AnimationPage::startUp()
{
    m_aberration->setCurrentIndex(0);
    m_object->setCurrentIndex(0);
    m_gif.clear();
}

sim::AnimationRange AnimationPage::range() const
{
    return {m_lowest->value(), m_highest->value(), m_steps->value()};
}

// ---- Making the animation ---------------------------------------------------

void AnimationPage::AnibuttonClick()
{
    const sim::AnimationRange r = range();
    const bool planet = m_object->currentIndex() == kPlanetItem;
    if (const std::optional<std::string> refusal = sim::CheckRange(r)) {
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(*refusal),
                              {ui::MessageButton::Ok});
        return;
    }

    m_run.start(r.steps);
    m_parameters.setValue(Parameter::Zoom, 1.0);
    emit viewWanted(planet ? View::Planet : View::Star);

    // Coma and astigmatism "Y" turn their angle for the run and put it back.
    const Drive& drive = kDrives[std::clamp(m_aberration->currentIndex(), 0, static_cast<int>(std::size(kDrives)) - 1)];
    const double angle = drive.turnedAngle ? m_parameters.value(*drive.turnedAngle) : 0.0;
    if (drive.turnedAngle)
        m_parameters.setValue(*drive.turnedAngle, std::fmod(angle + 90.0, 360.0));
    // A run whose calculation is refused leaves the last animation as it was.
    imaging::AnimatedGif gif;
    const bool made = makeFrames(r, gif);
    if (drive.turnedAngle)
        m_parameters.setValue(*drive.turnedAngle, angle);
    if (!made)
        return;
    m_gif = std::move(gif);

    emit viewWanted(View::Animation);
    UpdatePlayerButtons();
    m_player->setAnimation(m_gif);
    m_player->setLoop(false);
    if (!m_gif.empty())
        m_player->setFrameIndex(0);
    if (m_playButton->isEnabled())
        PlayBtnClick();
}

bool AnimationPage::makeFrames(const sim::AnimationRange& r, imaging::AnimatedGif& gif)
{
    const int item = std::clamp(m_aberration->currentIndex(), 0, static_cast<int>(std::size(kDrives)) - 1);
    const std::optional<Parameter> amount = kDrives[item].amount;
    const std::string text = m_aberration->itemText(item).toStdString();
    const bool planet = m_object->currentIndex() == kPlanetItem;
    const char separator = decimalSeparator();
    const int frames = sim::FrameCount(r);
    for (int i = 0; i < frames; ++i) {
        m_run.advance();
        const double value = sim::FrameValue(r, i);
        m_status.setStatus(1, sim::ProgressText(text, value, separator));
        if (amount)
            m_parameters.setValue(*amount, value);
        m_status.repaintNow();
        if (planet) {
            if (!m_planet.run || !m_planet.run())
                return false;
            gif.addFrame(ui::pixelBuffer(m_planet.picture->picture()));
        } else {
            if (!m_calculation.CalcFFTS())
                return false;
            gif.addFrame(ui::pixelBuffer(m_starImage.picture()));
        }
    }
    return true;
}

void AnimationPage::SaveAnimationClick()
{
    m_files.saveAnimation(this, m_gif);
}

// ---- The player -------------------------------------------------------------

void AnimationPage::UpdatePlayerButtons()
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

void AnimationPage::ImageChanged()
{
    const int count = m_player->count();
    m_slider->setMaximum(std::max(1, count - 1));
    m_frameLabel->setText(QString::number(m_player->frameIndex() + 1));
    UpdatePlayerButtons();
    m_slider->setEnabled(count > 1);
    m_speedBar->setEnabled(m_slider->isEnabled());
}

void AnimationPage::ImageFrameChanged()
{
    const int k = m_player->frameIndex();
    m_slider->setValue(k);
    const std::string item = m_aberration->currentText().toStdString();
    m_frameLabel->setText(QString::fromStdString(sim::FrameLabel(item, range(), k, decimalSeparator())));
    UpdatePlayerButtons();
}

void AnimationPage::ImageStartStop()
{
    UpdatePlayerButtons();
}

void AnimationPage::SliderChange()
{
    m_player->setFrameIndex(m_slider->value());
    m_slider->setValue(m_player->frameIndex());
}

void AnimationPage::PlayBtnClick()
{
    m_player->play();
    UpdatePlayerButtons();
}

void AnimationPage::StopBtnClick()
{
    m_player->stop();
    UpdatePlayerButtons();
}

void AnimationPage::RewindBtnClick()
{
    m_player->setFrameIndex(0);
}

void AnimationPage::ForwardBtnClick()
{
    m_player->setFrameIndex(m_player->count() - 1);
}

void AnimationPage::BackBtnClick()
{
    const int count = m_player->count();
    int j = m_player->frameIndex() - 1;
    if (j < 0)
        j = m_player->loop() ? j + count : 0;
    m_player->setFrameIndex(j);
}

void AnimationPage::NextBtnClick()
{
    const int count = m_player->count();
    int j = m_player->frameIndex() + 1;
    if (j >= count)
        j = m_player->loop() ? j - count : count - 1;
    m_player->setFrameIndex(j);
}

}  // namespace app
