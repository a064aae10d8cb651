// What the program tells the user after an install sequence that did not end in the client's
// "Success": one paragraph, chosen from what the client and the interpreter printed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the program knows besides the client's words.
struct HintContext {
    std::string packagePath;  // the path the install was asked for, as typed
    std::string host;         // the address of the connect step
    std::string port;
    // What the package itself says, when it could be read.
    std::optional<int> minSdk;
    std::string versionName;
    std::optional<long long> versionCode;
};

// The paragraph "提示：…" for the log of a failed sequence (kill-server, connect and install outputs
// as the log shows them), from the first rule of the table that fits; a general one when none does.
std::string InstallHint(std::string_view log, const HintContext& context);

// The package manager's failure code in the log ("INSTALL_FAILED_OLDER_SDK", "-124"), if any.
std::optional<std::string> FailureCode(std::string_view log);

// Whether the connect output says the connection to a loopback address was refused: nothing listens
// there, so WSA is not running (or its developer mode is off).
bool RefusedOnLoopback(std::string_view connectOutput, std::string_view host);
