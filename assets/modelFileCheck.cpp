#include "assets/modelFileCheck.h"

// The browser build imports nothing: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__

#include "assets/assetFiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr uint32_t glbMagic = 0x46546c67;  // "glTF"
constexpr size_t maxGltfBytes = size_t(64) << 20;
// The chunks of a GLB: a JSON one and mostly one binary one; a few more are read at most.
constexpr int maxGlbChunks = 16;

uint32_t word(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;  // GLB is little-endian, as every machine the viewer runs on
}

std::string endsAt(uint64_t end, uint64_t wanted)
{
    return "damaged: ends at byte " + std::to_string(end) + " of " + std::to_string(wanted);
}

std::string extensionOf(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// Up to `bytes` bytes of the open file from `at`; fewer where it ends first.
std::string readAt(const OpenedFile& file, uint64_t at, size_t bytes)
{
    std::string chunk(bytes, '\0');
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = pread(file.descriptor(), &chunk[got], bytes - got, static_cast<off_t>(at + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    chunk.resize(got);
    return chunk;
}

// The buffers a .gltf names by file: each must hold the bytes it declares.
std::string gltfDamage(OpenedFile& file, const std::string& path, const std::string& root)
{
    std::string text, problem;
    if (!file.readAll(maxGltfBytes, text, problem))
        return "";
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object() || !document.contains("buffers") || !document["buffers"].is_array())
        return "";
    const std::string folder = folderOf(path) + "/";
    for (const nlohmann::json& buffer : document["buffers"]) {
        if (!buffer.is_object() || !buffer.contains("uri") || !buffer["uri"].is_string() ||
            !buffer.contains("byteLength") || !buffer["byteLength"].is_number_unsigned())
            continue;
        const std::string uri = buffer["uri"].get<std::string>();
        if (uri.rfind("data:", 0) == 0 || uri.find("%") != std::string::npos)
            continue;
        const OpenedFile data = openInsideFolder(root, folder + uri, problem);
        if (data.outside)
            continue;  // the importer refuses it and says so
        if (!data.isOpen())
            return "its buffer " + uri + " cannot be read: " + problem;
        const uint64_t wanted = buffer["byteLength"].get<uint64_t>();
        if (data.size < wanted)
            return "damaged: " + uri + " ends at byte " + std::to_string(data.size) + " of " + std::to_string(wanted);
    }
    return "";
}

} // namespace

std::string modelFileDamage(const std::string& path, const std::string& root)
{
    const std::string extension = extensionOf(path);
    if (extension != "gltf" && extension != "glb")
        return "";
    const std::string resolvedRoot = resolvedPath(root);
    std::string problem;
    OpenedFile file = openInsideFolder(resolvedRoot, path, problem);
    if (!file.isOpen())
        return "";  // the import that follows says why
    if (extension == "gltf")
        return gltfDamage(file, path, resolvedRoot);
    const uint64_t size = file.size;
    // The chunk headers lie at offsets the chunks' lengths give: follow them with reads
    // of their eight bytes only.
    const std::string head = readAt(file, 0, 12);
    if (head.size() >= 4 && word(head, 0) != glbMagic)
        return "";  // not a GLB inside: the importer says what it is
    if (head.size() < 12)
        return endsAt(size, 12);
    const uint64_t declared = word(head, 8);
    if (size < declared)
        return endsAt(size, declared);
    uint64_t at = 12;
    for (int chunk = 0; chunk < maxGlbChunks && at < declared; ++chunk) {
        if (at + 8 > size)
            return endsAt(size, at + 8);
        const std::string header = readAt(file, at, 8);
        if (header.size() < 8)
            return "";
        const uint64_t end = at + 8 + word(header, 0);
        if (end > size)
            return endsAt(size, end);
        at = end + (4 - end % 4) % 4;
    }
    return "";
}

std::string importFailure(const std::string& path, const std::string& importerWords)
{
    static const std::pair<const char*, const char*> formats[] = {
        {"glb", "GLB"}, {"gltf", "glTF"}, {"obj", "OBJ"}, {"dae", "Collada"}, {"3ds", "3DS"}, {"ply", "PLY"},
        {"stl", "STL"}, {"fbx", "FBX"}, {"off", "OFF"}, {"x3d", "X3D"}, {"3mf", "3MF"}, {"blend", "Blender"},
        {"ase", "ASE"}, {"lwo", "LightWave"}, {"ms3d", "Milkshape"}, {"x", "DirectX"}, {"ac", "AC3D"},
        {"md2", "MD2"}, {"md3", "MD3"}, {"md5mesh", "MD5"}, {"smd", "SMD"}, {"amf", "AMF"}, {"irrmesh", "Irrlicht"},
    };
    const std::string extension = extensionOf(path);
    for (const auto& [known, name] : formats) {
        if (extension != known)
            continue;
        const std::string what = std::string("damaged or not a valid ") + name + " file";
        // The importer did not take it as its format: its words would say the format is unknown.
        if (importerWords.empty() || importerWords.find("No suitable reader") != std::string::npos)
            return what + ": its contents are not what a " + name + " file holds";
        return what + ": " + importerWords;
    }
    return importerWords;
}

#endif
