#include "assets/modelImport.h"

#include "assets/assetFiles.h"

// The browser build has no Assimp: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__
#include <algorithm>
#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cstring>
#include <vector>

namespace {

// Assimp's file access held inside one folder. The importer (and its own guesses at what
// a path a file names may have meant) may ask for anything; each path is resolved before
// the check, and the resolved path is what is opened. Only ordinary files are offered: a
// guess that hits a folder would fail the whole import, a FIFO would block it.
class ConfinedIOSystem : public Assimp::DefaultIOSystem {
public:
    explicit ConfinedIOSystem(const std::string& root) : root_(resolvedPath(root)) {}

    bool Exists(const char* file) const override
    {
        std::string resolved;
        return admit(file, resolved) && notARegularFile(resolved).empty();
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        std::string resolved;
        // The importer only reads.
        if (!mode || std::strpbrk(mode, "wa+") || !admit(file, resolved) || !notARegularFile(resolved).empty())
            return nullptr;
        return DefaultIOSystem::Open(resolved.c_str(), mode);
    }

    // "refused to read /a/b: outside the model's folder", or empty. The paths after the
    // first are mostly the importer's guesses at what the first meant: counted only.
    std::string refusals() const
    {
        if (refused_.empty())
            return "";
        std::string text = "refused to read " + refused_.front();
        if (refused_.size() > 1)
            text += " (and " + std::to_string(refused_.size() - 1) + " more paths)";
        return text + ": outside the model's folder";
    }

private:
    bool admit(const char* file, std::string& resolved) const
    {
        if (!file)
            return false;
        if (insideResolvedFolder(root_, file, resolved))
            return true;
        // Asked for again and again (Exists, then Open, then the fix-ups): named once.
        const std::string& name = resolved;
        if (std::find(refused_.begin(), refused_.end(), name) == refused_.end())
            refused_.push_back(name);
        return false;
    }

    std::string root_;
    mutable std::vector<std::string> refused_;
};

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
    if (n > 0 && !mesh.mVertices) {
        model = ModelData();
        return;
    }
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
    if (!mesh.mFaces)
        return;
    model.indices.reserve(std::min<size_t>(mesh.mNumFaces, maxModelIndices / 3) * 3);
    for (unsigned int f = 0; f < mesh.mNumFaces && model.indices.size() + 3 <= maxModelIndices; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices < 3 || !face.mIndices)
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

ModelImport finishImport(const aiScene* scene, const Assimp::Importer& importer, const ConfinedIOSystem& files,
                         ModelData& model, std::string& problem)
{
    ModelImport result = ModelImport::Failed;
    problem.clear();
    if (!scene) {
        problem = importer.GetErrorString();
    } else if (scene->mNumMeshes == 0 || !scene->mMeshes || !scene->mMeshes[0]) {
        result = ModelImport::NoMesh;
    } else if (scene->mMeshes[0]->mNumVertices > maxModelVertices) {
        problem = "its first mesh has " + std::to_string(scene->mMeshes[0]->mNumVertices) +
                  " vertices, more than the " + std::to_string(maxModelVertices) + " a model may have";
    } else {
        copyMesh(*scene->mMeshes[0], model);
        result = ModelImport::Loaded;
    }
    const std::string refusals = files.refusals();
    if (!refusals.empty()) {
        while (!problem.empty() && (problem.back() == '.' || problem.back() == ' '))
            problem.pop_back();
        problem += (problem.empty() ? "" : "; ") + refusals;
    }
    return result;
}

unsigned int importFlags(bool smoothNormals)
{
    return aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
           (smoothNormals ? aiProcess_GenSmoothNormals : aiProcess_GenNormals);
}

} // namespace

ModelImport importModelFile(const std::string& path, const std::string& root, bool smoothNormals, ModelData& model,
                            std::string& problem)
{
    Assimp::Importer importer;
    auto* files = new ConfinedIOSystem(root);
    importer.SetIOHandler(files);  // the importer owns it from here
    const aiScene* scene = importer.ReadFile(path, importFlags(smoothNormals));
    return finishImport(scene, importer, *files, model, problem);
}

ModelImport importModelBytes(const std::string& bytes, const char* formatHint, const std::string& root,
                             bool smoothNormals, ModelData& model, std::string& problem)
{
    Assimp::Importer importer;
    auto* files = new ConfinedIOSystem(root);
    importer.SetIOHandler(files);  // what the bytes name besides themselves comes through it
    const aiScene* scene =
        importer.ReadFileFromMemory(bytes.data(), bytes.size(), importFlags(smoothNormals), formatHint);
    return finishImport(scene, importer, *files, model, problem);
}

#endif
