#include "programs/shaderSource.h"

#include "assets/assetFiles.h"

#include <sstream>

namespace {

// Nested includes deeper than this are a cycle or a mistake, not a design.
constexpr int maxIncludeDepth = 8;

// The quoted name of an `#include "name"` line; empty for any other line.
std::string includedName(const std::string& line)
{
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line.compare(at, 8, "#include") != 0)
        return {};
    const size_t open = line.find('"', at + 8);
    const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos || close == open + 1)
        return {};
    return line.substr(open + 1, close - open - 1);
}

bool isVersionLine(const std::string& line)
{
    const size_t at = line.find_first_not_of(" \t");
    return at != std::string::npos && line.compare(at, 8, "#version") == 0;
}

// Whether an include name stays in the including file's folder: relative, and no `..`.
bool staysInFolder(const std::string& name)
{
    if (name[0] == '/')
        return false;
    std::istringstream parts(name);
    std::string part;
    while (std::getline(parts, part, '/'))
        if (part == "..")
            return false;
    return true;
}

std::string directoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

struct Splicer {
    const ShaderFileReader& read;
    ShaderSource result;

    void lineDirective(int line, size_t file) { result.text += "#line " + std::to_string(line) + " " + std::to_string(file) + "\n"; }

    // Appends `text` of file number `file`, starting at its line `firstLine`.
    void splice(const std::string& path, const std::string& text, size_t file, int firstLine, int depth)
    {
        std::istringstream lines(text);
        std::string line;
        int number = 0;
        while (std::getline(lines, line)) {
            ++number;
            if (number < firstLine)
                continue;
            const std::string name = includedName(line);
            if (name.empty()) {
                result.text += line + "\n";
                continue;
            }
            const std::string includedPath = name[0] == '/' ? name : directoryOf(path) + name;
            bool seen = false;
            for (const std::string& f : result.files)
                seen = seen || f == includedPath;
            std::string included, problem;
            if (seen) {
            } else if (!staysInFolder(name)) {
                result.unread.push_back({includedPath, "it lies outside the shader folder"});
            } else if (depth >= maxIncludeDepth) {
                result.unread.push_back({includedPath, "includes nest deeper than " + std::to_string(maxIncludeDepth)});
            } else if (read(includedPath, included, problem)) {
                result.files.push_back(includedPath);
                lineDirective(1, result.files.size() - 1);
                splice(includedPath, included, result.files.size() - 1, 1, depth + 1);
            } else {
                result.unread.push_back({includedPath, problem});
            }
            lineDirective(number + 1, file);
        }
    }
};

} // namespace

ShaderDialect esShaderDialect()
{
    return {"#version 300 es", "precision highp float;\nprecision highp int;\nprecision highp sampler2D;\n"
                               "precision highp samplerCube;\nprecision highp samplerCubeShadow;\n"};
}

ShaderDialect platformShaderDialect()
{
#ifdef __EMSCRIPTEN__
    return esShaderDialect();
#else
    return {};
#endif
}

bool readShaderFile(const std::string& path, std::string& text, std::string& problem)
{
    return readWholeFile(path, maxShaderFileBytes, text, problem);
}

ShaderSource spliceShaderSource(const std::string& path, const std::string& text, const std::string& prelude,
                                const ShaderFileReader& read, const ShaderDialect& dialect)
{
    Splicer splicer{read, {}};
    splicer.result.files.push_back(path);
    if (text.empty())
        return splicer.result;  // nothing to compile: the driver reports it
    std::string first = text.substr(0, text.find('\n'));
    int firstLine = 1;
    if (isVersionLine(first)) {
        if (dialect.versionLine.empty())
            splicer.result.text = first + "\n";
        else
            splicer.result.text = dialect.versionLine + "\n" + dialect.declarations;
        firstLine = 2;
    }
    if (!prelude.empty() || firstLine == 2) {
        splicer.result.text += prelude;
        if (!prelude.empty() && prelude.back() != '\n')
            splicer.result.text += "\n";
        splicer.lineDirective(firstLine, 0);
    }
    splicer.splice(path, text, 0, firstLine, 0);
    return splicer.result;
}

std::string describeSourceNumbers(const ShaderSource& source)
{
    std::string text;
    for (size_t i = 0; i < source.files.size(); ++i)
        text += (i ? ", source " : "source ") + std::to_string(i) + " is " + source.files[i];
    return text;
}
