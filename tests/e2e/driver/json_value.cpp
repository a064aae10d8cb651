#include "tests/e2e/driver/json_value.h"

#include <cmath>
#include <cstdio>

#include "tests/e2e/driver/utf8.h"

JsonValue& JsonValue::Set(const std::string& key, JsonValue value) {
    auto& members = std::get<Object>(value_);
    for (auto& member : members) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members.emplace_back(key, std::move(value));
    return *this;
}

JsonValue& JsonValue::Append(JsonValue value) {
    std::get<Array>(value_).push_back(std::move(value));
    return *this;
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    if (!IsObject()) {
        return nullptr;
    }
    for (const auto& member : std::get<Object>(value_)) {
        if (member.first == key) {
            return &member.second;
        }
    }
    return nullptr;
}

const JsonValue::Object& JsonValue::Members() const {
    static const Object none;
    const Object* members = std::get_if<Object>(&value_);
    return members ? *members : none;
}

std::string JsonValue::Serialize() const {
    std::string out;
    SerializeTo(out);
    return out;
}

void AppendJsonString(std::string& out, const std::string& utf8) {
    out += '"';
    char escape[16];
    for (char32_t c : DecodeUtf8(utf8)) {
        switch (c) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else if (c < 0x10000) {
            std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            char32_t v = c - 0x10000;
            std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(0xd800 + (v >> 10)));
            out += escape;
            std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(0xdc00 + (v & 0x3ff)));
            out += escape;
        }
    }
    out += '"';
}

void JsonValue::SerializeTo(std::string& out) const {
    if (std::holds_alternative<std::nullptr_t>(value_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&value_)) {
        out += *b ? "true" : "false";
    } else if (const int64_t* i = std::get_if<int64_t>(&value_)) {
        out += std::to_string(*i);
    } else if (const double* d = std::get_if<double>(&value_)) {
        if (!std::isfinite(*d)) {
            out += "null";
        } else {
            char number[40];
            std::snprintf(number, sizeof(number), "%.17g", *d);
            out += number;
        }
    } else if (const std::string* s = std::get_if<std::string>(&value_)) {
        AppendJsonString(out, *s);
    } else if (const Array* a = std::get_if<Array>(&value_)) {
        out += '[';
        for (size_t n = 0; n < a->size(); ++n) {
            if (n > 0) {
                out += ',';
            }
            (*a)[n].SerializeTo(out);
        }
        out += ']';
    } else {
        const Object& o = std::get<Object>(value_);
        out += '{';
        for (size_t n = 0; n < o.size(); ++n) {
            if (n > 0) {
                out += ',';
            }
            AppendJsonString(out, o[n].first);
            out += ':';
            o[n].second.SerializeTo(out);
        }
        out += '}';
    }
}
