// quintalis-batch: the real window, created offscreen, driven by command-line
// actions. Scripts and regression checks use it to run the program without a
// display.
#include "app/batch_driver.h"
#include "app/main_window.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintalis"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTALIS_VERSION));

    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.contains(QStringLiteral("--help"))) {
        std::fputs(app::BatchDriver::usage().toLocal8Bit().constData(), arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? 2 : 0;
    }

    ui::ScriptedDialogService dialogs;
    app::MainWindow window(dialogs, {optics::WorkerPool::DefaultSize(), false});
    app::BatchDriver driver(window, dialogs);
    if (const base::Status done = driver.run(arguments); !done) {
        std::fprintf(stderr, "quintalis-batch: %s\n", done.error().c_str());
        return 1;
    }
    return 0;
}
