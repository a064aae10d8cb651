#include "install/install_log.h"

#include <vector>

#include "base/ansi_text.h"

namespace {

// A byte below 0x40 is never the trail byte of a GBK character: a cut before it splits nothing.
bool StartsCharacter(char byte) {
    return static_cast<unsigned char>(byte) < 0x40;
}

// The longest prefix of `text` of at most `limit` bytes that ends at a character boundary.
size_t WholeCharactersWithin(std::string_view text, size_t limit) {
    size_t end = 0;
    ForEachCharacter(text.substr(0, limit), LeadBytes::Gbk, [&](size_t at, size_t length) {
        // A lead byte left alone at the limit belongs with a trail byte beyond it.
        if (length == 1 && IsLeadByte(text[at], LeadBytes::Gbk) && at + 1 < text.size()) {
            return;
        }
        end = at + length;
    });
    return end;
}

std::string OmittedBytesLine(uint64_t bytes) {
    return "……（此处省略 " + std::to_string(bytes) + " 字节输出）……";
}

}  // namespace

void ShownOutput::Add(std::string_view chunk) {
    total_ += chunk.size();
    const size_t toHead = head_.size() < kShownHeadBytes ? std::min(chunk.size(), kShownHeadBytes - head_.size()) : 0;
    head_.append(chunk.substr(0, toHead));
    tail_.append(chunk.substr(toHead));
    // Trimmed only once it holds twice what is shown, so a flood costs a copy now and then, not each time.
    if (tail_.size() > 2 * kShownTailBytes) {
        tail_.erase(0, tail_.size() - kShownTailBytes);
    }
}

std::string ShownOutput::Text() const {
    if (total_ <= kShownHeadBytes + kShownTailBytes) {
        return CutLongLines(head_ + tail_, kShownLineBytes);
    }
    std::string_view tail(tail_);
    if (tail.size() > kShownTailBytes) {
        tail.remove_prefix(tail.size() - kShownTailBytes);
    }
    // The tail starts inside some line: it is shown from the next line on.
    const size_t lineEnd = tail.find('\n');
    tail = lineEnd == std::string_view::npos ? std::string_view() : tail.substr(lineEnd + 1);
    const std::string_view head = std::string_view(head_).substr(0, WholeCharactersWithin(head_, head_.size()));
    const uint64_t omitted = total_ - head.size() - tail.size();
    std::string text = CutLongLines(head, kShownLineBytes);
    if (!text.empty() && text.back() != '\n') {
        text += "\r\n";
    }
    text += OmittedBytesLine(omitted);
    text += "\r\n";
    text += CutLongLines(tail, kShownLineBytes);
    return text;
}

std::string ShownText(std::string_view output) {
    ShownOutput shown;
    shown.Add(output);
    return shown.Text();
}

std::string CutLongLines(std::string_view text, size_t limit) {
    std::string result;
    result.reserve(std::min(text.size(), limit * 2));
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        text.remove_prefix(line.size());
        if (line.size() <= limit) {
            result.append(line);
            continue;
        }
        size_t kept = WholeCharactersWithin(line, limit);
        // Cut where a word or a number ends when one is near.
        for (size_t at = kept; at > kept / 2; --at) {
            if (StartsCharacter(line[at])) {
                kept = at;
                break;
            }
        }
        result.append(line.substr(0, kept));
        result += "……（本行过长，省略 " + std::to_string(line.size() - kept) + " 字节）";
        if (line.back() == '\n') {
            result += "\r\n";
        }
    }
    return result;
}

std::string BoxLogExcerpt(std::string_view log) {
    while (!log.empty() && (log.front() == '\r' || log.front() == '\n')) {
        log.remove_prefix(1);
    }
    std::vector<std::string_view> lines;
    while (!log.empty()) {
        const size_t end = log.find('\n');
        lines.push_back(log.substr(0, end == std::string_view::npos ? log.size() : end + 1));
        log.remove_prefix(lines.back().size());
    }
    std::string excerpt;
    size_t first = 0;
    if (lines.size() > kBoxLogLines) {
        first = lines.size() - (kBoxLogLines - 1);
        excerpt = "……（前 " + std::to_string(first) + " 行略）……\r\n";
    }
    for (size_t i = first; i < lines.size(); ++i) {
        excerpt += CutLongLines(lines[i], kBoxLineBytes);
    }
    return excerpt;
}
