#include "app/settings_file.h"

#include "app/control_names.h"
#include "imaging/file_output.h"
#include "imaging/picture_file.h"
#include "ui/number_edit.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace app {

namespace {

const QLatin1String kFormatKey("format");
const QLatin1String kVersionKey("version");
const QLatin1String kProgramKey("program");
const QLatin1String kControlsKey("controls");

bool keepsValue(const QWidget* w)
{
    return qobject_cast<const ui::NumberEdit*>(w) || qobject_cast<const QCheckBox*>(w)
           || qobject_cast<const QRadioButton*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QSlider*>(w);
}

// A value as a sentence shows it.
QString shown(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool: return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double: return QLocale::c().toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QJsonValue::String: return QLatin1Char('"') + value.toString().left(40) + QLatin1Char('"');
    case QJsonValue::Array: return QStringLiteral("a list");
    case QJsonValue::Object: return QStringLiteral("a group of values");
    default: return QStringLiteral("nothing");
    }
}

QString number(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

// A whole number in a JSON value, if it holds one.
std::optional<int> integerOf(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double v = value.toDouble();
    if (v != std::floor(v) || std::abs(v) > 1e9)
        return std::nullopt;
    return static_cast<int>(v);
}

base::Failure damaged(const QString& name, const QString& why)
{
    return base::Fail(imaging::CannotRead(name.toStdString(), why.toStdString()));
}

// Sets one control from its value; a note when the value was not taken as
// it stands.
std::optional<QString> setControl(QWidget* w, const QString& name, const QJsonValue& value)
{
    const QString wrongKind = QStringLiteral("%1 takes %2, not %3");
    if (auto* edit = qobject_cast<ui::NumberEdit*>(w)) {
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            return wrongKind.arg(name, QStringLiteral("a number"), shown(value));
        const double v = value.toDouble();
        const double held = edit->clamped(v);
        edit->setValue(v);
        if (held != v)
            return QStringLiteral("%1 %2 is outside its range %3 to %4 and was set to %5")
                .arg(name, number(v), number(edit->minimum()), number(edit->maximum()), number(held));
        return std::nullopt;
    }
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        if (!value.isBool())
            return wrongKind.arg(name, QStringLiteral("true or false"), shown(value));
        // A radio button is unchosen by choosing another.
        if (value.toBool())
            radio->setChecked(true);
        return std::nullopt;
    }
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (!value.isBool())
            return wrongKind.arg(name, QStringLiteral("true or false"), shown(value));
        box->setChecked(value.toBool());
        return std::nullopt;
    }
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        const std::optional<int> index = integerOf(value);
        if (!index || *index < 0 || *index >= list->count())
            return QStringLiteral("%1 has no item %2 (it has %3, from 0)").arg(name, shown(value)).arg(list->count());
        list->setCurrentIndex(*index);
        return std::nullopt;
    }
    auto* slider = qobject_cast<QSlider*>(w);
    const std::optional<int> position = integerOf(value);
    if (!position)
        return wrongKind.arg(name, QStringLiteral("a whole number"), shown(value));
    slider->setValue(*position);
    if (slider->value() != *position)
        return QStringLiteral("%1 %2 is outside its range %3 to %4 and was set to %5")
            .arg(name)
            .arg(*position)
            .arg(slider->minimum())
            .arg(slider->maximum())
            .arg(slider->value());
    return std::nullopt;
}

QJsonValue valueOf(const QWidget* w)
{
    if (auto* edit = qobject_cast<const ui::NumberEdit*>(w)) {
        const double v = edit->value();
        return std::isfinite(v) ? QJsonValue(v) : QJsonValue(edit->minimum());
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->isChecked();
    if (auto* list = qobject_cast<const QComboBox*>(w))
        return list->currentIndex();
    return qobject_cast<const QSlider*>(w)->value();
}

}  // namespace

WindowSettings::WindowSettings(QWidget& window, QStringList leftOut) : m_window(window), m_leftOut(std::move(leftOut))
{
}

void WindowSettings::addPart(SettingsPart part)
{
    m_parts.push_back(std::move(part));
}

const std::vector<std::pair<QString, QPointer<const QWidget>>>& WindowSettings::named() const
{
    // The window's controls are made with it: they are looked for once, and
    // again only if one of them went.
    const bool gone =
        std::any_of(m_named.begin(), m_named.end(), [](const auto& entry) { return entry.second.isNull(); });
    if (m_named.empty() || gone)
        m_named = find();
    return m_named;
}

std::vector<std::pair<QString, QPointer<const QWidget>>> WindowSettings::find() const
{
    auto leftOut = [this](const QWidget* w) {
        for (; w && w != &m_window; w = w->parentWidget())
            if (m_leftOut.contains(w->objectName()))
                return true;
        return false;
    };
    // One walk over the window: a search by name for each control would walk
    // it again for every one of them.
    std::vector<std::pair<QString, QPointer<const QWidget>>> named;
    QHash<QString, int> seen;
    for (const QWidget* w : m_window.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !keepsValue(w) || leftOut(w))
            continue;
        if (++seen[name] == 1)
            named.emplace_back(name, w);
    }
    // A name two widgets carry stands for the one a search by name finds.
    for (auto& [name, w] : named)
        if (seen.value(name) > 1)
            w = m_window.findChild<QWidget*>(name);
    // Live last: loading a file calculates nothing on the way.
    const auto live = std::find_if(named.begin(), named.end(),
                                   [](const auto& entry) { return entry.first == QLatin1String(names::kLive); });
    if (live != named.end())
        std::rotate(live, live + 1, named.end());
    return named;
}

QStringList WindowSettings::names() const
{
    QStringList names;
    for (const auto& entry : named())
        names << entry.first;
    return names;
}

QJsonObject WindowSettings::objectOf(const Controls& controls, Read& last)
{
    // Reading a control is quick, making the object is not (every start of
    // a calculation and every picture drawn asks for one): the object made
    // last time serves while every control holds what it held then.
    std::vector<QJsonValue> values;
    values.reserve(controls.size());
    bool unchanged = last.names.size() == controls.size();
    for (std::size_t n = 0; n < controls.size(); ++n) {
        values.push_back(valueOf(controls[n].second));
        unchanged = unchanged && last.names[n] == controls[n].first && last.values[n] == values[n];
    }
    if (unchanged)
        return last.object;
    QJsonObject object;
    last.names.clear();
    for (std::size_t n = 0; n < controls.size(); ++n) {
        object.insert(controls[n].first, values[n]);
        last.names.push_back(controls[n].first);
    }
    last.values = std::move(values);
    last.object = object;
    return object;
}

QJsonObject WindowSettings::controls() const
{
    return objectOf(named(), m_namedRead);
}

QJsonObject WindowSettings::controls(const QStringList& names) const
{
    auto& [found, read] = m_found[names];
    const bool gone = std::any_of(found.begin(), found.end(), [](const auto& entry) { return entry.second.isNull(); });
    if (found.empty() || gone) {
        found.clear();
        for (const auto& [name, w] : named())
            if (names.contains(name))
                found.emplace_back(name, w);
    }
    return objectOf(found, read);
}

QJsonObject WindowSettings::document() const
{
    QJsonObject document{{kFormatKey, QLatin1String(kSettingsFormat)},
                         {kVersionKey, kSettingsVersion},
                         {kProgramKey, QStringLiteral("Quintalis " QUINTALIS_VERSION)},
                         {kControlsKey, controls()}};
    for (const SettingsPart& part : m_parts)
        document.insert(part.key, part.save());
    return document;
}

QStringList WindowSettings::apply(const QJsonObject& document)
{
    QStringList notes;
    const int version = document.value(kVersionKey).toInt();
    if (version > kSettingsVersion)
        notes << QStringLiteral("the file comes from a newer Quintalis (settings version %1); this version (settings "
                                "version %2) took what it knows")
                     .arg(version)
                     .arg(kSettingsVersion);
    const QJsonObject controls = document.value(kControlsKey).toObject();
    const QStringList order = names();
    for (auto it = controls.begin(); it != controls.end(); ++it)
        if (!order.contains(it.key()))
            notes << QStringLiteral("\"%1\" is no control of this version and was left out").arg(it.key());
    auto set = [&](const QString& name) {
        if (!controls.contains(name))
            return;
        if (std::optional<QString> note = setControl(m_window.findChild<QWidget*>(name), name, controls.value(name)))
            notes << *note;
    };
    // "Live", last of the order, comes after the parts.
    for (const QString& name : order.mid(0, order.size() - 1))
        set(name);
    QStringList known{kFormatKey, kVersionKey, kProgramKey, kControlsKey};
    for (const SettingsPart& part : m_parts) {
        known << part.key;
        if (!document.contains(part.key))
            continue;
        if (const base::Status loaded = part.load(document.value(part.key)); !loaded)
            notes << QString::fromStdString(loaded.error());
    }
    if (!order.isEmpty())
        set(order.last());
    for (auto it = document.begin(); it != document.end(); ++it)
        if (!known.contains(it.key()))
            notes << QStringLiteral("\"%1\" is not known to this version and was left out").arg(it.key());
    return notes;
}

base::Result<QJsonObject> ParseSettings(const QByteArray& bytes, const QString& name)
{
    QByteArray text = bytes;
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer, "png");
        text = reader.text(QLatin1String(kPngSettingsKey)).toUtf8();
        if (text.isEmpty())
            return damaged(name, QStringLiteral("the picture carries no Quintalis settings"));
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return damaged(name, QStringLiteral("the file is damaged (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    const QJsonObject document = json.object();
    if (!json.isObject() || document.value(kFormatKey).toString() != QLatin1String(kSettingsFormat))
        return damaged(name, QStringLiteral("it is not a Quintalis settings file"));
    const std::optional<int> version = integerOf(document.value(kVersionKey));
    if (!version || *version < 1)
        return damaged(name, QStringLiteral("the file is damaged (it has no settings version)"));
    if (!document.value(kControlsKey).isObject())
        return damaged(name, QStringLiteral("the file is damaged (it has no controls)"));
    return document;
}

base::Result<QJsonObject> ReadSettingsFile(const QString& path)
{
    if (const QFileInfo file(path); file.isFile() && file.size() > kLargestSettingsFile)
        return damaged(path, QStringLiteral("it is larger than %1 MB, more than any settings file")
                                 .arg(kLargestSettingsFile >> 20));
    // Regular files only, read whole.
    imaging::PictureLimits limits;
    limits.maxFileBytes = static_cast<std::size_t>(kLargestSettingsFile);
    const base::Result<std::vector<std::uint8_t>> bytes = imaging::ReadPictureFile(QFile::encodeName(path).toStdString(), limits);
    if (!bytes)
        return base::Fail(bytes.error());
    return ParseSettings(QByteArray(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size())),
                         path);
}

QByteArray SettingsBytes(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

base::Status WriteSettingsFile(const QString& path, const QJsonObject& document)
{
    const QByteArray bytes = SettingsBytes(document);
    return imaging::WriteFile(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace app
