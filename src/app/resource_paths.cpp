#include "app/resource_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef QUINTALIS_DATA_DIR
#define QUINTALIS_DATA_DIR "/usr/local/share/quintalis"
#endif

namespace app {

QStringList DataFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{QString()};  // the working directory, names as given
    folders << programFolder;
    folders << QDir::cleanPath(programFolder + QStringLiteral("/../share/quintalis"));
    folders << QStringLiteral(QUINTALIS_DATA_DIR);
    folders.removeDuplicates();
    return folders;
}

QString FindDataFile(const QString& name)
{
    for (const QString& folder : DataFolders()) {
        const QString path = folder.isEmpty() ? name : QDir(folder).filePath(name);
        // Whatever stands under the name is taken, so that a folder or a pipe
        // called mars.jpg is reported as such by the reader instead of
        // being passed over.
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

}  // namespace app
