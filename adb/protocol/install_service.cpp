#include "adb/protocol/install_service.h"

namespace adb {

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

}  // namespace adb
