#include "tools/device_simulator/shell_words.h"

namespace simulator {

std::vector<std::string> SplitShellWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool redirection = false;
    auto finish = [&] {
        if (inWord && !redirection) {
            words.push_back(word);
        }
        word.clear();
        inWord = false;
        redirection = false;
    };
    for (size_t i = 0; i < command.size(); ++i) {
        char c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
        } else if (c == '\'') {
            inWord = true;
            size_t close = command.find('\'', i + 1);
            close = close == std::string_view::npos ? command.size() : close;
            word.append(command.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            inWord = true;
            for (++i; i < command.size() && command[i] != '"'; ++i) {
                if (command[i] == '\\' && i + 1 < command.size()) {
                    ++i;
                }
                word += command[i];
            }
        } else if (c == '\\' && i + 1 < command.size()) {
            inWord = true;
            word += command[++i];
        } else if ((c == '<' || c == '>') && !inWord) {
            inWord = true;
            redirection = true;
        } else {
            inWord = true;
            word += c;
        }
    }
    finish();
    return words;
}

}  // namespace simulator
