#pragma once

#include <QString>
#include <QStringList>

namespace app {

//! The folders searched for the program's data files (the planet pictures),
//! in order: the current working directory; the program's own folder (a
//! build tree, or a copy unpacked anywhere); share/quintalis beside the
//! program's bin folder (an installed copy, wherever its prefix was moved);
//! the share/quintalis folder of the prefix the program was built for.
QStringList DataFolders();

//! `name` as found in the first of DataFolders() that holds it (relative to
//! the working directory when found there), or an empty string.
QString FindDataFile(const QString& name);

}  // namespace app
