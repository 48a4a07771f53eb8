// Model bytes through the viewer's own loading path: the file check, the import in a
// child process with its time limit, and the checked hand-over of the arrays and, for an
// exhibition's file, of its materials and their ranges. A crash
// inside the importer (it has some) costs the child, as in the viewer, not this run.
#include "assets/modelMessage.h"
#include "assets/assets.h"
#include "assets/models.h"
#include "tests/unit/defaultNames.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void checkRecord(const ModelData& model)
{
    if (model.indexCount != model.indices.size() || model.indexCount % 3 != 0 ||
        model.positions.size() != model.vertexCount || model.normals.size() != model.vertexCount ||
        model.tangents.size() != model.vertexCount || model.bitangents.size() != model.vertexCount ||
        model.texCoords.size() != model.vertexCount)
        std::abort();
    for (GLuint index : model.indices)
        if (index >= model.vertexCount)
            std::abort();
    // The materials' ranges follow each other over every index and name materials there are.
    size_t next = 0;
    for (const ModelRange& range : model.ranges) {
        if (range.first != next || range.count == 0 ||
            (range.material != noModelMaterial && range.material >= model.materials.size()))
            std::abort();
        next += range.count;
    }
    if (!model.ranges.empty() && next != model.indexCount)
        std::abort();
    if (model.materials.empty() != model.ranges.empty())
        std::abort();
}

std::string scratchDirectory()
{
    char name[] = "/tmp/modelFuzz-XXXXXX";
    return mkdtemp(name) ? std::string(name) + "/" : std::string("./");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string directory = scratchDirectory();
    if (size > (1u << 20))
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // COLLADA goes in as the sphere, anything else as the pedestal's OBJ file.
    const short key = size && data[0] == '<' ? 1 : 3;
    modelDirectory = directory;
    std::ofstream(directory + modelFileName(key), std::ios::binary | std::ios::trunc) << bytes;
    // Half the inputs as an exhibition's file: every mesh, with the file's own materials.
    if (size % 4 < 2)
        loadModel(key, size % 2 == 0);
    else
        loadModelsFrom(defaultAssets(), directory.substr(0, directory.size() - 1),
                       {{key, modelFileName(key), size % 2 == 0, true}}, {});
    ModelData* model = getModel(key);
    if (!model)
        std::abort();
    checkRecord(*model);
    *model = ModelData();  // records are kept for the run; their arrays need not be

    // Any bytes at all as a child's answer: refused, or a sound record.
    ModelData forged;
    std::string problem;
    if (unpackModel(bytes, forged, problem) == ModelImport::Loaded)
        checkRecord(forged);
    return 0;
}
