#include "app/main_window.h"
#include "optics/engine.h"
#include "ui/dialog_service.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintalis"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quintalis"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTALIS_VERSION));
    // Ties the window to its menu entry and, when installed, its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quintalis.Quintalis"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quintalis.Quintalis")));

    // All numeric state lives here, allocated once for the life of the program.
    const std::unique_ptr<optics::Engine> engine = optics::Engine::Create();
    ui::QtDialogService dialogs;
    app::TForm1 form(*engine, dialogs);
    form.show();
    return QApplication::exec();
}
