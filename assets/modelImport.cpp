#include "assets/modelImport.h"

#include "assets/assetFiles.h"
#include "assets/modelFileCheck.h"

// The browser build has no Assimp: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__
#include <algorithm>
#include <assimp/DefaultIOStream.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

namespace {

// A stream over a file opened already: what the importer reads is what was checked.
class HeldFileStream : public Assimp::DefaultIOStream {
public:
    HeldFileStream(FILE* file, const std::string& name, size_t size) : DefaultIOStream(file, name), size_(size) {}

    // The size of the file opened, not of whatever its name leads to now.
    size_t FileSize() const override { return size_; }

private:
    size_t size_;
};

// Assimp's file access held inside one folder. The importer (and its own guesses at what
// a path a file names may have meant) may ask for anything; each file is opened once and
// the opened descriptor's own path is what is checked, so a link swapped in between a
// check and the read leads nowhere. Only ordinary files are offered: a guess that hits a
// folder would fail the whole import, a FIFO would block it.
class ConfinedIOSystem : public Assimp::DefaultIOSystem {
public:
    explicit ConfinedIOSystem(const std::string& root) : root_(resolvedPath(root)) {}

    bool Exists(const char* file) const override
    {
        return open(file).isOpen();
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        // The importer only reads.
        if (!mode || std::strpbrk(mode, "wa+"))
            return nullptr;
        OpenedFile opened = open(file);
        if (!opened.isOpen())
            return nullptr;
        FILE* stream = fdopen(opened.descriptor(), "rb");
        if (!stream)
            return nullptr;
        opened.release();
        return new HeldFileStream(stream, opened.realPath, static_cast<size_t>(opened.size));
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
    OpenedFile open(const char* file) const
    {
        if (!file)
            return OpenedFile();
        std::string problem;
        OpenedFile opened = openInsideFolder(root_, file, problem);
        // Asked for again and again (Exists, then Open, then the fix-ups): named once.
        if (opened.outside && std::find(refused_.begin(), refused_.end(), opened.realPath) == refused_.end())
            refused_.push_back(opened.realPath);
        return opened;
    }

    std::string root_;
    mutable std::vector<std::string> refused_;
};

// Appends `mesh` to `model`, its indices offset past the vertices already there. With a
// `transform` (a node's, into the file's frame) the positions and the normal directions
// are carried through it; without, the arrays are copied as they are.
void appendMesh(const aiMesh& mesh, const aiMatrix4x4* transform, ModelData& model)
{
    const unsigned int n = mesh.mNumVertices;
    const size_t base = model.positions.size();
    if (n > 0 && !mesh.mVertices)
        return;
    // Arrays a mesh lacks are zero-filled, so an upload never reads past them.
    model.positions.resize(base + n, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    model.normals.resize(base + n, glm::vec3(0.0f));
    model.tangents.resize(base + n, glm::vec3(0.0f));
    model.bitangents.resize(base + n, glm::vec3(0.0f));
    model.texCoords.resize(base + n, glm::vec2(0.0f));
    model.vertexCount = static_cast<unsigned int>(model.positions.size());
    aiMatrix3x3 directions;
    if (transform)
        directions = aiMatrix3x3(*transform).Inverse().Transpose();
    auto direction = [&](const aiVector3D& d) {
        if (!transform)
            return glm::vec3(d.x, d.y, d.z);
        aiVector3D t = directions * d;
        const float length = t.Length();
        return length > 0.0f ? glm::vec3(t.x, t.y, t.z) / length : glm::vec3(0.0f);
    };
    const bool hasTexCoords = mesh.HasTextureCoords(0);
    const bool hasTangents = mesh.HasTangentsAndBitangents();
    for (unsigned int i = 0; i < n; ++i) {
        const aiVector3D p = transform ? *transform * mesh.mVertices[i] : mesh.mVertices[i];
        model.positions[base + i] = glm::vec4(p.x, p.y, p.z, 1.0f);
        if (mesh.HasNormals())
            model.normals[base + i] = direction(mesh.mNormals[i]);
        if (hasTexCoords)
            model.texCoords[base + i] = glm::vec2(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y);
        if (hasTangents) {
            model.tangents[base + i] = direction(mesh.mTangents[i]);
            model.bitangents[base + i] = direction(mesh.mBitangents[i]);
        }
    }
    // Points and lines that triangulation leaves alone are not triangles: skip them.
    if (!mesh.mFaces)
        return;
    model.indices.reserve(std::min<size_t>(model.indices.size() + mesh.mNumFaces * size_t(3), maxModelIndices));
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
            model.indices.push_back(static_cast<GLuint>(base + face.mIndices[k]));
    }
    model.indexCount = static_cast<unsigned int>(model.indices.size());
}

// One mesh placed by one node: the mesh and the node's transform into the file's frame.
struct PlacedMesh {
    const aiMesh* mesh;
    aiMatrix4x4 transform;
};

// Every mesh the scene's nodes place (a mesh placed twice counts twice), walked without
// recursion so a deep tree cannot exhaust the stack. Stops counting past the vertex limit:
// `vertices` then exceeds it.
std::vector<PlacedMesh> placedMeshes(const aiScene& scene, size_t& vertices)
{
    std::vector<PlacedMesh> placed;
    vertices = 0;
    if (!scene.mRootNode)
        return placed;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> open{{scene.mRootNode, scene.mRootNode->mTransformation}};
    while (!open.empty() && vertices <= maxModelVertices) {
        const auto [node, transform] = open.back();
        open.pop_back();
        for (unsigned int i = 0; node->mMeshes && i < node->mNumMeshes; ++i) {
            const unsigned int m = node->mMeshes[i];
            if (m >= scene.mNumMeshes || !scene.mMeshes[m])
                continue;
            placed.push_back({scene.mMeshes[m], transform});
            vertices += scene.mMeshes[m]->mNumVertices;
        }
        // Children pushed last first, so meshes come out in the file's order.
        for (unsigned int c = node->mChildren ? node->mNumChildren : 0; c-- > 0;)
            if (node->mChildren[c])
                open.push_back({node->mChildren[c], transform * node->mChildren[c]->mTransformation});
    }
    return placed;
}

// The first picture of any of `types` the material names, or empty.
std::string texturePath(const aiMaterial& material, std::initializer_list<aiTextureType> types)
{
    for (aiTextureType type : types) {
        aiString path;
        if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS && path.length > 0)
            return std::string(path.C_Str(), std::min<size_t>(path.length, maxModelTextureName));
    }
    return "";
}

// The file's materials as the viewer draws them, and the embedded images they name.
class MaterialReader {
public:
    MaterialReader(const aiScene& scene, ModelData& model) : scene(scene), model(model) {}

    // Our index of the scene's material `index`, made on first use; noModelMaterial for
    // the importer's default material, one that says nothing of colour or pictures, or
    // past the limit.
    unsigned int materialOf(unsigned int index)
    {
        const auto known = seen.find(index);
        if (known != seen.end())
            return known->second;
        unsigned int ours = noModelMaterial;
        ModelMaterial made;
        if (index < scene.mNumMaterials && scene.mMaterials && scene.mMaterials[index] &&
            model.materials.size() < maxModelMaterials && read(*scene.mMaterials[index], made)) {
            ours = static_cast<unsigned int>(model.materials.size());
            model.materials.push_back(std::move(made));
        }
        seen[index] = ours;
        return ours;
    }

private:
    const aiScene& scene;
    ModelData& model;
    std::map<unsigned int, unsigned int> seen;
    std::map<const aiTexture*, unsigned int> images;
    size_t imageBytes = 0;

    // A path naming an embedded image becomes "*N" of the model's own list; an image the
    // list cannot take (uncompressed texels, past the limits) is left out.
    std::string picture(const std::string& path)
    {
        if (path.empty())
            return path;
        const aiTexture* image = scene.GetEmbeddedTexture(path.c_str());
        if (!image)
            return path[0] == '*' ? std::string() : path;
        auto found = images.find(image);
        if (found == images.end()) {
            const size_t bytes = image->mWidth;
            if (image->mHeight != 0 || !image->pcData || bytes == 0 ||
                model.embeddedImages.size() >= maxModelImages || bytes > maxModelImageBytes - imageBytes)
                return "";
            imageBytes += bytes;
            found = images.emplace(image, static_cast<unsigned int>(model.embeddedImages.size())).first;
            model.embeddedImages.emplace_back(reinterpret_cast<const char*>(image->pcData), bytes);
        }
        return "*" + std::to_string(found->second);
    }

    bool read(const aiMaterial& material, ModelMaterial& made)
    {
        aiString name;
        if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS && std::strcmp(name.C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0)
            return false;
        aiColor4D colour;
        bool says = false;
        if (material.Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS ||
            material.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS) {
            made.diffuse = glm::clamp(glm::vec4(colour.r, colour.g, colour.b, colour.a), 0.0f, 100.0f);
            says = true;
        }
        float metallic = 0.0f, roughness = 1.0f;
        const bool hasMetallic = material.Get(AI_MATKEY_METALLIC_FACTOR, metallic) == AI_SUCCESS;
        const bool hasRoughness = material.Get(AI_MATKEY_ROUGHNESS_FACTOR, roughness) == AI_SUCCESS;
        const bool metalRough = hasMetallic || hasRoughness;
        if (metalRough) {
            // A dielectric reflects about 4% head-on, a metal its own colour; the rougher the
            // surface, the broader its highlight (the usual roughness to exponent match).
            metallic = glm::clamp(metallic, 0.0f, 1.0f);
            roughness = glm::clamp(roughness, 0.05f, 1.0f);
            made.specular = glm::vec4(glm::mix(glm::vec3(0.04f), glm::vec3(made.diffuse), metallic), 1.0f);
            made.exponent = glm::clamp(2.0f / std::pow(roughness, 4.0f) - 2.0f, 1.0f, 1000.0f);
        } else {
            if (material.Get(AI_MATKEY_COLOR_SPECULAR, colour) == AI_SUCCESS)
                made.specular = glm::clamp(glm::vec4(colour.r, colour.g, colour.b, 1.0f), 0.0f, 100.0f);
            float shininess = 0.0f;
            if (material.Get(AI_MATKEY_SHININESS, shininess) == AI_SUCCESS && std::isfinite(shininess))
                made.exponent = glm::clamp(shininess, 1.0f, 1000.0f);
        }
        if (!std::isfinite(made.exponent))
            made.exponent = 16.0f;
        made.texture = picture(texturePath(material, {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}));
        made.normalMap = picture(texturePath(material, {aiTextureType_NORMALS, aiTextureType_HEIGHT}));
        made.specularMap = picture(texturePath(material, {aiTextureType_SPECULAR}));
        return says || !made.texture.empty() || !made.normalMap.empty();
    }
};

// All of the scene's meshes merged into `model`, with the materials they name and the
// index range each covers; the reason in `problem` where they are too many vertices
// together.
ModelImport mergeMeshes(const aiScene& scene, ModelData& model, std::string& problem)
{
    size_t vertices = 0;
    const std::vector<PlacedMesh> placed = placedMeshes(scene, vertices);
    if (placed.empty())
        return ModelImport::NoMesh;
    if (vertices > maxModelVertices) {
        problem = "its meshes have more than the " + std::to_string(maxModelVertices) +
                  " vertices together that a model may have";
        return ModelImport::Failed;
    }
    MaterialReader materials(scene, model);
    for (const PlacedMesh& part : placed) {
        const unsigned int first = model.indexCount;
        appendMesh(*part.mesh, &part.transform, model);
        const unsigned int count = model.indexCount - first;
        if (count == 0)
            continue;
        const unsigned int material = materials.materialOf(part.mesh->mMaterialIndex);
        if (!model.ranges.empty() && model.ranges.back().material == material)
            model.ranges.back().count += count;
        else if (model.ranges.size() < maxModelRanges)
            model.ranges.push_back({first, count, material});
        else
            model.ranges.back().count += count;  // the rest drawn with the last material
    }
    // A file whose meshes name no material of their own is drawn as a whole.
    if (model.materials.empty()) {
        model.ranges.clear();
        model.embeddedImages.clear();
    }
    return ModelImport::Loaded;
}

ModelImport finishImport(const aiScene* scene, const Assimp::Importer& importer, const ConfinedIOSystem& files,
                         bool allMeshes, ModelData& model, std::string& problem)
{
    ModelImport result = ModelImport::Failed;
    problem.clear();
    model = ModelData();
    if (!scene) {
        problem = importer.GetErrorString();
    } else if (allMeshes) {
        result = mergeMeshes(*scene, model, problem);
        if (result == ModelImport::Failed)
            model = ModelData();
    } else if (scene->mNumMeshes == 0 || !scene->mMeshes || !scene->mMeshes[0]) {
        result = ModelImport::NoMesh;
    } else if (scene->mMeshes[0]->mNumVertices > maxModelVertices) {
        problem = "its first mesh has " + std::to_string(scene->mMeshes[0]->mNumVertices) +
                  " vertices, more than the " + std::to_string(maxModelVertices) + " a model may have";
    } else {
        appendMesh(*scene->mMeshes[0], nullptr, model);
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

ModelImport importModelFile(const std::string& path, const std::string& root, bool smoothNormals, bool allMeshes,
                            ModelData& model, std::string& problem)
{
    Assimp::Importer importer;
    auto* files = new ConfinedIOSystem(root);
    importer.SetIOHandler(files);  // the importer owns it from here
    const aiScene* scene = importer.ReadFile(path, importFlags(smoothNormals));
    const ModelImport result = finishImport(scene, importer, *files, allMeshes, model, problem);
    // Running out of memory says nothing of the file: it is named as such by the caller.
    if (!scene && problem != "std::bad_alloc")
        problem = importFailure(path, problem);
    return result;
}

ModelImport importModelBytes(const std::string& bytes, const char* formatHint, const std::string& root,
                             bool smoothNormals, bool allMeshes, ModelData& model, std::string& problem)
{
    Assimp::Importer importer;
    auto* files = new ConfinedIOSystem(root);
    importer.SetIOHandler(files);  // what the bytes name besides themselves comes through it
    const aiScene* scene =
        importer.ReadFileFromMemory(bytes.data(), bytes.size(), importFlags(smoothNormals), formatHint);
    return finishImport(scene, importer, *files, allMeshes, model, problem);
}

#endif
