#include "app/calculations.h"

#include "app/simulation_model.h"
#include "app/status_report.h"
#include "imaging/display.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <cmath>
#include <mutex>

namespace app {

namespace {

// Runs that have not ended after this long show their progress.
constexpr int kProgressDelayMs = 330;
// The display's pace for the intermediate pictures of a run.
constexpr qint64 kFrameMs = 40;

// Whether `jobs` names each of the tasks 0 .. total - 1 exactly once, the
// last of them at the end of the last job.
bool GroupsEveryTask(const std::vector<std::vector<int>>& jobs, int total)
{
    if (jobs.empty() || jobs.back().empty() || jobs.back().back() != total - 1)
        return false;
    std::vector<bool> seen(static_cast<std::size_t>(total), false);
    int count = 0;
    for (const std::vector<int>& job : jobs)
        for (const int index : job) {
            if (index < 0 || index >= total || seen[static_cast<std::size_t>(index)])
                return false;
            seen[static_cast<std::size_t>(index)] = true;
            ++count;
        }
    return count == total;
}

}  // namespace

// One run: its tasks' values as they arrive, and how far they have been
// delivered in order.
struct Calculations::Run {
    std::vector<std::optional<std::any>> values;
    std::vector<Origin> origins;
    std::function<void(int, std::any&)> deliver;
    std::function<void()> finish;
    RunOptions options;
    int arrived = 0;
    int delivered = 0;
    QElapsedTimer clock;
    bool progressShown = false;
    qint64 lastIntermediate = 0;
    // Seen by the workers: a task of a cancelled run does not start.
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    // The stage names the workers gave and the window has not shown yet.
    std::mutex stageMutex;
    std::vector<std::string> stages;
};

// The stage names of a task on a worker, kept with its run. The window's
// thread shows them in order while the run is the one going: at the display's
// pace and before each value. Waking that thread for every stage would take
// a core from the workers a few thousand times a second.
class Calculations::PostedProgress final : public optics::Progress {
public:
    explicit PostedProgress(std::weak_ptr<Run> run) : m_run(std::move(run)) {}

    void stage(const std::string& name) override
    {
        if (const std::shared_ptr<Run> run = m_run.lock()) {
            std::lock_guard lock(run->stageMutex);
            run->stages.push_back(name);
        }
    }

private:
    std::weak_ptr<Run> m_run;
};

Calculations::Calculations(SimulationModel& model, StatusReport& status, ui::DialogService& dialogs, int workers)
    : m_model(model), m_status(status), m_dialogs(dialogs), m_calculator(m_screens)
{
    if (workers > 0)
        m_pool = std::make_unique<optics::WorkerPool>(workers, m_screens);
    m_stageTimer = new QTimer(this);
    m_stageTimer->setInterval(static_cast<int>(kFrameMs));
    connect(m_stageTimer, &QTimer::timeout, this, [this] {
        if (m_run)
            showStages(*m_run);
    });
}

Calculations::~Calculations()
{
    cancel();
    // The workers end their tasks before anything they use goes.
    m_pool.reset();
}

int Calculations::workers() const
{
    return m_pool ? m_pool->size() : 0;
}

optics::LoopRunner& Calculations::loops()
{
    return m_pool ? m_pool->loops() : static_cast<optics::LoopRunner&>(m_inOrder);
}

void Calculations::setLaneKernel(optics::LaneKernel kernel)
{
    m_calculator.setLaneKernel(kernel);
    if (m_pool)
        m_pool->setLaneKernel(kernel);
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

namespace {

// A star and, when the run draws its stars, its picture.
struct DrawnStar {
    optics::StarResult result;
    std::optional<imaging::PixelBuffer> picture;
};

}  // namespace

void Calculations::startStars(std::vector<optics::StarRequest> requests,
                              std::function<void(int, optics::StarResult&&)> deliver, std::function<void()> finish,
                              RunOptions options)
{
    std::shared_ptr<const imaging::DisplayCurve> curve;
    const imaging::StarLook look = m_model.look();
    if (options.drawStars)
        curve = std::make_shared<const imaging::DisplayCurve>(m_model.curve());
    std::vector<Task<DrawnStar>> tasks;
    // Only the last calculation's field is left in its calculator, as the
    // calculations one after another leave it: whichever worker makes an
    // earlier one, the last runs after it there or elsewhere.
    for (std::size_t n = 0; n + 1 < requests.size(); ++n)
        requests[n].keepField = false;
    for (optics::StarRequest& request : requests) {
        tasks.push_back([request = std::move(request), curve, look, index = static_cast<int>(tasks.size()),
                         onWorker = options.onWorker](optics::StarCalculator& calculator, optics::Progress& progress) {
            base::Result<optics::StarResult> result = calculator.calculate(request, progress);
            // Accepted requests fit; anything else shows as a missing image.
            DrawnStar drawn{result ? std::move(result).value() : optics::StarResult{}, std::nullopt};
            if (onWorker && drawn.result.image)
                onWorker(index, drawn.result, calculator.loops());
            if (curve && drawn.result.image)
                drawn.picture = imaging::DrawStarPicture(drawn.result.image->grid, *curve, look, calculator.loops());
            return drawn;
        });
    }
    start<DrawnStar>(
        std::move(tasks),
        [this, curve, look, deliver = std::move(deliver)](int index, DrawnStar&& drawn) {
            if (!drawn.result.image) {
                cancel();
                return;
            }
            m_model.showCalculation(drawn.result);
            if (drawn.picture)
                m_model.offerPicture(drawn.result.image, curve, look, std::move(*drawn.picture));
            deliver(index, std::move(drawn.result));
            m_model.dropOfferedPicture();
        },
        std::move(finish), std::move(options));
}

void Calculations::startErased(std::vector<Task<std::any>> tasks, std::function<void(int, std::any&)> deliver,
                               std::function<void()> finish, RunOptions options)
{
    // The run still going is superseded.
    cancel();
    auto run = std::make_shared<Run>();
    const int total = static_cast<int>(tasks.size());
    run->values.resize(tasks.size());
    run->origins.resize(tasks.size());
    run->deliver = std::move(deliver);
    run->finish = std::move(finish);
    run->options = std::move(options);
    run->clock.start();
    m_run = run;

    if (total == 0) {
        emit runStarted();
        emit runFinished(run->clock.elapsed());
        if (run->finish)
            run->finish();
        end();
        return;
    }

    if (!m_pool) {
        emit runStarted();
        // One after another on this thread; each value is delivered as it comes.
        for (int index = 0; index < total && m_run == run; ++index) {
            std::any value = tasks[static_cast<std::size_t>(index)](m_calculator, m_status);
            arrived(run, index, std::move(value), {&m_calculator, m_calculator.workspace().spectrumAfterPupil});
        }
        return;
    }

    if (run->options.showProgress) {
        QTimer::singleShot(kProgressDelayMs, this, [this, weak = std::weak_ptr<Run>(run)] {
            const std::shared_ptr<Run> current = weak.lock();
            if (!current || current != m_run)
                return;
            current->progressShown = true;
            emit progressShown(progressText(*current), current->delivered, static_cast<int>(current->values.size()));
        });
    }
    m_stageTimer->start();
    std::vector<std::vector<int>> grouping = run->options.jobs;
    Q_ASSERT(grouping.empty() || GroupsEveryTask(grouping, total));
    if (!GroupsEveryTask(grouping, total)) {
        grouping.clear();
        for (int index = 0; index < total; ++index)
            grouping.push_back({index});
    }
    auto shared = std::make_shared<std::vector<Task<std::any>>>(std::move(tasks));
    std::vector<optics::WorkerPool::Job> jobs;
    jobs.reserve(grouping.size());
    for (std::vector<int>& indices : grouping) {
        jobs.push_back([this, weak = std::weak_ptr<Run>(run), cancelled = run->cancelled, indices = std::move(indices),
                        shared](optics::StarCalculator& calculator) {
            for (const int index : indices) {
                if (cancelled->load())
                    return;
                PostedProgress progress(weak);
                auto value =
                    std::make_shared<std::any>((*shared)[static_cast<std::size_t>(index)](calculator, progress));
                if (cancelled->load())
                    return;
                const Origin origin{&calculator, calculator.workspace().spectrumAfterPupil};
                QMetaObject::invokeMethod(
                    this,
                    [this, weak, index, value, origin] {
                        if (const std::shared_ptr<Run> current = weak.lock())
                            arrived(current, index, std::move(*value), origin);
                    },
                    Qt::QueuedConnection);
            }
        });
    }
    // All at once: queued one by one, the first would wake the workers, which
    // could then keep this thread from queueing the others for a whole task.
    m_pool->submit(std::move(jobs));
    // What goes with the start of a run is done while the workers begin: the
    // values cannot arrive before this thread returns to its event loop.
    emit runStarted();
}

void Calculations::arrived(const std::shared_ptr<Run>& run, int index, std::any value, Origin origin)
{
    if (run != m_run)
        return;
    // The stages given before this value are shown before it, as they came.
    showStages(*run);
    run->values[static_cast<std::size_t>(index)] = std::move(value);
    run->origins[static_cast<std::size_t>(index)] = origin;
    ++run->arrived;
    const int total = static_cast<int>(run->values.size());
    // In order: a view combines the values as the sequential program did.
    while (run == m_run && run->delivered < total && run->values[static_cast<std::size_t>(run->delivered)]) {
        const int next = run->delivered;
        const Origin& origin = run->origins[static_cast<std::size_t>(next)];
        if (!run->options.background) {
            m_lastCalculator = origin.calculator;
            if (origin.wroteSpectrum)
                m_lastSpectrumCalculator = origin.calculator;
        }
        std::any ready = std::move(*run->values[static_cast<std::size_t>(next)]);
        run->values[static_cast<std::size_t>(next)].reset();
        ++run->delivered;
        run->deliver(next, ready);
        if (run == m_run && run->progressShown)
            emit progressChanged(progressText(*run), run->delivered, total);
    }
    if (run == m_run && run->delivered == total) {
        if (!run->options.background)
            emit runFinished(run->clock.elapsed());
        if (run->finish)
            run->finish();
        if (run == m_run)
            end();
    }
}

void Calculations::showStages(Run& run)
{
    std::vector<std::string> stages;
    {
        std::lock_guard lock(run.stageMutex);
        stages.swap(run.stages);
    }
    for (const std::string& name : stages)
        m_status.stage(name);
}

QString Calculations::progressText(const Run& run) const
{
    const int total = static_cast<int>(run.values.size());
    return QStringLiteral("%1 %2 of %3").arg(run.options.item).arg(std::min(run.delivered + 1, total)).arg(total);
}

void Calculations::end()
{
    m_stageTimer->stop();
    m_run.reset();
    emit runEnded();
}

bool Calculations::drawIntermediateNow()
{
    if (!m_run)
        return false;
    const qint64 now = m_run->clock.elapsed();
    if (now - m_run->lastIntermediate < kFrameMs)
        return false;
    m_run->lastIntermediate = now;
    return true;
}

void Calculations::cancel()
{
    if (!m_run)
        return;
    m_run->cancelled->store(true);
    if (m_pool)
        m_pool->dropQueued();
    emit runCancelled();
    end();
}

void Calculations::waitForRuns()
{
    if (m_run) {
        QEventLoop loop;
        connect(this, &Calculations::runEnded, &loop, [&loop, this] {
            if (!m_run)
                loop.quit();
        });
        if (m_run)
            loop.exec();
    }
    // A task of a cancelled run that had started goes on writing its
    // calculator's grids until it ends (its result is thrown away): wait for
    // it, so that the grids read afterwards are the last delivered run's.
    if (m_pool)
        m_pool->waitIdle();
}

}  // namespace app
