#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace ui {

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class MessageButton { Ok, Cancel, Yes, No };

QString toString(MessageKind kind);
QString toString(MessageButton button);

//! A file chosen in a file dialog, with the index (1-based) of the filter the
//! user picked. A scripted choice with index 0 takes the filter the dialog
//! offered.
struct FileChoice {
    QString path;
    int filterIndex = 1;
};

//! Every message box and file dialog of the program goes through this, so
//! handler tests and the batch driver can answer without a human.
class DialogService {
public:
    virtual ~DialogService() = default;
    //! Shows a modal message with the given buttons; returns the one pressed
    //! (Cancel, or the last button, when the box is closed otherwise).
    virtual MessageButton showMessage(QWidget* parent, MessageKind kind, const QString& text,
                                      const QList<MessageButton>& buttons) = 0;
    //! Open and save dialogs; nothing when the user cancels. `filters` are
    //! "Description (*.ext *.ext2)". A name typed without an extension in the
    //! save dialog gets the first extension of the file type picked, or
    //! `defaultSuffix` ("jpg", no dot) when that type has none. The save
    //! dialog offers the file type `selectedFilter` (from 1) first.
    virtual std::optional<FileChoice> openFile(QWidget* parent, const QString& title,
                                               const QStringList& filters) = 0;
    virtual std::optional<FileChoice> saveFile(QWidget* parent, const QString& title, const QStringList& filters,
                                               const QString& defaultSuffix = {}, int selectedFilter = 1) = 0;
    //! A message with an OK button saying that what the user asked for was
    //! not done (a run refused, nothing to save). Shown like any other;
    //! scripts count it, like an error message, as an action that failed.
    virtual void showRefusal(QWidget* parent, MessageKind kind, const QString& text)
    {
        showMessage(parent, kind, text, {MessageButton::Ok});
    }
};

//! The real dialogs of the toolkit. File dialogs open in the folder used
//! last, kept between runs of the program.
class QtDialogService final : public DialogService {
public:
    QtDialogService();
    MessageButton showMessage(QWidget* parent, MessageKind kind, const QString& text,
                              const QList<MessageButton>& buttons) override;
    std::optional<FileChoice> openFile(QWidget* parent, const QString& title, const QStringList& filters) override;
    std::optional<FileChoice> saveFile(QWidget* parent, const QString& title, const QStringList& filters,
                                       const QString& defaultSuffix = {}, int selectedFilter = 1) override;

private:
    void remember(const QString& path);

    QString m_folder;
};

//! Answers from a script and records every message shown. With no scripted
//! answer a message box is answered with its first button and a file dialog
//! is cancelled. A scripted file name is returned as it is, without a
//! default suffix.
class ScriptedDialogService final : public DialogService {
public:
    //! A file dialog as it was asked for.
    struct FileDialog {
        QString title;
        QStringList filters;
        QString defaultSuffix;
        int selectedFilter = 1;
    };

    struct Shown {
        MessageKind kind;
        QString text;
        QList<MessageButton> buttons;
        MessageButton answer;
        bool refusal = false;  //!< shown by showRefusal
    };

    void queueAnswer(MessageButton answer) { m_answers.push_back(answer); }
    void queueFile(FileChoice choice) { m_files.push_back(std::move(choice)); }
    //! Sets the filter index of the file queued last; false when none is queued.
    bool setLastFileFilter(int filterIndex)
    {
        if (m_files.empty())
            return false;
        m_files.back().filterIndex = filterIndex;
        return true;
    }
    const std::vector<Shown>& shown() const { return m_shown; }
    //! Every file dialog asked for, open and save.
    const std::vector<FileDialog>& fileDialogs() const { return m_fileDialogs; }
    //! How many file dialogs found no scripted file (and were cancelled).
    int unansweredFileDialogs() const { return m_unansweredFiles; }
    void clearShown() { m_shown.clear(); }

    MessageButton showMessage(QWidget* parent, MessageKind kind, const QString& text,
                              const QList<MessageButton>& buttons) override;
    std::optional<FileChoice> openFile(QWidget* parent, const QString& title, const QStringList& filters) override;
    std::optional<FileChoice> saveFile(QWidget* parent, const QString& title, const QStringList& filters,
                                       const QString& defaultSuffix = {}, int selectedFilter = 1) override;
    void showRefusal(QWidget* parent, MessageKind kind, const QString& text) override;

private:
    std::optional<FileChoice> nextFile(int offered);

    std::deque<MessageButton> m_answers;
    std::deque<FileChoice> m_files;
    std::vector<Shown> m_shown;
    std::vector<FileDialog> m_fileDialogs;
    int m_unansweredFiles = 0;
};

}  // namespace ui
