#pragma once
// The console as the programs find it: a closed standard input, output or error is
// reopened on /dev/null before anything else takes its number (the X connection would,
// and console lines would go into its protocol stream); a broken pipe is an error to
// report, not a signal to die of; a lost standard output is said once on standard error.
#include <streambuf>

// Standard output as std::cout writes it while this filter is in place: through stdout,
// so its lines keep their order with printf's; a failed write is reported once and the
// output goes on being discarded, so a capture piped into `head` still writes all its frames.
class ReportingOutput : public std::streambuf {
public:
    explicit ReportingOutput(const char* program) : program(program) {}

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void failed(int error);

    const char* program;
    bool reported = false;
};

// Made first thing in main, before any file, window or thread is opened, and kept to the
// end of main: puts the above in place and gives std::cout its own buffer back when it
// goes (std::cout is flushed once more after main returns).
class ProtectedConsole {
public:
    explicit ProtectedConsole(const char* program);
    ~ProtectedConsole();
    ProtectedConsole(const ProtectedConsole&) = delete;
    ProtectedConsole& operator=(const ProtectedConsole&) = delete;

private:
    ReportingOutput output;
    std::streambuf* previous;
};
