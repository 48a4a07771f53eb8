// The room, the floor, the pedestal and the cube lattice: flat-shaded, box-like shapes.
#include "models.h"

namespace {
// The scene stretches the room by (1.1, 1, 1.3) and the floor by (7.5, 1, 6.5); the
// texture coordinates fold that stretch in so bricks keep their shape in the hall.
const glm::vec3 roomStretch(1.1f, 1.0f, 1.3f);
const glm::vec2 floorStretch(7.5f, 6.5f);
// World units covered by one repeat of the wall and the floor textures.
constexpr float wallRepeat = 300.0f;
constexpr float floorRepeat = 400.0f;
}  // namespace

namespace {

Mesh roomShell(int cellsX, int cellsZ, int cellsY)
{
    // Seen from inside: every rectangle faces the centre. Walls and ceiling share
    // their edge subdivisions so the shell has no cracks. The side walls stand wide
    // enough (1892 after the hall's stretch) that the tour's widest circles, which
    // swing the eye out to 1800, stay inside.
    const float hx = 1720.0f, hz = 1400.0f, height = 2400.0f, hy = height / 2;
    const glm::vec3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    const float sx = roomStretch.x / wallRepeat, sz = roomStretch.z / wallRepeat;
    const float sy = 1.0f / wallRepeat;
    Mesh room;
    room.append(rectangle({0, hy, -hz}, x, y, hx, hy, cellsX, cellsY, sx, sy));
    room.append(rectangle({0, hy, hz}, -x, y, hx, hy, cellsX, cellsY, sx, sy));
    room.append(rectangle({-hx, hy, 0}, -z, y, hz, hy, cellsZ, cellsY, sz, sy));
    room.append(rectangle({hx, hy, 0}, z, y, hz, hy, cellsZ, cellsY, sz, sy));
    room.append(rectangle({0, height, 0}, x, z, hx, hz, cellsX, cellsZ, sx, sz));
    return room;
}

Mesh floorSheet(int cellsX, int cellsZ)
{
    // As wide as the room.
    const glm::vec3 x(1, 0, 0), minusZ(0, 0, -1);
    return rectangle({0, 0, 0}, x, minusZ, 253.0f, 280.0f, cellsX, cellsZ, floorStretch.x / floorRepeat,
                     floorStretch.y / floorRepeat);
}

}  // namespace

// The frame lights every pixel, so its room and floor are a few large cells: a software
// rasterizer shades a block of pixels once for every triangle that crosses it, and the
// fine cells made the lit frame about a sixth slower.
Mesh makeRoom()
{
    return roomShell(2, 2, 2);
}

Mesh makeFloor()
{
    return floorSheet(2, 2);
}

// The environment captures light at the vertices: their room and floor are fine enough
// that the two point lights stay smooth on them.
Mesh makeFineRoom()
{
    return roomShell(28, 22, 16);
}

Mesh makeFineFloor()
{
    return floorSheet(46, 50);
}

namespace {

// Plinth, step, column, step, top slab; the top surface is where exhibits rest.
Mesh pedestalBlocks(bool topFirst)
{
    struct Block {
        float half, bottom, top;
    };
    const Block blocks[] = {
        {110.0f, 0.0f, 36.0f}, {96.0f, 36.0f, 54.0f}, {78.0f, 54.0f, 462.0f},
        {96.0f, 462.0f, 480.0f}, {110.0f, 480.0f, 520.0f},
    };
    Mesh pedestal;
    for (int i = 0; i < 5; ++i) {
        const Block& b = blocks[topFirst ? 4 - i : i];
        pedestal.append(box({-b.half, b.bottom, -b.half}, {b.half, b.top, b.half}, 220.0f));
    }
    return pedestal;
}

}  // namespace

Mesh makePedestal()
{
    return pedestalBlocks(false);
}

// The mirror and the lens stand on pedestals and capture their surroundings from just
// above them: with the blocks drawn bottom first, every block's top was shaded and then
// covered by the one above, twice the pixels of a downward face. Drawn top first, the
// depth test spares the hidden ones. (The frame keeps the order above: its depth pre-pass
// needs none, and where two blocks meet the later one's colour shows.)
Mesh makePedestalTopFirst()
{
    return pedestalBlocks(true);
}

Mesh makeMultiCube()
{
    // A level-one sponge: the 3x3x3 lattice without its centre and face centres.
    const float size = 56.0f, pitch = 72.0f;
    Mesh cubes;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j)
            for (int k = -1; k <= 1; ++k) {
                if ((i == 0) + (j == 0) + (k == 0) >= 2)
                    continue;
                const glm::vec3 centre(i * pitch, 100.0f + j * pitch, k * pitch);
                cubes.append(box(centre - glm::vec3(size / 2), centre + glm::vec3(size / 2), 200.0f));
            }
    return cubes;
}
