#include "programs/modelInputs.h"

#include "programs/shaderProgram.h"

VertexInputs vertexInputsOf(const ShaderProgram& program)
{
    VertexInputs inputs;
    inputs.position = program.getAttribLocation("in_position");
    inputs.normal = program.getAttribLocation("in_normal");
    inputs.texCoord = program.getAttribLocation("in_texCoord");
    inputs.tangent = program.getAttribLocation("in_tangent");
    inputs.bitangent = program.getAttribLocation("in_bitangent");
    return inputs;
}

bool uploadModel(ModelData& model, const ShaderProgram& program)
{
    return uploadModel(model, vertexInputsOf(program));
}
