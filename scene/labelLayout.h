#pragma once
// Where the name tags of the exhibits go: each exhibit's bounding sphere seen through the
// camera gives the point whose scene depth decides whether it is hidden and the point the
// tag stands over; the tags of the exhibits shown are then placed nearest first, each kept
// on the screen, a tag that would overlap a nearer one moved above it or, with no room
// there, left out. GL-free.
#include <glm/glm.hpp>
#include <vector>

struct LabelAnchor {
    bool inView = false;
    // Window pixels, origin bottom left: the sphere's centre and the top of the tag's stem.
    glm::vec2 centre{0.0f}, top{0.0f};
    // The window depth of the sphere's front towards the eye: the scene at `centre` being
    // nearer than this, something stands in front of the exhibit.
    float frontDepth = 0.0f;
    float distance = 0.0f;  // from the eye to the centre
};

// `sphere`: centre and radius (0: an exhibit with nothing to show).
LabelAnchor labelAnchor(const glm::vec4& sphere, const glm::mat4& projection, const glm::mat4& view,
                        const glm::vec3& eye, int width, int height);

struct LabelBox {
    int exhibit = -1;
    // Candidates: bottom centre; placed: bottom left, whole pixels (origin bottom left).
    glm::vec2 at{0.0f};
    glm::vec2 size{0.0f};
    float distance = 0.0f;
};

// The candidates that are shown, placed, nearest first.
std::vector<LabelBox> placeLabels(std::vector<LabelBox> candidates, int width, int height);

bool overlap(const LabelBox& a, const LabelBox& b);
