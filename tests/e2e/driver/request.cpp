#include "tests/e2e/driver/request.h"

#include <cctype>

#include "tests/e2e/driver/utf8.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class JsonArrayReader {
  public:
    explicit JsonArrayReader(const std::string& text) : text_(text) {}

    RequestLine Read() {
        RequestLine result;
        SkipBlanks();
        Expect('[');
        SkipBlanks();
        if (Peek() == ']') {
            ++at_;
        } else {
            while (error_.empty()) {
                SkipBlanks();
                result.words.push_back(ReadItem());
                SkipBlanks();
                if (Peek() == ',') {
                    ++at_;
                } else {
                    Expect(']');
                    break;
                }
            }
        }
        SkipBlanks();
        if (error_.empty() && at_ != text_.size()) {
            Fail("text after the closing bracket");
        }
        result.error = error_;
        return result;
    }

  private:
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void SkipBlanks() {
        while (at_ < text_.size() && IsBlank(text_[at_]))
            ++at_;
    }
    void Fail(const std::string& why) {
        if (error_.empty())
            error_ = "bad JSON array at byte " + std::to_string(at_) + ": " + why;
    }
    void Expect(char c) {
        if (Peek() != c) {
            Fail(std::string("expected '") + c + "'");
        } else {
            ++at_;
        }
    }

    std::string ReadItem() {
        char c = Peek();
        if (c == '"')
            return ReadString();
        size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '-' ||
                                      text_[at_] == '+' || text_[at_] == '.')) {
            ++at_;
        }
        std::string word = text_.substr(start, at_ - start);
        if (word.empty()) {
            Fail("expected a string, number, true, false or null");
        } else if (word == "null") {
            return {};
        }
        return word;
    }

    unsigned ReadHex4() {
        unsigned value = 0;
        for (int n = 0; n < 4; ++n) {
            int digit = HexValue(Peek());
            if (digit < 0) {
                Fail("bad \\u escape");
                return 0;
            }
            value = value * 16 + digit;
            ++at_;
        }
        return value;
    }

    std::string ReadString() {
        ++at_;  // the opening quote
        std::string out;
        while (error_.empty()) {
            if (at_ >= text_.size()) {
                Fail("unterminated string");
                break;
            }
            char c = text_[at_++];
            if (c == '"')
                break;
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = Peek();
            ++at_;
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    char32_t code = ReadHex4();
                    if (code >= 0xd800 && code < 0xdc00 && Peek() == '\\' && at_ + 1 < text_.size() &&
                        text_[at_ + 1] == 'u') {
                        size_t back = at_;
                        at_ += 2;
                        unsigned low = ReadHex4();
                        if (low >= 0xdc00 && low < 0xe000) {
                            code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
                        } else {
                            at_ = back;
                        }
                    }
                    if (code >= 0xd800 && code < 0xe000)
                        code = 0xfffd;
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    Fail("bad escape");
                    break;
            }
        }
        return out;
    }

    const std::string& text_;
    size_t at_ = 0;
    std::string error_;
};

RequestLine ReadWords(const std::string& line) {
    RequestLine result;
    size_t at = 0;
    while (true) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at >= line.size())
            break;
        std::string word;
        if (line[at] == '"') {
            ++at;
            bool closed = false;
            while (at < line.size()) {
                char c = line[at++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && at < line.size()) {
                    char e = line[at++];
                    switch (e) {
                        case 'n':
                            word += '\n';
                            break;
                        case 'r':
                            word += '\r';
                            break;
                        case 't':
                            word += '\t';
                            break;
                        case '"':
                        case '\\':
                            word += e;
                            break;
                        default:
                            word += '\\';
                            word += e;
                            break;
                    }
                    continue;
                }
                word += c;
            }
            if (!closed) {
                result.error = "unterminated quoted word";
                return result;
            }
        } else {
            while (at < line.size() && !IsBlank(line[at]))
                word += line[at++];
        }
        result.words.push_back(word);
    }
    return result;
}

bool LooksLikeOption(const std::string& word) {
    size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    for (size_t n = 0; n < equals; ++n) {
        unsigned char c = static_cast<unsigned char>(word[n]);
        if (!(std::islower(c) || std::isdigit(c) || c == '_'))
            return false;
    }
    return true;
}

}  // namespace

RequestLine ParseRequestLine(const std::string& line) {
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    RequestLine result = (first < line.size() && line[first] == '[') ? JsonArrayReader(line).Read() : ReadWords(line);
    if (result.error.empty() && result.words.empty()) {
        result.error = "empty request";
    }
    return result;
}

Arguments Arguments::Split(const std::vector<std::string>& words, size_t required) {
    Arguments arguments;
    for (size_t n = 1; n < words.size(); ++n) {
        const std::string& word = words[n];
        if (n - 1 >= required && LooksLikeOption(word)) {
            size_t equals = word.find('=');
            arguments.options_[word.substr(0, equals)] = word.substr(equals + 1);
        } else {
            arguments.positional_.push_back(word);
        }
    }
    return arguments;
}

std::string Arguments::Option(const std::string& key, const std::string& fallback) const {
    auto found = options_.find(key);
    return found == options_.end() ? fallback : found->second;
}

std::optional<long long> Arguments::IntOption(const std::string& key, long long fallback) const {
    auto found = options_.find(key);
    if (found == options_.end())
        return fallback;
    return ParseInteger(found->second);
}

std::vector<std::string> Arguments::OptionNames() const {
    std::vector<std::string> names;
    for (const auto& option : options_)
        names.push_back(option.first);
    return names;
}

std::optional<long long> ParseInteger(const std::string& text) {
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    int base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= text.size())
        return std::nullopt;
    unsigned long long value = 0;
    for (; at < text.size(); ++at) {
        int digit = HexValue(text[at]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x7fffffffffffffffULL)
            return std::nullopt;
    }
    long long signedValue = static_cast<long long>(value);
    return negative ? -signedValue : signedValue;
}
