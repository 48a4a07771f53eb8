#include "app/viewSharing.h"

#include "app/application.h"

#include <iostream>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

#ifndef __EMSCRIPTEN__
// Single quotes for the shell, so a path with spaces or quotes pastes as it is.
std::string quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
#endif

} // namespace

ViewLink currentViewLink()
{
    const Application& application = defaultApplication();
    return viewLinkOf(application.view, application.tour, application.clock.totalTime);
}

void shareView()
{
    const std::string text = formatViewLink(currentViewLink());
#ifdef __EMSCRIPTEN__
    EM_ASM({
        var address = location.href.split('#')[0] + '#view=' + UTF8ToString($0);
        history.replaceState(history.state, "", address);
        console.log('View: ' + address);
        if (navigator.clipboard && navigator.clipboard.writeText)
            navigator.clipboard.writeText(address).then(function () { console.log('View: copied to the clipboard'); },
                                                        function () {});
    }, text.c_str());
#else
    const std::string& hall = defaultApplication().exhibitionPath;
    std::cout << "View: pinakora " << (hall.empty() ? "" : "--hall " + quoted(hall) + " ") << "--view " << text
              << std::endl;
#endif
}
