#include "assets/models.h"

#include "programs/shaderProgram.h"

#ifndef __EMSCRIPTEN__
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif
#include <iostream>

std::map<short, ModelData*> models;
std::string modelDirectory = "./res/models/";

const char* modelFileName(short key)
{
    switch (key) {
    case 1: return "Sphere.dae";
    case 2: return "roomt.obj";
    case 3: return "podest2.obj";
    case 4: return "multicube.obj";
    case 5: return "teapot.obj";
    case 6: return "torus.obj";
    case 7: return "lens.obj";
    case 8: return "weapon.obj";
    case 9: return "plane.obj";
    case 10: return "biztorus.obj";
    case 11: return "figure.obj";
    default: return "";
    }
}

void loadModels()
{
    static const bool smooth[12] = {false, true, false, false, false, true, true, true, false, false, true, true};
    for (short key = 1; key <= 11; ++key)
        loadModel(key, smooth[key]);
}

// The browser build has no Assimp: its loadModel reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__
namespace {

void copyMesh(const aiMesh& mesh, ModelData& model)
{
    const unsigned int n = mesh.mNumVertices;
    model.vertexCount = n;
    // Arrays a mesh lacks are zero-filled, so an upload never reads past them.
    model.positions.assign(n, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    model.normals.assign(n, glm::vec3(0.0f));
    model.tangents.assign(n, glm::vec3(0.0f));
    model.bitangents.assign(n, glm::vec3(0.0f));
    model.texCoords.assign(n, glm::vec2(0.0f));
    const bool hasTexCoords = mesh.HasTextureCoords(0);
    const bool hasTangents = mesh.HasTangentsAndBitangents();
    for (unsigned int i = 0; i < n; ++i) {
        const aiVector3D& p = mesh.mVertices[i];
        model.positions[i] = glm::vec4(p.x, p.y, p.z, 1.0f);
        if (mesh.HasNormals())
            model.normals[i] = glm::vec3(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z);
        if (hasTexCoords)
            model.texCoords[i] = glm::vec2(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y);
        if (hasTangents) {
            model.tangents[i] = glm::vec3(mesh.mTangents[i].x, mesh.mTangents[i].y, mesh.mTangents[i].z);
            model.bitangents[i] = glm::vec3(mesh.mBitangents[i].x, mesh.mBitangents[i].y, mesh.mBitangents[i].z);
        }
    }
    // Points and lines that triangulation leaves alone are not triangles: skip them.
    model.indices.reserve(static_cast<size_t>(mesh.mNumFaces) * 3);
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices < 3)
            continue;
        bool inside = true;
        for (unsigned int k = 0; k < 3; ++k)
            inside = inside && face.mIndices[k] < n;
        if (!inside)
            continue;
        for (unsigned int k = 0; k < 3; ++k)
            model.indices.push_back(face.mIndices[k]);
    }
    model.indexCount = static_cast<unsigned int>(model.indices.size());
}

} // namespace

void loadModel(short key, bool smoothNormals)
{
    Assimp::Importer importer;
    auto* model = new ModelData();
    const std::string path = modelDirectory + modelFileName(key);
    const unsigned int flags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                               (smoothNormals ? aiProcess_GenSmoothNormals : aiProcess_GenNormals);
    const aiScene* scene = importer.ReadFile(path, flags);
    if (scene && scene->mNumMeshes > 0 && scene->mMeshes && scene->mMeshes[0])
        copyMesh(*scene->mMeshes[0], *model);
    else if (!scene)
        std::cerr << "Model file " << path << " could not be loaded: " << importer.GetErrorString() << std::endl;
    else
        std::cerr << "Model file " << path << " holds no mesh." << std::endl;

    // A replaced record is not freed: objects made earlier may still point at it.
    models[key] = model;
}

#endif

ModelData* getModel(short key)
{
    auto found = models.find(key);
    return found != models.end() ? found->second : nullptr;
}

namespace {

GLuint makeBuffer(GLenum target, size_t bytes, const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), bytes ? data : nullptr, GL_STATIC_DRAW);
    return buffer;
}

void pointAttribute(GLint location, GLuint buffer, GLint components)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

} // namespace

void uploadModel(ModelData& model, const ShaderProgram& program)
{
    const size_t n = model.vertexCount;
    glGenVertexArrays(1, &model.vertexArray);
    glBindVertexArray(model.vertexArray);
    model.positionBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec4), model.positions.data());
    model.normalBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.normals.data());
    model.texCoordBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec2), model.texCoords.data());
    model.indexBuffer =
        makeBuffer(GL_ELEMENT_ARRAY_BUFFER, model.indexCount * sizeof(GLuint), model.indices.data());

    // The position input is wired unchecked: a program without it (location -1) leaves
    // a GL_INVALID_VALUE queued for the next error report, nothing worse.
    pointAttribute(program.getAttribLocation("in_position"), model.positionBuffer, 4);
    const GLint normal = program.getAttribLocation("in_normal");
    if (normal >= 0)
        pointAttribute(normal, model.normalBuffer, 3);
    const GLint texCoord = program.getAttribLocation("in_texCoord");
    if (texCoord >= 0)
        pointAttribute(texCoord, model.texCoordBuffer, 2);
    const GLint tangent = program.getAttribLocation("in_tangent");
    if (tangent >= 0) {
        model.tangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.tangents.data());
        pointAttribute(tangent, model.tangentBuffer, 3);
    }
    const GLint bitangent = program.getAttribLocation("in_bitangent");
    if (bitangent >= 0) {
        model.bitangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.bitangents.data());
        pointAttribute(bitangent, model.bitangentBuffer, 3);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
