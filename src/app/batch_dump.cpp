// What the batch driver writes out: the controls, the program state and the
// grids.
#include "app/batch_driver.h"

#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/measured_page.h"
#include "app/pages/tests_page.h"
#include "app/simulation_model.h"
#include "imaging/file_output.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include <qcustomplot.h>

#include <cmath>
#include <memory>
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

// Written through the program's safe writer: devices, pipes and links are
// written as they are, files replaced only once complete.
base::Status write(const QString& path, const QByteArray& bytes)
{
    return imaging::WriteFile(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

base::Status writeJson(const QString& path, const QJsonObject& root)
{
    return write(path, QJsonDocument(root).toJson(QJsonDocument::Indented));
}

// The names of the grids, in the order the program has always listed them.
const char* const kGridNames[] = {"ZeroGrid", "WavefrontGrid", "FieldReal",  "FieldImag", "OtfReal",   "OtfImag",
                                  "TurbulenceGrid", "RoughnessGrid", "StarGrid", "IntraGrid", "KernelGrid"};

// Grids and colour sums that nothing has made yet; made when first asked for
// (constant ones would put megabytes of zeros into the program file).
const optics::Grid& zeroGrid()
{
    static const std::unique_ptr<const optics::Grid> zero = std::make_unique<optics::Grid>();
    return *zero;
}

const optics::ColourCells& zeroColours()
{
    static const std::unique_ptr<const optics::ColourCells> zero = std::make_unique<optics::ColourCells>();
    return *zero;
}

const optics::Grid& gridOf(const optics::StarImagePtr& image)
{
    return image ? image->grid : zeroGrid();
}

const optics::Grid& gridOf(const optics::PhaseScreenPtr& screen)
{
    return screen ? screen->grid : zeroGrid();
}

// An .npy file of float64 with the given shape and the values in order.
base::Status writeNpy(const QString& path, const QByteArray& shape, const QByteArray& values)
{
    QByteArray header = "{'descr': '<f8', 'fortran_order': False, 'shape': " + shape + ", }";
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
    out.append(values);
    return write(path, out);
}

}  // namespace

QStringList gridNames()
{
    QStringList names;
    for (const char* name : kGridNames)
        names.append(QLatin1String(name));
    names.append(QStringLiteral("ColourGrid"));
    return names;
}

const optics::Grid& NamedGrid(const MainWindow& window, const QString& name)
{
    const SimulationModel::Trace& trace = window.model().trace();
    const optics::Workspace& workspace = window.calculations().lastCalculator().workspace();
    if (name == QLatin1String("WavefrontGrid"))
        return workspace.intensity;
    if (name == QLatin1String("FieldReal"))
        return workspace.fieldRe;
    if (name == QLatin1String("FieldImag"))
        return workspace.fieldIm;
    if (name == QLatin1String("OtfReal"))
        return window.calculations().lastSpectrumCalculator().workspace().spectrumRe;
    if (name == QLatin1String("OtfImag"))
        return workspace.spectrumAfterPupil ? workspace.spectrumIm : workspace.mask;
    if (name == QLatin1String("TurbulenceGrid"))
        return gridOf(trace.turbulence);
    if (name == QLatin1String("RoughnessGrid"))
        return gridOf(trace.roughness);
    if (name == QLatin1String("StarGrid"))
        return gridOf(trace.display);
    if (name == QLatin1String("IntraGrid"))
        return gridOf(trace.intraFocal);
    if (name == QLatin1String("KernelGrid"))
        return gridOf(trace.kernel);
    return zeroGrid();
}

const optics::ColourCells& NamedColourGrid(const MainWindow& window)
{
    const SimulationModel::Trace& trace = window.model().trace();
    return trace.colours ? *trace.colours : zeroColours();
}

base::Status WriteNpy(const QString& path, const optics::Grid& grid)
{
    QByteArray values;
    values.reserve(512 * 512 * 8);
    for (int i = 1; i <= 512; ++i)
        values.append(reinterpret_cast<const char*>(grid.row(i) + 1), 512 * sizeof(double));
    return writeNpy(path, "(512, 512)", values);
}

base::Status WriteNpy(const QString& path, const optics::ColourCells& grid)
{
    QByteArray values;
    values.reserve(512 * 512 * 3 * 8);
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const optics::RgbCell& cell = grid(i, j);
            for (const float channel : {cell.red, cell.green, cell.blue}) {
                const double v = channel;
                values.append(reinterpret_cast<const char*>(&v), sizeof v);
            }
        }
    }
    return writeNpy(path, "(512, 512, 3)", values);
}

base::Status BatchDriver::dumpGrid(const QString& name, const QString& path) const
{
    return name == QLatin1String("ColourGrid") ? WriteNpy(path, NamedColourGrid(m_form))
                                               : WriteNpy(path, NamedGrid(m_form, name));
}

base::Status BatchDriver::dumpControls(const QString& path) const
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
    return writeJson(path, QJsonObject{{QStringLiteral("controls"), controls}});
}

base::Status BatchDriver::dumpState(const QString& path) const
{
    // The scalars and flags the program has always reported, from the model
    // and what the last runs left. Between runs the wavelength is the
    // reference, no colour pass is running, the transform runs forward and
    // the display curve has been built.
    const SimulationModel& model = m_form.model();
    const SimulationModel::Trace& t = model.trace();
    const optics::StarRequest controls = m_form.calculations().request();
    const optics::ScreenCache& screens = m_form.calculations().screens();
    QJsonObject engine{
        {"WaveLength", optics::kReferenceWavelength},
        {"FftSign", 1.0},
        {"ApertureInches", static_cast<double>(t.apertureInches)},
        {"AperturePictureRadius", optics::kAperturePictureRadius},
        {"PupilCellCount", t.cellCount},
        {"PeakIntensity", t.display ? static_cast<double>(t.display->peak) : 0.0},
        {"IntraPeak", t.intraFocal ? static_cast<double>(t.intraFocal->peak) : 0.0},
        {"TurbulenceShift", model.screenDrift()},
        {"ScreenRms", t.screenAmplitude},
        {"RandomSeed", static_cast<double>(t.generatorState)},
        {"StarRed", t.starColour.red},
        {"StarGreen", t.starColour.green},
        {"StarBlue", t.starColour.blue},
        {"WeightRed", t.weights.red},
        {"WeightGreen", t.weights.green},
        {"WeightBlue", t.weights.blue},
        {"PlanetSumRed", t.planetTotals.red},
        {"PlanetSumGreen", t.planetTotals.green},
        {"PlanetSumBlue", t.planetTotals.blue},
        {"ColourScale", t.colourScale},
        {"PaintTarget", static_cast<int>(model.shownPlace())},
        {"TurbulenceReady",
         screens.holds(optics::ScreenKind::Turbulence, {controls.screenSeed, controls.pupil.turbulence})},
        {"RoughnessReady", screens.holds(optics::ScreenKind::Roughness, {controls.screenSeed, controls.pupil.roughness})},
        {"WavefrontImageLoaded", model.wavefrontLoaded()},
        {"ColourPass", false},
        {"ColourComposite", model.showsComposite()},
        {"FirstGammaChange", false},
    };

    QJsonObject labels;
    for (QLabel* label : m_form.findChildren<QLabel*>())
        if (isControlName(label->objectName()) && label->objectName() != QLatin1String(names::kStatusPanel0)
            && label->objectName() != QLatin1String(names::kStatusPanel1))
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

    // The animation player: its frames, where it stands, and its buttons.
    QJsonObject animation;
    if (const auto* player = m_form.findChild<ui::GifPlayer*>(QLatin1String(names::kPlayer))) {
        QJsonObject buttons;
        for (const char* name : {names::kPlay, names::kStop, names::kRewind, names::kBack, names::kNext, names::kForward})
            if (const auto* b = m_form.findChild<QAbstractButton*>(QLatin1String(name)))
                buttons[QLatin1String(name)] = b->isEnabled();
        animation = QJsonObject{{"frames", player->count()},
                                {"frameIndex", player->frameIndex()},
                                {"playing", player->playing()},
                                {"loop", player->loop()},
                                {"buttonsEnabled", buttons}};
    }

    // The measured wavefront: what calculations add (waves at 555 nm, after
    // the removals), and the terms in use.
    QJsonObject measured;
    if (const auto* page = m_form.findChild<MeasuredPage*>()) {
        const optics::MeasuredWavefrontPtr& w = page->composed();
        QJsonObject terms;
        if (w)
            for (int t = 1; t <= optics::kFringeTerms; ++t)
                if (const double c = w->terms()[static_cast<std::size_t>(t - 1)]; c != 0.0)
                    terms[QStringLiteral("Z%1").arg(t)] = c;
        const optics::WavefrontSamples* map = w ? w->map() : nullptr;
        measured = QJsonObject{{"on", page->switchedOn()},
                               {"inUse", controls.measured != nullptr},
                               {"file", page->fileName()},
                               {"PV", w ? w->peakToValley() : 0.0},
                               {"RMS", w ? w->rms() : 0.0},
                               {"terms", terms},
                               {"map", map ? QJsonValue(QJsonArray{map->width, map->height}) : QJsonValue()}};
    }

    // The Tests page: what each picture was made with.
    const auto* testsPage = m_form.findChild<TestsPage*>();
    const QJsonObject tests = testsPage ? testsPage->state() : QJsonObject();

    const auto* tabs = m_form.findChild<QTabWidget*>(QLatin1String(names::kTabs));
    QJsonObject root{{"engine", engine},
                     {"measured", measured},
                     {"tests", tests},
                     {"animation", animation},
                     {"status", QJsonArray{m_form.stageText(), m_form.progressText()}},
                     {"page", tabs ? tabs->currentIndex() : -1},
                     {"labels", labels},
                     {"plots", plots},
                     {"messages", messages}};
    // The figures of the last star measured for the star page (null before
    // the first), and the focuser travel of the focus editor at the focal
    // ratio.
    const auto& figured = model.figuredCalculation();
    const optics::StarFigures* f = figured ? figured->figures.get() : nullptr;
    const auto figure = [f](double (*value)(const optics::StarFigures&)) {
        return f ? jsonNumber(value(*f)) : QJsonValue(QJsonValue::Null);
    };
    root["Strehl"] = figure([](const optics::StarFigures& x) { return x.strehl; });
    root["StrehlMarechal"] = figure([](const optics::StarFigures& x) { return x.strehlMarechal; });
    root["StrehlClear"] = figure([](const optics::StarFigures& x) { return x.strehlClear; });
    root["FwhmArcsec"] = figure([](const optics::StarFigures& x) { return x.fwhmArcsec(); });
    root["FwhmMaxArcsec"] = figure([](const optics::StarFigures& x) { return x.fwhmMaxArcsec(); });
    root["EE50Arcsec"] = figure([](const optics::StarFigures& x) { return x.ee50Arcsec; });
    root["EE80Arcsec"] = figure([](const optics::StarFigures& x) { return x.ee80Arcsec; });
    root["FocusTravelMm"] = jsonNumber(optics::FocusTravelMm(controls.pupil.focus, model.focalRatio()));
    return writeJson(path, root);
}

}  // namespace app
