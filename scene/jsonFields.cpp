#include "scene/jsonFields.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>

using nlohmann::json;

namespace {

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == '_';
}

// The lexer tells how far it read; the token it stopped in begins where a person looks.
size_t tokenStart(const std::string& text, size_t end, const std::string& message)
{
    if (end == 0)
        return 0;
    const size_t lastRead = message.find("last read: '\"");
    if (lastRead != std::string::npos && message.find("invalid string") != std::string::npos) {
        const std::string shown = message.substr(lastRead + 12, message.rfind('\'') - lastRead - 12);
        // Control characters are shown as <U+000A>, one character each.
        size_t count = 0;
        for (size_t i = 0; i < shown.size(); ++i, ++count)
            if (shown.compare(i, 3, "<U+") == 0 && shown.find('>', i) != std::string::npos)
                i = shown.find('>', i);
        return end >= count ? end - count : 0;
    }
    size_t start = end - 1;
    if (text[start] == '"') {
        while (start > 0 && !(text[start - 1] == '"' && (start < 2 || text[start - 2] != '\\')))
            --start;
        return start > 0 ? start - 1 : 0;
    }
    // A bad literal is found by the character after it.
    if (lastRead != std::string::npos || message.find("last read") != std::string::npos)
        if (start > 0 && !isWordChar(text[start]) && isWordChar(text[start - 1]))
            --start;
    while (start > 0 && isWordChar(text[start]) && isWordChar(text[start - 1]))
        --start;
    return start;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One level deep only: a value nested a million times must not take the stack with it.
std::string shown(const json& value)
{
    std::string text;
    if (value.is_structured()) {
        text = value.is_array() ? "[" : "{";
        for (auto item = value.begin(); item != value.end() && text.size() < 40; ++item) {
            text += text.size() > 1 ? "," : "";
            if (value.is_object())
                text += json(item.key()).dump() + ":";
            text += item->is_array() ? "[...]" : item->is_object() ? "{...}" : item->dump();
        }
        text += value.is_array() ? "]" : "}";
    } else {
        text = value.dump();
    }
    if (text.size() > 40)
        text = text.substr(0, 37) + "...";
    return text;
}

std::string numberText(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

} // namespace

std::string jsonSyntaxProblem(const std::string& text, const std::exception& error)
{
    const std::string message = error.what();
    size_t start = std::string::npos;
    std::string detail = message.substr(message.find(']') + 2);
    if (const auto* parseError = dynamic_cast<const json::parse_error*>(&error)) {
        start = tokenStart(text, std::min<size_t>(parseError->byte, text.size()), message);
        const size_t dash = message.find(" - ");
        detail = dash == std::string::npos ? message.substr(message.find(": ") + 2) : message.substr(dash + 3);
        // After a member or an element a comma would do as well as the closing bracket.
        const bool inObject = message.find("while parsing object -") != std::string::npos;
        const bool inArray = message.find("while parsing array -") != std::string::npos;
        if (inObject && endsWith(detail, "; expected '}'"))
            detail = "expected ',' or '}'";
        else if (inArray && endsWith(detail, "; expected ']'"))
            detail = "expected ',' or ']'";
        const size_t lastRead = detail.find("; last read:");
        if (lastRead != std::string::npos)
            detail = detail.substr(0, lastRead);
    } else {
        // A number too large for a double: find its literal.
        const size_t quote = message.find('\'');
        if (quote != std::string::npos)
            start = text.find(message.substr(quote + 1, message.rfind('\'') - quote - 1));
    }
    if (start == std::string::npos)
        return detail;
    int line = 1;
    int column = 1;
    for (size_t i = 0; i < start; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column) + ": " + detail;
}

std::string nearMiss(const std::string& word, const std::vector<std::string>& candidates)
{
    std::string best;
    size_t bestDistance = std::max<size_t>(1, std::min<size_t>(2, word.size() / 3)) + 1;
    for (const std::string& candidate : candidates) {
        std::vector<size_t> row(candidate.size() + 1);
        for (size_t j = 0; j <= candidate.size(); ++j)
            row[j] = j;
        for (size_t i = 1; i <= word.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= candidate.size(); ++j) {
                const size_t above = row[j];
                const bool same = std::tolower(static_cast<unsigned char>(word[i - 1])) ==
                                  std::tolower(static_cast<unsigned char>(candidate[j - 1]));
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row.back() < bestDistance) {
            bestDistance = row.back();
            best = candidate;
        }
    }
    return best;
}

void failField(const std::string& path, const json& value, const char* what, const std::string& want)
{
    throw FieldError(path + ": " + shown(value) + " is not " + what + "; want " + want);
}

double checkedNumber(const json& value, const std::string& path, NumberRange range, const char* what)
{
    if (!value.is_number())
        failField(path, value, what, "a number");
    const double x = value.get<double>();
    // The hall holds its numbers as floats: what a float rounds onto the bound, or below
    // the smallest normal float (1e-300 becomes 0), is the bound, not above it.
    const auto asFloat = [](double v) {
        const float f = static_cast<float>(v);
        return std::fabs(f) < std::numeric_limits<float>::min() ? 0.0f : f;
    };
    if (!std::isfinite(x) || x < range.low || (!range.lowIncluded && asFloat(x) <= asFloat(range.low)))
        failField(path, value, what,
                  range.lowIncluded ? "a number of at least " + numberText(range.low)
                                    : "a number above " + numberText(range.low));
    if (x > range.high)
        failField(path, value, what, "a number of at most " + numberText(range.high));
    return x;
}

JsonObject::JsonObject(const json& value, std::string path, const char* what, std::vector<std::string> keys,
                       std::vector<std::string>& warnings)
    : value(value), ownPath(std::move(path))
{
    if (!value.is_object())
        failField(ownPath.empty() ? "exhibition" : ownPath, value, what, "an object {...}");
    for (const auto& item : value.items()) {
        if (std::find(keys.begin(), keys.end(), item.key()) != keys.end())
            continue;
        std::string warning = (ownPath.empty() ? std::string("exhibition") : ownPath) + ": unknown key \"" +
                              item.key().substr(0, 40) + "\"";
        const std::string suggestion = nearMiss(item.key(), keys);
        if (!suggestion.empty())
            warning += " (did you mean \"" + suggestion + "\"?)";
        warnings.push_back(warning);
    }
}

bool JsonObject::has(const char* key) const
{
    return value.contains(key);
}

const json& JsonObject::at(const char* key) const
{
    const auto found = value.find(key);
    return found == value.end() ? none : *found;
}

std::string JsonObject::pathOf(const char* key) const
{
    return ownPath.empty() ? std::string(key) : ownPath + "." + key;
}

double JsonObject::number(const char* key, double fallback, NumberRange range, const char* what) const
{
    return has(key) ? checkedNumber(at(key), pathOf(key), range, what) : fallback;
}

int JsonObject::integer(const char* key, int fallback, int low, int high, const char* what) const
{
    if (!has(key))
        return fallback;
    const json& item = at(key);
    if (!item.is_number_integer())
        failField(pathOf(key), item, what, "a whole number");
    return static_cast<int>(checkedNumber(item, pathOf(key), {double(low), double(high)}, what));
}

bool JsonObject::flag(const char* key, bool fallback) const
{
    if (!has(key))
        return fallback;
    if (!at(key).is_boolean())
        failField(pathOf(key), at(key), "a yes or no", "true or false");
    return at(key).get<bool>();
}

std::string JsonObject::text(const char* key, const std::string& fallback, size_t maxLength, const char* what) const
{
    if (!has(key))
        return fallback;
    const json& item = at(key);
    if (!item.is_string())
        failField(pathOf(key), item, what, "a string");
    const std::string& result = item.get_ref<const std::string&>();
    if (result.size() > maxLength)
        failField(pathOf(key), item, what, "at most " + std::to_string(maxLength) + " bytes");
    return result;
}

glm::vec3 JsonObject::vec3(const char* key, glm::vec3 fallback, NumberRange range, const char* what) const
{
    if (!has(key))
        return fallback;
    const json& item = at(key);
    if (!item.is_array() || item.size() != 3)
        failField(pathOf(key), item, what, "3 numbers [x, y, z]");
    glm::vec3 result;
    for (int i = 0; i < 3; ++i)
        result[i] = static_cast<float>(checkedNumber(item[i], pathOf(key) + "[" + std::to_string(i) + "]", range, what));
    return result;
}

glm::vec4 JsonObject::colour(const char* key, glm::vec4 fallback, NumberRange range) const
{
    if (!has(key))
        return fallback;
    const json& item = at(key);
    if (!item.is_array() || (item.size() != 3 && item.size() != 4))
        failField(pathOf(key), item, "a colour", "3 or 4 numbers [r, g, b] or [r, g, b, a]");
    glm::vec4 result(1.0f);
    for (size_t i = 0; i < item.size(); ++i)
        result[static_cast<int>(i)] = static_cast<float>(
            checkedNumber(item[i], pathOf(key) + "[" + std::to_string(i) + "]", range, "a colour component"));
    return result;
}

glm::vec3 JsonObject::scale(const char* key, glm::vec3 fallback, NumberRange range) const
{
    if (!has(key))
        return fallback;
    if (at(key).is_number())
        return glm::vec3(static_cast<float>(checkedNumber(at(key), pathOf(key), range, "a scale")));
    return vec3(key, fallback, range, "a scale");
}

const json& JsonObject::array(const char* key, size_t maxCount, const char* what) const
{
    if (!has(key))
        return emptyList;
    const json& item = at(key);
    if (!item.is_array())
        failField(pathOf(key), item, what, "a list [...]");
    if (item.size() > maxCount)
        throw FieldError(pathOf(key) + ": " + std::to_string(item.size()) + " entries; want at most " +
                         std::to_string(maxCount));
    return item;
}
