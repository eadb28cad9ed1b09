#pragma once

#include "base/result.h"
#include "optics/grid.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;


namespace ui {
class ScriptedDialogService;
}

namespace app {

class MainWindow;

//! One action of the command line and its argument.
struct BatchAction {
    QString name;      //!< "--set", "--click", ...
    QString argument;  //!< NAME=VALUE, NAME, PATH, ...
};

//! Runs command-line actions, in order, against a window created offscreen.
//! Controls are found by their object names. See the README for the actions.
class BatchDriver {
public:
    BatchDriver(MainWindow& form, ui::ScriptedDialogService& dialogs);

    //! Checks the whole command line without running anything: every action,
    //! control name and kind, value, answer, index, grid name and output
    //! folder. Fails with the first problem.
    base::Result<std::vector<BatchAction>> check(const QStringList& arguments) const;

    //! Checks `arguments` (the program name excluded), then runs every action.
    //! Fails when the line is refused (nothing has run then, failures() is
    //! empty) or when any action did not do what it was asked: it failed on
    //! its own (a disabled button, a write error), or an error message, a
    //! refusal (see ui::DialogService::showRefusal) or a file dialog without
    //! a --file came up while it or the runs it started went on. Every action
    //! runs either way; failures() says which went wrong.
    base::Status run(const QStringList& arguments);

    //! One line for each thing that went wrong in the last run(), naming the
    //! action ("--click SpeedButton2 (action 3): Focus-value is Zero").
    const QStringList& failures() const { return m_failures; }

    //! The usage text.
    static QString usage();

private:
    base::Status checkAction(const BatchAction& action) const;
    base::Status runAction(const BatchAction& action);
    base::Result<QWidget*> control(const QString& name) const;

    void setValue(QWidget* control, const QString& value);
    void typeInto(QWidget* control, const QString& text);
    void setChecked(QWidget* control, bool checked);
    void select(QWidget* control, const QString& index);
    base::Status click(const QString& name, QWidget* control);
    base::Status savePicture(const QString& name, const QString& path);
    //! Draws the Tests page's pictures that wait for the page, and waits.
    void bringTestsUpToDate();
    base::Status dumpControls(const QString& path) const;
    base::Status dumpState(const QString& path) const;
    base::Status dumpGrid(const QString& name, const QString& path) const;
    //! Adds to failures() what the dialogs took since the last look, for the
    //! action `number` (from 1).
    void collectFailures(const BatchAction& action, int number);

    MainWindow& m_form;
    ui::ScriptedDialogService& m_dialogs;
    int m_pendingFilter = 0;
    QStringList m_failures;
    std::size_t m_messagesSeen = 0;
    int m_unansweredSeen = 0;
};

//! The names `--dump-grid` knows: the eleven grids and ColourGrid.
QStringList gridNames();

//! The grid `--dump-grid` writes for `name` (one of gridNames() but
//! ColourGrid), as the last calculations left it:
//!
//! - StarGrid: the last image a display step made (a star, or a planet);
//! - WavefrontGrid: its raw intensity in transform order; FieldReal and
//!   FieldImag: the image-plane amplitude (or the planet convolution);
//! - OtfReal and OtfImag: the last transfer function or convolution kernel's
//!   spectrum, and OtfImag the aperture mask when the last calculation
//!   computed neither;
//! - TurbulenceGrid, RoughnessGrid: the screens of the last calculation;
//! - IntraGrid: the intra-focal image of the last intra/extra run; KernelGrid:
//!   the star image of the last planet pass; ZeroGrid: zeros.
//!
//! Grids nothing has made yet are all zero.
const optics::Grid& NamedGrid(const MainWindow& window, const QString& name);
//! The colour sums of the last chromatic or colour planet run.
const optics::ColourCells& NamedColourGrid(const MainWindow& window);

//! Writes the data area [1..512][1..512] of a grid as a NumPy .npy file of
//! little-endian float64, shape (512, 512), first array axis = first grid index.
base::Status WriteNpy(const QString& path, const optics::Grid& grid);

//! Writes the data area of the colour grid as float64, shape (512, 512, 3),
//! the channels red, green, blue last.
base::Status WriteNpy(const QString& path, const optics::ColourCells& grid);

}  // namespace app
