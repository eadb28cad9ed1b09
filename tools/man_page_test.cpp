// Manual pages from help texts: each form of line becomes its roff.
#include "man_page.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const tools::ManTitle kTitle{"prog", 1, "2026-12-07", "1.2.3", "User Commands"};

// The part of the page after the fixed head (title, name, synopsis).
std::string body(const std::string& help)
{
    const std::string page = tools::ManPageFromHelp("Usage: prog [OPTION]... FILE\nDoes things.\n" + help, kTitle);
    const std::string marker = ".SH DESCRIPTION\n";
    return page.substr(page.find(marker) + marker.size());
}

TEST(ManPage, TitleNameAndSynopsisComeFromTheFirstTwoLines)
{
    EXPECT_EQ(tools::ManPageFromHelp("Usage: prog [OPTION]... SETTINGS_FILE\nDoes things.\n", kTitle),
              ".TH PROG 1 \"2026-12-07\" \"prog 1.2.3\" \"User Commands\"\n"
              ".SH NAME\n"
              "prog \\- does things\n"
              ".SH SYNOPSIS\n"
              ".B prog\n"
              "[\\fIOPTION\\fR]... \\fISETTINGS_FILE\\fR\n"
              ".SH DESCRIPTION\n");
    EXPECT_THROW(tools::ManPageFromHelp("prog: does things\n", kTitle), std::runtime_error);
}

TEST(ManPage, EveryFormOfLineHasItsRoff)
{
    struct Case {
        const char* help;
        const char* roff;
    } cases[] = {
        {"\nFirst paragraph\ngoes on.\n\nSecond.\n", ".PP\nFirst paragraph\ngoes on.\n.PP\nSecond.\n"},
        {"Options:\n  -h, --help    print this\n", ".SH OPTIONS\n.TP\n\\fB\\-h,\\fR \\fB\\-\\-help\\fR\nprint this\n"},
        {"Actions:\n  --set NAME=VALUE   type it\n                     and leave\n                     e.g. --set A=1\n",
         ".SH ACTIONS\n.TP\n\\fB\\-\\-set\\fR \\fINAME\\fR=\\fIVALUE\\fR\ntype it\nand leave\n.br\n"
         "e.g. \\fB\\-\\-set A=1\\fR\n"},
        {"Files:\n  ~/.config/x.conf\n            what it keeps\n",
         ".SH FILES\n.TP\n~/.config/x.conf\nwhat it keeps\n"},
        {"Examples:\n  A star:\n    prog --set A=1 \\\n      --click B\n",
         ".SH EXAMPLES\n.PP\nA star:\n.RS 4\n.nf\nprog \\-\\-set A=1 \\e\n  \\-\\-click B\n.fi\n.RE\n"},
        {"Reporting faults:\n.dots and 'quotes start lines\n", ".SH REPORTING FAULTS\n\\&.dots and 'quotes start lines\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(body(c.help), c.roff) << c.help;
}

}  // namespace
