#pragma once

#include "base/result.h"
#include "optics/phase_screen.h"
#include "optics/star_calculator.h"

#include <QObject>
#include <QString>

class QTimer;

#include <any>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace optics {
class WorkerPool;
}

namespace ui {
class DialogService;
}

namespace app {

class SimulationModel;
class StatusReport;

//! How a run reports its progress: "Frame 3 of 21" is `item` "Frame". Runs
//! that show it get a progress bar and Cancel when they take longer than a
//! third of a second.
struct RunOptions {
    QString item;
    bool showProgress = false;
    //! A run that draws from the calculations rather than making one (the
    //! Tests page after a Calculate): it uses no calculator's grids, so the
    //! grids of the last calculation stay the ones shown, and it does not
    //! announce that it finished.
    bool background = false;
    //! Each star of the run is drawn for the star picture on its worker, at
    //! the display settings of the start (the view shows every star).
    bool drawStars = false;
    //! For a run of star calculations: called on the worker with each
    //! calculation's index and result as soon as it is made (from several
    //! workers at once), before the result travels to the window, with the
    //! loops of the calculator that made it (none: run them in order).
    std::function<void(int, const optics::StarResult&, optics::LoopRunner*)> onWorker = {};
    //! How the tasks are queued on the workers: each list is one job whose
    //! tasks run one after another on one worker, in the list's order; the
    //! jobs are queued in the order given. Every task must be in exactly one
    //! list, and the last task must come last in the last list: whichever
    //! worker takes that job runs nothing after it, so its calculator keeps
    //! the grids of the last task. Empty: a job for each task, in order.
    //! Values are delivered in the order of the tasks whatever the jobs.
    std::vector<std::vector<int>> jobs = {};

    //! A run whose stars are all shown in the star picture.
    static RunOptions DrawingStars()
    {
        RunOptions options;
        options.drawStars = true;
        return options;
    }
};

//! The star calculations of the window: the request the controls describe,
//! the check that refuses what cannot be calculated, and the runs that
//! calculate what can.
//!
//! A run is a list of tasks, each a calculation (and whatever a view does
//! with it, such as convolving a planet or drawing a frame) that returns a
//! value. With workers the tasks run on a pool, at once, and the window stays
//! responsive; without, they run one after another before start() returns.
//! Either way the view sees the results in the order of its tasks, on the
//! window's thread, and the results are the same to the bit. A new run
//! supersedes the one still going: the old one's results are never shown.
class Calculations : public QObject {
    Q_OBJECT

public:
    //! Reads the controls through `request` (one complete request, read
    //! once); a refusal names the diameter as `diameterText` gives it and is
    //! shown through the dialogs over `window`.
    struct Controls {
        std::function<optics::StarRequest()> request;
        std::function<QString()> diameterText;
        QWidget* window = nullptr;
    };

    //! A task: what to compute on a calculator, the stage names to
    //! `progress`. `last` says the task is the run's last.
    template <typename T>
    using Task = std::function<T(optics::StarCalculator& calculator, optics::Progress& progress)>;

    //! `workers` threads (0: every run on the window's thread).
    Calculations(SimulationModel& model, StatusReport& status, ui::DialogService& dialogs, int workers);
    ~Calculations() override;

    void setControls(Controls controls) { m_controls = std::move(controls); }

    //! The request of the controls as they are now.
    optics::StarRequest request() const;
    //! Whether `request` can be calculated: a diameter that is a positive
    //! number and whose pupil fits the grid at the request's wavelength.
    base::Status check(const optics::StarRequest& request) const;
    //! Whether every one of `requests` can be calculated; if not, says why
    //! for the first that cannot, and nothing has run. Views check all their
    //! requests before they start.
    bool accept(const std::vector<optics::StarRequest>& requests);

    //! Starts a run: `deliver(index, value)` gets each task's value in the
    //! order of the tasks, `finish()` comes after the last, both on the
    //! window's thread; neither comes for a run that was cancelled or
    //! superseded.
    template <typename T>
    void start(std::vector<Task<T>> tasks, std::function<void(int, T&&)> deliver, std::function<void()> finish,
               RunOptions options = {})
    {
        std::vector<Task<std::any>> erased;
        erased.reserve(tasks.size());
        for (Task<T>& task : tasks)
            erased.push_back([task = std::move(task)](optics::StarCalculator& c, optics::Progress& p) -> std::any {
                return task(c, p);
            });
        startErased(std::move(erased),
                    [deliver = std::move(deliver)](int index, std::any& value) {
                        deliver(index, std::any_cast<T&&>(std::move(value)));
                    },
                    std::move(finish), std::move(options));
    }
    //! A run of star calculations: each request's result is shown (see
    //! SimulationModel::showCalculation) before it is delivered.
    void startStars(std::vector<optics::StarRequest> requests,
                    std::function<void(int, optics::StarResult&&)> deliver, std::function<void()> finish,
                    RunOptions options = {});

    //! Whether a view should draw an intermediate picture of the run going on
    //! (a wavelength of the white-light star, a colour of the planet) now:
    //! not before the run has gone on for a frame of the display, then at
    //! most one a frame. Runs shorter than that show only their end.
    bool drawIntermediateNow();

    //! Stops the run that is going; nothing of it is shown.
    void cancel();
    //! Whether a run is going.
    bool running() const { return m_run != nullptr; }
    //! Waits, answering the window's events, until no run is going.
    void waitForRuns();

    //! The calculator of the window's thread (runs without workers use it).
    optics::StarCalculator& calculator() { return m_calculator; }
    //! The calculator that made the last result shown: its workspace holds
    //! that calculation's grids (or those of a convolution made with it).
    const optics::StarCalculator& lastCalculator() const { return *m_lastCalculator; }
    //! The calculator whose spectrum grids were written last (by a transfer
    //! function or a convolution) among the results shown.
    const optics::StarCalculator& lastSpectrumCalculator() const { return *m_lastSpectrumCalculator; }
    optics::ScreenCache& screens() { return m_screens; }
    const optics::ScreenCache& screens() const { return m_screens; }
    //! Loops on the window's thread, shared with the idle workers (in order
    //! without workers); for combining the results of a run.
    optics::LoopRunner& loops();
    //! Workers of the pool (0 without).
    int workers() const;
    //! Makes every calculator use `kernel` (tests and measurements).
    void setLaneKernel(optics::LaneKernel kernel);

signals:
    //! A run starts (before any of its values can arrive, perhaps after its
    //! workers have begun).
    void runStarted();
    //! A run that shows its progress has taken long enough to show it.
    void progressShown(const QString& text, int done, int total);
    void progressChanged(const QString& text, int done, int total);
    //! The run ended, finished, cancelled or superseded.
    void runEnded();
    //! The run was cancelled or superseded; nothing of it was shown.
    void runCancelled();
    //! Every result of the run has arrived, `milliseconds` after it started;
    //! the view's finish comes next. Not for background runs.
    void runFinished(qint64 milliseconds);

private:
    struct Run;
    class PostedProgress;

    void startErased(std::vector<Task<std::any>> tasks, std::function<void(int, std::any&)> deliver,
                     std::function<void()> finish, RunOptions options);
    //! A task's value arrived (on the window's thread).
    //! Where a task ran, and whether it left a spectrum there.
    struct Origin {
        const optics::StarCalculator* calculator = nullptr;
        bool wroteSpectrum = false;
    };
    void arrived(const std::shared_ptr<Run>& run, int index, std::any value, Origin origin);
    //! Shows the stage names the run's workers gave since the last call, in
    //! their order.
    void showStages(Run& run);
    void end();
    QString progressText(const Run& run) const;

    SimulationModel& m_model;
    StatusReport& m_status;
    ui::DialogService& m_dialogs;
    Controls m_controls;
    optics::ScreenCache m_screens;
    optics::StarCalculator m_calculator;
    const optics::StarCalculator* m_lastCalculator = &m_calculator;
    const optics::StarCalculator* m_lastSpectrumCalculator = &m_calculator;
    std::unique_ptr<optics::WorkerPool> m_pool;
    optics::InOrder m_inOrder;
    std::shared_ptr<Run> m_run;
    // Shows the workers' stage names at the display's pace while a run goes.
    QTimer* m_stageTimer = nullptr;
};

}  // namespace app
