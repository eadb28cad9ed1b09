#pragma once

#include "optics/phase_screen.h"
#include "optics/star_calculator.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace ui {
class DialogService;
}

namespace app {

class SimulationModel;
class StatusReport;

//! The star calculations of the window: the request the controls describe,
//! the check that refuses what cannot be calculated, and the calculator that
//! runs what can, showing on the way what each calculation made (through the
//! model) and its stages (in the status bar).
class Calculations {
public:
    //! Reads the controls through `controls` (one complete request, read
    //! once); a refusal names the diameter as `diameterText` gives it and is
    //! shown through `dialogs` over `window`.
    struct Controls {
        std::function<optics::StarRequest()> request;
        std::function<QString()> diameterText;
        QWidget* window = nullptr;
    };

    Calculations(SimulationModel& model, StatusReport& status, ui::DialogService& dialogs);

    void setControls(Controls controls) { m_controls = std::move(controls); }

    //! The request of the controls as they are now.
    optics::StarRequest request() const;
    //! Whether `request` can be calculated: a diameter that is a positive
    //! number and whose pupil fits the grid at the request's wavelength.
    base::Status check(const optics::StarRequest& request) const;
    //! Whether every one of `requests` can be calculated; if not, says why
    //! for the first that cannot, and nothing has run. Views check all their
    //! requests before they run the first.
    bool accept(const std::vector<optics::StarRequest>& requests);
    //! Runs an accepted request on the window's calculator and shows what it
    //! made besides the star image. Nothing when it was refused after all
    //! (the reason has been shown).
    std::optional<optics::StarResult> run(const optics::StarRequest& request);

    optics::StarCalculator& calculator() { return m_calculator; }
    const optics::StarCalculator& calculator() const { return m_calculator; }
    optics::ScreenCache& screens() { return m_screens; }
    const optics::ScreenCache& screens() const { return m_screens; }

private:
    SimulationModel& m_model;
    StatusReport& m_status;
    ui::DialogService& m_dialogs;
    Controls m_controls;
    optics::ScreenCache m_screens;
    optics::StarCalculator m_calculator;
};

}  // namespace app
