// quintalis-batch: the real window, created offscreen, driven by command-line
// actions. Scripts and regression checks use it to run the program without a
// display.
#include "app/batch_driver.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    const QString program = QStringLiteral("quintalis-batch");
    if (const std::optional<int> answered = app::AnswerInformationOptions(argc, argv, program, app::BatchHelp()))
        return *answered;
    if (argc < 2) {
        std::fputs(app::BatchHelp().toLocal8Bit().constData(), stderr);
        return 1;
    }
    app::QuietenRuntimeFolderNote();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintalis"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTALIS_VERSION));

    ui::ScriptedDialogService dialogs;
    app::MainWindow window(dialogs, {optics::WorkerPool::DefaultSize(), false});
    app::BatchDriver driver(window, dialogs);
    if (const base::Status done = driver.run(QApplication::arguments().mid(1)); !done) {
        // A line refused before anything ran, or the actions that went wrong.
        if (driver.failures().isEmpty()) {
            std::fprintf(stderr, "quintalis-batch: %s\n", done.error().c_str());
            return 1;
        }
        for (const QString& failure : driver.failures())
            std::fprintf(stderr, "quintalis-batch: %s\n", failure.toLocal8Bit().constData());
        return 2;
    }
    return 0;
}
