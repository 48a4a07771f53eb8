#pragma once
// Shader text as the driver receives it. A stage file may name shared files with lines
// `#include "file"` (resolved beside the including file, each file spliced once per
// stage); the build may add a prelude of defines right after the `#version` line. `#line`
// directives keep the driver's log counting lines in the real files: a log's source
// number N is `files[N]`. GL-free, so the splicing is tested without a context.
#include <functional>
#include <string>
#include <vector>

struct ShaderSource {
    std::string text;
    std::vector<std::string> files;    // every file spliced in; [0] is the stage file itself
    std::vector<std::string> missing;  // files named by an #include that could not be read
};

// Reads `path` into `text`; false when it is not a readable regular file.
using ShaderFileReader = std::function<bool(const std::string& path, std::string& text)>;

// The GL dialect every stage is built in: a non-empty `versionLine` replaces each stage's
// `#version` line and `declarations` (default precisions) follow it, before the prelude.
// Empty on the desktop; the browser build compiles GLSL ES 3.00.
struct ShaderDialect {
    std::string versionLine;
    std::string declarations;
};
extern ShaderDialect shaderDialect;

// GLSL ES 3.00 with high default precisions: the browser build's dialect.
ShaderDialect esShaderDialect();

bool readShaderFile(const std::string& path, std::string& text);

ShaderSource spliceShaderSource(const std::string& path, const std::string& text, const std::string& prelude,
                                const ShaderFileReader& read = readShaderFile);

// "source 0 is shaders/a.frag, source 1 is shaders/b.glsl": which file a log's numbers name.
std::string describeSourceNumbers(const ShaderSource& source);
