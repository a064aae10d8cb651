// The pure half of the ADB install sequence: the client's command lines and the judgement of its
// install output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The three commands of one install, run through the command interpreter from the run directory.
std::string KillServerCommand();
std::string ConnectCommand(std::string_view host, std::string_view port);
// The path goes between double quotes, as QuotedForInterpreter gives it.
std::string InstallCommand(std::string_view packagePath);
// A bundle's APKs, installed together as one package: the base first.
std::string InstallMultipleCommand(const std::vector<std::string>& apkPaths);
// One file copied to a path on the device.
std::string PushCommand(std::string_view localPath, std::string_view devicePath);

// A path as one quoted argument that reaches the client byte for byte. The interpreter expands
// %NAME% even inside quotes, so every % stands between quoted parts ("a"%"OS"%"b"): the name it
// would look up then has quotes in it, which no variable has, and the client joins the parts again.
std::string QuotedForInterpreter(std::string_view path);

// The port box's text goes into a command line the interpreter parses, so only 1 to 5 decimal
// digits with a value from 1 to 65535 are let through.
bool IsValidPort(std::string_view port);

// One command's output exactly as the runner returned it, and its exit status (none when it could not be
// started).
struct StepOutput {
    std::string output;
    std::optional<uint32_t> status;
};

// The outputs of one install sequence, each exactly as the runner returned it, and the install
// command's exit status (none when it could not be started). `install` is the output of install, or of
// install-multiple for a bundle; `pushes` are a bundle's OBB pushes after a successful install.
struct InstallOutputs {
    std::string killServer;
    std::string connect;
    std::string install;
    std::optional<uint32_t> installStatus;
    std::vector<StepOutput> pushes;
    // "<label> <version>" when the package tells it, ANSI; empty otherwise.
    std::string shownName;
    // The paragraph of advice added to the log after a sequence that did not succeed.
    std::string hint;
};

// The install log: the outputs as the log shows them (ShownText) joined by "\r\n".
std::string InstallLogText(const InstallOutputs& outputs);

// The verdict of the client's output: a line that reads exactly "Success" with no failure line
// ("Failure [...]", or "...: Failure [...]") after it (a failure text may be followed by more output).
bool OutputSaysSuccess(std::string_view installOutput);

// An install succeeded when the install command ended with exit status 0 and its output says so, and
// every push after it ended with exit status 0. Both count for the install: our client exits 1 on
// failure, an old client of the makers exits 0 all the same.
bool InstallSucceeded(const InstallOutputs& outputs);
