#pragma once
// Triangle meshes built from parametric patches. Every closed part winds its triangles
// counter-clockwise seen from outside; normals are computed per part, so a crease is
// simply a boundary between two parts.
#include <glm/glm.hpp>
#include <functional>
#include <vector>

struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 uv{0.0f};
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<glm::uvec3> triangles;

    void append(const Mesh& part);
    // Moves positions by an affine map whose determinant is positive (winding is kept).
    void transform(const glm::mat4& matrix);
    void flipWinding();
    // Area-weighted vertex normals, shared by every vertex at the same position.
    void smoothNormals();
};

using PointFunction = std::function<glm::vec3(int row, int col)>;
using UvFunction = std::function<glm::vec2(int row, int col)>;

// A (rows + 1) x (cols + 1) lattice of points. Cell (r, c) becomes the triangles
// (r,c)-(r,c+1)-(r+1,c+1) and (r,c)-(r+1,c+1)-(r+1,c); the front side is the one
// where d/dcol x d/drow points. Triangles collapsed at a pole are left out.
Mesh gridPatch(int rows, int cols, const PointFunction& point, const UvFunction& uv);

// Outline of a surface of revolution about +y: (radius, height) pairs from bottom to
// top. Starting and ending at radius 0 closes the surface.
using Profile = std::vector<glm::vec2>;

// Catmull-Rom subdivision of an outline, keeping its end points.
Profile smoothProfile(const Profile& points, int steps);

// Revolves an outline about +y: x = r cos a, z = -r sin a, which faces outward.
// u wraps uRepeat times round, v is arc length divided by vLength.
Mesh lathe(const Profile& profile, int segments, float uRepeat, float vLength);

// A lathe whose every outline segment is its own part, so each joint is a crease.
Mesh creasedLathe(const Profile& profile, int segments, float uRepeat, float vLength);

// Rotation-minimising frames along a polyline; `closed` spreads the twist left over
// after one loop evenly so the last frame meets the first.
struct Frame {
    glm::vec3 point, tangent, normal, binormal;
};
std::vector<Frame> sweepFrames(const std::vector<glm::vec3>& points, bool closed);

// A round tube of radius radii[i] around frames[i]. A closed tube wraps; an open one
// gets a half-ellipsoid cap of depth capDepth * radius at either end.
Mesh tube(const std::vector<Frame>& frames, const std::vector<float>& radii, bool closed,
          int sides, float capDepth, float uRepeat, float vLength);

// Axis-aligned box with planar texture coordinates (one repeat per uvSize units).
Mesh box(const glm::vec3& low, const glm::vec3& high, float uvSize);

// A subdivided rectangle centred at `centre`, spanned by unit axes right and up; it
// faces right x up. Texture coordinates are position . axis * scale.
Mesh rectangle(const glm::vec3& centre, const glm::vec3& right, const glm::vec3& up,
               float halfWidth, float halfHeight, int cellsAcross, int cellsUp,
               float uScale, float vScale);

// Basis mapping local +y onto `axis`, for placing a lathe along any direction.
glm::mat4 alignY(const glm::vec3& origin, const glm::vec3& axis);

constexpr float pi = 3.14159265358979f;
