#include "app/settings_menu.h"

#include "app/control_names.h"
#include "app/settings_file.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QToolButton>
#include <QWidget>

namespace app {

namespace {

const QLatin1String kRecentKey("recentSettings");

QString listed(const QStringList& notes)
{
    QString text;
    for (const QString& note : notes)
        text += QStringLiteral("\n- ") + note;
    return text;
}

}  // namespace

SettingsMenu::SettingsMenu(QWidget& window, QWidget* parent, WindowSettings& settings, ui::DialogService& dialogs,
                           bool remember)
    : QObject(parent), m_window(window), m_settings(settings), m_dialogs(dialogs), m_remember(remember)
{
    if (m_remember)
        m_recent = QSettings().value(kRecentKey).toStringList();

    auto* menu = new QMenu(parent);
    QAction* open = menu->addAction(QStringLiteral("&Open Settings..."), this, [this] { openSettings(); });
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* save = menu->addAction(QStringLiteral("&Save Settings..."), this, [this] { saveSettings(); });
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_recentMenu = menu->addMenu(QStringLiteral("Open &Recent"));
    // The keys work wherever the focus is in the window.
    for (QAction* action : {open, save}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_window.addAction(action);
    }
    fillRecentMenu();

    m_button = new QToolButton(parent);
    m_button->setObjectName(QLatin1String(names::kFileButton));
    m_button->setText(QStringLiteral("File"));
    m_button->setMenu(menu);
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setAutoRaise(true);
    m_button->setGeometry(640, 0, 56, 17);
    ui::setHint(m_button, QStringLiteral("File|Open and save settings files (Ctrl+O, Ctrl+Shift+S)"), true);
}

bool SettingsMenu::openSettings()
{
    const auto choice = m_dialogs.openFile(
        &m_window, QStringLiteral("Open Settings"),
        {QStringLiteral("Quintalis settings (*.quintalis)"), QStringLiteral("Pictures saved with settings (*.png)"),
         QStringLiteral("All files (*)")});
    return choice && openSettingsFile(choice->path);
}

base::Result<QStringList> SettingsMenu::load(const QString& path)
{
    const base::Result<QJsonObject> document = ReadSettingsFile(path);
    if (!document)
        return base::Fail(document.error());
    QStringList notes = m_settings.apply(*document);
    remember(path);
    return notes;
}

bool SettingsMenu::openSettingsFile(const QString& path)
{
    const base::Result<QStringList> notes = load(path);
    if (!notes) {
        m_dialogs.showMessage(&m_window, ui::MessageKind::Error, QString::fromStdString(notes.error()),
                              {ui::MessageButton::Ok});
        return false;
    }
    if (!notes->isEmpty())
        m_dialogs.showMessage(&m_window, ui::MessageKind::Warning,
                              QStringLiteral("%1 was opened; these values were left as they were or adjusted:%2")
                                  .arg(QFileInfo(path).fileName(), listed(*notes)),
                              {ui::MessageButton::Ok});
    return true;
}

base::Status SettingsMenu::save(const QString& path)
{
    const base::Status written = WriteSettingsFile(path, m_settings.document());
    if (written)
        remember(path);
    return written;
}

bool SettingsMenu::saveSettings()
{
    const auto choice = m_dialogs.saveFile(&m_window, QStringLiteral("Save Settings"),
                                           {QStringLiteral("Quintalis settings (*.quintalis)")},
                                           QStringLiteral("quintalis"));
    if (!choice)
        return false;
    QString path = choice->path;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(".quintalis");
    if (const base::Status written = save(path); !written) {
        m_dialogs.showMessage(&m_window, ui::MessageKind::Error, QString::fromStdString(written.error()),
                              {ui::MessageButton::Ok});
        return false;
    }
    return true;
}

void SettingsMenu::remember(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recent.removeAll(absolute);
    m_recent.prepend(absolute);
    while (m_recent.size() > kRecentFiles)
        m_recent.removeLast();
    if (m_remember)
        QSettings().setValue(kRecentKey, m_recent);
    fillRecentMenu();
}

void SettingsMenu::fillRecentMenu()
{
    m_recentMenu->clear();
    for (int n = 0; n < m_recent.size(); ++n) {
        const QString path = m_recent[n];
        const QString shownName = QFileInfo(path).fileName().replace(QLatin1Char('&'), QLatin1String("&&"));
        m_recentMenu
            ->addAction(QStringLiteral("&%1 %2").arg(n + 1).arg(shownName), this,
                        [this, path] {
                            // A file that is gone or damaged leaves the list.
                            if (!openSettingsFile(path)) {
                                m_recent.removeAll(path);
                                if (m_remember)
                                    QSettings().setValue(kRecentKey, m_recent);
                                fillRecentMenu();
                            }
                        })
            ->setToolTip(path);
    }
    m_recentMenu->setEnabled(!m_recent.isEmpty());
}

}  // namespace app
