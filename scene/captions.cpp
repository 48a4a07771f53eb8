#include "scene/captions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>

#include "navigation/camera.h"
#include "navigation/guide.h"
#include "navigation/tour.h"

namespace {

// One frame of the viewer's looking ahead, and the longest it looks.
constexpr double runningStep = 1.0 / 30.0;
constexpr double longestLookAhead = 600.0;

std::string makerAndDate(const Caption& caption)
{
    if (caption.maker.empty())
        return caption.date;
    return caption.date.empty() ? caption.maker : caption.maker + ", " + caption.date;
}

std::string vttTime(double seconds)
{
    const long ms = std::lround(std::max(0.0, seconds) * 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld.%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// WebVTT cue text takes & and < as markup; an empty line would end the cue.
std::string vttText(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '\n' || c == '\r')
            out += ' ';
        else
            out += c;
    }
    return out;
}

}  // namespace

Caption exhibitCaption(const HallDescription& description, int exhibit)
{
    Caption caption;
    if (exhibit >= 0 && static_cast<size_t>(exhibit) < description.captions.size())
        caption = description.captions[static_cast<size_t>(exhibit)];
    if (caption.title.empty())
        caption.title = "Exhibit " + std::to_string(exhibit);
    return caption;
}

std::vector<std::string> guidePanelLines(const Guide& guide, const HallDescription& description)
{
    if (!guide.panelOpen || guide.exhibit < 0)
        return {};
    const Caption caption = exhibitCaption(description, guide.exhibit);
    std::vector<std::string> lines{caption.title};
    if (!makerAndDate(caption).empty())
        lines.push_back(makerAndDate(caption));
    if (!caption.text.empty())
        lines.push_back(caption.text);
    return lines;
}

int cueExhibit(const TourScript& described, const Tour& tour, const Camera& camera,
               const std::vector<glm::vec4>& spheres)
{
    if (tourNamesExhibits(described)) {
        if (tour.step < 0 || static_cast<size_t>(tour.step) >= described.keyframes.size())
            return -1;
        return described.keyframes[static_cast<size_t>(tour.step)].exhibit;
    }
    const glm::mat4 projectionView = camera.projection * lookAtOf(camera);
    int nearest = -1;
    float nearestDistance = 0.0f;
    for (size_t e = 0; e < spheres.size(); ++e) {
        if (!(spheres[e].w > 0.0f))
            continue;
        const glm::vec4 clip = projectionView * glm::vec4(glm::vec3(spheres[e]), 1.0f);
        if (clip.w <= 0.0f)
            continue;
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        if (std::abs(ndc.x) > 1.0f || std::abs(ndc.y) > 1.0f)
            continue;
        const float distance = glm::length(ndc);
        if (nearest < 0 || distance < nearestDistance) {
            nearest = static_cast<int>(e);
            nearestDistance = distance;
        }
    }
    return nearest;
}

void addCueFrame(CueTrack& track, double start, double end, int exhibit)
{
    if (exhibit == track.open.exhibit && track.open.exhibit >= 0) {
        track.open.end = end;
        return;
    }
    finishCues(track);
    track.open = TourCue{start, end, exhibit};
}

std::vector<TourCue> finishCues(CueTrack& track)
{
    const TourCue& open = track.open;
    if (open.exhibit >= 0 && open.end - open.start >= track.shortest - 1e-9) {
        // A glance at another exhibit too short for a cue of its own does not split one.
        TourCue* last = track.cues.empty() ? nullptr : &track.cues.back();
        if (last && last->exhibit == open.exhibit && open.start - last->end < track.shortest)
            last->end = open.end;
        else
            track.cues.push_back(open);
    }
    track.open = TourCue{};
    return track.cues;
}

std::vector<TourCue> tourCues(const TourScript& described, Tour tour, Camera camera, double now,
                              const std::vector<glm::vec4>& spheres, double step, long firstFrame, long lastFrame)
{
    CueTrack track;
    track.shortest = tourNamesExhibits(described) ? 0.0 : shortestNearestCue;
    for (long frame = firstFrame; frame <= lastFrame; ++frame) {
        if (frame > 0) {
            // The clock adds the step, as advanceClock does, before the tour moves on.
            now += step;
            if (tour.mode)
                updateTour(tour, camera, now, step);
        }
        const double start = static_cast<double>(frame - firstFrame) * step;
        addCueFrame(track, start, start + step, cueExhibit(described, tour, camera, spheres));
    }
    return finishCues(track);
}

std::vector<TourCue> cuesUntil(std::vector<TourCue> cues, double seconds)
{
    cues.erase(std::remove_if(cues.begin(), cues.end(), [seconds](const TourCue& cue) { return cue.start >= seconds; }),
               cues.end());
    for (TourCue& cue : cues)
        cue.end = std::min(cue.end, seconds);
    return cues;
}

std::vector<std::string> cueLinesAt(const std::vector<TourCue>& cues, double seconds,
                                    const HallDescription& description)
{
    for (const TourCue& cue : cues) {
        if (seconds >= cue.start && seconds < cue.end) {
            const Caption caption = exhibitCaption(description, cue.exhibit);
            std::vector<std::string> lines{caption.title};
            if (!makerAndDate(caption).empty())
                lines.push_back(makerAndDate(caption));
            return lines;
        }
    }
    return {};
}

bool tourNamesExhibits(const TourScript& described)
{
    if (!described.steps.empty())
        return false;
    for (const TourKeyframe& keyframe : described.keyframes)
        if (keyframe.exhibit >= 0)
            return true;
    return false;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::vector<std::string> runningCueLines(RunningCues& running, const HallDescription& description, const Tour& tour,
                                         const Camera& camera, double now, const std::vector<glm::vec4>& spheres)
{
    const TourScript& described = description.tour;
    if (!tour.mode || tour.step < 0) {
        running.made = false;
        return {};
    }
    if (tourNamesExhibits(described)) {
        const int exhibit = cueExhibit(described, tour, camera, spheres);
        return exhibit < 0 ? std::vector<std::string>{} : cueLinesAt({{0.0, 1.0, exhibit}}, 0.0, description);
    }
    // A loop of steps restarts its timing; a loop of places runs on, so its cues are made
    // again once the last ones are used up.
    if (!running.made || running.loopStart != tour.stepStart || now >= running.until) {
        double loop = 0.0;
        if (!tour.script.steps.empty())
            loop = static_cast<double>(tour.script.steps.back().endTime);
        else
            for (const TourKeyframe& keyframe : tour.script.keyframes)
                loop += static_cast<double>(keyframe.seconds);
        loop = std::clamp(loop, runningStep, longestLookAhead);
        const long frames = static_cast<long>(std::ceil(loop / runningStep));
        running.cues = tourCues(described, tour, camera, now, spheres, runningStep, 0, frames);
        running.made = true;
        running.loopStart = tour.stepStart;
        running.origin = now;
        running.until = now + loop;
    }
    return cueLinesAt(running.cues, now - running.origin, description);
}

std::string webVtt(const std::vector<TourCue>& cues, const HallDescription& description)
{
    std::string vtt = "WEBVTT\n";
    int number = 0;
    for (const TourCue& cue : cues) {
        const Caption caption = exhibitCaption(description, cue.exhibit);
        vtt += "\n" + std::to_string(++number) + "\n" + vttTime(cue.start) + " --> " + vttTime(cue.end) + "\n" +
               vttText(caption.title) + "\n";
        if (!makerAndDate(caption).empty())
            vtt += vttText(makerAndDate(caption)) + "\n";
    }
    return vtt;
}

std::string escapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string catalogueHtml(const HallDescription& description, const std::vector<std::pair<int, std::string>>& pictures)
{
    const std::string hallTitle = description.title.empty() ? "Pinakora" : description.title;
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       escapeHtml(hallTitle) + ": catalogue</title>\n"
                       "<style>body{font-family:sans-serif;max-width:60em;margin:auto;padding:1em;line-height:1.4}"
                       "img{max-width:100%;height:auto}article{margin-bottom:2em}</style>\n</head>\n<body>\n<h1>" +
                       escapeHtml(hallTitle) + "</h1>\n<main>\n";
    for (const auto& [exhibit, file] : pictures) {
        const Caption caption = exhibitCaption(description, exhibit);
        const std::string alt = caption.alt.empty() ? caption.title : caption.alt;
        html += "<article>\n<h2>" + escapeHtml(caption.title) + "</h2>\n<figure>\n<img src=\"" + escapeHtml(file) +
                "\" alt=\"" + escapeHtml(alt) + "\">\n<figcaption>";
        if (!makerAndDate(caption).empty())
            html += "<p>" + escapeHtml(makerAndDate(caption)) + "</p>";
        if (!caption.text.empty())
            html += "<p>" + escapeHtml(caption.text) + "</p>";
        html += "</figcaption>\n</figure>\n</article>\n";
    }
    html += "</main>\n</body>\n</html>\n";
    return html;
}
