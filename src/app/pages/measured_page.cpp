#include "app/pages/measured_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "imaging/pixel_buffer.h"
#include "imaging/wavefront_picture.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>
#include <numbers>

namespace app {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kPreviewSide = 150;

QString fixed(double value, int decimals)
{
    return QString::fromStdString(imaging::FormatFixed(value, decimals, decimalSeparator()));
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption, int x, int y, int width)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, width, 18);
    return box;
}

}  // namespace

MeasuredPage::MeasuredPage(ui::DialogService& dialogs, imaging::TextPainter& text, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_text(text)
{
    setObjectName(QLatin1String(names::kMeasuredPage));

    // The file and how its values are meant.
    m_load = makeButton(this, QLatin1String(names::kMeasuredLoad), QStringLiteral("Load..."), QRect(6, 4, 70, 23));
    ui::setHint(m_load,
                QStringLiteral("Load|Read a Zernike list, table or listing, or a wavefront map (.wft, .npz, "
                               "FITS)"),
                true);
    m_clear = makeButton(this, QLatin1String(names::kMeasuredClear), QStringLiteral("Clear"), QRect(80, 4, 60, 23));
    ui::setHint(m_clear, QStringLiteral("Clear|Every term 0 and the map gone"), true);
    m_file = makeLabel(this, QStringLiteral("No file: type the terms, or load"), 6, 30);
    m_file->setObjectName(QLatin1String(names::kMeasuredFile));
    m_file->setGeometry(6, 30, 192, 28);
    m_file->setWordWrap(true);
    m_file->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_on = makeCheck(this, names::kMeasuredOn, QStringLiteral("Use in every calculation"), 6, 60, 190);
    ui::setHint(m_on,
                QStringLiteral("Measured wavefront|Add it to the errors of the star, the intra/extra pair "
                               "and every other view"),
                true);

    makeLabel(this, QStringLiteral("Wavelength (nm)"), 6, 85);
    m_waveLength = makeEditor(this, QLatin1String(names::kMeasuredWavelength),
                              {.decimals = 1, .minimum = 380, .maximum = 1100, .step = 10, .start = 550}, 116, 82, 80);
    ui::setHint(m_waveLength, QStringLiteral("Wavelength|The wavelength the values are in waves of"), true);
    makeLabel(this, QStringLiteral("List order"), 6, 109);
    m_ordering = new QComboBox(this);
    m_ordering->setObjectName(QLatin1String(names::kMeasuredOrdering));
    m_ordering->addItems({QStringLiteral("Fringe, piston first"), QStringLiteral("Noll"), QStringLiteral("ANSI/OSA")});
    m_ordering->setGeometry(66, 106, 130, 21);
    ui::setHint(m_ordering, QStringLiteral("Order|How a plain list of coefficients is ordered"), true);
    makeLabel(this, QStringLiteral("Row"), 6, 133);
    m_row = new QComboBox(this);
    m_row->setObjectName(QLatin1String(names::kMeasuredRow));
    m_row->setGeometry(66, 130, 130, 21);
    m_row->setEnabled(false);
    ui::setHint(m_row, QStringLiteral("Row|The measurement of a table to use"), true);
    m_normalised = makeCheck(this, names::kMeasuredNormalised, QStringLiteral("RMS-normalised terms"), 6, 154, 190);
    m_surface = makeCheck(this, names::kMeasuredSurface, QStringLiteral("Surface error (x2)"), 6, 172, 190);
    m_removeDefocus = makeCheck(this, names::kMeasuredRemoveDefocus, QStringLiteral("Remove defocus"), 6, 190, 190);
    ui::setHint(m_removeDefocus,
                QStringLiteral("Remove defocus|Leave out the defocus term so that the Focus control "
                               "sets focus"),
                true);
    ui::setHint(m_normalised, QStringLiteral("Normalised|The list holds RMS-normalised coefficients"), true);
    ui::setHint(m_surface,
                QStringLiteral("Surface|The values are a mirror's surface error: the wavefront is "
                               "twice them"),
                true);
    QLabel* note = makeLabel(this,
                             QStringLiteral("Piston and tilt are always removed: they move the star, they do "
                                            "not change its shape."),
                             6, 212);
    note->setGeometry(6, 212, 190, 52);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The wavefront that will be used.
    m_peakToValley = makeLabel(this, QString(), 6, 270);
    m_peakToValley->setObjectName(QLatin1String(names::kMeasuredPV));
    m_peakToValley->setFixedWidth(190);
    m_rms = makeLabel(this, QString(), 6, 288);
    m_rms->setObjectName(QLatin1String(names::kMeasuredRMS));
    m_rms->setFixedWidth(190);

    buildTable();

    makeLabel(this, QStringLiteral("Wavefront used (top up)"), 398, 4);
    m_preview = new ui::PictureBox(this, kPreviewSide, kPreviewSide);
    m_preview->setObjectName(QLatin1String(names::kMeasuredPreview));
    m_preview->move(398, 20);
    QLabel* units = makeLabel(this,
                              QStringLiteral("In waves at 555 nm, after the removals. The table is in waves "
                                             "at the wavelength on the left."),
                              398, 176);
    units->setGeometry(398, 176, 152, 70);
    units->setWordWrap(true);
    units->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(m_load, &QPushButton::clicked, this, &MeasuredPage::loadFile);
    connect(m_clear, &QPushButton::clicked, this, &MeasuredPage::clear);
    connect(m_on, &QCheckBox::toggled, this, [this] { emit changed(); });
    connect(m_waveLength, &ui::NumberEdit::changed, this, &MeasuredPage::compose);
    connect(m_surface, &QCheckBox::toggled, this, &MeasuredPage::compose);
    connect(m_removeDefocus, &QCheckBox::toggled, this, &MeasuredPage::compose);
    connect(m_ordering, &QComboBox::currentIndexChanged, this, &MeasuredPage::fillFromList);
    connect(m_normalised, &QCheckBox::toggled, this, &MeasuredPage::fillFromList);
    connect(m_row, &QComboBox::currentIndexChanged, this, &MeasuredPage::fillFromList);
    compose();
}

MeasuredPage::~MeasuredPage() = default;

void MeasuredPage::buildTable()
{
    m_table = new QTableWidget(optics::kFringeTerms, 2, this);
    m_table->setObjectName(QLatin1String(names::kMeasuredTerms));
    m_table->setGeometry(202, 4, 192, 292);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Fringe term"), QStringLiteral("Waves")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setMinimumSectionSize(20);
    m_table->setColumnWidth(0, 114);
    m_table->setColumnWidth(1, 58);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int t = 1; t <= optics::kFringeTerms; ++t) {
        m_table->setRowHeight(t - 1, 20);
        auto* item =
            new QTableWidgetItem(QStringLiteral("Z%1 %2").arg(t).arg(QString::fromUtf8(optics::FringeName(t))));
        item->setFlags(Qt::ItemIsEnabled);
        m_table->setItem(t - 1, 0, item);
        auto* edit = new ui::NumberEdit;
        edit->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(names::kMeasuredTermPrefix)).arg(t));
        edit->setup({.decimals = 4, .minimum = -1000, .maximum = 1000, .step = 0.01, .start = 0});
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
        if (t <= 3)
            edit->setToolTip(QStringLiteral("Piston and tilt are always removed"));
        m_table->setCellWidget(t - 1, 1, edit);
        m_terms[static_cast<std::size_t>(t - 1)] = edit;
        connect(edit, &ui::NumberEdit::changed, this, [this, edit, t] {
            if (m_filling)
                return;
            m_values[static_cast<std::size_t>(t - 1)] = edit->value();
            compose();
        });
    }
}

bool MeasuredPage::switchedOn() const
{
    return m_on->isChecked();
}

optics::MeasuredWavefrontPtr MeasuredPage::measured() const
{
    return m_on->isChecked() ? m_composed : nullptr;
}

measured::MeasuredSettings MeasuredPage::settings() const
{
    return {m_waveLength->held(m_waveLength->value()), m_surface->isChecked(), m_removeDefocus->isChecked()};
}

void MeasuredPage::loadFile()
{
    const std::optional<ui::FileChoice> choice = m_dialogs.openFile(
        this, QStringLiteral("Load a measured wavefront"),
        {QStringLiteral("Zernike lists and wavefront maps (*.zrn *.txt *.csv *.dat *.wft *.npz *.fits *.fit *.fts)"),
         QStringLiteral("All files (*)")});
    if (!choice)
        return;
    base::Result<measured::MeasuredFile> read = measured::ReadMeasuredFile(choice->path.toStdString());
    if (!read) {
        m_dialogs.showMessage(this, ui::MessageKind::Error, QString::fromStdString(read.error()),
                              {ui::MessageButton::Ok});
        return;
    }
    m_filling = true;
    m_loaded = std::move(*read);
    m_fileName = QFileInfo(choice->path).fileName();
    QStringList notes;
    for (const std::string& n : m_loaded->notes)
        notes << QString::fromStdString(n);
    m_listScale = 1.0;
    if (m_loaded->waveLength) {
        // A wavelength the editor cannot hold: the values are converted to
        // waves of the nearest one it can.
        const double file = *m_loaded->waveLength;
        const double held = m_waveLength->held(file);
        if (std::fabs(held - file) > 0.05) {
            notes << QStringLiteral("The file is in waves of %1 nm; its values were converted to waves of %2 nm.")
                         .arg(file)
                         .arg(held);
            m_listScale = file / held;
            if (m_loaded->map && m_loaded->map->unit == measured::MapData::Unit::Waves) {
                auto samples = std::make_shared<optics::WavefrontSamples>(*m_loaded->map->samples);
                for (double& v : samples->values)
                    v *= file;
                m_loaded->map = measured::MapData{std::move(samples), measured::MapData::Unit::Nanometres};
            }
        }
        m_waveLength->setValue(file);
    }
    m_prepared.reset();
    m_row->clear();
    if (m_loaded->zernikes && m_loaded->zernikes->kind == measured::ZernikeSet::Kind::Table) {
        for (const measured::ZernikeRow& row : m_loaded->zernikes->rows)
            m_row->addItem(QString::fromStdString(row.name));
        m_row->setCurrentIndex(m_row->count() - 1);
    }
    m_row->setEnabled(m_row->count() > 1);
    if (m_loaded->zernikes && m_loaded->zernikes->ownOrder) {
        m_ordering->setCurrentIndex(static_cast<int>(m_loaded->zernikes->order));
        m_normalised->setChecked(m_loaded->zernikes->normalised);
    }
    QString shown = m_fileName + QStringLiteral(": ") + QString::fromStdString(m_loaded->format);
    if (m_loaded->map)
        shown += QStringLiteral(", %1 x %2").arg(m_loaded->map->samples->width).arg(m_loaded->map->samples->height);
    m_file->setText(shown);
    m_file->setToolTip(choice->path);
    m_filling = false;
    if (m_loaded->zernikes) {
        fillFromList();
    } else {
        showTerms({});
        compose();
    }
    // What the user should know, once, after the page shows the file.
    if (m_loaded->zernikes) {
        const measured::FringeTerms terms =
            measured::ToFringe(*m_loaded->zernikes, static_cast<std::size_t>(std::max(0, m_row->currentIndex())),
                               static_cast<measured::TermOrder>(m_ordering->currentIndex()), m_normalised->isChecked());
        if (terms.ignored > 0)
            notes << QStringLiteral("%1 terms beyond the 37 Fringe terms were ignored.").arg(terms.ignored);
    }
    if (!notes.isEmpty())
        m_dialogs.showMessage(this, ui::MessageKind::Information, notes.join(QLatin1Char(' ')),
                              {ui::MessageButton::Ok});
}

void MeasuredPage::clear()
{
    m_loaded.reset();
    m_prepared.reset();
    m_listScale = 1.0;
    m_fileName.clear();
    m_file->setText(QStringLiteral("No file: type the terms, or load"));
    m_file->setToolTip({});
    m_filling = true;
    m_row->clear();
    m_row->setEnabled(false);
    m_filling = false;
    showTerms({});
    compose();
}

void MeasuredPage::fillFromList()
{
    if (m_filling || !m_loaded || !m_loaded->zernikes)
        return;
    const measured::ZernikeSet& set = *m_loaded->zernikes;
    // A listing says its own order; the controls show it and stay as they are.
    const measured::FringeTerms terms =
        measured::ToFringe(set, static_cast<std::size_t>(std::max(0, m_row->currentIndex())),
                           static_cast<measured::TermOrder>(m_ordering->currentIndex()), m_normalised->isChecked());
    measured::FringeArray values = terms.terms;
    for (double& v : values)
        v *= m_listScale;
    showTerms(values);
    compose();
}

void MeasuredPage::showTerms(const measured::FringeArray& values)
{
    m_values = values;
    m_filling = true;
    for (int i = 0; i < optics::kFringeTerms; ++i)
        m_terms[static_cast<std::size_t>(i)]->setValue(values[static_cast<std::size_t>(i)]);
    m_filling = false;
}

void MeasuredPage::compose()
{
    if (m_filling)
        return;
    // The map is scaled and fitted again only when what it depends on has
    // changed, not for each term typed.
    const measured::MeasuredSettings now = settings();
    std::shared_ptr<const optics::WavefrontSamples> map;
    if (m_loaded && m_loaded->map) {
        if (!m_prepared || m_preparedFor.waveLength != now.waveLength || m_preparedFor.surface != now.surface
            || m_preparedFor.removeDefocus != now.removeDefocus) {
            m_prepared = measured::PrepareMap(*m_loaded->map, now);
            m_preparedFor = now;
        }
        map = m_prepared;
    }
    m_composed = measured::ComposeMeasured(m_values, std::move(map), now);
    showComposed();
    if (m_on->isChecked())
        emit changed();
}

void MeasuredPage::showComposed()
{
    const optics::MeasuredWavefront* w = m_composed.get();
    m_peakToValley->setText(QStringLiteral("PV: ") + fixed(w ? w->peakToValley() : 0.0, 3)
                            + QStringLiteral(" waves at 555 nm"));
    m_rms->setText(QStringLiteral("RMS: ") + fixed(w ? w->rms() : 0.0, 3) + QStringLiteral(" waves at 555 nm"));

    // As the wavefront picture shows a pupil: the same colours and scale, top
    // up.
    // The disc stays left of the scale's texts and bar.
    auto map = std::make_unique<optics::WavefrontMap>();
    constexpr int R = 104;
    constexpr int kCentreX = 108;
    constexpr int kCentreY = optics::WavefrontMap::kSide / 2;
    double lo = 0.0;
    double hi = 0.0;
    for (int X = 0; X < optics::WavefrontMap::kSide; ++X) {
        for (int Y = 0; Y < optics::WavefrontMap::kSide; ++Y) {
            const double x = static_cast<double>(X - kCentreX) / R;
            const double y = static_cast<double>(kCentreY - Y) / R;
            if (x * x + y * y > 1.0)
                continue;
            const double phase = w ? w->at(x, y) * kTwoPi : 0.0;
            const std::size_t i = static_cast<std::size_t>(X) * optics::WavefrontMap::kSide + Y;
            map->open[i] = 1;
            map->phase[i] = phase;
            lo = std::min(lo, phase);
            hi = std::max(hi, phase);
        }
    }
    imaging::PixelBuffer picture(optics::WavefrontMap::kSide - 1, optics::WavefrontMap::kSide - 1);
    imaging::DrawWavefrontPicture(picture, *map, lo, hi + 1e-5, m_text, decimalSeparator());
    m_preview->setPicture(
        ui::imageView(picture).scaled(kPreviewSide, kPreviewSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_preview->repaint();
}

}  // namespace app
