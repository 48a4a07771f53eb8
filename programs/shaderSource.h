#pragma once
// Shader text as the driver receives it. A stage file may name shared files with lines
// `#include "file"` (resolved beside the including file, each file spliced once per
// stage; a name that is absolute or climbs out with `..` is refused unread); the build
// may add a prelude of defines right after the `#version` line. `#line` directives keep
// the driver's log counting lines in the real files: a log's source number N is
// `files[N]`. GL-free, so the splicing is tested without a context.
#include <functional>
#include <string>
#include <vector>

// A file named by an #include that was not spliced in, and why ("it does not exist").
struct UnreadShaderFile {
    std::string path;
    std::string problem;
};

struct ShaderSource {
    std::string text;
    std::vector<std::string> files;  // every file spliced in; [0] is the stage file itself
    std::vector<UnreadShaderFile> unread;
};

// Reads `path` into `text`; false, with the reason in `problem`, when it cannot.
using ShaderFileReader = std::function<bool(const std::string& path, std::string& text, std::string& problem)>;

// Shader files are small; a larger one is a mistake or an attack on the compiler.
constexpr size_t maxShaderFileBytes = size_t(1) << 20;

// The GL dialect every stage is built in: a non-empty `versionLine` replaces each stage's
// `#version` line and `declarations` (default precisions) follow it, before the prelude.
// Empty on the desktop; the browser build compiles GLSL ES 3.00.
struct ShaderDialect {
    std::string versionLine;
    std::string declarations;
};

// GLSL ES 3.00 with high default precisions: the browser build's dialect.
ShaderDialect esShaderDialect();
// What this build compiles: ES in the browser, the files' own desktop GLSL otherwise.
ShaderDialect platformShaderDialect();

// An ordinary file of at most maxShaderFileBytes.
bool readShaderFile(const std::string& path, std::string& text, std::string& problem);

ShaderSource spliceShaderSource(const std::string& path, const std::string& text, const std::string& prelude,
                                const ShaderFileReader& read = readShaderFile,
                                const ShaderDialect& dialect = platformShaderDialect());

// "source 0 is shaders/a.frag, source 1 is shaders/b.glsl": which file a log's numbers name.
std::string describeSourceNumbers(const ShaderSource& source);
