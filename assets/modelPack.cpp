#include "assets/modelPack.h"

#include "assets/modelMessage.h"
#include "base/outputFile.h"
#include "base/utf8Text.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char magic[8] = {'P', 'K', 'M', 'E', 'S', 'H', '2', '\0'};

// Floats per vertex: position xyz, normal, texture coordinates, tangent, bitangent.
constexpr size_t floatsPerVertex = 3 + 3 + 2 + 3 + 3;

void putWord(std::ostream& out, uint32_t value) { out.write(reinterpret_cast<const char*>(&value), 4); }

template <typename T>
void putArray(std::ostream& out, const std::vector<T>& values, size_t count, size_t components)
{
    // Positions are stored without their w (always 1).
    for (size_t i = 0; i < count; ++i)
        out.write(reinterpret_cast<const char*>(&values[i]), static_cast<std::streamsize>(components * 4));
}

struct Reader {
    const std::vector<char>& bytes;
    size_t at = 0;

    bool has(size_t n) const { return n <= bytes.size() - at; }
    uint32_t word()
    {
        uint32_t value = 0;
        std::memcpy(&value, &bytes[at], 4);
        at += 4;
        return value;
    }
    template <typename T>
    void array(std::vector<T>& values, size_t count, size_t components)
    {
        for (size_t i = 0; i < count; ++i) {
            std::memcpy(static_cast<void*>(&values[i]), &bytes[at], components * 4);
            at += components * 4;
        }
    }
};

} // namespace

bool writeModelPack(const std::string& path, const std::map<short, ModelData*>& from)
{
    std::ostringstream out(std::ios::binary);
    uint32_t count = 0;
    for (const auto& [key, model] : from)
        count += model ? 1 : 0;
    out.write(magic, sizeof magic);
    putWord(out, count);
    for (const auto& [key, model] : from) {
        if (!model)
            continue;
        const size_t n = model->vertexCount;
        putWord(out, static_cast<uint32_t>(key));
        putWord(out, static_cast<uint32_t>(n));
        putWord(out, model->indexCount);
        putArray(out, model->positions, n, 3);
        putArray(out, model->normals, n, 3);
        putArray(out, model->texCoords, n, 2);
        putArray(out, model->tangents, n, 3);
        putArray(out, model->bitangents, n, 3);
        putArray(out, model->indices, model->indexCount, 1);
        std::string materials;
        appendModelMaterials(materials, *model);
        putWord(out, static_cast<uint32_t>(materials.size()));
        out.write(materials.data(), static_cast<std::streamsize>(materials.size()));
    }
    return out && writeWholeFile(path, out.str());
}

bool readModelPack(const std::string& path, std::map<short, ModelData>& into)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "Mesh pack " << printableText(path) << " does not exist." << std::endl;
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Reader reader{bytes};
    if (!reader.has(sizeof magic + 4) || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        std::cerr << "Mesh pack " << printableText(path) << " is not a mesh pack." << std::endl;
        return false;
    }
    reader.at = sizeof magic;
    const uint32_t count = reader.word();
    for (uint32_t m = 0; m < count; ++m) {
        if (!reader.has(12)) {
            std::cerr << "Mesh pack " << printableText(path) << " is cut off after " << m << " models." << std::endl;
            return false;
        }
        const uint32_t key = reader.word();
        const size_t n = reader.word();
        const size_t indexCount = reader.word();
        // Checked against what is left before anything is allocated: a damaged count
        // must not ask for gigabytes.
        if (n > reader.bytes.size() / (floatsPerVertex * 4) || indexCount > reader.bytes.size() / 4 ||
            !reader.has((n * floatsPerVertex + indexCount) * 4) || key > 0x7fff) {
            std::cerr << "Mesh pack " << printableText(path) << " is cut off or damaged in model " << m << "." << std::endl;
            return false;
        }
        ModelData model;
        model.vertexCount = static_cast<unsigned int>(n);
        model.positions.assign(n, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
        model.normals.resize(n);
        model.texCoords.resize(n);
        model.tangents.resize(n);
        model.bitangents.resize(n);
        reader.array(model.positions, n, 3);
        reader.array(model.normals, n, 3);
        reader.array(model.texCoords, n, 2);
        reader.array(model.tangents, n, 3);
        reader.array(model.bitangents, n, 3);
        std::vector<GLuint> indices(indexCount);
        reader.array(indices, indexCount, 1);
        model.indices.reserve(indexCount);
        for (size_t t = 0; t + 3 <= indexCount; t += 3)
            if (indices[t] < n && indices[t + 1] < n && indices[t + 2] < n)
                model.indices.insert(model.indices.end(), &indices[t], &indices[t] + 3);
        model.indexCount = static_cast<unsigned int>(model.indices.size());
        // The materials' ranges count the indices as written: a model that lost a
        // triangle above is drawn whole.
        const size_t materialBytes = reader.has(4) ? reader.word() : bytes.size();
        if (!reader.has(materialBytes)) {
            std::cerr << "Mesh pack " << printableText(path) << " is cut off or damaged in model " << m << "." << std::endl;
            return false;
        }
        const std::string section(bytes.data() + reader.at, materialBytes);
        reader.at += materialBytes;
        size_t at = 0;
        if (!takeModelMaterials(section, at, model, indexCount) || at != section.size() ||
            model.indexCount != indexCount) {
            model.materials.clear();
            model.ranges.clear();
            model.embeddedImages.clear();
        }
        into[static_cast<short>(key)] = std::move(model);
    }
    return true;
}
