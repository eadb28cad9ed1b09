#include "app/command_line.h"

#include <QtGlobal>

#include <cstdio>
#include <cstring>

#ifndef QUINTALIS_HOMEPAGE
#define QUINTALIS_HOMEPAGE "https://quintalis.org/"
#endif
#ifndef QUINTALIS_BUG_TRACKER
#define QUINTALIS_BUG_TRACKER "https://quintalis.org/bugs/"
#endif

namespace app {

QString Homepage()
{
    return QStringLiteral(QUINTALIS_HOMEPAGE);
}

QString BugTracker()
{
    return QStringLiteral(QUINTALIS_BUG_TRACKER);
}

QString VersionText(const QString& program)
{
    return program + QStringLiteral(" " QUINTALIS_VERSION);
}

QString ProgramHelp()
{
    return QStringLiteral(
               "Usage: quintalis [OPTION]... [SETTINGS_FILE]\n"
               "Simulates the star test of a telescope with imperfect optics.\n"
               "\n"
               "Quintalis shows what a star, a close double star or a planet looks like\n"
               "through a telescope whose optics are not perfect: defocus, coma,\n"
               "astigmatism, spherical aberration, tube currents, pinched optics, a\n"
               "turned-down edge, turbulence and mirror roughness. It draws the star\n"
               "image, the PSF and MTF plots and the wavefront map.\n"
               "\n"
               "With SETTINGS_FILE (a .quintalis file saved by the program, or a PNG picture\n"
               "it saved) the window opens with the values it holds.\n"
               "\n"
               "Options:\n"
               "  -h, --help      print this help and exit\n"
               "  -v, --version   print the version and exit\n"
               "  -platform NAME  the toolkit's window system (xcb, wayland, offscreen); the\n"
               "                  toolkit's other options (-style, -display, ...) work too\n"
               "\n"
               "Files:\n"
               "  ~/.config/Quintalis/Quintalis.conf\n"
               "                  the folder used last, the recent settings files, the\n"
               "                  window's scale and the Live box\n"
               "  share/quintalis/mars.jpg\n"
               "                  the planet picture shown at start (looked for in the working\n"
               "                  folder, beside the program, then in share/quintalis)\n"
               "\n"
               "See also:\n"
               "  quintalis-batch(1) runs the same window without a display.\n"
               "\n"
               "Reporting faults:\n"
               "  Questions and fault reports go to %1 (please give the\n"
               "  version and, where it helps, the settings file).\n"
               "  Homepage: %2\n")
        .arg(BugTracker(), Homepage());
}

QString BatchHelp()
{
    return QStringLiteral(
               "Usage: quintalis-batch ACTION...\n"
               "Runs the Quintalis window without a display, driven by actions.\n"
               "\n"
               "quintalis-batch creates the real window offscreen and runs the actions of its\n"
               "command line in order, as a user would: typing into editors, ticking boxes,\n"
               "clicking buttons, answering message boxes and file dialogs. Controls are\n"
               "named as in the window; --dump-controls lists every name. The whole command\n"
               "line is checked before the first action runs. Every action waits for the\n"
               "calculations started before it to end, except --wait and --click RunCancel.\n"
               "\n"
               "Actions:\n"
               "  --set NAME=VALUE        type VALUE into a numeric editor and leave it (editors\n"
               "                          that refuse typing are stepped); or move a slider\n"
               "                          e.g. --set FocusSpin=3\n"
               "  --type NAME=TEXT        type TEXT into an editor key by key, then leave it\n"
               "                          e.g. --type ApertureSpin=8\n"
               "  --check NAME            tick a check box, or choose a radio button\n"
               "                          e.g. --check PSFMTFCheck\n"
               "  --uncheck NAME          untick a check box\n"
               "                          e.g. --uncheck AnimationLoop\n"
               "  --select NAME=INDEX     choose item INDEX (from 0) of a drop-down list, or\n"
               "                          page INDEX of Tabs\n"
               "                          e.g. --select Tabs=5\n"
               "  --click NAME            click a button, a picture or a panel (FileButton\n"
               "                          opens a menu: use --load-settings, --save-settings)\n"
               "                          e.g. --click CalculateButton\n"
               "  --answer OK|Cancel|Yes|No\n"
               "                          the answer to the next message box (unanswered boxes\n"
               "                          take their first button)\n"
               "                          e.g. --answer Cancel --click Button1\n"
               "  --file PATH             the file the next file dialog returns\n"
               "                          e.g. --file assets/saturn.jpg --click BitBtn4\n"
               "  --filter N              the file type (from 1) the next file dialog returns;\n"
               "                          without it the type the dialog offers (PNG for\n"
               "                          pictures)\n"
               "                          e.g. --file star --filter 2 --click SpeedButton1\n"
               "  --save-picture NAME=PATH\n"
               "                          a picture box, StarBuffer, DoubleStarBuffer or any\n"
               "                          other control (Form1: the whole window) as PNG\n"
               "                          e.g. --save-picture StarImage=star.png\n"
               "  --dump-controls PATH    JSON of every named control: kind, caption, text,\n"
               "                          value, range, visible, enabled, checked, hint\n"
               "                          e.g. --dump-controls controls.json\n"
               "  --dump-state PATH       JSON of the engine scalars and flags, the status bar,\n"
               "                          the labels, the plot series, the message boxes shown\n"
               "                          and the animation player\n"
               "                          e.g. --dump-state state.json\n"
               "  --dump-grid NAME=PATH   the data area of a grid as a 512 x 512 float64 .npy\n"
               "                          file (ColourGrid: 512 x 512 x 3, red, green, blue)\n"
               "                          e.g. --dump-grid StarGrid=star.npy\n"
               "  --wait MS               let the window run for MS milliseconds\n"
               "                          e.g. --click BitBtn1 --wait 500\n"
               "  --load-settings PATH    set the controls as a settings file (or a PNG picture\n"
               "                          the program saved) says\n"
               "                          e.g. --load-settings reflector.quintalis\n"
               "  --save-settings PATH    save every control's value in a settings file\n"
               "                          e.g. --save-settings reflector.quintalis\n"
               "\n"
               "Options:\n"
               "  -h, --help              print this help and exit\n"
               "  -v, --version           print the version and exit\n"
               "\n"
               "Exit status:\n"
               "  0                       every action did what it was asked\n"
               "  1                       the command line was refused: nothing ran and\n"
               "                          nothing was written\n"
               "  2                       every action ran, but some ended in an error\n"
               "                          message, a refused run, a file dialog without a\n"
               "                          --file or a failed write; standard error names them\n"
               "\n"
               "Examples:\n"
               "  The star of an 8-inch reflector with 25 % obstruction, as a picture and a grid:\n"
               "    quintalis-batch --set ApertureSpin=8 --set ObsSpin=25 \\\n"
               "      --click CalculateButton --save-picture StarImage=star.png \\\n"
               "      --dump-grid StarGrid=star.npy\n"
               "  Saturn through the same telescope with spherical aberration:\n"
               "    quintalis-batch --set ApertureSpin=8 --set SphericalSpin=0.5 \\\n"
               "      --file saturn.jpg --click BitBtn4 --click ConvoluteInColor \\\n"
               "      --save-picture Planetaberrate=saturn.png\n"
               "  A focus animation saved as an animated GIF:\n"
               "    quintalis-batch --click BitBtn1 --file focus.gif --click BitBtn5\n"
               "\n"
               "See also:\n"
               "  quintalis(1), the window itself.\n"
               "\n"
               "Reporting faults:\n"
               "  Fault reports go to %1.\n")
        .arg(BugTracker());
}

std::optional<int> AnswerInformationOptions(int argc, char** argv, const QString& program, const QString& help)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(help.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0 || std::strcmp(a, "-v") == 0) {
            std::fputs((VersionText(program) + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    return std::nullopt;
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

void dropRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

}  // namespace

void QuietenRuntimeFolderNote()
{
    g_previousHandler = qInstallMessageHandler(dropRuntimeFolderNote);
}

}  // namespace app
