// One request of the driver: a command word and its arguments, read from one line of UTF-8 text.
//
// A line is either a JSON array (["type", "编辑框4", "a \"b\""]; strings, numbers, true/false/null)
// or words separated by blanks, where a word in double quotes may hold blanks and the escapes
// \" \\ \n \r \t. Arguments after a command's required ones that look like key=value (key of
// lowercase letters, digits and '_') are options; the others are optional positional arguments.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct RequestLine {
    std::vector<std::string> words;  // words[0] is the command
    std::string error;               // not empty when the line could not be read
};

RequestLine ParseRequestLine(const std::string& line);

class Arguments {
  public:
    // Splits the words after the command: the first `required` are always positional.
    static Arguments Split(const std::vector<std::string>& words, size_t required);

    size_t Count() const { return positional_.size(); }
    const std::string& At(size_t index) const { return positional_.at(index); }
    bool Has(size_t index) const { return index < positional_.size(); }

    bool HasOption(const std::string& key) const { return options_.count(key) != 0; }
    std::string Option(const std::string& key, const std::string& fallback = {}) const;
    // An integer option (decimal, or hex with 0x); fallback when absent; nullopt when malformed.
    std::optional<long long> IntOption(const std::string& key, long long fallback) const;
    std::vector<std::string> OptionNames() const;

  private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
};

// Decimal or 0x-prefixed hexadecimal, optional sign; nullopt for anything else.
std::optional<long long> ParseInteger(const std::string& text);
