#include "app/batch_driver.h"

#include "app/control_names.h"
#include "app/main_window.h"
#include "app/simulation_model.h"
#include "imaging/file_output.h"
#include "imaging/pixel_buffer.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include <optional>
#include <string_view>

namespace app {

namespace {

BatchError error(const QString& text)
{
    return BatchError(text.toStdString());
}

std::optional<ui::MessageButton> parseButton(const QString& text)
{
    const QString t = text.toLower();
    if (t == QLatin1String("ok"))
        return ui::MessageButton::Ok;
    if (t == QLatin1String("cancel"))
        return ui::MessageButton::Cancel;
    if (t == QLatin1String("yes"))
        return ui::MessageButton::Yes;
    if (t == QLatin1String("no"))
        return ui::MessageButton::No;
    return std::nullopt;
}

// A number as a user types it: in the system locale, or with a decimal point
// or comma.
std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(QString(text).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

std::optional<int> parseInteger(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// NAME=VALUE, split at the first '='.
std::pair<QString, QString> splitAssignment(const BatchAction& action)
{
    const int eq = action.argument.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw error(QStringLiteral("%1 needs NAME=VALUE, got \"%2\"").arg(action.name, action.argument));
    return {action.argument.left(eq), action.argument.mid(eq + 1)};
}

// An output file can be written: its folder exists and is writable, and the
// path itself is no folder.
void checkOutput(const QString& path)
{
    if (path.isEmpty())
        throw error(QStringLiteral("an output needs a file name"));
    const QFileInfo file(path);
    if (file.isDir())
        throw error(QStringLiteral("cannot write %1: it is a folder").arg(path));
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        throw error(QStringLiteral("cannot write %1: the folder does not exist").arg(path));
    if (!(file.exists() ? file.isWritable() : folder.isWritable()))
        throw error(QStringLiteral("cannot write %1: permission denied").arg(path));
}

const QStringList kActions = {"--set",          "--check",         "--uncheck",    "--select",
                              "--click",        "--answer",        "--file",       "--filter",
                              "--save-picture", "--dump-controls", "--dump-state", "--dump-grid"};

}  // namespace

BatchDriver::BatchDriver(MainWindow& form, ui::ScriptedDialogService& dialogs)
    : m_form(form), m_dialogs(dialogs)
{
}

QString BatchDriver::usage()
{
    return QStringLiteral(
        "usage: quintalis-batch ACTION...\n"
        "Creates the Quintalis window offscreen and runs the actions in order:\n"
        "  --set NAME=VALUE        type VALUE into a numeric editor (then leave it), or move a slider\n"
        "  --check NAME            tick a check box or choose a radio button\n"
        "  --uncheck NAME          untick a check box\n"
        "  --select NAME=INDEX     choose item INDEX of a drop-down list, or page INDEX of Tabs\n"
        "  --click NAME            click a button, picture or panel\n"
        "  --answer OK|Cancel|Yes|No   answer to the next message box\n"
        "  --file PATH             file the next file dialog returns\n"
        "  --filter N              file type (1-based) the next file dialog returns\n"
        "  --save-picture NAME=PATH    a picture box, StarBuffer or DoubleStarBuffer as PNG\n"
        "  --dump-controls PATH    JSON of every named control\n"
        "  --dump-state PATH       JSON of the engine scalars and flags, status panels,\n"
        "                          labels, plot series, message boxes shown and the\n"
        "                          animation player\n"
        "  --dump-grid NAME=PATH   data area of a grid as a 512 x 512 float64 .npy file\n"
        "                          (ColourGrid: 512 x 512 x 3, red, green, blue)\n"
        "The whole command line is checked before the first action runs.\n");
}

std::vector<BatchAction> BatchDriver::check(const QStringList& arguments) const
{
    std::vector<BatchAction> actions;
    for (int i = 0; i < arguments.size(); i += 2) {
        if (!kActions.contains(arguments[i]))
            throw error(QStringLiteral("unknown action \"%1\"").arg(arguments[i]));
        if (i + 1 >= arguments.size())
            throw error(QStringLiteral("%1 needs an argument").arg(arguments[i]));
        actions.push_back({arguments[i], arguments[i + 1]});
    }
    for (const BatchAction& action : actions)
        checkAction(action);
    return actions;
}

void BatchDriver::checkAction(const BatchAction& action) const
{
    const QString& a = action.name;
    if (a == QLatin1String("--set")) {
        const auto [name, value] = splitAssignment(action);
        QWidget* w = control(name);
        if (qobject_cast<ui::NumberEdit*>(w)) {
            if (!parseNumber(value))
                throw error(QStringLiteral("\"%1\" is not a number for %2").arg(value, name));
        } else if (qobject_cast<QSlider*>(w)) {
            if (!parseInteger(value))
                throw error(QStringLiteral("\"%1\" is not an integer for %2").arg(value, name));
        } else {
            throw error(QStringLiteral("%1 is not a numeric editor or slider").arg(name));
        }
    } else if (a == QLatin1String("--check") || a == QLatin1String("--uncheck")) {
        auto* button = qobject_cast<QAbstractButton*>(control(action.argument));
        if (!button || !button->isCheckable())
            throw error(QStringLiteral("%1 is not a check box or radio button").arg(action.argument));
        if (a == QLatin1String("--uncheck") && qobject_cast<QRadioButton*>(button))
            throw error(QStringLiteral("a radio button is unchecked by choosing another: %1").arg(action.argument));
    } else if (a == QLatin1String("--select")) {
        const auto [name, indexText] = splitAssignment(action);
        QWidget* w = control(name);
        const std::optional<int> index = parseInteger(indexText);
        int count = -1;
        if (auto* combo = qobject_cast<QComboBox*>(w))
            count = combo->count();
        else if (auto* tabs = qobject_cast<QTabWidget*>(w))
            count = tabs->count();
        else
            throw error(QStringLiteral("%1 is not a drop-down list or page control").arg(name));
        if (!index || *index < 0 || *index >= count)
            throw error(QStringLiteral("%1 has no item %2").arg(name, indexText));
    } else if (a == QLatin1String("--click")) {
        control(action.argument);
    } else if (a == QLatin1String("--answer")) {
        if (!parseButton(action.argument))
            throw error(QStringLiteral("--answer takes OK, Cancel, Yes or No, got \"%1\"").arg(action.argument));
    } else if (a == QLatin1String("--filter")) {
        const std::optional<int> n = parseInteger(action.argument);
        if (!n || *n < 1)
            throw error(QStringLiteral("--filter takes a number from 1, got \"%1\"").arg(action.argument));
    } else if (a == QLatin1String("--save-picture")) {
        const auto [name, path] = splitAssignment(action);
        if (name != QLatin1String(names::kStarBuffer) && name != QLatin1String(names::kDoubleStarBuffer))
            control(name);
        checkOutput(path);
    } else if (a == QLatin1String("--dump-controls") || a == QLatin1String("--dump-state")) {
        checkOutput(action.argument);
    } else if (a == QLatin1String("--dump-grid")) {
        const auto [name, path] = splitAssignment(action);
        if (!gridNames().contains(name))
            throw error(QStringLiteral("no grid named \"%1\"").arg(name));
        checkOutput(path);
    }
}

void BatchDriver::run(const QStringList& arguments)
{
    for (const BatchAction& action : check(arguments)) {
        runAction(action);
        QCoreApplication::processEvents();
    }
}

void BatchDriver::runAction(const BatchAction& action)
{
    const QString& a = action.name;
    if (a == QLatin1String("--set")) {
        const auto [name, value] = splitAssignment(action);
        setValue(name, value);
    } else if (a == QLatin1String("--check")) {
        setChecked(action.argument, true);
    } else if (a == QLatin1String("--uncheck")) {
        setChecked(action.argument, false);
    } else if (a == QLatin1String("--select")) {
        const auto [name, index] = splitAssignment(action);
        select(name, index);
    } else if (a == QLatin1String("--click")) {
        click(action.argument);
    } else if (a == QLatin1String("--answer")) {
        m_dialogs.queueAnswer(*parseButton(action.argument));
    } else if (a == QLatin1String("--file")) {
        m_dialogs.queueFile({action.argument, m_pendingFilter > 0 ? m_pendingFilter : 1});
        m_pendingFilter = 0;
    } else if (a == QLatin1String("--filter")) {
        const int n = *parseInteger(action.argument);
        if (!m_dialogs.setLastFileFilter(n))
            m_pendingFilter = n;
    } else if (a == QLatin1String("--save-picture")) {
        const auto [name, path] = splitAssignment(action);
        savePicture(name, path);
    } else if (a == QLatin1String("--dump-controls")) {
        dumpControls(action.argument);
    } else if (a == QLatin1String("--dump-state")) {
        dumpState(action.argument);
    } else if (a == QLatin1String("--dump-grid")) {
        const auto [name, path] = splitAssignment(action);
        dumpGrid(name, path);
    }
}

QWidget* BatchDriver::control(const QString& name) const
{
    if (name == m_form.objectName())
        return &m_form;
    QWidget* w = name.isEmpty() || name.startsWith(QLatin1String("qt_")) ? nullptr
                                                                         : m_form.findChild<QWidget*>(name);
    if (!w)
        throw error(QStringLiteral("no control named \"%1\"").arg(name));
    return w;
}

void BatchDriver::setValue(const QString& name, const QString& value)
{
    QWidget* w = control(name);
    if (auto* edit = qobject_cast<ui::NumberEdit*>(w)) {
        if (edit->typingEnabled()) {
            // Type the text, then move on to the next control as a user would.
            edit->findChild<QLineEdit*>()->setText(value);
            QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(edit, &leave);
        } else {
            // Typing is refused here; the arrows write clamped values.
            edit->setValue(*parseNumber(value));
        }
        return;
    }
    qobject_cast<QSlider*>(w)->setValue(*parseInteger(value));
}

void BatchDriver::setChecked(const QString& name, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(control(name));
    if (button->isChecked() != checked)
        button->click();
}

void BatchDriver::select(const QString& name, const QString& index)
{
    QWidget* w = control(name);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentIndex(index.toInt());
    else
        qobject_cast<QTabWidget*>(w)->setCurrentIndex(index.toInt());
}

void BatchDriver::click(const QString& name)
{
    QWidget* w = control(name);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (!button->isEnabled())
            throw error(QStringLiteral("%1 is disabled").arg(name));
        button->click();
        return;
    }
    const QPointF at(1, 1);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

void BatchDriver::savePicture(const QString& name, const QString& path)
{
    QImage picture;
    if (name == QLatin1String(names::kStarBuffer)) {
        // The drawing surface of the star picture: the picture the display
        // drew last (white before anything was drawn).
        const SimulationModel& model = m_form.model();
        const imaging::PixelBuffer* drawn = model.picture(model.shownPlace());
        picture = ui::imageView(drawn ? *drawn : imaging::PixelBuffer(optics::kPictureSide, optics::kPictureSide))
                      .copy();
    } else if (name == QLatin1String(names::kDoubleStarBuffer)) {
        // The double star as composed (white before it was).
        const auto* box = m_form.findChild<ui::PictureBox*>(QLatin1String(names::kDoubleImage));
        picture = box && box->drawn()
                      ? box->picture().convertToFormat(QImage::Format_RGB888)
                      : ui::imageView(imaging::PixelBuffer(optics::kPictureSide, optics::kPictureSide)).copy();
    } else if (auto* box = qobject_cast<ui::PictureBox*>(control(name))) {
        picture = box->picture();
    } else {
        // Any other control, or the whole window, rendered as on screen.
        QWidget* w = control(name);
        if (w == &m_form && !m_form.isVisible())
            m_form.show();
        picture = w->grab().toImage();
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        throw error(QStringLiteral("cannot write %1: the picture cannot be encoded").arg(path));
    const imaging::WriteResult written = imaging::WriteFile(QFile::encodeName(path).toStdString(),
                                                            std::string_view(png.constData(), png.size()));
    if (!written.ok())
        throw BatchError(written.error);
}

}  // namespace app
