// The simulator's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simulator {

enum class AuthMode {
    kOff,         // no authentication at all
    kTrust,       // trusted keys only; an offered public key is never allowed
    kAllow,       // trusted keys; an offered public key is allowed after a delay and then trusted
    kRequireKey,  // signatures never count; every connection must offer its public key
};

struct Options {
    std::string host = "127.0.0.1";
    uint16_t port = 0;  // 0: any free port
    AuthMode auth = AuthMode::kAllow;
    std::vector<std::string> trustedKeyFiles;
    int allowAfterMs = 500;
    std::string features =
        "shell_v2,cmd,stat_v2,ls_v2,fixed_push_mkdir,apex,abb,abb_exec,fixed_push_symlink_timestamp,remount_shell";
    bool legacy = false;  // a device from before 2015: version 0x01000000, 4 KiB payloads, checksums
    uint32_t maxPayload = 1024 * 1024;
    std::optional<std::string> refuseReason;
    std::optional<size_t> requireSplits;  // a session commit with fewer files lacks a split
    std::optional<uint64_t> dropAfterBytes;
    std::optional<uint64_t> stallAfterBytes;
    bool silent = false;
    int okayDelayMs = 0;
    std::string storeDir = "simulator-store";
    std::string logFile;
    std::string readyFile;
    int lifetimeSeconds = 3600;
    int idleSeconds = 600;
    std::string hostile;  // empty: a device that keeps to the protocol
};

// Nothing (and a message in `error`) when the command line is wrong; `help` for --help.
std::optional<Options> ParseOptions(int argc, char** argv, std::string* error, bool* help);

extern const char* const kUsage;

}  // namespace simulator
