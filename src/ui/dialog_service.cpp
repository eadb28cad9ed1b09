#include "ui/dialog_service.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QMessageBox>
#include <QRegularExpression>

namespace ui {

QString toString(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return QStringLiteral("information");
    case MessageKind::Warning: return QStringLiteral("warning");
    case MessageKind::Error: return QStringLiteral("error");
    case MessageKind::Confirmation: return QStringLiteral("confirmation");
    }
    return {};
}

QString toString(MessageButton button)
{
    switch (button) {
    case MessageButton::Ok: return QStringLiteral("OK");
    case MessageButton::Cancel: return QStringLiteral("Cancel");
    case MessageButton::Yes: return QStringLiteral("Yes");
    case MessageButton::No: return QStringLiteral("No");
    }
    return {};
}

namespace {

QMessageBox::StandardButton standardButton(MessageButton button)
{
    switch (button) {
    case MessageButton::Ok: return QMessageBox::Ok;
    case MessageButton::Cancel: return QMessageBox::Cancel;
    case MessageButton::Yes: return QMessageBox::Yes;
    case MessageButton::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QString joinedFilters(const QStringList& filters)
{
    return filters.join(QStringLiteral(";;"));
}

std::optional<FileChoice> choice(const QString& path, const QString& selected, const QStringList& filters)
{
    if (path.isEmpty())
        return std::nullopt;
    const int index = filters.indexOf(selected);
    return FileChoice{path, index < 0 ? 1 : index + 1};
}

}  // namespace

MessageButton QtDialogService::showMessage(QWidget* parent, MessageKind kind, const QString& text,
                                           const QList<MessageButton>& buttons)
{
    // A parent that is not on screen yet (messages during start-up) would put
    // the box at the top left of the screen: without one it is centred.
    QMessageBox box(parent && parent->isVisible() ? parent : nullptr);
    switch (kind) {
    case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
    case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageKind::Confirmation: box.setIcon(QMessageBox::Question); break;
    }
    box.setWindowTitle(QStringLiteral("Quintalis"));
    box.setText(text);
    QMessageBox::StandardButtons set;
    for (MessageButton b : buttons)
        set |= standardButton(b);
    box.setStandardButtons(set);
    const int result = box.exec();
    for (MessageButton b : buttons)
        if (result == standardButton(b))
            return b;
    return buttons.contains(MessageButton::Cancel) ? MessageButton::Cancel : buttons.value(buttons.size() - 1);
}

QtDialogService::QtDialogService() : m_folder(QSettings().value(QStringLiteral("lastFolder")).toString())
{
}

void QtDialogService::remember(const QString& path)
{
    m_folder = QFileInfo(path).absolutePath();
    QSettings().setValue(QStringLiteral("lastFolder"), m_folder);
}

std::optional<FileChoice> QtDialogService::openFile(QWidget* parent, const QString& title, const QStringList& filters)
{
    QString selected = filters.value(0);
    const QString path = QFileDialog::getOpenFileName(parent, title, m_folder, joinedFilters(filters), &selected);
    if (!path.isEmpty())
        remember(path);
    return choice(path, selected, filters);
}

namespace {

// The first extension of a filter, "bmp" for "BMP-Bitmap (*.bmp)".
QString firstSuffix(const QString& filter)
{
    const int star = filter.indexOf(QLatin1String("*."));
    if (star < 0)
        return {};
    QString suffix = filter.mid(star + 2);
    const int end = suffix.indexOf(QRegularExpression(QStringLiteral("[ ;)]")));
    return end < 0 ? suffix : suffix.left(end);
}

// A save dialog whose extension for a name typed without one is that of the
// file type picked when the user accepts (the dialog itself only swaps an
// extension that was typed).
class SaveDialog final : public QFileDialog {
public:
    SaveDialog(QWidget* parent, const QString& title, const QString& fallback)
        : QFileDialog(parent, title), m_fallback(fallback)
    {
    }

protected:
    void accept() override
    {
        const QString suffix = firstSuffix(selectedNameFilter());
        setDefaultSuffix(suffix.isEmpty() ? m_fallback : suffix);
        QFileDialog::accept();
    }

private:
    QString m_fallback;
};

}  // namespace

std::optional<FileChoice> QtDialogService::saveFile(QWidget* parent, const QString& title, const QStringList& filters,
                                                    const QString& defaultSuffix, int selectedFilter)
{
    SaveDialog dialog(parent, title, defaultSuffix);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (selectedFilter >= 1 && selectedFilter <= filters.size())
        dialog.selectNameFilter(filters[selectedFilter - 1]);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!m_folder.isEmpty())
        dialog.setDirectory(m_folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    remember(dialog.selectedFiles().first());
    return choice(dialog.selectedFiles().first(), dialog.selectedNameFilter(), filters);
}

MessageButton ScriptedDialogService::showMessage(QWidget*, MessageKind kind, const QString& text,
                                                 const QList<MessageButton>& buttons)
{
    MessageButton answer = buttons.value(0, MessageButton::Ok);
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_shown.push_back({kind, text, buttons, answer});
    return answer;
}

void ScriptedDialogService::showRefusal(QWidget* parent, MessageKind kind, const QString& text)
{
    showMessage(parent, kind, text, {MessageButton::Ok});
    m_shown.back().refusal = true;
}

std::optional<FileChoice> ScriptedDialogService::nextFile(int offered)
{
    if (m_files.empty()) {
        ++m_unansweredFiles;
        return std::nullopt;
    }
    FileChoice c = m_files.front();
    m_files.pop_front();
    if (c.filterIndex == 0)
        c.filterIndex = offered;
    return c;
}

std::optional<FileChoice> ScriptedDialogService::openFile(QWidget*, const QString& title, const QStringList& filters)
{
    m_fileDialogs.push_back({title, filters, {}, 1});
    return nextFile(1);
}

std::optional<FileChoice> ScriptedDialogService::saveFile(QWidget*, const QString& title, const QStringList& filters,
                                                          const QString& defaultSuffix, int selectedFilter)
{
    m_fileDialogs.push_back({title, filters, defaultSuffix, selectedFilter});
    return nextFile(selectedFilter);
}

}  // namespace ui
