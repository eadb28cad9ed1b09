#pragma once

#include "optics/grid.h"

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <utility>

class QWidget;

namespace ui {
class ScriptedDialogService;
}

namespace app {

class TForm1;

//! A failed batch action: unknown control, bad argument, unwritable file.
class BatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Runs command-line actions, in order, against a window created offscreen.
//! Controls are found by their object names. See the README for the actions.
class BatchDriver {
public:
    BatchDriver(TForm1& form, ui::ScriptedDialogService& dialogs);

    //! Runs every action of `arguments` (the program name excluded); throws
    //! BatchError at the first one that cannot be carried out.
    void run(const QStringList& arguments);

    //! The usage text.
    static QString usage();

private:
    void runAction(const QString& action, const QString& argument);
    QWidget* control(const QString& name) const;
    static std::pair<QString, QString> splitAssignment(const QString& argument, const QString& action);

    void setValue(const QString& name, const QString& value);
    void setChecked(const QString& name, bool checked);
    void select(const QString& name, const QString& index);
    void click(const QString& name);
    void savePicture(const QString& name, const QString& path);
    void dumpControls(const QString& path) const;
    void dumpState(const QString& path) const;
    void dumpGrid(const QString& name, const QString& path) const;

    TForm1& m_form;
    ui::ScriptedDialogService& m_dialogs;
    int m_pendingFilter = 0;
};

//! Writes the data area [1..512][1..512] of a grid as a NumPy .npy file of
//! little-endian float64, shape (512, 512), first array axis = first grid index.
//! Written to a temporary name and renamed; returns false when it cannot be.
bool writeNpy(const QString& path, const optics::Grid& grid);

}  // namespace app
