#pragma once

#include "base/result.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QToolButton;
class QWidget;

namespace ui {
class DialogService;
}

namespace app {

class WindowSettings;

//! The window's File button (`FileButton`, over the parameter column) and
//! its menu: Open Settings (Ctrl+O), Save Settings (Ctrl+Shift+S) and the
//! files opened or saved lately. Messages go through the dialogs.
class SettingsMenu : public QObject {
    Q_OBJECT

public:
    //! How many files the recent list keeps.
    static constexpr int kRecentFiles = 8;

    //! The button is made as a child of `parent` (the window's client), at
    //! its top right; the keys work anywhere in `window`. With `remember` the recent files are kept
    //! between runs of the program.
    SettingsMenu(QWidget& window, QWidget* parent, WindowSettings& settings, ui::DialogService& dialogs,
                 bool remember);

    //! Asks for a settings file (or a PNG picture the program saved) and opens it.
    bool openSettings();
    //! Opens `path`: the controls take its values. A file that cannot be
    //! read or is damaged changes nothing and says why; one with values this
    //! version cannot take loads the others and names what it left out.
    //! Returns whether anything was loaded.
    bool openSettingsFile(const QString& path);
    //! Asks where to save the settings (a name without an extension gets
    //! .quintalis) and writes them.
    bool saveSettings();

    //! Loads `path` without a message: the notes about what was left out,
    //! or why nothing was loaded.
    base::Result<QStringList> load(const QString& path);
    //! Writes the settings to `path` without a message.
    base::Status save(const QString& path);

    //! The files opened or saved lately, the last first.
    QStringList recentFiles() const { return m_recent; }

private:
    void remember(const QString& path);
    void fillRecentMenu();

    QWidget& m_window;
    WindowSettings& m_settings;
    ui::DialogService& m_dialogs;
    bool m_remember;
    QToolButton* m_button = nullptr;
    QMenu* m_recentMenu = nullptr;
    QStringList m_recent;
};

}  // namespace app
