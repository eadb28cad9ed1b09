#include "app/batch_driver.h"

#include "app/main_window.h"
#include "imaging/file_output.h"
#include "imaging/pixel_buffer.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include <qcustomplot.h>

#include <cstring>
#include <functional>
#include <map>
#include <string_view>

namespace app {

namespace {

QString kindOf(const QWidget* w)
{
    if (qobject_cast<const ui::NumberEdit*>(w))
        return QStringLiteral("number");
    if (qobject_cast<const QRadioButton*>(w))
        return QStringLiteral("radio");
    if (qobject_cast<const QCheckBox*>(w))
        return QStringLiteral("checkbox");
    if (qobject_cast<const QAbstractButton*>(w))
        return QStringLiteral("button");
    if (qobject_cast<const QSlider*>(w))
        return QStringLiteral("slider");
    if (qobject_cast<const QComboBox*>(w))
        return QStringLiteral("combobox");
    if (qobject_cast<const QLabel*>(w))
        return QStringLiteral("label");
    if (qobject_cast<const ui::PictureBox*>(w))
        return QStringLiteral("picture");
    if (qobject_cast<const QGroupBox*>(w))
        return QStringLiteral("group");
    if (qobject_cast<const QTabWidget*>(w))
        return QStringLiteral("tabs");
    if (qobject_cast<const QCustomPlot*>(w))
        return QStringLiteral("plot");
    if (qobject_cast<const QFrame*>(w))
        return QStringLiteral("panel");
    return QStringLiteral("widget");
}

// Visible as the user would see it once its page is shown: the control and
// every parent up to its page (or the window) are not hidden.
bool visibleOnItsPage(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w; p && p != window; p = p->parentWidget()) {
        if (qobject_cast<const QStackedWidget*>(p->parentWidget()))
            return !w->isHidden() || p == w;
        if (p->isHidden())
            return false;
    }
    return true;
}

bool isControlName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

QJsonValue jsonNumber(double v)
{
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QString::number(v));
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

}  // namespace

BatchDriver::BatchDriver(TForm1& form, ui::ScriptedDialogService& dialogs)
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
        "                          labels, plot series and message boxes shown\n"
        "  --dump-grid NAME=PATH   data area of a grid as a 512 x 512 float64 .npy file\n");
}

std::pair<QString, QString> BatchDriver::splitAssignment(const QString& argument, const QString& action)
{
    const int eq = argument.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw BatchError(QStringLiteral("%1 needs NAME=VALUE, got \"%2\"").arg(action, argument).toStdString());
    return {argument.left(eq), argument.mid(eq + 1)};
}

void BatchDriver::run(const QStringList& arguments)
{
    static const QStringList withArgument = {"--set",    "--check",       "--uncheck",       "--select",
                                             "--click",  "--answer",      "--file",          "--filter",
                                             "--save-picture", "--dump-controls", "--dump-state", "--dump-grid"};
    // The whole command line is checked before anything runs, so a typing
    // error in a late action does not leave half the work done.
    for (int i = 0; i < arguments.size(); i += 2) {
        if (!withArgument.contains(arguments[i]))
            throw BatchError(QStringLiteral("unknown action \"%1\"").arg(arguments[i]).toStdString());
        if (i + 1 >= arguments.size())
            throw BatchError(QStringLiteral("%1 needs an argument").arg(arguments[i]).toStdString());
    }
    for (int i = 0; i < arguments.size(); i += 2) {
        runAction(arguments[i], arguments[i + 1]);
        QCoreApplication::processEvents();
    }
}

void BatchDriver::runAction(const QString& action, const QString& argument)
{
    if (action == QLatin1String("--set")) {
        auto [name, value] = splitAssignment(argument, action);
        setValue(name, value);
    } else if (action == QLatin1String("--check")) {
        setChecked(argument, true);
    } else if (action == QLatin1String("--uncheck")) {
        setChecked(argument, false);
    } else if (action == QLatin1String("--select")) {
        auto [name, index] = splitAssignment(argument, action);
        select(name, index);
    } else if (action == QLatin1String("--click")) {
        click(argument);
    } else if (action == QLatin1String("--answer")) {
        const auto button = parseButton(argument);
        if (!button)
            throw BatchError(QStringLiteral("--answer takes OK, Cancel, Yes or No, got \"%1\"").arg(argument).toStdString());
        m_dialogs.queueAnswer(*button);
    } else if (action == QLatin1String("--file")) {
        m_dialogs.queueFile({argument, m_pendingFilter > 0 ? m_pendingFilter : 1});
        m_pendingFilter = 0;
    } else if (action == QLatin1String("--filter")) {
        bool ok = false;
        const int n = argument.toInt(&ok);
        if (!ok || n < 1)
            throw BatchError(QStringLiteral("--filter takes a number from 1, got \"%1\"").arg(argument).toStdString());
        if (!m_dialogs.setLastFileFilter(n))
            m_pendingFilter = n;
    } else if (action == QLatin1String("--save-picture")) {
        auto [name, path] = splitAssignment(argument, action);
        savePicture(name, path);
    } else if (action == QLatin1String("--dump-controls")) {
        dumpControls(argument);
    } else if (action == QLatin1String("--dump-state")) {
        dumpState(argument);
    } else if (action == QLatin1String("--dump-grid")) {
        auto [name, path] = splitAssignment(argument, action);
        dumpGrid(name, path);
    }
}

QWidget* BatchDriver::control(const QString& name) const
{
    if (name == m_form.objectName())
        return &m_form;
    QWidget* w = m_form.findChild<QWidget*>(name);
    if (!w || !isControlName(name))
        throw BatchError(QStringLiteral("no control named \"%1\"").arg(name).toStdString());
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
            bool ok = false;
            double v = QLocale().toDouble(value, &ok);
            if (!ok)
                v = QLocale::c().toDouble(value, &ok);
            if (!ok)
                throw BatchError(QStringLiteral("\"%1\" is not a number for %2").arg(value, name).toStdString());
            edit->setValue(v);
        }
        return;
    }
    if (auto* slider = qobject_cast<QSlider*>(w)) {
        bool ok = false;
        const int v = value.toInt(&ok);
        if (!ok)
            throw BatchError(QStringLiteral("\"%1\" is not an integer for %2").arg(value, name).toStdString());
        slider->setValue(v);
        return;
    }
    throw BatchError(QStringLiteral("%1 is a %2, not a numeric editor or slider").arg(name, kindOf(w)).toStdString());
}

void BatchDriver::setChecked(const QString& name, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(control(name));
    if (!button || !button->isCheckable())
        throw BatchError(QStringLiteral("%1 is not a check box or radio button").arg(name).toStdString());
    if (!checked && qobject_cast<QRadioButton*>(button))
        throw BatchError(QStringLiteral("a radio button is unchecked by choosing another: %1").arg(name).toStdString());
    if (button->isChecked() != checked)
        button->click();
}

void BatchDriver::select(const QString& name, const QString& indexText)
{
    QWidget* w = control(name);
    bool ok = false;
    const int index = indexText.toInt(&ok);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (!ok || index < 0 || index >= combo->count())
            throw BatchError(QStringLiteral("%1 has no item %2").arg(name, indexText).toStdString());
        combo->setCurrentIndex(index);
        return;
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        if (!ok || index < 0 || index >= tabs->count())
            throw BatchError(QStringLiteral("%1 has no page %2").arg(name, indexText).toStdString());
        tabs->setCurrentIndex(index);
        return;
    }
    throw BatchError(QStringLiteral("%1 is not a drop-down list or page control").arg(name).toStdString());
}

void BatchDriver::click(const QString& name)
{
    QWidget* w = control(name);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (!button->isEnabled())
            throw BatchError(QStringLiteral("%1 is disabled").arg(name).toStdString());
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
    if (name == QLatin1String("StarBuffer") || name == QLatin1String("DoubleStarBuffer")) {
        const auto& buffer = name == QLatin1String("StarBuffer") ? m_form.StarBuffer : m_form.DoubleStarBuffer;
        if (!buffer)
            throw BatchError(QStringLiteral("%1 does not exist").arg(name).toStdString());
        picture = ui::imageView(*buffer).copy();
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
        throw BatchError(QStringLiteral("cannot write %1: the picture cannot be encoded").arg(path).toStdString());
    const imaging::WriteResult written = imaging::WriteFile(QFile::encodeName(path).toStdString(),
                                                            std::string_view(png.constData(), png.size()));
    if (!written.ok())
        throw BatchError(written.error);
}

namespace {

void writeJson(const QString& path, const QJsonObject& root)
{
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);
    const imaging::WriteResult written = imaging::WriteFile(QFile::encodeName(path).toStdString(),
                                                            std::string_view(json.constData(), json.size()));
    if (!written.ok())
        throw BatchError(written.error);
}

}  // namespace

void BatchDriver::dumpControls(const QString& path) const
{
    QJsonObject controls;
    const auto widgets = m_form.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const QString name = w->objectName();
        if (!isControlName(name) || qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        QJsonObject c;
        c[QStringLiteral("kind")] = kindOf(w);
        c[QStringLiteral("caption")] = ui::captionOf(w);
        c[QStringLiteral("visible")] = visibleOnItsPage(w, &m_form);
        c[QStringLiteral("enabled")] = w->isEnabled();
        c[QStringLiteral("hint")] = ui::hintOf(w);
        c[QStringLiteral("tooltip")] = ui::showsTooltip(w);
        const QRect g = w->geometry();
        c[QStringLiteral("geometry")] = QJsonArray{g.x(), g.y(), g.width(), g.height()};
        if (auto* edit = qobject_cast<ui::NumberEdit*>(w)) {
            c[QStringLiteral("text")] = edit->text();
            c[QStringLiteral("value")] = jsonNumber(edit->value());
            c[QStringLiteral("type")] = edit->valueType() == ui::NumberEdit::ValueType::Integer ? "integer" : "float";
            c[QStringLiteral("decimals")] = edit->decimals();
            c[QStringLiteral("min")] = edit->minimum();
            c[QStringLiteral("max")] = edit->maximum();
            c[QStringLiteral("step")] = edit->step();
            c[QStringLiteral("typing")] = edit->typingEnabled();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            c[QStringLiteral("text")] = button->text();
            if (button->isCheckable())
                c[QStringLiteral("checked")] = button->isChecked();
        } else if (auto* slider = qobject_cast<QSlider*>(w)) {
            c[QStringLiteral("value")] = slider->value();
            c[QStringLiteral("min")] = slider->minimum();
            c[QStringLiteral("max")] = slider->maximum();
            c[QStringLiteral("step")] = slider->singleStep();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            c[QStringLiteral("value")] = combo->currentIndex();
            c[QStringLiteral("text")] = combo->currentText();
            QJsonArray items;
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            c[QStringLiteral("items")] = items;
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            c[QStringLiteral("text")] = label->text();
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            c[QStringLiteral("value")] = tabs->currentIndex();
            QJsonArray pages;
            for (int i = 0; i < tabs->count(); ++i)
                pages.append(tabs->tabText(i));
            c[QStringLiteral("items")] = pages;
        } else if (auto* box = qobject_cast<ui::PictureBox*>(w)) {
            c[QStringLiteral("picture")] = QJsonArray{box->picture().width(), box->picture().height()};
        }
        controls[name] = c;
    }
    writeJson(path, QJsonObject{{QStringLiteral("controls"), controls}});
}

void BatchDriver::dumpState(const QString& path) const
{
    const optics::Engine& e = m_form.engine();
    QJsonObject engine{
        {"WaveLength", e.WaveLength},
        {"FftSign", e.FftSign},
        {"ApertureInches", static_cast<double>(e.ApertureInches)},
        {"AperturePictureRadius", e.AperturePictureRadius},
        {"PupilCellCount", e.PupilCellCount},
        {"PeakIntensity", static_cast<double>(e.PeakIntensity)},
        {"IntraPeak", e.IntraPeak},
        {"TurbulenceShift", e.TurbulenceShift},
        {"ScreenRms", e.ScreenRms},
        {"RandomSeed", static_cast<double>(e.RandomSeed)},
        {"StarRed", e.StarRed},
        {"StarGreen", e.StarGreen},
        {"StarBlue", e.StarBlue},
        {"WeightRed", e.WeightRed},
        {"WeightGreen", e.WeightGreen},
        {"WeightBlue", e.WeightBlue},
        {"PlanetSumRed", e.PlanetSumRed},
        {"PlanetSumGreen", e.PlanetSumGreen},
        {"PlanetSumBlue", e.PlanetSumBlue},
        {"PaintTarget", e.PaintTarget},
        {"TurbulenceReady", e.TurbulenceReady},
        {"RoughnessReady", e.RoughnessReady},
        {"WavefrontImageLoaded", e.WavefrontImageLoaded},
        {"ColourPass", e.ColourPass},
        {"ColourComposite", e.ColourComposite},
        {"FirstGammaChange", e.FirstGammaChange},
    };

    QJsonObject labels;
    for (QLabel* label : m_form.findChildren<QLabel*>())
        if (isControlName(label->objectName()) && !label->objectName().startsWith(QLatin1String("StatusPanel")))
            labels[label->objectName()] = label->text();

    QJsonObject plots;
    for (QCustomPlot* plot : m_form.findChildren<QCustomPlot*>()) {
        QJsonObject series;
        for (int g = 0; g < plot->graphCount(); ++g) {
            QCPGraph* graph = plot->graph(g);
            QJsonArray points;
            for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
                points.append(QJsonArray{jsonNumber(it->key), jsonNumber(it->value)});
            const QString name = graph->name().isEmpty() ? QString::number(g) : graph->name();
            series[name] = points;
        }
        QJsonObject p{{"series", series},
                      {"xRange", QJsonArray{plot->xAxis->range().lower, plot->xAxis->range().upper}},
                      {"yRange", QJsonArray{plot->yAxis->range().lower, plot->yAxis->range().upper}}};
        plots[plot->objectName()] = p;
    }

    QJsonArray messages;
    for (const auto& shown : m_dialogs.shown()) {
        QJsonArray buttons;
        for (ui::MessageButton b : shown.buttons)
            buttons.append(ui::toString(b));
        messages.append(QJsonObject{{"kind", ui::toString(shown.kind)},
                                    {"text", shown.text},
                                    {"buttons", buttons},
                                    {"answer", ui::toString(shown.answer)}});
    }

    const auto* tabs = m_form.findChild<QTabWidget*>(QStringLiteral("Tabs"));
    writeJson(path, QJsonObject{{"engine", engine},
                                {"status", QJsonArray{m_form.statusText(0), m_form.statusText(1)}},
                                {"page", tabs ? tabs->currentIndex() : -1},
                                {"labels", labels},
                                {"plots", plots},
                                {"messages", messages}});
}

bool writeNpy(const QString& path, const optics::Grid& grid)
{
    QByteArray header = "{'descr': '<f8', 'fortran_order': False, 'shape': (512, 512), }";
    // Magic (6) + version (2) + length (2) + header, padded with spaces so
    // that the data starts on a 64-byte boundary, ending in a newline.
    const int unpadded = 10 + header.size() + 1;
    header.append(QByteArray((64 - unpadded % 64) % 64, ' '));
    header.append('\n');
    QByteArray out("\x93NUMPY\x01\x00", 8);
    const quint16 length = static_cast<quint16>(header.size());
    out.append(static_cast<char>(length & 0xff));
    out.append(static_cast<char>(length >> 8));
    out.append(header);
    for (int i = 1; i <= 512; ++i)
        out.append(reinterpret_cast<const char*>(grid.row(i) + 1), 512 * sizeof(double));
    return imaging::WriteFile(QFile::encodeName(path).toStdString(), std::string_view(out.constData(), out.size()))
        .ok();
}

void BatchDriver::dumpGrid(const QString& name, const QString& path) const
{
    optics::Engine& e = m_form.engine();
    const std::map<QString, const optics::Grid*> grids = {
        {"ZeroGrid", &e.ZeroGrid},         {"WavefrontGrid", &e.WavefrontGrid}, {"FieldReal", &e.FieldReal},
        {"FieldImag", &e.FieldImag},       {"OtfReal", &e.OtfReal},             {"OtfImag", &e.OtfImag},
        {"TurbulenceGrid", &e.TurbulenceGrid}, {"RoughnessGrid", &e.RoughnessGrid}, {"StarGrid", &e.StarGrid},
        {"IntraGrid", &e.IntraGrid},       {"KernelGrid", &e.KernelGrid}};
    const auto it = grids.find(name);
    if (it == grids.end())
        throw BatchError(QStringLiteral("no grid named \"%1\"").arg(name).toStdString());
    if (!writeNpy(path, *it->second))
        throw BatchError(QStringLiteral("cannot write %1").arg(path).toStdString());
}

}  // namespace app
