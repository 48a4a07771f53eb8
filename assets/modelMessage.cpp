#include "assets/modelMessage.h"

#include "base/utf8Text.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// A magic word, the outcome, then the two counts, the six arrays and the materials for a
// loaded model, and last the importer's own words (why it failed, or what it was refused).
constexpr uint32_t messageMagic = 0x4d4b4e50;  // "PNKM"

template <typename T>
void append(std::string& out, const T* data, size_t count)
{
    out.append(reinterpret_cast<const char*>(data), count * sizeof(T));
}

template <typename T>
bool take(const std::string& in, size_t& at, T* data, size_t count)
{
    const size_t bytes = count * sizeof(T);
    if (count > in.size() / sizeof(T) || in.size() - at < bytes)
        return false;
    if (bytes)
        std::memcpy(static_cast<void*>(data), in.data() + at, bytes);
    at += bytes;
    return true;
}

// The importer's words that end a message: at most 1000 bytes and nothing after them.
bool takeText(const std::string& message, size_t& at, std::string& text)
{
    uint32_t length = 0;
    if (!take(message, at, &length, 1) || length > 1000 || message.size() - at != length)
        return false;
    // The importer's words quote the file: they reach the console only as printable text.
    text = printableText(message.substr(at, length));
    return true;
}

void appendText(std::string& out, const std::string& text)
{
    const uint32_t length = static_cast<uint32_t>(text.size());
    append(out, &length, 1);
    out += text;
}

bool takeName(const std::string& in, size_t& at, std::string& text, size_t most)
{
    uint32_t length = 0;
    if (!take(in, at, &length, 1) || length > most || in.size() - at < length)
        return false;
    text = in.substr(at, length);
    at += length;
    return true;
}

} // namespace

void appendModelMaterials(std::string& out, const ModelData& model)
{
    const uint32_t counts[3] = {static_cast<uint32_t>(model.materials.size()),
                                static_cast<uint32_t>(model.ranges.size()),
                                static_cast<uint32_t>(model.embeddedImages.size())};
    append(out, counts, 3);
    for (const ModelMaterial& m : model.materials) {
        const float numbers[9] = {m.diffuse.r,  m.diffuse.g,  m.diffuse.b,  m.diffuse.a, m.specular.r,
                                  m.specular.g, m.specular.b, m.specular.a, m.exponent};
        append(out, numbers, 9);
        for (const std::string* name : {&m.texture, &m.normalMap, &m.specularMap})
            appendText(out, name->substr(0, maxModelTextureName));
    }
    for (const ModelRange& range : model.ranges) {
        const uint32_t words[3] = {range.first, range.count, range.material};
        append(out, words, 3);
    }
    for (const std::string& image : model.embeddedImages)
        appendText(out, image);
}

bool takeModelMaterials(const std::string& in, size_t& at, ModelData& model, size_t indexCount)
{
    uint32_t counts[3] = {0, 0, 0};
    if (!take(in, at, counts, 3) || counts[0] > maxModelMaterials || counts[1] > maxModelRanges ||
        counts[2] > maxModelImages || (counts[0] == 0) != (counts[1] == 0) || (counts[0] == 0 && counts[2] != 0))
        return false;
    for (uint32_t i = 0; i < counts[0]; ++i) {
        float numbers[9];
        if (!take(in, at, numbers, 9))
            return false;
        for (float number : numbers)
            if (!std::isfinite(number) || number < 0.0f || number > 1000.0f)
                return false;
        ModelMaterial m;
        m.diffuse = glm::vec4(numbers[0], numbers[1], numbers[2], numbers[3]);
        m.specular = glm::vec4(numbers[4], numbers[5], numbers[6], numbers[7]);
        m.exponent = numbers[8];
        if (!takeName(in, at, m.texture, maxModelTextureName) || !takeName(in, at, m.normalMap, maxModelTextureName) ||
            !takeName(in, at, m.specularMap, maxModelTextureName))
            return false;
        model.materials.push_back(std::move(m));
    }
    size_t next = 0;
    for (uint32_t i = 0; i < counts[1]; ++i) {
        uint32_t words[3];
        if (!take(in, at, words, 3))
            return false;
        const ModelRange range{words[0], words[1], words[2]};
        if (range.first != next || range.count == 0 || range.count % 3 != 0 || range.count > indexCount - next ||
            (range.material != noModelMaterial && range.material >= counts[0]))
            return false;
        next += range.count;
        model.ranges.push_back(range);
    }
    if (next != (counts[1] ? indexCount : 0))
        return false;
    size_t imageBytes = 0;
    for (uint32_t i = 0; i < counts[2]; ++i) {
        std::string image;
        if (!takeName(in, at, image, maxModelImageBytes - imageBytes))
            return false;
        imageBytes += image.size();
        model.embeddedImages.push_back(std::move(image));
    }
    return true;
}

std::string packModel(ModelImport result, const ModelData& model, const std::string& problem)
{
    std::string out;
    const uint32_t head[2] = {messageMagic, static_cast<uint32_t>(result)};
    append(out, head, 2);
    if (result == ModelImport::Loaded) {
        const uint32_t counts[2] = {model.vertexCount, model.indexCount};
        append(out, counts, 2);
        append(out, model.positions.data(), model.vertexCount);
        append(out, model.normals.data(), model.vertexCount);
        append(out, model.tangents.data(), model.vertexCount);
        append(out, model.bitangents.data(), model.vertexCount);
        append(out, model.texCoords.data(), model.vertexCount);
        append(out, model.indices.data(), model.indexCount);
        appendModelMaterials(out, model);
    }
    const std::string text = problem.substr(0, 1000);
    const uint32_t length = static_cast<uint32_t>(text.size());
    append(out, &length, 1);
    out += text;
    return out;
}

ModelImport unpackModel(const std::string& message, ModelData& model, std::string& problem)
{
    model = ModelData();
    problem.clear();
    size_t at = 0;
    uint32_t head[2] = {0, 0};
    if (!take(message, at, head, 2) || head[0] != messageMagic || head[1] > 2) {
        problem = "the importer's answer is damaged";
        return ModelImport::Failed;
    }
    const auto result = static_cast<ModelImport>(head[1]);
    if (result != ModelImport::Loaded) {
        if (!takeText(message, at, problem)) {
            problem = "the importer's answer is damaged";
            return ModelImport::Failed;
        }
        return result;
    }
    uint32_t counts[2] = {0, 0};
    bool whole = take(message, at, counts, 2) && counts[0] <= maxModelVertices && counts[1] <= maxModelIndices &&
                 counts[1] % 3 == 0;
    const size_t n = whole ? counts[0] : 0;
    const size_t indexCount = whole ? counts[1] : 0;
    whole = whole && message.size() - at >= n * (16 + 12 + 12 + 12 + 8) + indexCount * 4 + 4;
    if (whole) {
        model.positions.resize(n);
        model.normals.resize(n);
        model.tangents.resize(n);
        model.bitangents.resize(n);
        model.texCoords.resize(n);
        model.indices.resize(indexCount);
        whole = take(message, at, model.positions.data(), n) && take(message, at, model.normals.data(), n) &&
                take(message, at, model.tangents.data(), n) && take(message, at, model.bitangents.data(), n) &&
                take(message, at, model.texCoords.data(), n) && take(message, at, model.indices.data(), indexCount) &&
                takeModelMaterials(message, at, model, indexCount) && takeText(message, at, problem);
    }
    for (size_t i = 0; whole && i < indexCount; ++i)
        whole = model.indices[i] < n;
    if (!whole) {
        model = ModelData();
        problem = "the importer's answer is damaged";
        return ModelImport::Failed;
    }
    model.vertexCount = static_cast<unsigned int>(n);
    model.indexCount = static_cast<unsigned int>(indexCount);
    return ModelImport::Loaded;
}
