#include "app/pages/tests_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "imaging/pixel_buffer.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QPushButton>
#include <QTabWidget>

#include <mutex>
#include <utility>

namespace app {

struct TestsPage::KnifeGrids {
    std::mutex mutex;
    std::unique_ptr<optics::Workspace> workspace;
};

namespace {

constexpr int kEditorX = 178;
constexpr int kEditorWidth = 72;
constexpr int kPictureX = 284;
constexpr int kPictureY = 6;

int indexOf(sim::MirrorTest test)
{
    return static_cast<int>(test);
}

int bitOf(sim::MirrorTest test)
{
    return 1 << indexOf(test);
}

// An editor with its caption on its left.
ui::NumberEdit* makeSetting(QWidget* parent, const char* name, const ui::NumberEdit::Settings& settings,
                            const QString& caption, int y)
{
    ui::NumberEdit* edit = makeEditor(parent, QLatin1String(name), settings, kEditorX, y, kEditorWidth);
    ui::attachCaption(edit, makeLabel(parent, caption, 6, y + 4));
    return edit;
}

ui::PictureBox* makePicture(QWidget* parent, const char* name)
{
    auto* box = new ui::PictureBox(parent, sim::kTestPictureSide, sim::kTestPictureSide);
    box->setObjectName(QLatin1String(name));
    box->move(kPictureX, kPictureY);
    return box;
}

QLabel* makeNote(QWidget* parent, const QString& text, int y, int height)
{
    QLabel* note = makeLabel(parent, text, 6, y);
    note->setWordWrap(true);
    note->setGeometry(6, y, kPictureX - 12, height);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return note;
}

QString number(double value, int decimals)
{
    return QLocale().toString(value, 'f', decimals);
}

QJsonArray waveLengths(const sim::MirrorTestRequest& request)
{
    QJsonArray list;
    for (const optics::StarRequest& star : request.pupils)
        list.append(star.waveLength);
    return list;
}

}  // namespace

TestsPage::TestsPage(Calculations& calculations, ParameterColumn& parameters, PictureFiles& files, QWidget* parent)
    : QWidget(parent),
      m_calculations(calculations),
      m_parameters(parameters),
      m_files(files),
      m_knifeGrids(std::make_shared<KnifeGrids>())
{
    setObjectName(QLatin1String(names::kTestsPage));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QLatin1String(names::kTestsTabs));
    m_tabs->setGeometry(2, 2, 551, 318);
    auto* ronchi = new QWidget;
    auto* knife = new QWidget;
    auto* fringes = new QWidget;
    buildRonchi(ronchi);
    buildKnife(knife);
    buildFringes(fringes);
    m_tabs->addTab(ronchi, QStringLiteral("Ronchi"));
    m_tabs->addTab(knife, QStringLiteral("Knife edge"));
    m_tabs->addTab(fringes, QStringLiteral("Interferogram"));

    // A picture asked for while another run went on is drawn as soon as it
    // has ended (before the handler that started it returns, when there are
    // no workers). A run of the page that was superseded draws again once
    // the run that superseded it, which is starting, has ended.
    connect(&m_calculations, &Calculations::runCancelled, this, [this] { m_superseded = true; });
    connect(&m_calculations, &Calculations::runEnded, this, [this] {
        m_stale |= m_running;
        m_running = 0;
        const bool superseded = std::exchange(m_superseded, false);
        if (!m_stale)
            return;
        if (superseded)
            QMetaObject::invokeMethod(this, [this] { refresh(0); }, Qt::QueuedConnection);
        else
            refresh(0);
    });
    connect(&m_parameters, &ParameterColumn::focalRatioChanged, this, [this] {
        showRonchiBands();
        refresh(Ronchi | Knife);
    });
    showRonchiBands();
    showKnifeRange(starRequest());
}

void TestsPage::buildRonchi(QWidget* tab)
{
    m_ronchiPicture = makePicture(tab, names::kRonchiImage);
    makeNote(tab,
             QStringLiteral("A Ronchi grating in the light cone of the star, looked through from behind: its bars "
                            "darken the mirror where their rays cross them."),
             4, 44);
    m_ronchiLines = makeSetting(tab, names::kRonchiLines,
                                {.decimals = 1, .minimum = 1.0, .maximum = 40.0, .step = 0.5, .start = 4.0},
                                QStringLiteral("Grating lines per mm"), 52);
    ui::setHint(m_ronchiLines,
                QStringLiteral("Grating lines per mm|Lines of the grating per millimetre (4 is about 100 per inch)"),
                true);
    m_ronchiOffset = makeSetting(tab, names::kRonchiOffset,
                                 {.decimals = 2, .minimum = -20.0, .maximum = 20.0, .step = 0.5, .start = 6.0},
                                 QStringLiteral("Distance from focus (mm)"), 80);
    ui::setHint(m_ronchiOffset,
                QStringLiteral("Grating distance from focus|Millimetres from focus: negative inside focus (towards "
                               "the mirror), positive outside"),
                true);
    m_ronchiAngle = makeSetting(tab, names::kRonchiAngle,
                                {.type = ui::NumberEdit::ValueType::Integer, .minimum = 0.0, .maximum = 180.0,
                                 .step = 15.0, .start = 0.0},
                                QStringLiteral("Grating angle (degrees)"), 108);
    ui::setHint(m_ronchiAngle, QStringLiteral("Grating angle|0 puts the lines upright; the angle turns them "
                                              "counter-clockwise"),
                true);
    m_ronchiWhite = new QCheckBox(QStringLiteral("White light (the Chromatic page's rows)"), tab);
    m_ronchiWhite->setObjectName(QLatin1String(names::kRonchiWhite));
    m_ronchiWhite->setGeometry(6, 138, kPictureX - 12, 20);
    ui::setHint(m_ronchiWhite,
                QStringLiteral("White light|The wavelengths ticked on the Chromatic page, each with its focus, focal "
                               "shift and spherical aberration, in their colours"),
                true);
    m_ronchiBands = makeNote(tab, {}, 166, 60);
    m_ronchiBands->setObjectName(QLatin1String(names::kRonchiBands));
    QPushButton* save = makeButton(tab, QLatin1String(names::kSaveRonchi), QStringLiteral("Save Image"),
                                   QRect(6, 262, 80, 24));
    connect(save, &QPushButton::clicked, this, [this] { savePicture(sim::MirrorTest::Ronchi); });

    for (ui::NumberEdit* edit : {m_ronchiLines, m_ronchiOffset, m_ronchiAngle})
        connect(edit, &ui::NumberEdit::changed, this, [this] {
            showRonchiBands();
            refresh(Ronchi);
        });
    connect(m_ronchiWhite, &QCheckBox::toggled, this, [this] { refresh(Ronchi); });
}

void TestsPage::buildKnife(QWidget* tab)
{
    m_knifePicture = makePicture(tab, names::kKnifeImage);
    makeNote(tab,
             QStringLiteral("A knife edge cutting the star's image up to the axis, the mirror looked at past it: "
                            "the light it takes off shows the shape of the wavefront."),
             4, 44);
    m_knifeOffset = makeSetting(tab, names::kKnifeOffset,
                                {.decimals = 3, .minimum = -1.0, .maximum = 1.0, .step = 0.05, .start = 0.0},
                                QStringLiteral("Distance from focus (mm)"), 52);
    ui::setHint(m_knifeOffset,
                QStringLiteral("Knife distance from focus|Millimetres from focus: negative inside focus (towards "
                               "the mirror), positive outside"),
                true);
    m_knifeAngle = makeSetting(tab, names::kKnifeAngle,
                               {.type = ui::NumberEdit::ValueType::Integer, .minimum = 0.0, .maximum = 360.0,
                                .step = 15.0, .start = 0.0},
                               QStringLiteral("Knife angle (degrees)"), 80);
    ui::setHint(m_knifeAngle,
                QStringLiteral("Knife angle|0: the knife comes in from the left; 90 from below; the angle turns it "
                               "counter-clockwise"),
                true);
    m_knifeNote = makeNote(tab, {}, 110, 90);
    m_knifeNote->setObjectName(QLatin1String(names::kKnifeNote));
    QPushButton* save = makeButton(tab, QLatin1String(names::kSaveKnife), QStringLiteral("Save Image"),
                                   QRect(6, 262, 80, 24));
    connect(save, &QPushButton::clicked, this, [this] { savePicture(sim::MirrorTest::Knife); });
    for (ui::NumberEdit* edit : {m_knifeOffset, m_knifeAngle})
        connect(edit, &ui::NumberEdit::changed, this, [this] { refresh(Knife); });
}

void TestsPage::buildFringes(QWidget* tab)
{
    m_fringePicture = makePicture(tab, names::kFringeImage);
    makeNote(tab,
             QStringLiteral("The interferogram of the wavefront against a flat reference: one fringe for every "
                            "wave (two in a double pass), obstruction and spider black."),
             4, 44);
    m_fringeTilt = makeSetting(tab, names::kFringeTilt,
                               {.decimals = 1, .minimum = 0.0, .maximum = 30.0, .step = 1.0, .start = 6.0},
                               QStringLiteral("Tilt fringes"), 52);
    ui::setHint(m_fringeTilt,
                QStringLiteral("Tilt fringes|Straight fringes the reference's tilt puts across the aperture"), true);
    m_fringeAngle = makeSetting(tab, names::kFringeAngle,
                                {.type = ui::NumberEdit::ValueType::Integer, .minimum = 0.0, .maximum = 180.0,
                                 .step = 15.0, .start = 0.0},
                                QStringLiteral("Fringe angle (degrees)"), 80);
    ui::setHint(m_fringeAngle,
                QStringLiteral("Fringe angle|0 makes the tilt fringes upright; the angle turns them "
                               "counter-clockwise"),
                true);
    m_fringeDefocus = makeSetting(tab, names::kFringeDefocus,
                                  {.decimals = 2, .minimum = -10.0, .maximum = 10.0, .step = 0.25, .start = 0.0},
                                  QStringLiteral("Reference defocus (waves)"), 108);
    ui::setHint(m_fringeDefocus,
                QStringLiteral("Reference defocus|Waves of defocus added to the reference: rings"), true);
    m_fringesPerWave = makeSetting(tab, names::kFringesPerWave,
                                   {.type = ui::NumberEdit::ValueType::Integer, .minimum = 1.0, .maximum = 2.0,
                                    .step = 1.0, .start = 1.0},
                                   QStringLiteral("Fringes per wave"), 136);
    ui::setHint(m_fringesPerWave,
                QStringLiteral("Fringes per wave|1: the wavefront as the star sees it; 2: a double-pass test at the "
                               "centre of curvature"),
                true);
    makeNote(tab, QStringLiteral("1: as the star sees it\n2: double pass at the centre of curvature"), 164, 32);
    QPushButton* save = makeButton(tab, QLatin1String(names::kSaveFringes), QStringLiteral("Save Image"),
                                   QRect(6, 262, 80, 24));
    connect(save, &QPushButton::clicked, this, [this] { savePicture(sim::MirrorTest::Fringes); });
    for (ui::NumberEdit* edit : {m_fringeTilt, m_fringeAngle, m_fringeDefocus, m_fringesPerWave})
        connect(edit, &ui::NumberEdit::changed, this, [this] { refresh(Fringes); });
}

void TestsPage::setDisplayCurve(double gamma, double slope)
{
    m_gamma = gamma;
    m_slope = slope;
    if (m_shown[indexOf(sim::MirrorTest::Knife)])
        refresh(Knife);
}

sim::MirrorTestRequest TestsPage::requestFor(sim::MirrorTest test, const optics::StarRequest& star) const
{
    sim::MirrorTestRequest request;
    request.test = test;
    request.pupils = {star};
    if (test == sim::MirrorTest::Ronchi && m_ronchiWhite->isChecked() && m_whiteLight)
        request.pupils = m_whiteLight(star);
    request.focalRatio = m_parameters.focalRatio();
    request.ronchi = {m_ronchiLines->value(), m_ronchiOffset->value(), m_ronchiAngle->value()};
    request.knife = {m_knifeOffset->value(), m_knifeAngle->value()};
    request.fringes = {m_fringeTilt->value(), m_fringeAngle->value(), m_fringeDefocus->value(),
                       static_cast<int>(m_fringesPerWave->value())};
    request.gamma = m_gamma;
    request.slope = m_slope;
    return request;
}

optics::StarRequest TestsPage::starRequest() const
{
    optics::StarRequest star = m_calculations.request();
    // The figures and curves are the star page's.
    star.transferFunction = false;
    star.figures = false;
    star.wavefrontMap = false;
    return star;
}

sim::MirrorTestRequest TestsPage::requestAt(sim::MirrorTest test, double offsetMm) const
{
    sim::MirrorTestRequest request = requestFor(test, starRequest());
    if (test == sim::MirrorTest::Ronchi)
        request.ronchi.offsetMm = m_ronchiOffset->held(offsetMm);
    if (test == sim::MirrorTest::Knife)
        request.knife.offsetMm = m_knifeOffset->held(offsetMm);
    return request;
}

void TestsPage::refresh(int which)
{
    m_stale |= which;
    if (m_showing) {
        draw();
        return;
    }
    // Out of sight only the knife's note follows.
    if (which & Knife)
        checkKnife();
}

void TestsPage::checkKnife()
{
    const optics::StarRequest star = starRequest();
    if (!m_calculations.check(star))
        return;
    const base::Status checked = sim::CheckMirrorTest(requestFor(sim::MirrorTest::Knife, star));
    showKnifeRange(star, checked ? QString() : QString::fromStdString(checked.error()));
}

void TestsPage::draw()
{
    if (!m_stale || m_calculations.running())
        return;
    const optics::StarRequest star = starRequest();
    // A diameter being typed draws nothing; Calculate says what is wrong.
    if (!m_calculations.check(star)) {
        m_stale = 0;
        return;
    }
    std::vector<Calculations::Task<base::Result<sim::MirrorTestResult>>> tasks;
    int drawing = 0;
    for (const sim::MirrorTest test : {sim::MirrorTest::Ronchi, sim::MirrorTest::Knife, sim::MirrorTest::Fringes}) {
        if (!(m_stale & bitOf(test)))
            continue;
        sim::MirrorTestRequest request = requestFor(test, star);
        const base::Status checked = sim::CheckMirrorTest(request);
        if (test == sim::MirrorTest::Knife)
            showKnifeRange(star, checked ? QString() : QString::fromStdString(checked.error()));
        // A refused picture keeps what it showed.
        if (!checked)
            continue;
        drawing |= bitOf(test);
        tasks.push_back([request = std::move(request), grids = m_knifeGrids](optics::StarCalculator& calculator,
                                                                              optics::Progress&) {
            if (request.test != sim::MirrorTest::Knife)
                return sim::DrawMirrorTest(request, calculator.screens(), calculator.laneKernel());
            // A draw of a superseded run may still be going on a worker.
            const std::lock_guard<std::mutex> lock(grids->mutex);
            if (!grids->workspace)
                grids->workspace = optics::Workspace::Create();
            return sim::DrawMirrorTest(request, calculator.screens(), *grids->workspace, calculator.laneKernel());
        });
    }
    m_stale = 0;
    if (tasks.empty())
        return;
    m_running = drawing;
    m_calculations.start<base::Result<sim::MirrorTestResult>>(
        std::move(tasks),
        [this](int, base::Result<sim::MirrorTestResult>&& result) {
            if (result)
                show(std::move(result).value());
        },
        [this] { m_running = 0; }, {.item = {}, .showProgress = false, .background = true});
}

void TestsPage::setShowing(bool showing)
{
    m_showing = showing;
    if (!showing)
        return;
    int never = 0;
    for (const sim::MirrorTest test : {sim::MirrorTest::Ronchi, sim::MirrorTest::Knife, sim::MirrorTest::Fringes})
        if (!m_shown[indexOf(test)])
            never |= bitOf(test);
    refresh(never);
}

void TestsPage::bringUpToDate()
{
    // A few rounds at most: a run that supersedes a draw marks it again.
    for (int round = 0; round < 4; ++round) {
        m_calculations.waitForRuns();
        if (!m_stale)
            return;
        draw();
    }
    m_calculations.waitForRuns();
}

void TestsPage::show(sim::MirrorTestResult&& result)
{
    ui::PictureBox* box = picture(result.request.test);
    box->setPicture(ui::imageView(result.picture).copy());
    box->update();
    m_shown[indexOf(result.request.test)] = std::move(result);
}

ui::PictureBox* TestsPage::picture(sim::MirrorTest test) const
{
    switch (test) {
    case sim::MirrorTest::Ronchi: return m_ronchiPicture;
    case sim::MirrorTest::Knife: return m_knifePicture;
    case sim::MirrorTest::Fringes: return m_fringePicture;
    }
    return m_ronchiPicture;
}

void TestsPage::savePicture()
{
    savePicture(static_cast<sim::MirrorTest>(m_tabs->currentIndex()));
}

void TestsPage::savePicture(sim::MirrorTest test)
{
    bringUpToDate();
    m_files.savePicture(this, *picture(test));
}

void TestsPage::showRonchiBands()
{
    const double focalRatio = m_parameters.focalRatio();
    const sim::RonchiSettings ronchi{m_ronchiLines->value(), m_ronchiOffset->value(), m_ronchiAngle->value()};
    m_ronchiBands->setText(QStringLiteral("At f/%1 the beam is %2 mm wide at the grating: a perfect mirror shows "
                                          "%3 straight bands.\nThe focal ratio is set in the column on the right.")
                               .arg(number(focalRatio, 1), number(std::abs(ronchi.offsetMm) / focalRatio, 2),
                                    number(sim::RonchiBandCount(ronchi, focalRatio), 1)));
}

void TestsPage::showKnifeRange(const optics::StarRequest& star, const QString& refusal)
{
    const double largest = sim::LargestKnifeOffsetMm(star, m_parameters.focalRatio());
    QString text = refusal.isEmpty()
                       ? QStringLiteral("At this aperture and f/%1 the knife can be up to %2 mm either side of focus.")
                             .arg(number(m_parameters.focalRatio(), 1), number(largest, 2))
                       : refusal + QStringLiteral(" The picture shows the last offset that could be drawn.");
    m_knifeNote->setText(text);
    // Setting a style sheet lays the note out again, even the same one.
    const QString style = refusal.isEmpty() ? QString() : QStringLiteral("color: #b00000;");
    if (m_knifeNote->styleSheet() != style)
        m_knifeNote->setStyleSheet(style);
}

QJsonObject TestsPage::state() const
{
    QJsonObject pictures;
    for (const sim::MirrorTest test : {sim::MirrorTest::Ronchi, sim::MirrorTest::Knife, sim::MirrorTest::Fringes}) {
        const std::optional<sim::MirrorTestResult>& shown = m_shown[indexOf(test)];
        QJsonObject made{{"drawn", shown.has_value()}, {"waiting", ((m_stale | m_running) & bitOf(test)) != 0}};
        if (shown) {
            const sim::MirrorTestRequest& r = shown->request;
            const optics::StarRequest& star = r.pupils.front();
            made["focalRatio"] = r.focalRatio;
            made["waveLengths"] = waveLengths(r);
            made["diameter"] = star.pupil.diameter;
            made["millimeters"] = star.pupil.millimeters;
            made["focus"] = star.pupil.focus;
            made["spherical"] = star.pupil.spherical;
            made["turbulence"] = star.pupil.turbulence;
            made["roughness"] = star.pupil.roughness;
            made["measured"] = star.measured != nullptr;
            made["PV"] = shown->peakToValley;
            made["RMS"] = shown->rms;
            made["meanLevel"] = shown->meanLevel;
            switch (test) {
            case sim::MirrorTest::Ronchi:
                made["linesPerMm"] = r.ronchi.linesPerMm;
                made["offsetMm"] = r.ronchi.offsetMm;
                made["angle"] = r.ronchi.angle;
                made["white"] = r.pupils.size() > 1;
                made["bands"] = sim::RonchiBandCount(r.ronchi, r.focalRatio);
                break;
            case sim::MirrorTest::Knife:
                made["offsetMm"] = r.knife.offsetMm;
                made["angle"] = r.knife.angle;
                made["gamma"] = r.gamma;
                made["slope"] = r.slope;
                break;
            case sim::MirrorTest::Fringes:
                made["tilt"] = r.fringes.tilt;
                made["angle"] = r.fringes.angle;
                made["defocus"] = r.fringes.defocus;
                made["perWave"] = r.fringes.perWave;
                break;
            }
        }
        pictures[picture(test)->objectName()] = made;
    }
    return pictures;
}

}  // namespace app
