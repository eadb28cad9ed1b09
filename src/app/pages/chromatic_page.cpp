#include "app/pages/chromatic_page.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "app/parameter_column.h"
#include "app/picture_files.h"
#include "app/simulation_model.h"
#include "app/status_report.h"
#include "simulations/chromatic.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace app {

namespace {

const int kDefaultWavelengths[] = {405, 436, 486, 555, 589, 656, 707};

}  // namespace

ChromaticPage::ChromaticPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                             StatusReport& status, PictureFiles& files, QWidget* parent)
    : QWidget(parent),
      m_calculations(calculations),
      m_parameters(parameters),
      m_model(model),
      m_status(status),
      m_files(files)
{
    setObjectName(QLatin1String(names::kChromaticPage));
    m_picture = new ui::PictureBox(this, 257, 257);
    m_picture->setObjectName(QLatin1String(names::kChromaticImage));
    m_picture->move(290, 40);

    QLabel* warning =
        makeLabel(this, QStringLiteral("WARNING: DO NOT USE THESE IMAGES \nFOR REAL STAR-TESTING."), 8, 4);
    // The page takes the window's font only when it is put into the window,
    // so the width is set here rather than measured.
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    warning->setStyleSheet(QStringLiteral("color: red;"));
    warning->setGeometry(8, 4, 276, 30);

    constexpr int boxX = 8;
    constexpr int waveX = 30;
    constexpr int focusX = 136;
    constexpr int lsaX = 212;
    constexpr int captionY = 40;
    constexpr int firstRow = 56;
    constexpr int rowStep = 24;
    makeLabel(this, QStringLiteral("WaveLength(nm)"), waveX - 6, captionY);
    makeLabel(this, QStringLiteral("Focus"), focusX, captionY);
    makeLabel(this, QStringLiteral("L. Spherical"), lsaX, captionY);

    const ui::NumberEdit::Settings waves{.minimum = -10.0, .maximum = 10.0, .step = 0.1, .start = 0.0};
    for (int k = 0; k < kRows; ++k) {
        const int y = firstRow + k * rowStep;
        m_include[k] = new QCheckBox(this);
        m_include[k]->setObjectName(QLatin1String(names::kRowIncluded[k]));
        m_include[k]->setGeometry(boxX, y + 2, 18, 18);
        m_include[k]->setChecked(true);
        m_wavelength[k] = makeEditor(this, QLatin1String(names::kRowWavelength[k]),
                                     {.type = ui::NumberEdit::ValueType::Integer,
                                      .minimum = 380.0,
                                      .maximum = 720.0,
                                      .step = 2.0,
                                      .start = double(kDefaultWavelengths[k])},
                                     waveX, y, 70);
        m_focus[k] = makeEditor(this, QLatin1String(names::kRowFocus[k]), waves, focusX, y, 64);
        m_spherical[k] = makeEditor(this, QLatin1String(names::kRowSpherical[k]), waves, lsaX, y, 64);
    }

    const int shiftY = firstRow + kRows * rowStep + 6;
    m_focalShift = makeEditor(this, QLatin1String(names::kFocalShift), waves, focusX, shiftY + 16, 64);
    ui::attachCaption(m_focalShift,
                      makeLabel(this, QStringLiteral("additional Focal shift from 400 - 700 nm"), boxX, shiftY));

    m_calculate = makeButton(this, QLatin1String(names::kCalculateChromatic), QStringLiteral("Calculate"),
                             QRect(boxX, shiftY + 42, 80, 24));
    connect(m_calculate, &QPushButton::clicked, this, &ChromaticPage::calculateWhiteLight);
    m_save = makeButton(this, QLatin1String(names::kSaveChromatic), QStringLiteral("Save Image"),
                        QRect(boxX + 88, shiftY + 42, 80, 24));
    connect(m_save, &QPushButton::clicked, this, &ChromaticPage::savePicture);

    makeLabel(this, QStringLiteral("Note: these settings do NOT affect calculations  on other pages !!!"), boxX, 300);
}

std::vector<optics::StarRequest> ChromaticPage::plan(const optics::StarRequest& controls) const
{
    std::vector<sim::ChromaticRow> rows;
    for (int k = 0; k < kRows; ++k)
        if (m_include[k]->isChecked())
            rows.push_back({m_wavelength[k]->value(), m_focus[k]->value(), m_spherical[k]->value()});
    return sim::PlanChromatic(controls, rows, m_focalShift->value(),
                              [this](sim::Setting setting, double value) { return m_parameters.held(setting, value); });
}

void ChromaticPage::calculateWhiteLight()
{
    const std::vector<optics::StarRequest> plan = this->plan(m_calculations.request());
    if (!m_calculations.accept(plan))
        return;

    // The wavelengths are summed in the order of the rows, on the workers as
    // their images come.
    auto sum = std::make_shared<sim::ChromaticSum>(static_cast<int>(plan.size()));
    std::vector<double> waveLengths;
    for (const optics::StarRequest& request : plan)
        waveLengths.push_back(request.waveLength);
    RunOptions options{QStringLiteral("Wavelength"), true};
    options.onWorker = [sum, waveLengths](int index, const optics::StarResult& result, optics::LoopRunner* loops) {
        sum->offer(index, result.image, waveLengths[static_cast<std::size_t>(index)], loops);
    };
    m_calculations.startStars(
        plan,
        [this, waveLengths](int index, optics::StarResult&& result) {
            const double waveLength = waveLengths[static_cast<std::size_t>(index)];
            // Each wavelength shows in its colour while a long run goes on.
            const bool drawn = m_calculations.drawIntermediateNow();
            m_model.showColourPass(Place::Chromatic, result.image, waveLength, drawn);
            if (drawn)
                m_status.flush();
            m_model.trace().weights = sim::WeightsAt(waveLength);
        },
        [this, sum] { m_model.showComposite(Place::Chromatic, sum->finish(&m_calculations.loops())); },
        std::move(options));
}

void ChromaticPage::resetControls()
{
    for (ui::NumberEdit* focus : m_focus)
        focus->setValue(0.0);
    for (ui::NumberEdit* spherical : m_spherical)
        spherical->setValue(0.0);
    m_focalShift->setValue(0.0);
}

void ChromaticPage::savePicture()
{
    m_files.savePicture(this, *m_picture);
}

}  // namespace app
