#pragma once

#include <QString>

#include <optional>

namespace app {

//! Where the project lives on the web, and who makes it.
QString Homepage();
QString BugTracker();

//! "quintalis 0.1.0" for `program` "quintalis".
QString VersionText(const QString& program);

//! The help of `quintalis`: usage, what it does, options, files, where to
//! report faults. The manual pages are made from the help texts, so they
//! follow a fixed form: the usage line, a one-line summary, paragraphs, then
//! sections whose heading ends in a colon, with entries "  -x, --xx ARG"
//! followed by two spaces or more and their text.
QString ProgramHelp();

//! The help of `quintalis-batch`: every action with an example, the exit
//! status and whole command lines.
QString BatchHelp();

//! Answers --help (-h) and --version (-v) among the arguments of `argv`
//! (printed to standard output), before anything needs a display. Returns the
//! exit status when one of them was answered.
std::optional<int> AnswerInformationOptions(int argc, char** argv, const QString& program, const QString& help);

//! Leaves out the toolkit's note that XDG_RUNTIME_DIR is not set, which says
//! nothing to a user of a program without a window; every other message goes
//! where it went before.
void QuietenRuntimeFolderNote();

}  // namespace app
