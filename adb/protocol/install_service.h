// Which install service a device is asked for, and the exact service strings.
#pragma once

#include <cstdint>
#include <optional>
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

// Install sessions (several files as one package) reach the package manager through `abb_exec`,
// through `exec:cmd package` or, on a device without `cmd`, through `exec:pm`.
enum class SessionMethod { kAbbExec, kExecCmd, kExecPm };
SessionMethod ChooseSessionMethod(const Banner& device);

// "install-create -S TOTAL" and the user's pm options (quoted for the shell outside abb_exec).
std::string SessionCreateService(SessionMethod method, const std::vector<std::string>& options, uint64_t total);
// "install-write -S SIZE SESSION NAME -": the file follows on the stream.
std::string SessionWriteService(SessionMethod method, uint64_t size, uint32_t session, std::string_view name);
// "install-commit SESSION" / "install-abandon SESSION"; `verb` is one of the two.
std::string SessionService(SessionMethod method, std::string_view verb, uint32_t session);
// The same as a shell command line ("pm install-commit SESSION").
std::string PmSessionCommand(std::string_view verb, uint32_t session);

// The id of "Success: created install session [ID]": the digits between the last '[' and the last
// ']' of a reply that starts with "Success"; nothing for anything else or above 2^31-1.
std::optional<uint32_t> ParseSessionId(std::string_view reply);

// The name a file gets in the session: "<index>_<file name>" with every run of bytes outside
// [A-Za-z0-9._-] made one '_', at most kSplitNameMax bytes (the end, with the extension, is kept).
constexpr size_t kSplitNameMax = 100;
std::string SplitName(size_t index, std::string_view fileName);

}  // namespace adb
