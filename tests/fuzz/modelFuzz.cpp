// Model bytes through the import and the checked hand-over from the importing child.
// The importer runs in this process here (forking per input would be too slow); in the
// viewer it runs in a child whose crash is contained.
#include "assets/models.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void checkRecord(const ModelData& model)
{
    if (model.indexCount != model.indices.size() || model.indexCount % 3 != 0 ||
        model.positions.size() != model.vertexCount || model.normals.size() != model.vertexCount ||
        model.texCoords.size() != model.vertexCount)
        std::abort();
    for (GLuint index : model.indices)
        if (index >= model.vertexCount)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ModelData model;
    std::string problem;
    const ModelImport result = importModelBytes(bytes, size && data[0] == '<' ? "dae" : "obj", size % 2 == 0, model, problem);
    if (result == ModelImport::Loaded)
        checkRecord(model);

    // What the parent reads back is what the child sent.
    ModelData received;
    std::string receivedProblem;
    if (unpackModel(packModel(result, model, problem), received, receivedProblem) != result)
        std::abort();
    if (result == ModelImport::Loaded && (received.vertexCount != model.vertexCount || received.indices != model.indices))
        std::abort();

    // Any bytes at all as a child's answer: refused or a sound record.
    ModelData forged;
    if (unpackModel(bytes, forged, receivedProblem) == ModelImport::Loaded)
        checkRecord(forged);
    return 0;
}
