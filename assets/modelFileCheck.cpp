#include "assets/modelFileCheck.h"

// The browser build imports nothing: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__

#include "assets/assetFiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

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

bool fileSize(const std::string& path, uint64_t& size)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = static_cast<uint64_t>(info.st_size);
    return true;
}

std::string readHead(const std::string& path, size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// The buffers a .gltf names by file: each must hold the bytes it declares.
std::string gltfDamage(const std::string& path, const std::string& root)
{
    std::string text, problem;
    if (!readWholeFile(path, maxGltfBytes, text, problem))
        return "";
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object() || !document.contains("buffers") || !document["buffers"].is_array())
        return "";
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    for (const nlohmann::json& buffer : document["buffers"]) {
        if (!buffer.is_object() || !buffer.contains("uri") || !buffer["uri"].is_string() ||
            !buffer.contains("byteLength") || !buffer["byteLength"].is_number_unsigned())
            continue;
        const std::string uri = buffer["uri"].get<std::string>();
        if (uri.rfind("data:", 0) == 0 || uri.find("%") != std::string::npos)
            continue;
        std::string resolved;
        if (!insideFolder(root, folder + uri, resolved))
            continue;  // the importer refuses it and says so
        const uint64_t wanted = buffer["byteLength"].get<uint64_t>();
        uint64_t size = 0;
        const std::string missing = notARegularFile(resolved);
        if (!missing.empty())
            return "its buffer " + uri + " cannot be read: " + missing;
        if (fileSize(resolved, size) && size < wanted)
            return "damaged: " + uri + " ends at byte " + std::to_string(size) + " of " + std::to_string(wanted);
    }
    return "";
}

} // namespace

std::string modelFileDamage(const std::string& path, const std::string& root)
{
    const std::string extension = extensionOf(path);
    if (extension == "gltf")
        return gltfDamage(path, root);
    uint64_t size = 0;
    if (extension != "glb" || !fileSize(path, size))
        return "";
    // The chunk headers lie at offsets the chunks' lengths give: follow them with reads
    // of their eight bytes only.
    const std::string head = readHead(path, 12);
    if (head.size() >= 4 && word(head, 0) != glbMagic)
        return "";  // not a GLB inside: the importer says what it is
    if (head.size() < 12)
        return endsAt(size, 12);
    const uint64_t declared = word(head, 8);
    if (size < declared)
        return endsAt(size, declared);
    std::ifstream in(path, std::ios::binary);
    uint64_t at = 12;
    for (int chunk = 0; chunk < maxGlbChunks && at < declared; ++chunk) {
        if (at + 8 > size)
            return endsAt(size, at + 8);
        char header[8];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(header, 8))
            return "";
        uint32_t length = 0;
        std::memcpy(&length, header, sizeof length);
        const uint64_t end = at + 8 + length;
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
