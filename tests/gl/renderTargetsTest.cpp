// The off-screen targets read back from GL: sizes, formats, filters, wrap and compare
// modes; the status lines start-up prints; the state creation leaves behind.
#include "base/frameClock.h"
#include "render/renderer.h"
#include "tests/gl/hallFixture.h"

#include <string>

namespace {

struct Level {
    GLint width = 0, height = 0, internalFormat = 0, depthBits = 0, redBits = 0, alphaBits = 0;
};

Level levelOf(GLenum bindTarget, GLuint texture, GLenum imageTarget)
{
    Level l;
    glBindTexture(bindTarget, texture);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_WIDTH, &l.width);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_HEIGHT, &l.height);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_INTERNAL_FORMAT, &l.internalFormat);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_DEPTH_SIZE, &l.depthBits);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_RED_SIZE, &l.redBits);
    glGetTexLevelParameteriv(imageTarget, 0, GL_TEXTURE_ALPHA_SIZE, &l.alphaBits);
    glBindTexture(bindTarget, 0);
    return l;
}

GLint parameterOf(GLenum bindTarget, GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(bindTarget, texture);
    glGetTexParameteriv(bindTarget, name, &value);
    glBindTexture(bindTarget, 0);
    return value;
}

enum class Kind { Color, Depth };

struct TargetCase {
    std::string name;
    GLenum bindTarget;
    GLuint texture;
    GLint width, height;
    Kind kind;
    GLint filter, wrap, compareMode;
    GLint minFilter = 0;  // when minifying differs: a mipmapped target
};

std::vector<TargetCase> targetCases(const RenderTargets& t)
{
    std::vector<TargetCase> cases;
    for (int k = 0; k < 3; ++k)
        cases.push_back({"scene colour " + std::to_string(k), GL_TEXTURE_2D, t.sceneColorTextures[k], screenWidth,
                         screenHeight, Kind::Color, GL_LINEAR, GL_REPEAT, GL_NONE});
    // The depth of field reads raw depth, so no comparison; wrap stays the default.
    cases.push_back({"scene depth", GL_TEXTURE_2D, t.sceneDepthTexture, screenWidth, screenHeight, Kind::Depth,
                     GL_NEAREST, GL_REPEAT, GL_NONE});
    for (int i = 0; i < 2; ++i) {
        cases.push_back({"environment " + std::to_string(i), GL_TEXTURE_CUBE_MAP, t.environmentCubeMaps[i],
                         environmentMapSize, environmentMapSize, Kind::Color, GL_LINEAR, GL_CLAMP_TO_EDGE,
                         GL_NONE, GL_LINEAR_MIPMAP_LINEAR});
        cases.push_back({"shadow " + std::to_string(i), GL_TEXTURE_CUBE_MAP, t.shadowCubeMaps[i], shadowMapSize,
                         shadowMapSize, Kind::Depth, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_COMPARE_REF_TO_TEXTURE});
        cases.push_back({"capture shadow " + std::to_string(i), GL_TEXTURE_CUBE_MAP, t.captureShadowCubeMaps[i],
                         captureShadowMapSize, captureShadowMapSize, Kind::Depth, GL_NEAREST, GL_CLAMP_TO_EDGE,
                         GL_COMPARE_REF_TO_TEXTURE});
    }
    return cases;
}

void expectTargetsAsCreated(const RenderTargets& targets)
{
    for (const TargetCase& c : targetCases(targets)) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(glIsTexture(c.texture));
        const bool cube = c.bindTarget == GL_TEXTURE_CUBE_MAP;
        for (int face = 0; face < (cube ? 6 : 1); ++face) {
            SCOPED_TRACE("face " + std::to_string(face));
            const Level l = levelOf(c.bindTarget, c.texture, cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : c.bindTarget);
            EXPECT_EQ(l.width, c.width);
            EXPECT_EQ(l.height, c.height);
            if (c.kind == Kind::Color) {
                EXPECT_EQ(l.internalFormat, GL_RGBA8);
            } else {
                EXPECT_GE(l.depthBits, 16);
                EXPECT_EQ(l.redBits, 0);
            }
        }
        EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_MIN_FILTER), c.minFilter ? c.minFilter : c.filter);
        EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_MAG_FILTER), c.filter);
        EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_WRAP_S), c.wrap);
        EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_WRAP_T), c.wrap);
        if (cube) {
            EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_WRAP_R), c.wrap);
        }
        EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_COMPARE_MODE), c.compareMode);
        if (c.compareMode != GL_NONE) {
            EXPECT_EQ(parameterOf(c.bindTarget, c.texture, GL_TEXTURE_COMPARE_FUNC), GL_LESS);
        }
    }
}

GLint attachedName(GLenum attachment)
{
    GLint name = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return name;
}

const char* const allStatusLines =
    "\nFramebuffer created\n\nEnvironment framebuffer created\n\nShadow framebuffer created\n";

using RenderTargetsTest = HallTest;

TEST_F(RenderTargetsTest, SizesFormatsFiltersAndCompareModes)
{
    expectTargetsAsCreated(defaultRenderer().targets);
    GLint width = 0, height = 0, depthBits = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, environmentDepthBuffer);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depthBits);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);
    EXPECT_GE(depthBits, 16);
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(RenderTargetsTest, FramebuffersAreWiredAndComplete)
{
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attachedName(GL_DEPTH_ATTACHMENT), static_cast<GLint>(sceneDepthTexture));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0 + k), static_cast<GLint>(sceneColorTextures[k])) << k;

    glBindFramebuffer(GL_FRAMEBUFFER, environmentFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attachedName(GL_DEPTH_ATTACHMENT), static_cast<GLint>(environmentDepthBuffer));

    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint drawBuffer = -1, readBuffer = -1, colorType = -1;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &colorType);
    EXPECT_EQ(drawBuffer, GL_NONE);
    EXPECT_EQ(readBuffer, GL_NONE);
    EXPECT_EQ(colorType, GL_NONE) << "the shadow framebuffer has depth only";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(RenderTargetsTest, StartUpPrintsTheThreeStatusLines)
{
    const std::string& out = hallStartupOutput();
    EXPECT_NE(out.find(allStatusLines), std::string::npos) << out;
    EXPECT_EQ(out.find("Didn't work!"), std::string::npos) << out;
}

// A second set, made beside the viewer's and released again, prints exactly the three
// lines and leaves framebuffer 0 and no texture bound, whatever was bound before; released,
// none of its names is left.
TEST_F(RenderTargetsTest, CreationPrintsOnlyTheStatusAndUnbindsWhatItUsed)
{
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneColorTextures[0]);
    RenderTargets second;
    std::string out;
    {
        ConsoleCapture console;
        createRenderTargets(second, screenWidth, screenHeight, 2, 2);
        out = console.out();
    }
    EXPECT_EQ(out, allStatusLines);
    GLint framebuffer = -1, texture2D = -1, textureCube = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture2D);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &textureCube);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(texture2D, 0);
    EXPECT_EQ(textureCube, 0);
    expectTargetsAsCreated(second);  // the new set, checked as the first one was

    const std::vector<GLuint> textures = {second.sceneColorTextures[0], second.sceneDepthTexture,
                                          second.environmentCubeMaps[1], second.shadowCubeMaps[1],
                                          second.captureShadowCubeMaps[0]};
    const GLuint framebuffers[] = {second.sceneFramebuffer, second.environmentFramebuffer, second.shadowFramebuffer};
    releaseRenderTargets(second);
    for (GLuint texture : textures)
        EXPECT_FALSE(glIsTexture(texture)) << texture;
    for (GLuint released : framebuffers)
        EXPECT_FALSE(glIsFramebuffer(released)) << released;
    expectTargetsAsCreated(defaultRenderer().targets);  // the viewer's stay as they were
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(RenderTargetsTest, StatusReportForCompleteAndIncompleteFramebuffers)
{
    GLuint emptyTexture = 0, colorTexture = 0;
    glGenTextures(1, &emptyTexture);  // a name without storage: an incomplete attachment
    glBindTexture(GL_TEXTURE_2D, emptyTexture);
    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    const struct {
        const char* name;
        GLuint attached;  // 0: nothing attached
        std::string expected;
    } cases[] = {
        {"complete", colorTexture, "\nDone\n"},
        {"no attachment", 0, "\nDidn't work!\n" + std::to_string(GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT) + "\n"},
        {"attachment without storage", emptyTexture,
         "\nDidn't work!\n" + std::to_string(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT) + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        if (c.attached)
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, c.attached, 0);
        ConsoleCapture console;
        reportFramebufferStatus("\nDone\n");
        EXPECT_EQ(console.out(), c.expected);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
    }
    glDeleteTextures(1, &emptyTexture);
    glDeleteTextures(1, &colorTexture);
    EXPECT_TRUE(drainGLErrors().empty());
}

class FullHdRenderTargetsTest : public HallTest {
protected:
    int hallWidth() const override { return 1920; }
    int hallHeight() const override { return 1080; }
};

TEST_F(FullHdRenderTargetsTest, SceneTargetsTakeTheWindowSizeAndCubeFacesTheirOwn)
{
    const GLuint sceneTextures[] = {sceneColorTextures[0], sceneColorTextures[1], sceneColorTextures[2],
                                    sceneDepthTexture};
    for (GLuint texture : sceneTextures) {
        const Level l = levelOf(GL_TEXTURE_2D, texture, GL_TEXTURE_2D);
        EXPECT_EQ(l.width, 1920);
        EXPECT_EQ(l.height, 1080);
    }
    for (int i = 0; i < 2; ++i) {
        const Level environment = levelOf(GL_TEXTURE_CUBE_MAP, environmentCubeMaps[i], GL_TEXTURE_CUBE_MAP_NEGATIVE_Z);
        EXPECT_EQ(environment.width, 1024);
        EXPECT_EQ(environment.height, 1024);
        // The mipmap chain the trilinear reads go through, down to 8 x 8.
        GLint lastWidth = 0, maxLevel = 0;
        glBindTexture(GL_TEXTURE_CUBE_MAP, environmentCubeMaps[i]);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, environmentMipLevels - 1, GL_TEXTURE_WIDTH,
                                 &lastWidth);
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, &maxLevel);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        EXPECT_EQ(lastWidth, 8);
        EXPECT_EQ(maxLevel, environmentMipLevels - 1);
        const Level shadow = levelOf(GL_TEXTURE_CUBE_MAP, shadowCubeMaps[i], GL_TEXTURE_CUBE_MAP_NEGATIVE_Z);
        EXPECT_EQ(shadow.width, 2048);
        EXPECT_EQ(shadow.height, 2048);
    }
}

} // namespace
