#pragma once

#include "base/result.h"

#include <string>
#include <string_view>

namespace imaging {

//! The words for a system error number (errno), as the messages of the
//! readers and writers use them: "permission denied", "no space left on the
//! device", "it does not exist", ...
std::string SystemErrorReason(int error);

//! Writes `bytes` as the whole contents of `path`, without ever leaving a
//! half-written file, replacing something that is not a file, or writing
//! what the user could not write:
//!
//! - A symbolic link is followed to the end of its chain; what lies there is
//!   written as below and the links stay links. A link to nothing creates
//!   its target.
//! - An existing file that the user may not write is refused ("it is
//!   read-only"), as a shell refuses it; root may write any.
//! - A regular file, or a new one, is written to a temporary file in the
//!   same folder, flushed to the disk and renamed into place only once
//!   complete. The temporary name is hidden and short enough for any legal
//!   name of the target. A replaced file keeps its owner, group and mode; a
//!   new one gets the usual ones for the user (0666 less the umask). A failed
//!   write leaves the old file as it was and no temporary file behind.
//! - A file with other names (hard links), or one whose owner and group a
//!   replacement could not take (a file of another user that this one may
//!   write), is written in place: the new contents are all in memory before
//!   it is truncated and written, and a write that fails puts the old
//!   contents back. Its names, owner, group and mode stay.
//! - An existing character device or pipe (/dev/null, /dev/stdout, a FIFO)
//!   is opened for writing as it is, neither created nor truncated, and
//!   written directly. A pipe that nobody reads is refused at once
//!   ("nothing is reading the pipe") instead of waiting for a reader; a pipe
//!   whose reader goes away makes the write fail (it does not end the
//!   program with SIGPIPE).
//! - A folder, a disk device or a socket is refused.
//! A failure says why in one sentence ("cannot write /x/y.jpg: the folder
//! does not exist").
base::Status WriteFile(const std::string& path, std::string_view bytes);

}  // namespace imaging
