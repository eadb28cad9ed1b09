// What the Measured page keeps in a settings file: its controls, the terms
// as the calculations use them, and what the loaded file held (its list and
// its map), by value, so that the file alone gives the same stars.
#include "app/pages/measured_page.h"

#include "ui/number_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstring>

namespace app {

namespace {

base::Failure damaged(const QString& why)
{
    return base::Fail(QStringLiteral("the measured wavefront was left as it was: %1").arg(why).toStdString());
}

QJsonArray numbers(const std::vector<double>& values)
{
    QJsonArray array;
    for (double v : values)
        array.append(v);
    return array;
}

// Finite numbers, at most `most` of them.
std::optional<std::vector<double>> numbersOf(const QJsonValue& value, std::size_t most)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || static_cast<std::size_t>(array.size()) > most)
        return std::nullopt;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(array.size()));
    for (const QJsonValue& v : array) {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return std::nullopt;
        values.push_back(v.toDouble());
    }
    return values;
}

const char* const kKinds[] = {"plain list", "table", "listing"};

QJsonObject listOf(const measured::ZernikeSet& set)
{
    QJsonArray rows;
    for (const measured::ZernikeRow& row : set.rows)
        rows.append(QJsonObject{{"name", QString::fromStdString(row.name)}, {"values", numbers(row.values)}});
    QJsonArray columns;
    for (int term : set.columnTerms)
        columns.append(term);
    return {{"kind", QLatin1String(kKinds[static_cast<int>(set.kind)])},
            {"rows", rows},
            {"columnTerms", columns},
            {"ownOrder", set.ownOrder},
            {"order", static_cast<int>(set.order)},
            {"normalised", set.normalised}};
}

base::Result<measured::ZernikeSet> setOf(const QJsonObject& list)
{
    const measured::MeasuredLimits limits;
    measured::ZernikeSet set;
    const QString kind = list.value("kind").toString();
    int k = 0;
    while (k < 3 && kind != QLatin1String(kKinds[k]))
        ++k;
    if (k == 3)
        return damaged(QStringLiteral("its list is of no known kind"));
    set.kind = static_cast<measured::ZernikeSet::Kind>(k);
    const QJsonArray rows = list.value("rows").toArray();
    if (rows.isEmpty() || static_cast<std::size_t>(rows.size()) > limits.maxRows)
        return damaged(QStringLiteral("its list has no rows or too many"));
    for (const QJsonValue& row : rows) {
        const std::optional<std::vector<double>> values = numbersOf(row.toObject().value("values"), limits.maxTerms);
        if (!values)
            return damaged(QStringLiteral("a row of its list holds something other than numbers"));
        set.rows.push_back({row.toObject().value("name").toString().left(200).toStdString(), *values});
    }
    const std::optional<std::vector<double>> columns = numbersOf(list.value("columnTerms"), limits.maxTerms);
    if (!columns)
        return damaged(QStringLiteral("its list's columns are not numbers"));
    for (double term : *columns) {
        if (term != std::floor(term) || term < 0 || term > optics::kFringeTerms)
            return damaged(QStringLiteral("its list names a term that is no Fringe term"));
        set.columnTerms.push_back(static_cast<int>(term));
    }
    const int order = list.value("order").toInt(-1);
    if (order < 0 || order > 2)
        return damaged(QStringLiteral("its list's order is unknown"));
    set.order = static_cast<measured::TermOrder>(order);
    set.ownOrder = list.value("ownOrder").toBool();
    set.normalised = list.value("normalised").toBool();
    return set;
}

// The samples as little-endian 64-bit floats in base 64 (NaN outside the
// pupil), exact and a third of the size of written numbers.
QJsonObject mapOf(const measured::MapData& map)
{
    const optics::WavefrontSamples& s = *map.samples;
    QByteArray bytes(static_cast<qsizetype>(s.values.size() * 8), Qt::Uninitialized);
    for (std::size_t i = 0; i < s.values.size(); ++i)
        qToLittleEndian(s.values[i], bytes.data() + i * 8);
    return {{"unit", map.unit == measured::MapData::Unit::Waves ? "waves" : "nanometres"},
            {"width", s.width},
            {"height", s.height},
            {"centreX", s.centreX},
            {"centreY", s.centreY},
            {"radius", s.radius},
            {"samples", QString::fromLatin1(bytes.toBase64())}};
}

base::Result<measured::MapData> mapOfJson(const QJsonObject& object)
{
    const measured::MeasuredLimits limits;
    const int width = object.value("width").toInt(0);
    const int height = object.value("height").toInt(0);
    if (width < 1 || height < 1 || width > limits.maxSide || height > limits.maxSide)
        return damaged(QStringLiteral("its map's size is out of bounds"));
    const auto decoded = QByteArray::fromBase64Encoding(object.value("samples").toString().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!decoded || static_cast<std::size_t>(decoded.decoded.size()) != count * 8)
        return damaged(QStringLiteral("its map's samples are damaged"));
    auto samples = std::make_shared<optics::WavefrontSamples>();
    samples->width = width;
    samples->height = height;
    samples->centreX = object.value("centreX").toDouble(NAN);
    samples->centreY = object.value("centreY").toDouble(NAN);
    samples->radius = object.value("radius").toDouble(NAN);
    if (!std::isfinite(samples->centreX) || !std::isfinite(samples->centreY) || !std::isfinite(samples->radius)
        || samples->radius <= 0.0)
        return damaged(QStringLiteral("its map's pupil is not a circle"));
    samples->values.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        samples->values[i] = qFromLittleEndian<double>(decoded.decoded.constData() + i * 8);
    const QString unit = object.value("unit").toString();
    if (unit != QLatin1String("waves") && unit != QLatin1String("nanometres"))
        return damaged(QStringLiteral("its map's unit is unknown"));
    return measured::MapData{std::move(samples), unit == QLatin1String("waves") ? measured::MapData::Unit::Waves
                                                                                : measured::MapData::Unit::Nanometres};
}

}  // namespace

QJsonValue MeasuredPage::keptState() const
{
    QJsonObject kept{{"on", m_on->isChecked()},
                     {"waveLength", m_waveLength->value()},
                     {"ordering", m_ordering->currentIndex()},
                     {"row", m_row->currentIndex()},
                     {"normalised", m_normalised->isChecked()},
                     {"surface", m_surface->isChecked()},
                     {"removeDefocus", m_removeDefocus->isChecked()},
                     {"terms", numbers({m_values.begin(), m_values.end()})}};
    if (m_loaded) {
        kept.insert("file", m_fileName);
        kept.insert("format", QString::fromStdString(m_loaded->format));
        kept.insert("listScale", m_listScale);
        if (m_loaded->zernikes)
            kept.insert("list", listOf(*m_loaded->zernikes));
        if (m_loaded->map)
            kept.insert("map", mapOf(*m_loaded->map));
    }
    return kept;
}

base::Status MeasuredPage::restoreState(const QJsonValue& value)
{
    // Everything is checked before anything changes.
    const QJsonObject kept = value.toObject();
    if (!value.isObject())
        return damaged(QStringLiteral("it is not a group of values"));
    const std::optional<std::vector<double>> terms = numbersOf(kept.value("terms"), optics::kFringeTerms);
    if (!terms || terms->size() != optics::kFringeTerms)
        return damaged(QStringLiteral("it does not hold %1 terms").arg(optics::kFringeTerms));
    const double waveLength = kept.value("waveLength").toDouble(NAN);
    const int ordering = kept.value("ordering").toInt(-1);
    if (!std::isfinite(waveLength) || ordering < 0 || ordering >= m_ordering->count())
        return damaged(QStringLiteral("its wavelength or list order is missing"));
    std::optional<measured::MeasuredFile> loaded;
    double listScale = 1.0;
    if (kept.contains("file")) {
        loaded.emplace();
        loaded->format = kept.value("format").toString().left(100).toStdString();
        listScale = kept.value("listScale").toDouble(NAN);
        if (!std::isfinite(listScale) || listScale <= 0.0)
            return damaged(QStringLiteral("its wavelength conversion is missing"));
        if (kept.contains("list")) {
            base::Result<measured::ZernikeSet> set = setOf(kept.value("list").toObject());
            if (!set)
                return base::Fail(set.error());
            loaded->zernikes = std::move(*set);
        }
        if (kept.contains("map")) {
            base::Result<measured::MapData> map = mapOfJson(kept.value("map").toObject());
            if (!map)
                return base::Fail(map.error());
            loaded->map = std::move(*map);
        }
    }

    m_filling = true;
    m_loaded = std::move(loaded);
    m_listScale = listScale;
    m_prepared.reset();
    m_fileName = m_loaded ? kept.value("file").toString().left(200) : QString();
    m_row->clear();
    if (m_loaded && m_loaded->zernikes && m_loaded->zernikes->kind == measured::ZernikeSet::Kind::Table)
        for (const measured::ZernikeRow& row : m_loaded->zernikes->rows)
            m_row->addItem(QString::fromStdString(row.name));
    m_row->setCurrentIndex(std::clamp(kept.value("row").toInt(-1), -1, static_cast<int>(m_row->count()) - 1));
    m_row->setEnabled(m_row->count() > 1);
    m_ordering->setCurrentIndex(ordering);
    m_normalised->setChecked(kept.value("normalised").toBool());
    m_surface->setChecked(kept.value("surface").toBool());
    m_removeDefocus->setChecked(kept.value("removeDefocus").toBool());
    m_waveLength->setValue(waveLength);
    if (m_loaded) {
        QString shown = m_fileName + QStringLiteral(": ") + QString::fromStdString(m_loaded->format);
        if (m_loaded->map)
            shown += QStringLiteral(", %1 x %2").arg(m_loaded->map->samples->width).arg(m_loaded->map->samples->height);
        m_file->setText(shown);
    } else {
        m_file->setText(QStringLiteral("No file: type the terms, or load"));
    }
    m_file->setToolTip({});
    m_filling = false;
    measured::FringeArray values{};
    std::copy(terms->begin(), terms->end(), values.begin());
    showTerms(values);
    m_on->setChecked(kept.value("on").toBool());
    compose();
    return base::Done();
}

}  // namespace app
