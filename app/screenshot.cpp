#include "app/screenshot.h"

#include "base/utf8Text.h"
#include "render/frameCapture.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

std::string screenshotName(const std::tm& when, const std::function<bool(const std::string&)>& exists)
{
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when);
    const std::string stem = std::string("pinakora-") + stamp;
    std::string name = stem + ".png";
    for (int n = 2; exists(name); ++n)
        name = stem + "-" + std::to_string(n) + ".png";
    return name;
}

bool saveScreenshot()
{
#ifdef __EMSCRIPTEN__
    // The page has no folder to write into; the browser's own tools take pictures.
    std::cout << "Screenshot not saved: the browser version has no folder to write to." << std::endl;
    return false;
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::error_code ec;
    // A name held by anything, a dangling symbolic link included, is taken.
    const std::string name = screenshotName(local, [](const std::string& n) {
        std::error_code e;
        return std::filesystem::exists(std::filesystem::symlink_status(n, e));
    });
    std::filesystem::path path = std::filesystem::absolute(name, ec);
    if (ec)
        path = name;
    std::string why;
    if (!writePng(readPresentedFrame(), path.string(), &why)) {
        std::cerr << "Screenshot not saved: " << printableText(path.string()) << ": " << why << std::endl;
        return false;
    }
    std::cout << path.string() << std::endl;
    return true;
#endif
}
