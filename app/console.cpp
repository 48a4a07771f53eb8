#include "app/console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

ProtectedConsole::ProtectedConsole(const char* program) : output(program), previous(nullptr)
{
    // Lowest numbers first: open() takes the lowest free one, which is the one closed.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    std::signal(SIGPIPE, SIG_IGN);
    previous = std::cout.rdbuf(&output);
}

ProtectedConsole::~ProtectedConsole()
{
    std::cout.flush();
    std::cout.rdbuf(previous);
}

int ReportingOutput::overflow(int c)
{
    if (c != EOF && std::fputc(c, stdout) == EOF)
        failed(errno);
    return c == EOF ? 0 : c;
}

std::streamsize ReportingOutput::xsputn(const char* text, std::streamsize count)
{
    if (std::fwrite(text, 1, static_cast<size_t>(count), stdout) != static_cast<size_t>(count))
        failed(errno);
    return count;
}

int ReportingOutput::sync()
{
    if (std::fflush(stdout) != 0)
        failed(errno);
    return 0;
}

void ReportingOutput::failed(int error)
{
    std::clearerr(stdout);
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "%s: standard output cannot be written (%s); its lines are dropped from here on\n",
                 program, std::strerror(error));
}
