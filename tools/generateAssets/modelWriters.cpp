// Text writers for OBJ, COLLADA and glTF. Numbers are printed with fixed precision so every
// run writes the same bytes.
#include "models.h"

#include "base/outputFile.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <unordered_map>

namespace {
std::string number(float value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    std::string s(text);
    // "-0.0000" and "0.0000" are the same point; print one spelling.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

std::string join(std::initializer_list<float> values, int decimals)
{
    std::string line;
    for (float v : values) {
        if (!line.empty())
            line += ' ';
        line += number(v, decimals);
    }
    return line;
}

// Keeps the first-seen order of distinct lines and hands out 1-based OBJ indices.
struct Pool {
    std::vector<std::string> lines;
    std::unordered_map<std::string, size_t> index;
    size_t add(const std::string& line)
    {
        auto [it, added] = index.emplace(line, lines.size() + 1);
        if (added)
            lines.push_back(line);
        return it->second;
    }
};

// A JSON array's inside: "1.0000, 2.0000".
std::string list(std::initializer_list<float> values, int decimals)
{
    std::string text = join(values, decimals);
    for (size_t at = text.find(' '); at != std::string::npos; at = text.find(' ', at + 2))
        text.replace(at, 1, ", ");
    return text;
}

bool save(const std::string& path, const std::string& text)
{
    return writeWholeFile(path, text);
}
}  // namespace

bool writeObj(const Mesh& mesh, const std::string& path, bool withNormals)
{
    Pool positions, uvs, normals;
    std::ostringstream faces;
    for (const glm::uvec3& t : mesh.triangles) {
        faces << 'f';
        for (unsigned i : {t.x, t.y, t.z}) {
            const Vertex& v = mesh.vertices[i];
            faces << ' ' << positions.add(join({v.position.x, v.position.y, v.position.z}, 4)) << '/'
                  << uvs.add(join({v.uv.x, v.uv.y}, 5));
            if (withNormals)
                faces << '/' << normals.add(join({v.normal.x, v.normal.y, v.normal.z}, 5));
        }
        faces << '\n';
    }
    std::string text = "# Pinakora generated model\no model\n";
    for (const std::string& line : positions.lines)
        text += "v " + line + '\n';
    for (const std::string& line : uvs.lines)
        text += "vt " + line + '\n';
    for (const std::string& line : normals.lines)
        text += "vn " + line + '\n';
    return save(path, text + faces.str());
}

bool writeCollada(const Mesh& mesh, const std::string& path)
{
    std::ostringstream positions, normals, uvs, indices;
    for (const Vertex& v : mesh.vertices) {
        positions << join({v.position.x, v.position.y, v.position.z}, 4) << ' ';
        normals << join({v.normal.x, v.normal.y, v.normal.z}, 5) << ' ';
        uvs << join({v.uv.x, v.uv.y}, 5) << ' ';
    }
    for (const glm::uvec3& t : mesh.triangles)
        indices << t.x << ' ' << t.y << ' ' << t.z << ' ';
    const size_t n = mesh.vertices.size();
    auto source = [](const std::string& id, const std::string& data, size_t count, int stride,
                     const char* params) {
        std::ostringstream s;
        s << "        <source id=\"" << id << "\">\n"
          << "          <float_array id=\"" << id << "-array\" count=\"" << count * stride << "\">" << data
          << "</float_array>\n"
          << "          <technique_common>\n"
          << "            <accessor source=\"#" << id << "-array\" count=\"" << count << "\" stride=\"" << stride
          << "\">\n";
        for (const char* p = params; *p; ++p)
            s << "              <param name=\"" << *p << "\" type=\"float\"/>\n";
        s << "            </accessor>\n          </technique_common>\n        </source>\n";
        return s.str();
    };
    std::ostringstream doc;
    doc << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        << "  <asset>\n    <contributor><authoring_tool>Pinakora generateAssets</authoring_tool></contributor>\n"
        << "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n"
        << "  <library_geometries>\n    <geometry id=\"sphere\" name=\"sphere\">\n      <mesh>\n"
        << source("sphere-positions", positions.str(), n, 3, "XYZ")
        << source("sphere-normals", normals.str(), n, 3, "XYZ")
        << source("sphere-uvs", uvs.str(), n, 2, "ST")
        << "        <vertices id=\"sphere-vertices\">\n"
        << "          <input semantic=\"POSITION\" source=\"#sphere-positions\"/>\n"
        << "        </vertices>\n"
        << "        <triangles count=\"" << mesh.triangles.size() << "\">\n"
        << "          <input semantic=\"VERTEX\" source=\"#sphere-vertices\" offset=\"0\"/>\n"
        << "          <input semantic=\"NORMAL\" source=\"#sphere-normals\" offset=\"0\"/>\n"
        << "          <input semantic=\"TEXCOORD\" source=\"#sphere-uvs\" offset=\"0\" set=\"0\"/>\n"
        << "          <p>" << indices.str() << "</p>\n"
        << "        </triangles>\n      </mesh>\n    </geometry>\n  </library_geometries>\n"
        << "  <library_visual_scenes>\n    <visual_scene id=\"scene\" name=\"scene\">\n"
        << "      <node id=\"sphere-node\" name=\"sphere\">\n"
        << "        <instance_geometry url=\"#sphere\"/>\n      </node>\n"
        << "    </visual_scene>\n  </library_visual_scenes>\n"
        << "  <scene>\n    <instance_visual_scene url=\"#scene\"/>\n  </scene>\n</COLLADA>\n";
    return save(path, doc.str());
}

bool writeGltf(const std::vector<GltfPart>& parts, const std::string& dir, const std::string& name)
{
    // Per part: positions, normals, texture coordinates, then 32-bit indices, each a view
    // of its own; every array is a multiple of 4 bytes, so none needs padding.
    std::string bin;
    std::ostringstream views, accessors, meshes, nodes, children;
    int view = 0;
    auto addView = [&](const void* data, size_t bytes, int target) {
        views << (view ? ",\n    " : "") << "{ \"buffer\": 0, \"byteOffset\": " << bin.size()
              << ", \"byteLength\": " << bytes << ", \"target\": " << target << " }";
        bin.append(static_cast<const char*>(data), bytes);
        return view++;
    };
    auto addAccessor = [&](int v, int componentType, size_t count, const char* type, const std::string& extra) {
        accessors << (v ? ",\n    " : "") << "{ \"bufferView\": " << v << ", \"componentType\": " << componentType
                  << ", \"count\": " << count << ", \"type\": \"" << type << "\"" << extra << " }";
        return v;  // one accessor per view
    };
    for (size_t i = 0; i < parts.size(); ++i) {
        const Mesh& mesh = parts[i].mesh;
        const size_t n = mesh.vertices.size();
        std::vector<float> positions, normals, uvs;
        glm::vec3 low(1e30f), high(-1e30f);
        for (const Vertex& v : mesh.vertices) {
            positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
            normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
            uvs.insert(uvs.end(), {v.uv.x, v.uv.y});
            low = glm::min(low, v.position);
            high = glm::max(high, v.position);
        }
        std::vector<unsigned> indices;
        for (const glm::uvec3& t : mesh.triangles)
            indices.insert(indices.end(), {t.x, t.y, t.z});
        const std::string bounds = ", \"min\": [" + list({low.x, low.y, low.z}, 4) + "], \"max\": [" +
                                   list({high.x, high.y, high.z}, 4) + "]";
        const int p = addAccessor(addView(positions.data(), positions.size() * 4, 34962), 5126, n, "VEC3", bounds);
        const int nv = addAccessor(addView(normals.data(), normals.size() * 4, 34962), 5126, n, "VEC3", "");
        const int uv = addAccessor(addView(uvs.data(), uvs.size() * 4, 34962), 5126, n, "VEC2", "");
        const int ix = addAccessor(addView(indices.data(), indices.size() * 4, 34963), 5125, indices.size(), "SCALAR", "");
        meshes << (i ? ",\n    " : "") << "{ \"name\": \"" << parts[i].name
               << "\", \"primitives\": [ { \"attributes\": { \"POSITION\": " << p << ", \"NORMAL\": " << nv
               << ", \"TEXCOORD_0\": " << uv << " }, \"indices\": " << ix << " } ] }";
        const GltfPart& part = parts[i];
        nodes << ",\n    { \"name\": \"" << part.name << "\", \"mesh\": " << i << ", \"translation\": ["
              << list({part.translation.x, part.translation.y, part.translation.z}, 4) << "], \"rotation\": ["
              << list({part.rotation.x, part.rotation.y, part.rotation.z, part.rotation.w}, 6) << "], \"scale\": ["
              << list({part.scale, part.scale, part.scale}, 4) << "] }";
        children << (i ? ", " : "") << i + 1;
    }
    std::ostringstream doc;
    doc << "{\n  \"asset\": { \"version\": \"2.0\", \"generator\": \"Pinakora generateAssets\" },\n"
        << "  \"scene\": 0,\n  \"scenes\": [ { \"nodes\": [0] } ],\n"
        << "  \"nodes\": [\n    { \"name\": \"" << name << "\", \"children\": [" << children.str() << "] }"
        << nodes.str() << "\n  ],\n"
        << "  \"meshes\": [\n    " << meshes.str() << "\n  ],\n"
        << "  \"accessors\": [\n    " << accessors.str() << "\n  ],\n"
        << "  \"bufferViews\": [\n    " << views.str() << "\n  ],\n"
        << "  \"buffers\": [ { \"uri\": \"" << name << ".bin\", \"byteLength\": " << bin.size() << " } ]\n}\n";
    return save(dir + name + ".bin", bin) && save(dir + name + ".gltf", doc.str());
}
