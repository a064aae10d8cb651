#include "wsa/wsa_install.h"

#include <string_view>

#include "base/ansi_text.h"

namespace {

constexpr std::string_view kCommandPrefix = "powershell add-appxpackage \"'";
// The CR LF and "time out (5000)" belong to the one command line, byte for byte.
constexpr std::string_view kCommandSuffix = "'\"\r\ntime out (5000)";

// An ASCII byte after a lead byte is no trail byte: it stands for itself, as the system's
// conversion to Unicode reads it, so a quote there is still doubled.
bool IsGbkTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

bool IsTypographicSingleQuote(unsigned char lead, unsigned char trail) {
    return lead == 0xA1 && (trail == 0xAE || trail == 0xAF);
}

}  // namespace

std::string EscapeForSingleQuotedString(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(text[i], LeadBytes::Gbk) && i + 1 < text.size() && IsGbkTrailByte(static_cast<unsigned char>(text[i + 1]))) {
            const std::string_view character(text.data() + i, 2);
            escaped.append(character);
            if (IsTypographicSingleQuote(byte, static_cast<unsigned char>(text[i + 1]))) {
                escaped.append(character);
            }
            ++i;
        } else {
            escaped.push_back(text[i]);
            if (text[i] == '\'') {
                escaped.push_back('\'');
            }
        }
    }
    return escaped;
}

std::string BuildWsaInstallCommandLine(const std::string& packagePath) {
    std::string commandLine(kCommandPrefix);
    commandLine += EscapeForSingleQuotedString(packagePath);
    commandLine += kCommandSuffix;
    return commandLine;
}
