// Which install service a device is asked for, and the exact service strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "adb/protocol/banner.h"

namespace adb {

enum class InstallMethod {
    kAbbExec,  // abb_exec:package\0install\0...\0-S\0SIZE
    kExecCmd,  // exec:cmd package 'install' ... -S SIZE
    kPush,     // sync push to /data/local/tmp, pm install, rm
};

// A device with `cmd` takes the package as a stream; `abb_exec` is preferred when both sides have it.
InstallMethod ChooseInstallMethod(const Banner& device);

// The streamed service; `options` are the user's pm options (for example "-r").
std::string StreamedInstallService(InstallMethod method, const std::vector<std::string>& options, uint64_t size);

// Wraps an argument in single quotes for the device's shell ('\'' for a quote inside).
std::string EscapeShellArg(std::string_view argument);

// Where the push install puts the package: /data/local/tmp/ + the file's own name (UTF-8).
std::string PushTargetPath(std::string_view localNameUtf8);

// "shell,v2,raw:" with shell_v2 on both sides, else "shell:".
std::string ShellService(const Banner& device, std::string_view command);
bool UsesShellV2(const Banner& device);

std::string PmInstallCommand(const std::vector<std::string>& options, std::string_view remotePath);
std::string RemoveFileCommand(std::string_view remotePath);

// The last path component after '/' or '\'.
std::string_view BaseName(std::string_view path);

}  // namespace adb
