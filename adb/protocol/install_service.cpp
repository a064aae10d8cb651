#include "adb/protocol/install_service.h"

namespace adb {
namespace {

// A package manager command line: fixed words as they are, the user's options quoted for the
// device's shell (abb_exec runs no shell: its arguments are separated by NUL, unquoted).
std::string PackageService(SessionMethod method,
                           const std::vector<std::string>& words,
                           const std::vector<std::string>& userWords = {}) {
    if (method == SessionMethod::kAbbExec) {
        std::string service = "abb_exec:package";
        for (const auto* list : {&words, &userWords}) {
            for (const std::string& word : *list) {
                service += '\0';
                service += word;
            }
        }
        return service;
    }
    std::string service = method == SessionMethod::kExecCmd ? "exec:cmd package" : "exec:pm";
    for (const std::string& word : words) {
        service += ' ';
        service += word;
    }
    for (const std::string& word : userWords) {
        service += ' ';
        service += EscapeShellArg(word);
    }
    return service;
}

bool SafeNameByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

}  // namespace

InstallMethod ChooseInstallMethod(const Banner& device) {
    const std::set<std::string>& ours = ClientFeatures();
    if (!device.Has("cmd") || !ours.count("cmd")) {
        return InstallMethod::kPush;
    }
    return device.Has("abb_exec") && ours.count("abb_exec") ? InstallMethod::kAbbExec : InstallMethod::kExecCmd;
}

std::string StreamedInstallService(InstallMethod method, const std::vector<std::string>& options, uint64_t size) {
    std::string sizeText = std::to_string(size);
    if (method == InstallMethod::kAbbExec) {
        // Arguments separated by NUL, unquoted: abb_exec runs no shell.
        std::string service = "abb_exec:package";
        service += '\0';
        service += "install";
        for (const std::string& option : options) {
            service += '\0';
            service += option;
        }
        service += '\0';
        service += "-S";
        service += '\0';
        service += sizeText;
        return service;
    }
    std::string service = "exec:cmd package 'install'";
    for (const std::string& option : options) {
        service += ' ';
        service += EscapeShellArg(option);
    }
    service += " -S ";
    service += sizeText;
    return service;
}

std::string EscapeShellArg(std::string_view argument) {
    std::string escaped = "'";
    for (char c : argument) {
        if (c == '\'') {
            escaped += "'\\''";
        } else {
            escaped += c;
        }
    }
    escaped += '\'';
    return escaped;
}

std::string_view BaseName(std::string_view path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string PushTargetPath(std::string_view localNameUtf8) {
    return "/data/local/tmp/" + std::string(BaseName(localNameUtf8));
}

bool UsesShellV2(const Banner& device) {
    return device.Has("shell_v2") && ClientFeatures().count("shell_v2");
}

std::string ShellService(const Banner& device, std::string_view command) {
    return (UsesShellV2(device) ? "shell,v2,raw:" : "shell:") + std::string(command);
}

std::string PmInstallCommand(const std::vector<std::string>& options, std::string_view remotePath) {
    std::string command = "pm 'install'";
    for (const std::string& option : options) {
        command += ' ';
        command += EscapeShellArg(option);
    }
    command += ' ';
    command += EscapeShellArg(remotePath);
    return command;
}

std::string RemoveFileCommand(std::string_view remotePath) {
    return "rm " + EscapeShellArg(remotePath) + " </dev/null";
}

SessionMethod ChooseSessionMethod(const Banner& device) {
    const std::set<std::string>& ours = ClientFeatures();
    if (device.Has("abb_exec") && ours.count("abb_exec")) {
        return SessionMethod::kAbbExec;
    }
    return device.Has("cmd") && ours.count("cmd") ? SessionMethod::kExecCmd : SessionMethod::kExecPm;
}

std::string SessionCreateService(SessionMethod method, const std::vector<std::string>& options, uint64_t total) {
    return PackageService(method, {"install-create", "-S", std::to_string(total)}, options);
}

std::string SessionWriteService(SessionMethod method, uint64_t size, uint32_t session, std::string_view name) {
    return PackageService(
        method, {"install-write", "-S", std::to_string(size), std::to_string(session), std::string(name), "-"});
}

std::string SessionService(SessionMethod method, std::string_view verb, uint32_t session) {
    return PackageService(method, {std::string(verb), std::to_string(session)});
}

std::string PmSessionCommand(std::string_view verb, uint32_t session) {
    return "pm " + std::string(verb) + " " + std::to_string(session);
}

std::optional<uint32_t> ParseSessionId(std::string_view reply) {
    size_t open = reply.rfind('[');
    size_t close = reply.rfind(']');
    if (reply.compare(0, 7, "Success") != 0 || open == std::string_view::npos || close == std::string_view::npos ||
        close <= open + 1 || close - open - 1 > 10) {
        return std::nullopt;
    }
    uint64_t id = 0;
    for (char c : reply.substr(open + 1, close - open - 1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        id = id * 10 + static_cast<uint64_t>(c - '0');
    }
    if (id > 0x7fffffff) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(id);
}

std::string SplitName(size_t index, std::string_view fileName) {
    std::string safe;
    for (char c : fileName) {
        if (SafeNameByte(c)) {
            safe += c;
        } else if (safe.empty() || safe.back() != '_') {
            safe += '_';
        }
    }
    std::string name = std::to_string(index) + "_";
    if (safe.size() > kSplitNameMax - name.size()) {
        safe.erase(0, safe.size() - (kSplitNameMax - name.size()));
    }
    return name + safe;
}

}  // namespace adb
