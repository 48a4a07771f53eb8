#pragma once
// Checked reading of a parsed JSON document. Every value is known by its path
// (`exhibits[3].height`), so a wrong type or a value out of range becomes one line a person
// can act on, thrown as a FieldError; keys a reader does not know become warnings that name
// the nearest known key. Where a JSON text does not parse, the line and column of the
// offending token are given.
#include <glm/glm.hpp>
#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <vector>

struct FieldError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "12:5: expected ',' or '}'" for JSON text that does not parse: where its offending token
// starts (line and column from 1, columns in characters) and what was wanted there.
std::string jsonSyntaxProblem(const std::string& text, const std::exception& error);

// The one of `candidates` closest to `word` by edit distance, when it is close enough to
// be a slip of the keyboard; empty otherwise.
std::string nearMiss(const std::string& word, const std::vector<std::string>& candidates);

// Allowed values of a number: above `low` (or from it, when lowIncluded) and at most `high`.
struct NumberRange {
    double low;
    double high;
    bool lowIncluded = true;
};

// One JSON object being read. Making it checks that `value` is an object and warns about
// each key not among `keys`.
class JsonObject {
public:
    JsonObject(const nlohmann::json& value, std::string path, const char* what, std::vector<std::string> keys,
               std::vector<std::string>& warnings);

    bool has(const char* key) const;
    // The value under `key`; null when there is none.
    const nlohmann::json& at(const char* key) const;
    std::string pathOf(const char* key) const;
    const std::string& path() const { return ownPath; }

    double number(const char* key, double fallback, NumberRange range, const char* what) const;
    int integer(const char* key, int fallback, int low, int high, const char* what) const;
    bool flag(const char* key, bool fallback) const;
    std::string text(const char* key, const std::string& fallback, size_t maxLength, const char* what) const;
    glm::vec3 vec3(const char* key, glm::vec3 fallback, NumberRange range, const char* what) const;
    // Three numbers (the fourth then 1) or four.
    glm::vec4 colour(const char* key, glm::vec4 fallback, NumberRange range) const;
    // One number for all three axes, or three.
    glm::vec3 scale(const char* key, glm::vec3 fallback, NumberRange range) const;
    // An array of at most `maxCount` values; empty when absent.
    const nlohmann::json& array(const char* key, size_t maxCount, const char* what) const;

private:
    const nlohmann::json& value;
    std::string ownPath;
    // What at() and array() hand out for a missing key.
    const nlohmann::json none;
    const nlohmann::json emptyList = nlohmann::json::array();
};

// "exhibits[3].height: -5 is not a height; want a number above 0"
[[noreturn]] void failField(const std::string& path, const nlohmann::json& value, const char* what,
                            const std::string& want);
double checkedNumber(const nlohmann::json& value, const std::string& path, NumberRange range, const char* what);
