#include "app/command_line.h"
#include "app/main_window.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // Help and version need no display.
    if (const std::optional<int> answered =
            app::AnswerInformationOptions(argc, argv, QStringLiteral("quintalis"), app::ProgramHelp()))
        return *answered;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintalis"));
    QApplication::setOrganizationName(QStringLiteral("Quintalis"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quintalis"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTALIS_VERSION));
    // Ties the window to its menu entry and, when installed, its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quintalis.Quintalis"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quintalis.Quintalis")));

    ui::QtDialogService dialogs;
    app::MainWindow window(dialogs, {optics::WorkerPool::DefaultSize(), true, true});
    window.show();
    return QApplication::exec();
}
