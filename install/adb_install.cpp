#include "install/adb_install.h"

#include <algorithm>

#include "install/install_log.h"

std::string KillServerCommand() {
    return ".\\adb.exe kill-server";
}

std::string ConnectCommand(std::string_view host, std::string_view port) {
    std::string command = ".\\adb.exe connect ";
    command.append(host);
    command += ':';
    command.append(port);
    return command;
}

std::string InstallCommand(std::string_view packagePath) {
    return ".\\adb.exe install " + QuotedForInterpreter(packagePath);
}

std::string InstallMultipleCommand(const std::vector<std::string>& apkPaths) {
    std::string command = ".\\adb.exe install-multiple";
    for (const std::string& path : apkPaths) {
        command += ' ' + QuotedForInterpreter(path);
    }
    return command;
}

std::string PushCommand(std::string_view localPath, std::string_view devicePath) {
    return ".\\adb.exe push " + QuotedForInterpreter(localPath) + ' ' + QuotedForInterpreter(devicePath);
}

std::string QuotedForInterpreter(std::string_view path) {
    // '%' is never the trail byte of a double-byte character, so each one found is a real one.
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '%') {
            quoted += "\"%\"";
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

bool IsValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

std::string InstallLogText(const InstallOutputs& outputs) {
    std::string log =
        ShownText(outputs.killServer) + "\r\n" + ShownText(outputs.connect) + "\r\n" + ShownText(outputs.install);
    for (const StepOutput& push : outputs.pushes) {
        log += "\r\n" + ShownText(push.output);
    }
    return log;
}

bool OutputSaysSuccess(std::string_view output) {
    bool success = false;
    while (!output.empty()) {
        const size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line == "Success") {
            success = true;
        } else if (line.starts_with("Failure [") || line.find(": Failure [") != std::string_view::npos) {
            success = false;
        }
        if (end == std::string_view::npos) {
            break;
        }
        output.remove_prefix(end + 1);
    }
    return success;
}

bool InstallSucceeded(const InstallOutputs& outputs) {
    return outputs.installStatus == 0u && OutputSaysSuccess(outputs.install) &&
           std::all_of(outputs.pushes.begin(), outputs.pushes.end(),
                       [](const StepOutput& push) { return push.status == 0u; });
}
