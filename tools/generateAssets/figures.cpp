// The teapot and the standing figure: smooth bodies put together from closed parts.
#include "models.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {
glm::vec3 bezier(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2, const glm::vec3& p3, float t)
{
    const float s = 1.0f - t;
    return s * s * s * p0 + 3.0f * s * s * t * p1 + 3.0f * s * t * t * p2 + t * t * t * p3;
}

std::vector<glm::vec3> sampleBezier(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                                    const glm::vec3& p3, int stations)
{
    std::vector<glm::vec3> points;
    for (int i = 0; i < stations; ++i)
        points.push_back(bezier(p0, p1, p2, p3, static_cast<float>(i) / (stations - 1)));
    return points;
}

// A rounded, tapered limb from a (radius ra) to b (radius rb).
Mesh capsule(const glm::vec3& a, const glm::vec3& b, float ra, float rb, int segments)
{
    const float length = glm::length(b - a);
    const int capSteps = 4;
    Profile profile;
    for (int k = 0; k <= capSteps; ++k) {
        const float angle = -0.5f * pi + 0.5f * pi * k / capSteps;
        profile.push_back({k == 0 ? 0.0f : ra * std::cos(angle), ra * std::sin(angle)});
    }
    for (int k = 1; k <= 4; ++k) {
        const float t = static_cast<float>(k) / 5;
        profile.push_back({ra + (rb - ra) * t, length * t});
    }
    for (int k = 0; k <= capSteps; ++k) {
        const float angle = 0.5f * pi * k / capSteps;
        profile.push_back({k == capSteps ? 0.0f : rb * std::cos(angle), length + rb * std::sin(angle)});
    }
    Mesh limb = lathe(profile, segments, 1.0f, 120.0f);
    limb.transform(alignY(a, b - a));
    limb.smoothNormals();
    return limb;
}

Mesh ellipsoid(const glm::vec3& centre, const glm::vec3& radii, int rings, int segments)
{
    Profile arc;
    for (int i = 0; i <= rings; ++i) {
        const float a = pi * static_cast<float>(i) / rings - 0.5f * pi;
        arc.push_back({i == 0 || i == rings ? 0.0f : std::cos(a), std::sin(a)});
    }
    Mesh shape = lathe(arc, segments, 1.0f, pi);
    shape.transform(glm::scale(glm::translate(glm::mat4(1.0f), centre), radii));
    shape.smoothNormals();
    return shape;
}
}  // namespace

Mesh makeTeapot()
{
    // Body and lid are separate closed shells; the lid sits a little into the rim.
    const Profile body = smoothProfile({{0, 0}, {4.4f, 0}, {5.4f, 0.25f}, {6.6f, 1.0f}, {7.6f, 2.4f},
                                        {8.2f, 4.2f}, {8.3f, 5.8f}, {8.0f, 7.4f}, {7.3f, 8.8f},
                                        {6.4f, 9.8f}, {5.7f, 10.35f}, {5.6f, 10.7f}, {5.3f, 10.8f},
                                        {5.0f, 10.5f}, {0, 10.5f}},
                                       2);
    const Profile lid = smoothProfile({{0, 10.45f}, {5.15f, 10.45f}, {5.35f, 10.75f}, {5.1f, 11.3f},
                                       {4.3f, 12.1f}, {3.0f, 12.7f}, {1.5f, 13.05f}, {0.85f, 13.25f},
                                       {0.9f, 13.7f}, {1.6f, 14.3f}, {1.9f, 15.0f}, {1.6f, 15.6f},
                                       {0.9f, 15.9f}, {0, 16.0f}},
                                      2);
    Mesh teapot;
    teapot.append(lathe(body, 48, 2.0f, 8.0f));
    teapot.append(lathe(lid, 48, 2.0f, 8.0f));

    // Spout and handle start inside the body, so their buried end caps never show.
    const int stations = 24;
    const std::vector<glm::vec3> spoutPath =
        sampleBezier({5.8f, 3.2f, 0}, {10.0f, 3.0f, 0}, {10.8f, 7.5f, 0}, {12.6f, 10.4f, 0}, stations);
    std::vector<float> spoutRadii;
    for (int i = 0; i < stations; ++i)
        spoutRadii.push_back(1.9f - 1.15f * static_cast<float>(i) / (stations - 1));
    teapot.append(tube(sweepFrames(spoutPath, false), spoutRadii, false, 20, 0.5f, 1.0f, 4.0f));

    const std::vector<glm::vec3> handlePath =
        sampleBezier({-7.0f, 8.6f, 0}, {-13.8f, 10.6f, 0}, {-13.6f, 1.6f, 0}, {-7.2f, 3.2f, 0}, stations);
    teapot.append(tube(sweepFrames(handlePath, false), std::vector<float>(stations, 0.8f), false, 16, 1.0f,
                       1.0f, 4.0f));
    return teapot;
}

Mesh makeFigure()
{
    // A mannequin 400 high, standing on a disc whose top is at the feet.
    Mesh figure;
    const int segments = 20;
    figure.append(creasedLathe({{0, -24}, {68, -24}, {72, -20}, {72, -4}, {68, 0}, {0, 0}}, 48, 4.0f, 120.0f));

    const Profile torso = smoothProfile({{0, 178}, {22, 181}, {33, 190}, {37, 205}, {33, 228}, {30, 245},
                                         {34, 270}, {41, 295}, {45, 312}, {42, 325}, {30, 336}, {14, 343},
                                         {0, 346}},
                                        3);
    Mesh body = lathe(torso, 32, 2.0f, 120.0f);
    body.transform(glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, 1.0f, 0.6f)));
    body.smoothNormals();
    figure.append(body);

    figure.append(capsule({0, 334, 0}, {0, 356, 1}, 9.0f, 8.0f, segments));
    figure.append(ellipsoid({0, 374, 2}, {19, 26, 22}, 16, 32));
    for (float side : {-1.0f, 1.0f}) {
        figure.append(capsule({side * 45, 318, 0}, {side * 57, 246, 0}, 10.0f, 8.0f, segments));
        figure.append(capsule({side * 57, 246, 0}, {side * 62, 180, 4}, 8.0f, 6.0f, segments));
        figure.append(ellipsoid({side * 63, 166, 5}, {5.5f, 13, 8}, 10, 16));
        figure.append(capsule({side * 19, 192, 0}, {side * 21, 108, 2}, 16.0f, 11.5f, segments));
        figure.append(capsule({side * 21, 108, 2}, {side * 21, 22, 0}, 11.0f, 7.5f, segments));
        figure.append(ellipsoid({side * 21, 7, 8}, {9, 7, 19}, 10, 20));
    }
    return figure;
}
