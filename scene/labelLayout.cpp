#include "scene/labelLayout.h"

#include <algorithm>

namespace {

// Clip space to window pixels; false behind the eye or outside the depth range.
bool toWindow(const glm::vec4& clip, int width, int height, glm::vec3& window)
{
    if (clip.w <= 0.0f)
        return false;
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    window = glm::vec3((ndc.x * 0.5f + 0.5f) * static_cast<float>(width), (ndc.y * 0.5f + 0.5f) * static_cast<float>(height),
                       ndc.z * 0.5f + 0.5f);
    return ndc.z >= -1.0f && ndc.z <= 1.0f;
}

} // namespace

LabelAnchor labelAnchor(const glm::vec4& sphere, const glm::mat4& projection, const glm::mat4& view, const glm::vec3& eye,
                        int width, int height)
{
    LabelAnchor anchor;
    const glm::vec3 centre(sphere);
    const float radius = sphere.w;
    anchor.distance = glm::length(centre - eye);
    // Inside its sphere the exhibit fills the view: no tag.
    if (radius <= 0.0f || anchor.distance <= radius)
        return anchor;
    const glm::mat4 viewProjection = projection * view;
    glm::vec3 middle, front, top;
    const glm::vec3 towardsEye = (eye - centre) / anchor.distance;
    // The tag stands over the upper part of the exhibit, where its sphere is still mostly it.
    if (!toWindow(viewProjection * glm::vec4(centre, 1.0f), width, height, middle) ||
        !toWindow(viewProjection * glm::vec4(centre + towardsEye * radius, 1.0f), width, height, front) ||
        !toWindow(viewProjection * glm::vec4(centre + glm::vec3(0.0f, 0.6f * radius, 0.0f), 1.0f), width, height, top))
        return anchor;
    if (middle.x < 0.0f || middle.y < 0.0f || middle.x >= static_cast<float>(width) ||
        middle.y >= static_cast<float>(height))
        return anchor;
    anchor.inView = true;
    anchor.centre = glm::vec2(middle);
    anchor.top = glm::vec2(top);
    anchor.frontDepth = front.z;
    return anchor;
}

bool overlap(const LabelBox& a, const LabelBox& b)
{
    return a.at.x < b.at.x + b.size.x && b.at.x < a.at.x + a.size.x && a.at.y < b.at.y + b.size.y &&
           b.at.y < a.at.y + a.size.y;
}

std::vector<LabelBox> placeLabels(std::vector<LabelBox> candidates, int width, int height)
{
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const LabelBox& a, const LabelBox& b) { return a.distance < b.distance; });
    std::vector<LabelBox> placed;
    const glm::vec2 screen(static_cast<float>(width), static_cast<float>(height));
    for (LabelBox box : candidates) {
        if (box.size.x > screen.x || box.size.y > screen.y)
            continue;
        // Whole pixels, so the box's edges are sharp.
        box.at = glm::clamp(glm::round(glm::vec2(box.at.x - 0.5f * box.size.x, box.at.y)), glm::vec2(0.0f),
                            screen - box.size);
        // Moved up past each nearer tag it meets, as long as it stays on the screen.
        bool clear = false;
        for (size_t tries = 0; tries <= placed.size() && !clear; ++tries) {
            clear = true;
            for (const LabelBox& other : placed) {
                if (overlap(box, other)) {
                    box.at.y = other.at.y + other.size.y + 1.0f;
                    clear = false;
                    break;
                }
            }
            if (box.at.y + box.size.y > screen.y)
                break;
        }
        if (clear && box.at.y + box.size.y <= screen.y)
            placed.push_back(box);
    }
    return placed;
}
