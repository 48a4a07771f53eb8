#include "programs/shaderProgram.h"

#include "assets/assetFiles.h"
#include "base/glCapabilities.h"
#include "base/utf8Text.h"

#include <iostream>

namespace {

constexpr GLsizei infoLogSize = 8096;

using InfoLogQuery = void (*)(GLuint id, GLsizei size, GLsizei* length, GLchar* log);

// Shader and program logs alike; an empty log prints nothing, not even a blank line.
void printInfoLog(GLuint id, InfoLogQuery query)
{
    char log[infoLogSize];
    log[0] = '\0';
    GLsizei length = 0;
    query(id, infoLogSize, &length, log);
    if (length > 0)
        std::cout << log << std::endl;
}

void printShaderLog(GLuint shader)
{
    printInfoLog(shader, [](GLuint id, GLsizei size, GLsizei* length, GLchar* log) {
        glGetShaderInfoLog(id, size, length, log);
    });
}

void printProgramLog(GLuint program)
{
    printInfoLog(program, [](GLuint id, GLsizei size, GLsizei* length, GLchar* log) {
        glGetProgramInfoLog(id, size, length, log);
    });
}

} // namespace

bool fileExists(const std::string& path)
{
    std::string text, problem;
    return readShaderFile(path, text, problem);
}

std::string readTextFile(const std::string& path)
{
    std::string text, problem;
    readShaderFile(path, text, problem);
    return text;
}

namespace {

// Shared files are read only from inside the stage file's folder, links resolved.
ShaderFileReader readInside(const std::string& folder)
{
    return [folder](const std::string& path, std::string& text, std::string& problem) {
        if (!readShaderFile(path, text, problem))
            return false;
        std::string resolved;
        if (insideFolder(folder, path, resolved))
            return true;
        text.clear();
        problem = "it lies outside the shader folder";
        return false;
    };
}

// A file that is not there, or no ordinary file, "does not exist"; one that is there but
// was refused (too large, outside the folder) says why.
void reportUnread(const std::string& what, const std::string& path, const std::string& shown,
                  const std::string& problem)
{
    if (!notARegularFile(path).empty())
        std::cerr << what << printableText(shown) << " does not exist." << std::endl;
    else
        std::cerr << what << printableText(shown) << " was not read: " << problem << "." << std::endl;
}

// The stage file's text with its shared files spliced in; a stage or shared file that
// cannot be read is named here, and the compile that follows reports what it lacked.
// `kind` is empty for the optional geometry stage, which may be absent without a word.
ShaderSource readStage(const char* kind, const std::string& path, const std::string& prelude)
{
    std::string text, problem;
    if (!readShaderFile(path, text, problem)) {
        if (*kind)
            reportUnread(std::string(kind) + " shader file ", path, path, problem);
        return {{}, {path}, {}};
    }
    ShaderSource source = spliceShaderSource(path, text, prelude, readInside(folderOf(path)));
    for (const UnreadShaderFile& unread : source.unread)
        reportUnread("Shader file ", unread.path, unread.path + " (included by " + path + ")", unread.problem);
    return source;
}

} // namespace

ShaderProgram::ShaderProgram(const std::string& basePath, const std::string& prelude) : name(basePath)
{
    const ShaderSource vertex = readStage("Vertex", basePath + ".vert", prelude);
    hasGeometryShader = fileExists(basePath + ".geom");
    const ShaderSource geometry = hasGeometryShader ? readStage("", basePath + ".geom", prelude)
                                                    : ShaderSource{{}, {basePath + ".geom"}, {}};
    const ShaderSource fragment = readStage("Fragment", basePath + ".frag", prelude);

    buildStages(vertex, geometry, fragment);
}

ShaderProgram::ShaderProgram(const std::string& programName, const std::string& vertexSource,
                             const std::string& fragmentSource)
    : name(programName)
{
    buildStages(spliceShaderSource(name + ".vert", vertexSource, "", [](auto&, auto&, auto&) { return false; }), {},
                spliceShaderSource(name + ".frag", fragmentSource, "", [](auto&, auto&, auto&) { return false; }));
}

void ShaderProgram::buildStages(const ShaderSource& vertex, const ShaderSource& geometry, const ShaderSource& fragment)
{
    vertexShader = compileStage(GL_VERTEX_SHADER, vertex);
    if (vertexShader == 0)
        return;
    reportGLError();

    if (!geometry.text.empty())
        geometryShader = compileStage(GL_GEOMETRY_SHADER, geometry);

    fragmentShader = compileStage(GL_FRAGMENT_SHADER, fragment);
    if (fragmentShader == 0)
        return;
    reportGLError();

    link();
    if (program == 0)
        return;
    reportGLError();
}

GLuint ShaderProgram::compileStage(GLenum type, const ShaderSource& source)
{
    const GLuint shader = compileShader(type, source.text);
    GLint status = GL_TRUE;
    if (shader != 0)
        glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        std::cerr << "Shader file " << (source.files.empty() ? name : source.files[0]) << " did not compile";
        if (source.files.size() > 1)
            std::cerr << " (in its log " << describeSourceNumbers(source) << ")";
        std::cerr << "." << std::endl;
    }
    return shader;
}

GLuint ShaderProgram::compileShader(GLenum type, const std::string& source)
{
    const GLuint shader = glCreateShader(type);
    if (shader == 0) {
        std::cerr << "Could not create shader object." << std::endl;
        return 0;
    }
    const GLchar* text = source.data();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);

    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        std::cout << "Shader compilation failed." << std::endl;
        printShaderLog(shader);
    }
    reportGLError();
    return shader;
}

void ShaderProgram::link()
{
    program = glCreateProgram();
    glAttachShader(program, vertexShader);
    // An empty ".geom" marks a geometry stage that was never compiled: attach only a
    // shader that really exists.
    if (hasGeometryShader && geometryShader != 0)
        glAttachShader(program, geometryShader);
    glAttachShader(program, fragmentShader);
    linkAndReport();
}

void ShaderProgram::linkAndReport()
{
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        std::cout << "Shader linking failed." << std::endl;
        printProgramLog(program);
        std::cerr << "Shader program " << name << " did not link." << std::endl;
        glDeleteProgram(program);
        program = 0;
    }
    reportGLError();
}

void ShaderProgram::release()
{
    for (GLuint* shader : {&vertexShader, &geometryShader, &fragmentShader}) {
        if (*shader != 0)
            glDeleteShader(*shader);
        *shader = 0;
    }
    if (program != 0)
        glDeleteProgram(program);
    program = 0;
}

void ShaderProgram::use() const { glUseProgram(program); }
void ShaderProgram::unuse() const { glUseProgram(0); }

// A program whose build failed has no locations; asking GL about program 0 would only
// queue an error that some later report would misattribute.
GLint ShaderProgram::getUniformLocation(const char* name) const
{
    return program != 0 ? glGetUniformLocation(program, name) : -1;
}

GLint ShaderProgram::getAttribLocation(const char* name) const
{
    return program != 0 ? glGetAttribLocation(program, name) : -1;
}

void ShaderProgram::bindFragDataLocation(const char* name)
{
    if (program == 0)
        return;
#ifdef __EMSCRIPTEN__
    // ES has no such binding: a single output is location 0 already.
    (void)name;
#else
    glBindFragDataLocation(program, 0, name);
    linkAndReport();
#endif
}
