#include "app/batch_driver.h"

#include "app/command_line.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/tests_page.h"
#include "app/settings_menu.h"
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
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include <cmath>
#include <optional>
#include <string_view>

namespace app {

namespace {

base::Failure failure(const QString& text)
{
    return base::Fail(text.toStdString());
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
// or comma. "inf", "nan" and numbers beyond the range of doubles are none,
// as the editors read them.
std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(QString(text).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<int> parseInteger(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// NAME=VALUE, split at the first '='.
struct Assignment {
    QString name;
    QString value;
};

base::Result<Assignment> splitAssignment(const BatchAction& action)
{
    const int eq = action.argument.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return failure(QStringLiteral("%1 needs NAME=VALUE, got \"%2\"").arg(action.name, action.argument));
    return Assignment{action.argument.left(eq), action.argument.mid(eq + 1)};
}

// An output file can be written: its folder exists and is writable, and the
// path itself is no folder.
base::Status checkOutput(const QString& path)
{
    if (path.isEmpty())
        return failure(QStringLiteral("an output needs a file name"));
    const QFileInfo file(path);
    if (file.isDir())
        return failure(QStringLiteral("cannot write %1: it is a folder").arg(path));
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return failure(QStringLiteral("cannot write %1: the folder does not exist").arg(path));
    // In the words of the writer (imaging::WriteFile), which refuses the same.
    if (file.exists() && !file.isWritable())
        return failure(QStringLiteral("cannot write %1: it is read-only").arg(path));
    if (!file.exists() && !folder.isWritable())
        return failure(QStringLiteral("cannot write %1: permission denied").arg(path));
    return base::Done();
}

const QStringList kActions = {"--set",          "--check",         "--uncheck",    "--select",
                              "--click",        "--answer",        "--file",       "--filter",
                              "--save-picture", "--dump-controls", "--dump-state", "--dump-grid",
                              "--wait",         "--type",          "--load-settings", "--save-settings"};

// Whether an action waits for the calculations started before it.
bool waitsForRuns(const BatchAction& action)
{
    if (action.name == QLatin1String("--wait"))
        return false;
    return !(action.name == QLatin1String("--click") && action.argument == QLatin1String(names::kRunCancel));
}

}  // namespace

BatchDriver::BatchDriver(MainWindow& form, ui::ScriptedDialogService& dialogs)
    : m_form(form), m_dialogs(dialogs)
{
}

QString BatchDriver::usage()
{
    return BatchHelp();
}

base::Result<std::vector<BatchAction>> BatchDriver::check(const QStringList& arguments) const
{
    std::vector<BatchAction> actions;
    for (int i = 0; i < arguments.size(); i += 2) {
        if (!kActions.contains(arguments[i]))
            return failure(QStringLiteral("unknown action \"%1\"").arg(arguments[i]));
        if (i + 1 >= arguments.size())
            return failure(QStringLiteral("%1 needs an argument").arg(arguments[i]));
        actions.push_back({arguments[i], arguments[i + 1]});
    }
    for (const BatchAction& action : actions)
        if (base::Status checked = checkAction(action); !checked)
            return base::Fail(checked.error());
    return actions;
}

base::Status BatchDriver::checkAction(const BatchAction& action) const
{
    const QString& a = action.name;
    if (a == QLatin1String("--set")) {
        const base::Result<Assignment> set = splitAssignment(action);
        if (!set)
            return base::Fail(set.error());
        const base::Result<QWidget*> w = control(set->name);
        if (!w)
            return base::Fail(w.error());
        if (qobject_cast<ui::NumberEdit*>(*w)) {
            if (!parseNumber(set->value))
                return failure(QStringLiteral("\"%1\" is not a number for %2").arg(set->value, set->name));
        } else if (qobject_cast<QSlider*>(*w)) {
            if (!parseInteger(set->value))
                return failure(QStringLiteral("\"%1\" is not an integer for %2").arg(set->value, set->name));
        } else {
            return failure(QStringLiteral("%1 is not a numeric editor or slider").arg(set->name));
        }
    } else if (a == QLatin1String("--type")) {
        const base::Result<Assignment> typed = splitAssignment(action);
        if (!typed)
            return base::Fail(typed.error());
        const base::Result<QWidget*> w = control(typed->name);
        if (!w)
            return base::Fail(w.error());
        if (!qobject_cast<ui::NumberEdit*>(*w))
            return failure(QStringLiteral("%1 is not an editor").arg(typed->name));
    } else if (a == QLatin1String("--check") || a == QLatin1String("--uncheck")) {
        const base::Result<QWidget*> w = control(action.argument);
        if (!w)
            return base::Fail(w.error());
        auto* button = qobject_cast<QAbstractButton*>(*w);
        if (!button || !button->isCheckable())
            return failure(QStringLiteral("%1 is not a check box or radio button").arg(action.argument));
        if (a == QLatin1String("--uncheck") && qobject_cast<QRadioButton*>(button))
            return failure(QStringLiteral("a radio button is unchecked by choosing another: %1").arg(action.argument));
    } else if (a == QLatin1String("--select")) {
        const base::Result<Assignment> choice = splitAssignment(action);
        if (!choice)
            return base::Fail(choice.error());
        const base::Result<QWidget*> w = control(choice->name);
        if (!w)
            return base::Fail(w.error());
        const std::optional<int> index = parseInteger(choice->value);
        int count = -1;
        if (auto* combo = qobject_cast<QComboBox*>(*w))
            count = combo->count();
        else if (auto* tabs = qobject_cast<QTabWidget*>(*w))
            count = tabs->count();
        else
            return failure(QStringLiteral("%1 is not a drop-down list or page control").arg(choice->name));
        if (!index || *index < 0 || *index >= count)
            return failure(QStringLiteral("%1 has no item %2").arg(choice->name, choice->value));
    } else if (a == QLatin1String("--click")) {
        if (const base::Result<QWidget*> w = control(action.argument); !w)
            return base::Fail(w.error());
        if (action.argument == QLatin1String(names::kFileButton))
            return failure(QStringLiteral("%1 opens a menu; use --load-settings or --save-settings").arg(action.argument));
    } else if (a == QLatin1String("--load-settings")) {
        if (action.argument.isEmpty())
            return failure(QStringLiteral("--load-settings needs a file name"));
    } else if (a == QLatin1String("--save-settings")) {
        return checkOutput(action.argument);
    } else if (a == QLatin1String("--answer")) {
        if (!parseButton(action.argument))
            return failure(QStringLiteral("--answer takes OK, Cancel, Yes or No, got \"%1\"").arg(action.argument));
    } else if (a == QLatin1String("--filter")) {
        const std::optional<int> n = parseInteger(action.argument);
        if (!n || *n < 1)
            return failure(QStringLiteral("--filter takes a number from 1, got \"%1\"").arg(action.argument));
    } else if (a == QLatin1String("--wait")) {
        const std::optional<int> ms = parseInteger(action.argument);
        if (!ms || *ms < 0)
            return failure(QStringLiteral("--wait takes milliseconds, got \"%1\"").arg(action.argument));
    } else if (a == QLatin1String("--save-picture")) {
        const base::Result<Assignment> save = splitAssignment(action);
        if (!save)
            return base::Fail(save.error());
        if (save->name != QLatin1String(names::kStarBuffer) && save->name != QLatin1String(names::kDoubleStarBuffer))
            if (const base::Result<QWidget*> w = control(save->name); !w)
                return base::Fail(w.error());
        return checkOutput(save->value);
    } else if (a == QLatin1String("--dump-controls") || a == QLatin1String("--dump-state")) {
        return checkOutput(action.argument);
    } else if (a == QLatin1String("--dump-grid")) {
        const base::Result<Assignment> dump = splitAssignment(action);
        if (!dump)
            return base::Fail(dump.error());
        if (!gridNames().contains(dump->name))
            return failure(QStringLiteral("no grid named \"%1\"").arg(dump->name));
        return checkOutput(dump->value);
    }
    return base::Done();
}

base::Status BatchDriver::run(const QStringList& arguments)
{
    const base::Result<std::vector<BatchAction>> actions = check(arguments);
    m_failures.clear();
    if (!actions)
        return base::Fail(actions.error());
    m_messagesSeen = m_dialogs.shown().size();
    m_unansweredSeen = m_dialogs.unansweredFileDialogs();
    // What the dialogs take between the start of one action and the start of
    // the next belongs to the first: the action itself and the runs it set
    // going.
    const BatchAction* current = nullptr;
    int number = 0;
    for (const BatchAction& action : *actions) {
        if (waitsForRuns(action))
            m_form.waitForRuns();
        if (current)
            collectFailures(*current, number);
        current = &action;
        ++number;
        if (base::Status done = runAction(action); !done)
            m_failures << QStringLiteral("%1 %2 (action %3): %4")
                              .arg(action.name, action.argument)
                              .arg(number)
                              .arg(QString::fromStdString(done.error()));
        QCoreApplication::processEvents();
    }
    m_form.waitForRuns();
    if (current)
        collectFailures(*current, number);
    if (m_failures.isEmpty())
        return base::Done();
    return failure(m_failures.size() == 1 ? m_failures.front()
                                          : QStringLiteral("%1 actions went wrong").arg(m_failures.size()));
}

void BatchDriver::collectFailures(const BatchAction& action, int number)
{
    const QString which = QStringLiteral("%1 %2 (action %3): ").arg(action.name, action.argument).arg(number);
    const auto& shown = m_dialogs.shown();
    for (std::size_t n = m_messagesSeen; n < shown.size(); ++n)
        if (shown[n].kind == ui::MessageKind::Error || shown[n].refusal)
            m_failures << which + shown[n].text;
    m_messagesSeen = shown.size();
    for (int n = m_unansweredSeen; n < m_dialogs.unansweredFileDialogs(); ++n)
        m_failures << which + QStringLiteral("a file dialog came up and no --file was given for it");
    m_unansweredSeen = m_dialogs.unansweredFileDialogs();
}

base::Status BatchDriver::runAction(const BatchAction& action)
{
    // The line was checked: names, values and assignments are all there.
    const QString& a = action.name;
    if (a == QLatin1String("--set")) {
        const Assignment set = *splitAssignment(action);
        setValue(*control(set.name), set.value);
    } else if (a == QLatin1String("--type")) {
        const Assignment typed = *splitAssignment(action);
        typeInto(*control(typed.name), typed.value);
    } else if (a == QLatin1String("--check")) {
        setChecked(*control(action.argument), true);
    } else if (a == QLatin1String("--uncheck")) {
        setChecked(*control(action.argument), false);
    } else if (a == QLatin1String("--select")) {
        const Assignment choice = *splitAssignment(action);
        select(*control(choice.name), choice.value);
    } else if (a == QLatin1String("--click")) {
        return click(action.argument, *control(action.argument));
    } else if (a == QLatin1String("--answer")) {
        m_dialogs.queueAnswer(*parseButton(action.argument));
    } else if (a == QLatin1String("--file")) {
        // Without --filter the dialog's own choice stands.
        m_dialogs.queueFile({action.argument, m_pendingFilter});
        m_pendingFilter = 0;
    } else if (a == QLatin1String("--filter")) {
        const int n = *parseInteger(action.argument);
        if (!m_dialogs.setLastFileFilter(n))
            m_pendingFilter = n;
    } else if (a == QLatin1String("--save-picture")) {
        const Assignment save = *splitAssignment(action);
        // The Tests page's pictures wait for the page while it is not on show.
        if (save.name == QLatin1String(names::kRonchiImage) || save.name == QLatin1String(names::kKnifeImage)
            || save.name == QLatin1String(names::kFringeImage))
            bringTestsUpToDate();
        return savePicture(save.name, save.value);
    } else if (a == QLatin1String("--dump-controls")) {
        return dumpControls(action.argument);
    } else if (a == QLatin1String("--dump-state")) {
        bringTestsUpToDate();
        return dumpState(action.argument);
    } else if (a == QLatin1String("--dump-grid")) {
        const Assignment dump = *splitAssignment(action);
        return dumpGrid(dump.name, dump.value);
    } else if (a == QLatin1String("--load-settings")) {
        const base::Result<QStringList> notes = m_form.settingsMenu().load(action.argument);
        if (!notes)
            return base::Fail(notes.error());
        // Values left out or adjusted: the file did not load as it stands.
        if (!notes->isEmpty())
            return failure(notes->join(QStringLiteral("; ")));
    } else if (a == QLatin1String("--save-settings")) {
        return m_form.settingsMenu().save(action.argument);
    } else if (a == QLatin1String("--wait")) {
        QEventLoop loop;
        QTimer::singleShot(*parseInteger(action.argument), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return base::Done();
}

base::Result<QWidget*> BatchDriver::control(const QString& name) const
{
    if (name == m_form.objectName())
        return static_cast<QWidget*>(&m_form);
    QWidget* w = name.isEmpty() || name.startsWith(QLatin1String("qt_")) ? nullptr
                                                                         : m_form.findChild<QWidget*>(name);
    if (!w)
        return failure(QStringLiteral("no control named \"%1\"").arg(name));
    return w;
}

void BatchDriver::setValue(QWidget* w, const QString& value)
{
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

void BatchDriver::typeInto(QWidget* w, const QString& text)
{
    // Everything selected, then key by key: what the editor refuses a user
    // could not type either. Then on to the next control.
    auto* edit = qobject_cast<ui::NumberEdit*>(w);
    edit->findChild<QLineEdit*>()->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
    }
    if (text.isEmpty()) {
        QKeyEvent erase(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(edit, &erase);
    }
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &leave);
}

void BatchDriver::setChecked(QWidget* w, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (button->isChecked() != checked)
        button->click();
}

void BatchDriver::select(QWidget* w, const QString& index)
{
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentIndex(index.toInt());
    else
        qobject_cast<QTabWidget*>(w)->setCurrentIndex(index.toInt());
}

base::Status BatchDriver::click(const QString& name, QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (!button->isEnabled())
            return failure(QStringLiteral("%1 is disabled").arg(name));
        button->click();
        return base::Done();
    }
    const QPointF at(1, 1);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    return base::Done();
}

void BatchDriver::bringTestsUpToDate()
{
    if (auto* tests = m_form.findChild<TestsPage*>())
        tests->bringUpToDate();
}

base::Status BatchDriver::savePicture(const QString& name, const QString& path)
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
    } else {
        QWidget* w = *control(name);
        if (auto* box = qobject_cast<ui::PictureBox*>(w)) {
            picture = box->picture();
        } else {
            // Any other control, or the whole window, rendered as on screen.
            if (w == &m_form && !m_form.isVisible())
                m_form.show();
            picture = w->grab().toImage();
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return failure(QStringLiteral("cannot write %1: the picture cannot be encoded").arg(path));
    return imaging::WriteFile(QFile::encodeName(path).toStdString(), std::string_view(png.constData(), png.size()));
}

}  // namespace app
