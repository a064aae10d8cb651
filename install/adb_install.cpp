#include "install/adb_install.h"

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
    std::string command = ".\\adb.exe install \"";
    command.append(packagePath);
    command += '"';
    return command;
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
    return outputs.killServer + "\r\n" + outputs.connect + "\r\n" + outputs.install;
}

bool InstallSucceeded(std::string_view output) {
    while (!output.empty()) {
        size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line == "Success") {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        output.remove_prefix(end + 1);
    }
    return false;
}
