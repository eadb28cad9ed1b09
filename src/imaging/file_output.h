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
//! half-written file or replacing something that is not a file:
//!
//! - A symbolic link is followed to the end of its chain; what lies there is
//!   written as below and the links stay links. A link to nothing creates
//!   its target.
//! - A regular file, or a new one, is written to a temporary file in the
//!   same folder, flushed to the disk and renamed into place only once
//!   complete. A replaced file keeps its permissions; a new one gets the
//!   usual ones for the user (0666 less the umask). A failed write leaves the
//!   old file as it was and no temporary file behind.
//! - An existing character device or pipe (/dev/null, /dev/stdout, a FIFO)
//!   is opened for writing as it is, neither created nor truncated, and
//!   written directly. A pipe with no reader waits for one, as a shell does;
//!   a pipe whose reader has gone makes the write fail (it does not end the
//!   program with SIGPIPE).
//! - A folder, a disk device or a socket is refused.
//! A failure says why in one sentence ("cannot write /x/y.jpg: the folder
//! does not exist").
base::Status WriteFile(const std::string& path, std::string_view bytes);

}  // namespace imaging
