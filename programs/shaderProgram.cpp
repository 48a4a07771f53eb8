#include "programs/shaderProgram.h"

#include "app/glCapabilities.h"

#include <fstream>
#include <iostream>
#include <iterator>

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
    std::ifstream file(path);
    return file.is_open();
}

std::string readTextFile(const std::string& path)
{
    std::ifstream file(path, std::ios::in | std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ShaderProgram::ShaderProgram(const std::string& basePath)
{
    std::string vertexSource, geometrySource, fragmentSource;
    if (fileExists(basePath + ".vert"))
        vertexSource = readTextFile(basePath + ".vert");
    else
        std::cerr << "Vertex shader file " << basePath << ".vert does not exist." << std::endl;

    hasGeometryShader = fileExists(basePath + ".geom");
    if (hasGeometryShader)
        geometrySource = readTextFile(basePath + ".geom");

    if (fileExists(basePath + ".frag"))
        fragmentSource = readTextFile(basePath + ".frag");
    else
        std::cerr << "Fragment shader file " << basePath << ".frag does not exist." << std::endl;

    vertexShader = compileShader(GL_VERTEX_SHADER, vertexSource);
    if (vertexShader == 0)
        return;
    reportGLError();

    if (!geometrySource.empty())
        geometryShader = compileShader(GL_GEOMETRY_SHADER, geometrySource);

    fragmentShader = compileShader(GL_FRAGMENT_SHADER, fragmentSource);
    if (fragmentShader == 0)
        return;
    reportGLError();

    link();
    if (program == 0)
        return;
    reportGLError();
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
        glDeleteProgram(program);
        program = 0;
    }
    reportGLError();
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
    glBindFragDataLocation(program, 0, name);
    linkAndReport();
}
