#pragma once
// Command lines of the viewer and of the capture and benchmark tools, and the browser
// page's URL parameters, read by the one option table (app/options.h): a command line is
// checked whole before any window opens, and the first bad argument comes back as one
// line that names it ("--size: 0x0 is not a size; want WxH with 1..8192"). No GL here.
#include "app/options.h"

#include <string>
#include <vector>

// The arguments after the program name, from the front's defaults on: false with `error`
// set on the first bad one ("--size: 0x0 is not a size; ..."), after the rules between
// options. --help (or -h) ends parsing at once.
bool parseCommandLine(Front front, const std::vector<std::string>& args, Options& options, std::string& error,
                      const std::vector<OptionEntry>& table = optionTable());

// The page's URL parameters as name-value pairs (?t=8&size=960x540 comes as t 8 size 960x540),
// by the same entries, but a page goes on: each bad parameter adds one line to `problems`
// naming it and is left at its default. False when there were problems.
bool parsePageParameters(const std::vector<std::string>& args, Options& options, std::vector<std::string>& problems,
                         const std::vector<OptionEntry>& table = optionTable());

// A front's --help: its usage and the entries it takes; for the page, the list of its
// URL parameters.
std::string helpText(Front front, const std::vector<OptionEntry>& table = optionTable());

std::vector<std::string> argumentList(int argc, char** argv);

// The line printed when a size is beyond what the driver can draw (0 when it fits).
std::string driverSizeRefusal(const char* option, int width, int height, int driverLimit);
