// What the install log and the failure box show of a client's output: everything a client normally
// prints, unchanged; of a flood, its beginning and its end; of an endless line, its beginning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Of one command's output the log shows at most about 32 KB: the first and the last 16 KB with a line
// between them that says how much was left out. Lines are cut at 4000 bytes.
inline constexpr size_t kShownHeadBytes = 16 * 1024;
inline constexpr size_t kShownTailBytes = 16 * 1024;
inline constexpr size_t kShownLineBytes = 4000;
// The failure box shows at most this many lines of the log, the last ones.
inline constexpr size_t kBoxLogLines = 25;
inline constexpr size_t kBoxLineBytes = 512;

// Takes a command's output chunk by chunk, keeping only what will be shown: the memory it holds stays
// bounded however much arrives.
class ShownOutput {
  public:
    void Add(std::string_view chunk);
    // The text for the log: the output itself when it is at most kShownHeadBytes + kShownTailBytes
    // long and has no longer line, else the cut version.
    std::string Text() const;
    uint64_t TotalBytes() const { return total_; }

  private:
    std::string head_;
    std::string tail_;  // the newest bytes after the head, trimmed now and then
    uint64_t total_ = 0;
};

// ShownOutput of a whole output at once.
std::string ShownText(std::string_view output);

// Lines longer than `limit` bytes cut at a character boundary, with a note of what was cut.
std::string CutLongLines(std::string_view text, size_t limit);

// The log as the failure box shows it: without leading empty lines, at most kBoxLogLines lines (the
// last ones, after a line saying how many came before) of at most kBoxLineBytes bytes each.
std::string BoxLogExcerpt(std::string_view log);
