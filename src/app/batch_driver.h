#pragma once

#include "optics/grid.h"

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>
#include <vector>

class QWidget;


namespace ui {
class ScriptedDialogService;
}

namespace app {

class MainWindow;

//! A failed batch action: unknown control, bad argument, unwritable file.
class BatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
    //! folder. Throws BatchError for the first problem.
    std::vector<BatchAction> check(const QStringList& arguments) const;

    //! Checks `arguments` (the program name excluded), then runs every action;
    //! throws BatchError when the line is refused (nothing has run then) or
    //! when an action fails on the way (a disabled button, a write error).
    void run(const QStringList& arguments);

    //! The usage text.
    static QString usage();

private:
    void checkAction(const BatchAction& action) const;
    void runAction(const BatchAction& action);
    QWidget* control(const QString& name) const;

    void setValue(const QString& name, const QString& value);
    void setChecked(const QString& name, bool checked);
    void select(const QString& name, const QString& index);
    void click(const QString& name);
    void savePicture(const QString& name, const QString& path);
    void dumpControls(const QString& path) const;
    void dumpState(const QString& path) const;
    void dumpGrid(const QString& name, const QString& path) const;

    MainWindow& m_form;
    ui::ScriptedDialogService& m_dialogs;
    int m_pendingFilter = 0;
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
//! Returns why it could not be written, or an empty string.
std::string writeNpy(const QString& path, const optics::Grid& grid);

//! Writes the data area of the colour grid as float64, shape (512, 512, 3),
//! the channels red, green, blue last.
std::string writeNpy(const QString& path, const optics::ColourCells& grid);

}  // namespace app
