#pragma once

#include "base/result.h"
#include "measured/measured_compose.h"
#include "optics/measured_wavefront.h"

#include <QJsonValue>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace imaging {
class TextPainter;
}

namespace ui {
class DialogService;
class NumberEdit;
class PictureBox;
}  // namespace ui

namespace app {

//! Page 10, "Measured": the wavefront of the user's own mirror, from the
//! Zernike list or wavefront map an interferogram program wrote, or typed in
//! as Fringe terms. With "Use in every calculation" ticked it is added to
//! the named errors of every view.
class MeasuredPage : public QWidget {
    Q_OBJECT

public:
    //! Files are asked for through `dialogs`; the preview's numbers are drawn
    //! with `text`.
    MeasuredPage(ui::DialogService& dialogs, imaging::TextPainter& text, QWidget* parent = nullptr);
    ~MeasuredPage() override;

    //! What calculations add: the measured wavefront when it is switched on
    //! and not empty, else nothing.
    optics::MeasuredWavefrontPtr measured() const;
    //! The wavefront the page shows, switched on or not (null when empty).
    const optics::MeasuredWavefrontPtr& composed() const { return m_composed; }
    bool switchedOn() const;
    //! The name of the file the page holds ("" when none).
    QString fileName() const { return m_fileName; }

    //! "Load": reads a Zernike list, table or listing, or a wavefront map. A
    //! file that cannot be read is reported and changes nothing.
    void loadFile();
    //! "Clear": every term 0, the map gone.
    void clear();

    //! What a settings file keeps of the page: its controls, the terms as
    //! the calculations use them, and the loaded file's list and map, by
    //! value.
    QJsonValue keptState() const;
    //! Takes back what keptState() gave. A value that is damaged anywhere
    //! changes nothing and says why.
    base::Status restoreState(const QJsonValue& kept);

signals:
    //! What calculations add has changed.
    void changed();

private:
    void buildTable();
    //! The terms of the loaded list (its chosen row, in the chosen order)
    //! into the editors.
    void fillFromList();
    //! `values` into the terms and their editors.
    void showTerms(const measured::FringeArray& values);
    //! Composes the wavefront again from the editors and the map.
    void compose();
    //! Draws the preview and the PV and RMS labels.
    void showComposed();
    measured::MeasuredSettings settings() const;

    ui::DialogService& m_dialogs;
    imaging::TextPainter& m_text;

    QPushButton* m_load = nullptr;
    QPushButton* m_clear = nullptr;
    QLabel* m_file = nullptr;
    QCheckBox* m_on = nullptr;
    ui::NumberEdit* m_waveLength = nullptr;
    QComboBox* m_ordering = nullptr;
    QComboBox* m_row = nullptr;
    QCheckBox* m_normalised = nullptr;
    QCheckBox* m_surface = nullptr;
    QCheckBox* m_removeDefocus = nullptr;
    QLabel* m_peakToValley = nullptr;
    QLabel* m_rms = nullptr;
    ui::PictureBox* m_preview = nullptr;
    QTableWidget* m_table = nullptr;
    std::array<ui::NumberEdit*, optics::kFringeTerms> m_terms{};
    //! The terms as loaded or typed: the editors show them rounded to their
    //! decimals, the calculations use them as they are.
    measured::FringeArray m_values{};

    std::optional<measured::MeasuredFile> m_loaded;
    //! What a list's values are multiplied by: the file's wavelength over
    //! the editor's, when the editor cannot hold the file's.
    double m_listScale = 1.0;
    //! The loaded map as it is added, and the settings it was made for.
    std::shared_ptr<const optics::WavefrontSamples> m_prepared;
    measured::MeasuredSettings m_preparedFor;
    QString m_fileName;
    bool m_filling = false;
    optics::MeasuredWavefrontPtr m_composed;
};

}  // namespace app
