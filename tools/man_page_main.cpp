// man_page PROGRAM NAME SECTION DATE VERSION OUTPUT: writes the manual page of
// PROGRAM, made from what `PROGRAM --help` prints.
#include "man_page.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 7) {
        std::fputs("usage: man_page PROGRAM NAME SECTION DATE VERSION OUTPUT\n", stderr);
        return 1;
    }
    const std::string command = "'" + std::string(argv[1]) + "' --help";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        std::fprintf(stderr, "man_page: cannot run %s\n", command.c_str());
        return 1;
    }
    std::string help;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        help.append(buffer, n);
    if (pclose(pipe) != 0) {
        std::fprintf(stderr, "man_page: %s failed\n", command.c_str());
        return 1;
    }
    try {
        const std::string page =
            tools::ManPageFromHelp(help, {argv[2], std::stoi(argv[3]), argv[4], argv[5], "User Commands"});
        std::ofstream out(argv[6], std::ios::binary);
        out << page;
        if (!out.flush()) {
            std::fprintf(stderr, "man_page: cannot write %s\n", argv[6]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "man_page: %s\n", e.what());
        return 1;
    }
    return 0;
}
