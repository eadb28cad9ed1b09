#include "ui/dialog_service.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The real save dialog, answered as a user would: pick a file type, type a
// name without an extension, accept.
TEST(SaveDialog, ANameWithoutExtensionGetsThatOfTheTypePicked)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::pair<int, const char*> cases[] = {{0, "picture.jpg"}, {1, "picture.bmp"}};
    for (const auto& [type, expected] : cases) {
        QTimer::singleShot(0, [&, type = type] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(type);
            emit types->activated(type);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(folder.filePath("picture"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        ui::QtDialogService dialogs;
        const auto choice = dialogs.saveFile(nullptr, QStringLiteral("Save Picture"),
                                             {QStringLiteral("Jpeg-Bitmap (*.jpg *.jpeg)"), QStringLiteral("BMP-Bitmap (*.bmp)")},
                                             QStringLiteral("jpg"));
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->path.toStdString(), folder.filePath(expected).toStdString());
        EXPECT_EQ(choice->filterIndex, type + 1);
    }
}

// The folder of the last file chosen is where the next dialog opens, also in
// the next run of the program.
TEST(SaveDialog, OpensInTheFolderUsedLast)
{
    QTemporaryDir settings;
    QTemporaryDir folder;
    ASSERT_TRUE(settings.isValid() && folder.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings().remove(QStringLiteral("lastFolder"));
    QStringList opened;
    auto answer = [&](const QString& name) {
        QTimer::singleShot(0, [&, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            opened << dialog->directory().absolutePath();
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    const QStringList types{QStringLiteral("BMP-Bitmap (*.bmp)")};
    {
        ui::QtDialogService dialogs;
        answer(folder.filePath("first.bmp"));
        ASSERT_TRUE(dialogs.saveFile(nullptr, QStringLiteral("Save Picture"), types, QStringLiteral("bmp")));
        answer(QStringLiteral("second.bmp"));
        const auto second = dialogs.saveFile(nullptr, QStringLiteral("Save Picture"), types, QStringLiteral("bmp"));
        ASSERT_TRUE(second.has_value());
        EXPECT_EQ(second->path, folder.filePath("second.bmp"));
    }
    ui::QtDialogService nextRun;
    answer(QStringLiteral("third.bmp"));
    ASSERT_TRUE(nextRun.saveFile(nullptr, QStringLiteral("Save Picture"), types, QStringLiteral("bmp")));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[1], QDir(folder.path()).absolutePath());
    EXPECT_EQ(opened[2], QDir(folder.path()).absolutePath());
}

}  // namespace
