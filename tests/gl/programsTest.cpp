// The seven programs (and the captures' builds of the lit three) as start-up builds them:
// the cached uniform-location table of each and the lit ones' object uniforms, one
// vertex-input table shared by every program, a vertex array for every model, and the
// full-screen quad's orientation.
#include "assets/models.h"
#include "programs/programs.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"

#include <map>
#include <set>
#include <vector>

namespace {

const char* const slotNames[UniformSlotCount] = {
    "projectionMatrix", "modelMatrix", "viewMatrix", "normalMatrix", "eyePos",
    "light[0].position", "light[0].attenuation", "light[0].ambientColor", "light[0].diffuseColor",
    "light[0].specularColor", "light[1].position", "light[1].attenuation", "light[1].ambientColor",
    "light[1].diffuseColor", "light[1].specularColor", "material.ambientColor", "material.diffuseColor",
    "material.specularColor", "material.specularExponent",
};

std::set<int> slotRange(int from, int to)
{
    std::set<int> slots;
    for (int i = from; i <= to; ++i)
        slots.insert(i);
    return slots;
}

std::set<int> litSlots()
{
    return slotRange(0, UniformSlotCount - 1);
}

struct ProgramCase {
    const char* name;
    ShaderProgram* const* program;
    std::set<int> lookedUp;  // slots start-up fills; every other slot stays -1
    std::set<int> mustBeUsed;  // slots the passes upload through, so the shader must use them
    std::vector<const char*> inputs;  // vertex inputs the program must declare
};

std::vector<ProgramCase> programCases()
{
    const std::vector<const char*> model = {"in_position", "in_normal", "in_texCoord"};
    const std::vector<const char*> quad = {"in_position", "in_texCoord"};
    return {
        {"generic", &genericTextureShader, litSlots(), litSlots(), model},
        {"reflecting", &reflectingTextureShader, litSlots(), litSlots(), {"in_position", "in_normal"}},
        {"normalMap", &normalMapTextureShader, litSlots(), litSlots(),
         {"in_position", "in_normal", "in_texCoord", "in_tangent", "in_bitangent"}},
        {"shadow", &shadowTextureShader, {0, 1, 2, 4}, {0, 1, 2}, {"in_position"}},
        {"framebuffer", &framebufferShader, {}, {}, quad},
        {"framebuffer's stretch", &defaultPrograms().framebufferStretch, {}, {}, quad},
        {"bloom", &bloomShader, {}, {}, quad},
        {"bloom's halo", &defaultPrograms().bloomHalo, {}, {}, quad},
        {"dof", &dofShader, {}, {}, quad},
        {"dof's blur", &defaultPrograms().dofBlur, {}, {}, quad},
        {"generic for captures", &defaultPrograms().genericCapture, litSlots(), litSlots(), model},
        {"reflecting for captures", &defaultPrograms().reflectingCapture, litSlots(), litSlots(),
         {"in_position", "in_normal"}},
        {"normalMap for captures", &defaultPrograms().normalMapCapture, litSlots(), litSlots(), model},
    };
}

using ProgramsTest = HallTest;

TEST_F(ProgramsTest, EveryProgramIsLinked)
{
    std::set<GLuint> names;
    for (const ProgramCase& c : programCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(*c.program, nullptr);
        const GLuint program = (*c.program)->program;
        ASSERT_TRUE(glIsProgram(program));
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        names.insert(program);
    }
    EXPECT_EQ(names.size(), programCases().size()) << "two cases share a program";
}

TEST_F(ProgramsTest, LocationTableHoldsWhatEachProgramLooksUp)
{
    for (const ProgramCase& c : programCases()) {
        const ShaderProgram& program = **c.program;
        for (int slot = 0; slot < UniformSlotCount; ++slot) {
            SCOPED_TRACE(std::string(c.name) + " slot " + std::to_string(slot) + " " + slotNames[slot]);
            const GLint cached = program.locations.slot(slot);
            if (!c.lookedUp.count(slot)) {
                EXPECT_EQ(cached, -1);
                continue;
            }
            EXPECT_EQ(cached, glGetUniformLocation(program.program, slotNames[slot]));
            if (c.mustBeUsed.count(slot)) {
                EXPECT_GE(cached, 0) << "the passes upload through this slot, so the shader has to use it";
            }
        }
    }
}

// Each lit program knows where it reads every one of an object's own values (the glass's
// refraction in the reflecting ones); the others have none to send.
TEST_F(ProgramsTest, LitProgramsHoldTheLocationsOfTheObjectUniforms)
{
    for (const ProgramCase& c : programCases()) {
        SCOPED_TRACE(c.name);
        const ShaderProgram& program = **c.program;
        if (c.lookedUp != litSlots()) {
            EXPECT_TRUE(program.objectLocations.empty());
            continue;
        }
        ASSERT_EQ(program.objectLocations.size(), static_cast<size_t>(objectUniformCount));
        for (int i = 0; i < objectUniformCount; ++i)
            EXPECT_EQ(program.objectLocations[static_cast<size_t>(i)],
                      glGetUniformLocation(program.program, objectUniforms[i].name))
                << objectUniforms[i].name;
        const bool reflecting =
            *c.program == reflectingTextureShader || *c.program == defaultPrograms().reflectingCapture;
        EXPECT_EQ(program.objectLocations[0] >= 0, reflecting) << "refraction";
    }
}

// After a frame and a capture, each unit holds one kind of map for every lit program (the
// picture or the mirror's cube map, a normal map, a specular map, light i's shadow map):
// a sampler object the passes bind for one kind then never applies to another's texture.
TEST_F(ProgramsTest, LitProgramsReadEachKindOfMapOnAUnitOfItsOwn)
{
    animatedFrame(1.0, 0.0, true);
    std::map<GLint, std::set<std::string>> namesOnUnit;
    for (const ProgramCase& c : programCases()) {
        if (c.lookedUp != litSlots() && *c.program != reflectingTextureShader &&
            *c.program != defaultPrograms().reflectingCapture)
            continue;
        const GLuint program = (*c.program)->program;
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        for (GLint i = 0; i < count; ++i) {
            char name[128];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name), nullptr, &size, &type, name);
            if (type != GL_SAMPLER_2D && type != GL_SAMPLER_CUBE && type != GL_SAMPLER_CUBE_SHADOW)
                continue;
            const std::string base = std::string(name).substr(0, std::string(name).find('['));
            for (GLint element = 0; element < size; ++element) {
                const std::string each = size > 1 ? base + "[" + std::to_string(element) + "]" : base;
                GLint unit = -1;
                glGetUniformiv(program, glGetUniformLocation(program, each.c_str()), &unit);
                namesOnUnit[unit].insert(each == "cubeTexture" ? "colorTexture" : each);
            }
        }
    }
    EXPECT_GE(namesOnUnit.size(), 5u);
    for (const auto& [unit, names] : namesOnUnit) {
        std::string all;
        for (const std::string& name : names)
            all += " " + name;
        EXPECT_EQ(names.size(), 1u) << "unit " << unit << " holds" << all;
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(ProgramsTest, VertexInputsFollowTheSharedTable)
{
    const struct {
        const char* name;
        GLint location;
    } table[] = {
        {"in_position", PositionAttribute}, {"in_normal", NormalAttribute}, {"in_texCoord", TexCoordAttribute},
        {"in_tangent", TangentAttribute},   {"in_bitangent", BitangentAttribute},
    };
    EXPECT_EQ(PositionAttribute, 0);
    EXPECT_EQ(NormalAttribute, 1);
    EXPECT_EQ(TexCoordAttribute, 2);
    EXPECT_EQ(TangentAttribute, 3);
    EXPECT_EQ(BitangentAttribute, 4);
    for (const ProgramCase& c : programCases()) {
        const GLuint program = (*c.program)->program;
        for (const auto& input : table) {
            SCOPED_TRACE(std::string(c.name) + " " + input.name);
            const GLint location = glGetAttribLocation(program, input.name);
            if (location != -1) {
                EXPECT_EQ(location, input.location);
            }
        }
        for (const char* required : c.inputs) {
            SCOPED_TRACE(std::string(c.name) + " must declare " + required);
            EXPECT_NE(glGetAttribLocation(program, required), -1);
        }
    }
}

TEST_F(ProgramsTest, EveryModelHasAVertexArrayWiredAtTheSharedLocations)
{
    for (short key = 1; key <= 11; ++key) {
        SCOPED_TRACE("model " + std::to_string(key));
        const ModelData* model = getModel(key);
        ASSERT_NE(model, nullptr);
        ASSERT_NE(model->vertexArray, 0u);
        EXPECT_TRUE(glIsVertexArray(model->vertexArray));
        EXPECT_GT(model->indexCount, 0u);
        glBindVertexArray(model->vertexArray);
        const struct {
            GLuint location;
            GLuint buffer;
        } wired[] = {{PositionAttribute, model->positionBuffer},
                     {NormalAttribute, model->normalBuffer},
                     {TexCoordAttribute, model->texCoordBuffer}};
        for (const auto& w : wired) {
            GLint enabled = 0, buffer = 0;
            glGetVertexAttribiv(w.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
            glGetVertexAttribiv(w.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
            EXPECT_TRUE(enabled) << "location " << w.location;
            EXPECT_EQ(static_cast<GLuint>(buffer), w.buffer) << "location " << w.location;
        }
        GLint elements = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        EXPECT_EQ(static_cast<GLuint>(elements), model->indexBuffer);
        glBindVertexArray(0);
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

// A 2x2 texture with a different colour in each texel, drawn through the framebuffer
// program and the quad into a small target: each corner of the target shows the texel of
// the same corner, so the quad's lower-left vertex carries texture coordinate (0, 0).
TEST_F(ProgramsTest, ScreenQuadShowsATextureUprightThroughTheFramebufferProgram)
{
    const unsigned char texels[4][4] = {
        {255, 0, 0, 255}, {0, 255, 0, 255},  // bottom row: left red, right green
        {0, 0, 255, 255}, {255, 255, 255, 255},  // top row: left blue, right white
    };
    GLuint source = 0, target = 0, framebuffer = 0;
    glGenTextures(1, &source);
    glBindTexture(GL_TEXTURE_2D, source);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, 16, 16);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    framebufferShader->use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, source);
    glUniform1i(framebufferShader->getUniformLocation("colorTexture1"), 0);
    glBindVertexArray(screenQuad);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);

    unsigned char pixels[16 * 16 * 4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 16, 16, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const struct {
        int x, y, texel;
    } corners[] = {{1, 1, 0}, {14, 1, 1}, {1, 14, 2}, {14, 14, 3}};
    for (const auto& c : corners) {
        SCOPED_TRACE("pixel " + std::to_string(c.x) + "," + std::to_string(c.y));
        const unsigned char* p = &pixels[(c.y * 16 + c.x) * 4];
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_NEAR(p[ch], texels[c.texel][ch], 2) << "channel " << ch;
    }
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &source);
    glDeleteTextures(1, &target);
    EXPECT_TRUE(drainGLErrors().empty());
}

} // namespace
