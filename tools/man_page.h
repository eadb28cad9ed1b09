#pragma once

#include <string>

namespace tools {

//! What a manual page says about itself in its title line.
struct ManTitle {
    std::string name;     //!< "quintalis"
    int section = 1;
    std::string date;     //!< "2026-12-07"
    std::string version;  //!< "0.1.0"
    std::string manual;   //!< "User Commands"
};

//! A manual page in roff (the man macros) from a program's --help text, which
//! has this form:
//!
//! - "Usage: PROGRAM ARGUMENTS", then a one-line summary: the NAME and
//!   SYNOPSIS sections;
//! - paragraphs up to the first heading: DESCRIPTION;
//! - headings (a line at the margin that ends in a colon), each followed by:
//!   entries "  TERM  TEXT" (two spaces or more between them) or "  TERM"
//!   with its text on the lines indented further; a line of such text that
//!   starts with "e.g. " is an example and starts a line of its own;
//!   introductions "  Some words:" followed by lines indented four spaces or
//!   more, which are shown as typed (command lines); and plain lines at the
//!   margin, which make paragraphs.
std::string ManPageFromHelp(const std::string& help, const ManTitle& title);

//! `text` with the characters roff would take as its own escaped: the
//! backslash, a hyphen (a minus sign in commands and options), and a dot or
//! apostrophe at the start of a line.
std::string RoffEscape(const std::string& text);

}  // namespace tools
