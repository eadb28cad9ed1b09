#include "app/pages/chromatic_page.h"

#include "app/pages/page_helpers.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QLabel>

namespace app {

namespace {

// The rows' control names, as the window has always spelled them.
const char* const kWaveNames[] = {"ChromaWave1", "Chromawave2", "ChromaWave3", "ChromaWave4",
                                  "ChromaWave5", "ChromaWave6", "ChromaWave7"};
const char* const kFocusNames[] = {"ChromaFocus1", "ChromaFocus2", "ChromaFocus3", "Chromafocus4",
                                   "ChromaFocus5", "Chromafocus6", "Chromafocus7"};
const int kDefaultWavelengths[] = {405, 436, 486, 555, 589, 656, 707};

}  // namespace

ChromaticPage::ChromaticPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Chromatic"));
    m_picture = new ui::PictureBox(this, 257, 257);
    m_picture->setObjectName(QStringLiteral("chroma"));
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
    constexpr int rowStep = 25;
    makeLabel(this, QStringLiteral("WaveLength(nm)"), waveX - 6, captionY);
    makeLabel(this, QStringLiteral("Focus"), focusX, captionY);
    makeLabel(this, QStringLiteral("L. Spherical"), lsaX, captionY);

    const ui::NumberEdit::Settings waves{.minimum = -10.0, .maximum = 10.0, .step = 0.1, .start = 0.0};
    for (int k = 0; k < kRows; ++k) {
        const int y = firstRow + k * rowStep;
        m_include[k] = new QCheckBox(this);
        m_include[k]->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
        m_include[k]->setGeometry(boxX, y + 2, 18, 18);
        m_include[k]->setChecked(true);
        m_wavelength[k] = makeEditor(this, QLatin1String(kWaveNames[k]),
                                     {.type = ui::NumberEdit::ValueType::Integer,
                                      .minimum = 380.0,
                                      .maximum = 720.0,
                                      .step = 2.0,
                                      .start = double(kDefaultWavelengths[k])},
                                     waveX, y, 70);
        m_focus[k] = makeEditor(this, QLatin1String(kFocusNames[k]), waves, focusX, y, 64);
        m_spherical[k] = makeEditor(this, QStringLiteral("ChromaLSA%1").arg(k + 1), waves, lsaX, y, 64);
    }

    const int shiftY = firstRow + kRows * rowStep + 6;
    m_focalShift = makeEditor(this, QStringLiteral("FocalShiftspin"), waves, focusX, shiftY + 16, 64);
    ui::attachCaption(m_focalShift,
                      makeLabel(this, QStringLiteral("additional Focal shift from 400 - 700 nm"), boxX, shiftY));

    makeLabel(this, QStringLiteral("Note: these settings do NOT affect calculations  on other pages !!!"), boxX, 300);
}

void ChromaticPage::resetControls()
{
    for (ui::NumberEdit* focus : m_focus)
        focus->setValue(0.0);
    for (ui::NumberEdit* spherical : m_spherical)
        spherical->setValue(0.0);
    m_focalShift->setValue(0.0);
}

}  // namespace app
