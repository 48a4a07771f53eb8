#pragma once
// F12's screenshot: the picture the window shows, saved as a PNG named after the local
// time in the current folder, the same bytes the capture tool writes for that frame.

#include <ctime>
#include <functional>
#include <string>

// "pinakora-YYYYMMDD-HHMMSS.png", or with -2, -3 ... before ".png" while `exists` says
// the name is taken. No GL, no file system.
std::string screenshotName(const std::tm& when, const std::function<bool(const std::string&)>& exists);

// Reads back the presented frame and writes it; prints the path on standard output, or
// one line on standard error when it cannot be written. The viewer goes on either way.
bool saveScreenshot();
