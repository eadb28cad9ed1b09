#include "app/command_line.h"
#include "app/main_window.h"
#include "app/settings_menu.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

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

    // What is left once the toolkit took its own options: a settings file.
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            std::fprintf(stderr, "quintalis: unknown option %s (quintalis --help lists them)\n",
                         argument.toLocal8Bit().constData());
            return 1;
        }
    }
    if (arguments.size() > 1) {
        std::fputs("quintalis: one settings file at a time, please\n", stderr);
        return 1;
    }

    ui::QtDialogService dialogs;
    app::MainWindow window(dialogs, {optics::WorkerPool::DefaultSize(), true, true});
    window.show();
    if (!arguments.isEmpty())
        QTimer::singleShot(0, &window, [&window, file = arguments.front()] { window.settingsMenu().openSettingsFile(file); });
    return QApplication::exec();
}
