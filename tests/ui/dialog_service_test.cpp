#include "ui/dialog_service.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
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

}  // namespace
