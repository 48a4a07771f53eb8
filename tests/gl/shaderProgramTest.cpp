// Building programs from files: silence on success, every failure message in order,
// the relink that keeps the program id, and the stage files that may be missing or empty.
#include "programs/shaderProgram.h"
#include "tests/gl/glTestContext.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const goodVertex = R"(#version 330 core
layout(location = 0) in vec4 in_position;
void main() { gl_Position = in_position; }
)";
const char* const goodFragment = R"(#version 330 core
out vec4 out_color;
void main() { out_color = vec4(1.0); }
)";
const char* const brokenVertex = R"(#version 330 core
void main() { gl_Position = undeclaredThing; }
)";

class ShaderBuild : public GLTest {
protected:
    fs::path dir;
    void SetUp() override
    {
        GLTest::SetUp();
        dir = fs::temp_directory_path() / ("pinakora-shaders-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& text)
    {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    }
    std::string base(const std::string& name) { return (dir / name).string(); }
};

GLint attachedShaderCount(GLuint program)
{
    GLint count = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

} // namespace

TEST_F(ShaderBuild, GoodPairLinksWithoutAnyOutput)
{
    write("good.vert", goodVertex);
    write("good.frag", goodFragment);
    ConsoleCapture console;
    ShaderProgram program(base("good"));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
    ASSERT_NE(program.program, 0u);
    EXPECT_FALSE(program.hasGeometryShader);
    EXPECT_EQ(attachedShaderCount(program.program), 2);
    EXPECT_EQ(program.getAttribLocation("in_position"), 0);
    EXPECT_EQ(program.getUniformLocation("notThere"), -1);
}

TEST_F(ShaderBuild, MissingFragmentFileIsReportedBeforeAnythingElse)
{
    write("nofrag.vert", goodVertex);
    ConsoleCapture console;
    ShaderProgram program(base("nofrag"));
    const std::string err = console.err();
    const std::string out = console.out();
    EXPECT_EQ(err.rfind("Fragment shader file " + base("nofrag") + ".frag does not exist.\n", 0), 0u) << err;
    EXPECT_NE(out.find("Shader linking failed.\n"), std::string::npos) << out;
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderBuild, MissingVertexFileIsReportedOnStandardError)
{
    write("novert.frag", goodFragment);
    ConsoleCapture console;
    ShaderProgram program(base("novert"));
    EXPECT_EQ(console.err().rfind("Vertex shader file " + base("novert") + ".vert does not exist.\n", 0), 0u);
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderBuild, VertexCompileErrorStillCompilesFragmentAndTriesTheLink)
{
    write("broken.vert", brokenVertex);
    write("broken.frag", goodFragment);
    ConsoleCapture console;
    ShaderProgram program(base("broken"));
    const std::string out = console.out();
    const size_t compile = out.find("Shader compilation failed.\n");
    const size_t link = out.find("Shader linking failed.\n");
    ASSERT_NE(compile, std::string::npos) << out;
    ASSERT_NE(link, std::string::npos) << out;
    EXPECT_LT(compile, link);
    EXPECT_GT(link - compile, std::string("Shader compilation failed.\n").size()) << "the driver's log follows";
    EXPECT_EQ(out.find("Shader compilation failed.", compile + 1), std::string::npos) << "fragment compiled fine";
    EXPECT_NE(program.vertexShader, 0u);
    EXPECT_NE(program.fragmentShader, 0u);
    EXPECT_EQ(program.program, 0u);
    EXPECT_EQ(console.err(), "Shader file " + base("broken") + ".vert did not compile.\n" +
                                 "Shader program " + base("broken") + " did not link.\n");
}

// Shared files are spliced in where a stage names them; the driver's log must still count
// lines in the real files, and standard error says which file each source number is.
TEST_F(ShaderBuild, SplicedFilesKeepTheirOwnLineNumbers)
{
    write("shared.glsl", "// shared\nfloat halve(float x) { return x * 0.5; }\nfloat broken() { return missingA; }\n");
    write("spliced.vert", goodVertex);
    write("spliced.frag", "#version 330 core\nout vec4 out_color;\n#include \"shared.glsl\"\n"
                          "#include \"absent.glsl\"\nvoid main() { out_color = vec4(HALF_OF_ONE + missingB); }\n");
    ConsoleCapture console;
    ShaderProgram program(base("spliced"), "#define HALF_OF_ONE halve(1.0)\n");
    const std::string out = console.out();
    const std::string err = console.err();
    EXPECT_NE(out.find("1:3("), std::string::npos) << "missingA is on line 3 of shared.glsl: " << out;
    EXPECT_NE(out.find("0:5("), std::string::npos) << "missingB is on line 5 of the stage file: " << out;
    EXPECT_EQ(out.find("HALF_OF_ONE"), std::string::npos) << "the prelude's define is known: " << out;
    EXPECT_NE(err.find("Shader file " + base("absent.glsl") + " (included by " + base("spliced.frag") +
                       ") does not exist."),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Shader file " + base("spliced.frag") + " did not compile (in its log source 0 is " +
                       base("spliced.frag") + ", source 1 is " + base("shared.glsl") + ")."),
              std::string::npos)
        << err;
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderBuild, NothingOutsideTheShaderFolderIsSplicedInAndLargeFilesAreRefused)
{
    // A readable file beside the folder, reached by `..`, by its absolute path and
    // through a link planted inside: its text must never reach the compiler.
    const fs::path outside = dir.parent_path() / ("pinakora-outside-" + std::to_string(::getpid()) + ".glsl");
    std::ofstream(outside) << "float secretFromOutside;\n";
    fs::create_directories(dir / "inner");
    fs::create_symlink(outside, dir / "inner" / "planted.glsl");
    const std::string climbing = "../" + outside.filename().string();
    write("reaching.vert", goodVertex);
    write("reaching.frag", "#version 330 core\nout vec4 out_color;\n#include \"" + climbing + "\"\n#include \"" +
                               outside.string() + "\"\n#include \"inner/planted.glsl\"\n"
                               "void main() { out_color = vec4(1.0); }\n");
    write("large.vert", std::string("#version 330 core\n") + std::string(maxShaderFileBytes, '/') + "\n");
    write("large.frag", goodFragment);
    ConsoleCapture console;
    ShaderProgram reaching(base("reaching"));
    ShaderProgram large(base("large"));
    const std::string err = console.err();
    for (const std::string& name : {climbing, outside.string(), std::string("inner/planted.glsl")})
        EXPECT_NE(err.find("Shader file " + (name[0] == '/' ? name : base(name)) + " (included by " +
                           base("reaching.frag") + ") was not read: it lies outside the shader folder."),
                  std::string::npos)
            << name << "\n" << err;
    EXPECT_NE(reaching.program, 0u) << "the stage itself still builds";
    EXPECT_NE(err.find("Vertex shader file " + base("large.vert") + " was not read: it is larger than 1 MiB."),
              std::string::npos)
        << err;
    EXPECT_EQ(large.program, 0u);
    fs::remove(outside);
}

TEST_F(ShaderBuild, DirectoryWhereAStageFileBelongsCountsAsMissing)
{
    write("dir.vert", goodVertex);
    fs::create_directories(dir / "dir.frag");
    ConsoleCapture console;
    ShaderProgram program(base("dir"));
    EXPECT_EQ(console.err().rfind("Fragment shader file " + base("dir") + ".frag does not exist.\n", 0), 0u);
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderBuild, BindFragDataLocationRelinksTheSameProgramObject)
{
    write("bind.vert", goodVertex);
    write("bind.frag", goodFragment);
    ShaderProgram program(base("bind"));
    const GLuint before = program.program;
    ASSERT_NE(before, 0u);
    ConsoleCapture console;
    program.bindFragDataLocation("out_color");
    EXPECT_EQ(program.program, before);
    EXPECT_EQ(glGetFragDataLocation(program.program, "out_color"), 0);
    EXPECT_TRUE(glIsProgram(before));
    EXPECT_EQ(console.out(), "");
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(ShaderBuild, FailedProgramMakesNoGLCallsForBindingOrLookups)
{
    write("dead.vert", brokenVertex);
    write("dead.frag", goodFragment);
    ShaderProgram* program;
    {
        ConsoleCapture console;
        program = new ShaderProgram(base("dead"));
    }
    ASSERT_EQ(program->program, 0u);
    drainGLErrors();
    program->bindFragDataLocation("out_color");
    EXPECT_EQ(program->getUniformLocation("x"), -1);
    EXPECT_EQ(program->getAttribLocation("in_position"), -1);
    EXPECT_TRUE(drainGLErrors().empty());
    EXPECT_EQ(program->program, 0u);
    delete program;
}

TEST_F(ShaderBuild, EmptyGeometryFileAttachesNothingInItsPlace)
{
    write("emptygeom.vert", goodVertex);
    write("emptygeom.geom", "");
    write("emptygeom.frag", goodFragment);
    ConsoleCapture console;
    ShaderProgram program(base("emptygeom"));
    EXPECT_TRUE(program.hasGeometryShader);
    EXPECT_EQ(program.geometryShader, 0u);
    ASSERT_NE(program.program, 0u);
    EXPECT_EQ(attachedShaderCount(program.program), 2);
    EXPECT_EQ(console.err(), "");
    EXPECT_EQ(console.out(), "");
}

TEST_F(ShaderBuild, GeometryStageIsPickedUpWhenPresent)
{
    write("geom.vert", goodVertex);
    write("geom.geom", R"(#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } }
)");
    write("geom.frag", goodFragment);
    ShaderProgram program(base("geom"));
    ASSERT_NE(program.program, 0u);
    EXPECT_NE(program.geometryShader, 0u);
    EXPECT_EQ(attachedShaderCount(program.program), 3);
}

TEST(ShaderFiles, SourceIsReadWholeWithoutATrailingNul)
{
    const fs::path file = fs::temp_directory_path() / "pinakora-read-test.txt";
    std::ofstream(file, std::ios::binary) << "line one\nline two";
    EXPECT_TRUE(fileExists(file.string()));
    EXPECT_EQ(readTextFile(file.string()), "line one\nline two");
    fs::remove(file);
    EXPECT_FALSE(fileExists(file.string()));
}
