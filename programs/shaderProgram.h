#pragma once
// One GL program built from "<base>.vert", an optional "<base>.geom" and "<base>.frag"
// (each with its shared files spliced in and an optional prelude of defines), with every
// failure printed on the console, plus the table of uniform locations that the passes use
// for every object.
#include "programs/shaderSource.h"

#include "base/glApi.h"
#include <string>
#include <vector>

// The most lights a lit program is built for; each has its slots in the location table.
constexpr int maxLightSlots = 4;

// Slots of the cached uniform-location table: the first two lights where they always
// were, any further ones after the material.
enum UniformSlot {
    ProjectionMatrixSlot = 0,
    ModelMatrixSlot = 1,
    ViewMatrixSlot = 2,
    NormalMatrixSlot = 3,
    EyePosSlot = 4,
    LightSlotBase = 5,  // light i starts at 5 + 5 i: position, attenuation, ambient, diffuse, specular
    MaterialSlotBase = 15,  // ambient, diffuse, specular, specularExponent
    UniformSlotCount = 19,  // everything of a two-light program
    MoreLightSlotBase = 19,  // light i >= 2 starts at 19 + 5 (i - 2)
    AllSlotCount = 19 + 5 * (maxLightSlots - 2)
};

struct LightLocations {
    GLint position = -1;
    GLint attenuation = -1;
    GLint ambientColor = -1;
    GLint diffuseColor = -1;
    GLint specularColor = -1;
};

struct MaterialLocations {
    GLint ambientColor = -1;
    GLint diffuseColor = -1;
    GLint specularColor = -1;
    GLint specularExponent = -1;
};

struct UniformLocations {
    GLint projectionMatrix = -1;
    GLint modelMatrix = -1;
    GLint viewMatrix = -1;
    GLint normalMatrix = -1;
    GLint eyePos = -1;
    LightLocations light[2];
    MaterialLocations material;
    LightLocations moreLights[maxLightSlots - 2];

    LightLocations& lightAt(int i) { return i < 2 ? light[i] : moreLights[i - 2]; }
    const LightLocations& lightAt(int i) const { return i < 2 ? light[i] : moreLights[i - 2]; }

    GLint& slot(int index) { return reinterpret_cast<GLint*>(this)[index]; }
    GLint slot(int index) const { return reinterpret_cast<const GLint*>(this)[index]; }
};
static_assert(sizeof(UniformLocations) == AllSlotCount * sizeof(GLint), "packed slots");

// Only a readable regular file counts: a directory or a FIFO where a shader is expected
// is reported as missing.
bool fileExists(const std::string& path);
std::string readTextFile(const std::string& path);

class ShaderProgram {
public:
    UniformLocations locations;
    // Where a lit program reads each of an object's own values (objectUniforms in
    // programs/objectUniforms.h), in that order; -1 where it does not. Looked up as it is built.
    std::vector<GLint> objectLocations;

    bool hasGeometryShader = false;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint geometryShader = 0;
    GLuint program = 0;

    // `prelude` goes right after each stage's `#version` line (defines the build hands over).
    explicit ShaderProgram(const std::string& basePath, const std::string& prelude = "");
    // A program from source text held in the code, for fallbacks that must not depend on
    // files; `name` is what messages call it.
    ShaderProgram(const std::string& name, const std::string& vertexSource, const std::string& fragmentSource);
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    GLuint compileShader(GLenum type, const std::string& source);
    void link();
    // Deletes the program and its shaders (the destructor never calls GL: the context
    // may be gone by then).
    void release();
    void use() const;
    void unuse() const;
    GLint getUniformLocation(const char* name) const;
    GLint getAttribLocation(const char* name) const;
    // Binds `name` to colour number 0 and relinks the same program object.
    void bindFragDataLocation(const char* name);

private:
    std::string name;  // base path, as messages name the program

    // Compiles one stage; a failure also names its files on standard error.
    GLuint compileStage(GLenum type, const ShaderSource& source);
    void buildStages(const ShaderSource& vertex, const ShaderSource& geometry, const ShaderSource& fragment);
    void linkAndReport();
};

// Shared vertex-input locations of every program that draws models or the screen quad.
enum AttributeLocation : GLint {
    PositionAttribute = 0,
    NormalAttribute = 1,
    TexCoordAttribute = 2,
    TangentAttribute = 3,
    BitangentAttribute = 4
};
