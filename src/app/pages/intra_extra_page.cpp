#include "app/pages/intra_extra_page.h"

#include "app/calculation.h"
#include "app/pages/page_helpers.h"
#include "app/picture_files.h"
#include "app/parameter_column.h"
#include "app/star_display.h"
#include "optics/status_sink.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <cmath>

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

QLabel* centredLabel(QWidget* parent, const QString& text, int x, int y, int width)
{
    QLabel* label = makeLabel(parent, text, x, y);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFixedWidth(width);
    return label;
}

}  // namespace

IntraExtraPage::IntraExtraPage(Calculation& calc, ParameterColumn& parameters, StarDisplay& display,
                               optics::StatusSink& status, ui::DialogService& dialogs, sim::IntraExtraState state,
                               PictureFiles& files, QWidget* parent)
    : QWidget(parent),
      m_calc(calc),
      m_parameters(parameters),
      m_display(display),
      m_status(status),
      m_dialogs(dialogs),
      m_state(state),
      m_files(files)
{
    setObjectName(QStringLiteral("IntraExtra"));
    constexpr int captionY = kPictureY - 18;
    centredLabel(this, QStringLiteral("Intrafocal"), kPictureX + kIntraX, captionY, kSideSize);
    centredLabel(this, QStringLiteral("Focus (x4)"), kPictureX + kFocusX, captionY, kFocusSize);
    centredLabel(this, QStringLiteral("Extrafocal"), kPictureX + kExtraX, captionY, kSideSize);

    m_picture = new ui::PictureBox(this, 505, 201);
    m_picture->setObjectName(QStringLiteral("IntraExtraImage"));
    m_picture->move(kPictureX, kPictureY);

    constexpr int labelY = kPictureY + 201 + 4;
    m_intraLabel = centredLabel(this, QString(), kPictureX + kIntraX, labelY, kSideSize);
    m_intraLabel->setObjectName(QStringLiteral("Intralabel"));
    m_extraLabel = centredLabel(this, QString(), kPictureX + kExtraX, labelY, kSideSize);
    m_extraLabel->setObjectName(QStringLiteral("ExtraLabel"));

    makeLabel(this, QStringLiteral("NOTE: the brightness of the out-of-focus images is balanced"), kPictureX, 256);

    m_calculate = makeButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("Calculate"),
                             QRect(kPictureX, 280, 90, 26));
    ui::setHint(m_calculate, QStringLiteral("Calculate images"), true);
    connect(m_calculate, &QPushButton::clicked, this, &IntraExtraPage::IntraExtracalculate);
    m_save = makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("Save"), QRect(kPictureX + 100, 280, 75, 26));
    connect(m_save, &QPushButton::clicked, this, &IntraExtraPage::SaveIntraExtraClick);
}

void IntraExtraPage::IntraExtracalculate()
{
    m_state.start();
    const double focus = m_parameters.value(Parameter::Focus);
    if (focus == 0.0) {
        m_dialogs.showMessage(window(), ui::MessageKind::Information, QStringLiteral("Focus-value is Zero"),
                              {ui::MessageButton::Ok});
        return;
    }
    m_status.setStatus(1, "Building focussed image");
    m_status.repaintNow();
    const bool transferFunction = m_parameters.transferFunction();
    m_parameters.setTransferFunction(false);
    const double aperture = m_parameters.value(Parameter::Aperture);

    // Whatever happens, the options and the status are as before; a refused
    // calculation also puts the user's focus and aperture back.
    auto end = [&](bool refused) {
        if (refused) {
            m_parameters.setValue(Parameter::Aperture, aperture);
            m_parameters.setValue(Parameter::Focus, focus);
        }
        m_parameters.setTransferFunction(transferFunction);
        m_status.setStatus(1, "");
    };

    // Half the aperture makes the diffraction pattern twice as large.
    m_parameters.setValue(Parameter::Focus, 0.0);
    m_parameters.setValue(Parameter::Aperture, aperture * 0.5);
    if (!m_calc.CalcFFTS())
        return end(true);
    copyStar(kFocusSource, kFocusSource, kFocusSize, kFocusX, kFocusY);

    m_status.setStatus(1, "Building Intra-focal image");
    m_status.repaintNow();
    m_parameters.setValue(Parameter::Aperture, aperture);
    m_parameters.setValue(Parameter::Focus, -std::fabs(focus));
    m_intraLabel->setText(focusText());
    if (!m_calc.CalcFFTS())
        return end(true);
    copyStar(kSideSource, kSideSource, kSideSize, kIntraX, 0);

    m_status.setStatus(1, "Building In-focus image");
    m_status.repaintNow();
    m_state.keepIntraFocal();
    m_parameters.setValue(Parameter::Focus, std::fabs(focus));
    m_extraLabel->setText(focusText());
    if (!m_calc.CalcFFTS())
        return end(true);
    copyStar(kSideSource, kSideSource, kSideSize, kExtraX, 0);
    m_status.repaintNow();

    if (imaging::PixelBuffer* buffer = m_display.buffer()) {
        const sim::BalancedSide side = m_state.balance(m_display.settings(), *buffer);
        if (side != sim::BalancedSide::None) {
            const int x = side == sim::BalancedSide::Intra ? kIntraX : kExtraX;
            m_picture->copyFrom(*buffer, kSideSource, kSideSource, kSideSource + kSideSize,
                                kSideSource + kSideSize, x, 0);
        }
    }
    end(false);
}

void IntraExtraPage::copyStar(int left, int top, int size, int x, int y)
{
    if (const QImage* star = m_display.picture(optics::PaintTarget::StarImage))
        m_picture->copyFrom(*star, QRect(left, top, size, size), QPoint(x, y));
}

QString IntraExtraPage::focusText() const
{
    return QLocale().toString(m_parameters.value(Parameter::Focus), 'g', QLocale::FloatingPointShortest);
}

void IntraExtraPage::SaveIntraExtraClick()
{
    m_files.savePicture(this, *m_picture);
}

}  // namespace app
