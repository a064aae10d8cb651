// A small JSON value for the driver's answers: built in memory, written as one line of ASCII
// (everything beyond ASCII as \u escapes, so no reader depends on an encoding).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class JsonValue {
  public:
    using Array = std::vector<JsonValue>;
    using Object = std::vector<std::pair<std::string, JsonValue>>;

    JsonValue() = default;
    JsonValue(std::nullptr_t) {}
    JsonValue(bool value) : value_(value) {}
    JsonValue(int value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(long value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(long long value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(unsigned value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(unsigned long value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(unsigned long long value) : value_(static_cast<int64_t>(value)) {}
    JsonValue(double value) : value_(value) {}
    // Text is UTF-8; invalid bytes are written as U+FFFD.
    JsonValue(std::string text) : value_(std::move(text)) {}
    JsonValue(const char* text) : value_(std::string(text)) {}
    JsonValue(Array items) : value_(std::move(items)) {}
    JsonValue(Object members) : value_(std::move(members)) {}

    static JsonValue MakeObject() { return JsonValue(Object{}); }
    static JsonValue MakeArray() { return JsonValue(Array{}); }

    // On an object: sets (or replaces) a member. On an array: appends.
    JsonValue& Set(const std::string& key, JsonValue value);
    JsonValue& Append(JsonValue value);
    // On an object: the member, or null when there is none.
    const JsonValue* Find(const std::string& key) const;

    bool IsObject() const { return std::holds_alternative<Object>(value_); }
    // The members of an object (empty for anything else).
    const Object& Members() const;
    std::string Serialize() const;

  private:
    void SerializeTo(std::string& out) const;
    std::variant<std::nullptr_t, bool, int64_t, double, std::string, Array, Object> value_{nullptr};
};

// Appends text as a quoted JSON string: ASCII as is, the rest as \u escapes (surrogate pairs beyond
// the BMP), invalid UTF-8 as \ufffd.
void AppendJsonString(std::string& out, const std::string& utf8);
