#include "app/calculations.h"

#include "app/simulation_model.h"
#include "app/status_report.h"
#include "ui/dialog_service.h"

#include <cmath>

namespace app {

Calculations::Calculations(SimulationModel& model, StatusReport& status, ui::DialogService& dialogs)
    : m_model(model), m_status(status), m_dialogs(dialogs), m_calculator(m_screens)
{
}

optics::StarRequest Calculations::request() const
{
    return m_controls.request ? m_controls.request() : optics::StarRequest{};
}

base::Status Calculations::check(const optics::StarRequest& request) const
{
    if (optics::Fits(request))
        return base::Done();
    const QString text = m_controls.diameterText ? m_controls.diameterText() : QString::number(request.pupil.diameter);
    const double diameter = request.pupil.diameter;
    if (std::isfinite(diameter) && diameter > 0.0)
        return base::Fail(QStringLiteral("The aperture %1 cannot be calculated: enter a diameter from 2 to 25 inches "
                                         "or 50 to 650 mm.")
                              .arg(text)
                              .toStdString());
    return base::Fail(QStringLiteral("The aperture must be greater than 0 (it reads %1).").arg(text).toStdString());
}

bool Calculations::accept(const std::vector<optics::StarRequest>& requests)
{
    for (const optics::StarRequest& request : requests) {
        if (const base::Status checked = check(request); !checked) {
            m_dialogs.showMessage(m_controls.window, ui::MessageKind::Error, QString::fromStdString(checked.error()),
                                  {ui::MessageButton::Ok});
            return false;
        }
    }
    return true;
}

std::optional<optics::StarResult> Calculations::run(const optics::StarRequest& request)
{
    base::Result<optics::StarResult> result = m_calculator.calculate(request, m_status);
    if (!result) {
        m_dialogs.showMessage(m_controls.window, ui::MessageKind::Error, QString::fromStdString(result.error()),
                              {ui::MessageButton::Ok});
        return std::nullopt;
    }
    m_model.showCalculation(*result);
    return std::move(result).value();
}

}  // namespace app
