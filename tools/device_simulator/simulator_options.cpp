#include "tools/device_simulator/simulator_options.h"

#include <cstdlib>
#include <cstring>

#include "tools/device_simulator/hostile_device.h"

namespace simulator {

const char* const kUsage =
    "usage: adb_device_simulator [OPTION...]\n"
    "The device side of the ADB protocol on a TCP port, for tests. It prints\n"
    "\"listening on HOST:PORT\" on stdout once it accepts connections, and runs until killed\n"
    "or until --lifetime-s has passed.\n"
    "\n"
    "  --host ADDR            address to listen on (127.0.0.1)\n"
    "  --port N               port to listen on; 0 picks a free one (0)\n"
    "  --ready-file FILE      also write the bound port to FILE when ready\n"
    "  --auth MODE            off | trust | allow | require-key (allow)\n"
    "                         trust: only keys of --trusted-key; an offered key is never allowed\n"
    "                         allow: like trust, but an offered key is allowed after\n"
    "                                --allow-after-ms and trusted from then on\n"
    "                         require-key: signatures never count; the key must be offered\n"
    "                                and is allowed after --allow-after-ms\n"
    "  --trusted-key FILE     an adbkey.pub to trust (repeatable)\n"
    "  --allow-after-ms N     how long the user takes to allow debugging (500)\n"
    "  --features LIST        features the device lists, comma-separated (a current device's)\n"
    "  --legacy               a device from before 2015: version 0x01000000, 4096-byte\n"
    "                         payloads, checksums checked, no features\n"
    "  --max-payload N        the device's payload limit (1048576)\n"
    "  --refuse-install TEXT  the package manager answers Failure [TEXT] (installs and session\n"
    "                         commits)\n"
    "  --require-splits N     a session commit with fewer than N files fails with\n"
    "                         Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for\n"
    "                         com.mossgate.simulated]\n"
    "  --drop-after-bytes N   drop the connection once a stream has brought N bytes of a package,\n"
    "                         a session's file or a pushed file\n"
    "  --stall-after-bytes N  stop reading and answering once a stream has brought N bytes\n"
    "                         (the connection stays open until the host closes it)\n"
    "  --silent               accept connections and never answer\n"
    "  --okay-delay-ms N      delay each OKAY, checking that the host waits for it\n"
    "  --store DIR            where received files go (simulator-store): installed/N.apk for a\n"
    "                         package, installed/N/ and installed/N.splits (the file names in the\n"
    "                         order written) for a session, sessions/ID/ for open sessions, and\n"
    "                         device/PATH for a file pushed to PATH\n"
    "  --log FILE             log of every connection, message summary and install\n"
    "  --lifetime-s N         exit after N seconds (3600)\n"
    "  --idle-s N             drop a connection silent for N seconds (600)\n"
    "  --hostile MODE         break the rules on purpose (authentication is off):\n";

namespace {

bool ParseNumber(const char* text, long long low, long long high, long long* value) {
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    *value = parsed;
    return true;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv, std::string* error, bool* help) {
    Options options;
    *help = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            *help = true;
            return std::nullopt;
        }
        if (name == "--legacy") {
            options.legacy = true;
            options.maxPayload = 4096;
            options.features.clear();
            continue;
        }
        if (name == "--silent") {
            options.silent = true;
            continue;
        }
        if (i + 1 >= argc) {
            *error = "missing value for " + name;
            return std::nullopt;
        }
        const char* value = argv[++i];
        long long number = 0;
        auto numeric = [&](long long low, long long high) {
            if (!ParseNumber(value, low, high, &number)) {
                *error = "bad value for " + name + ": " + value;
                return false;
            }
            return true;
        };
        if (name == "--host") {
            options.host = value;
        } else if (name == "--port") {
            if (!numeric(0, 65535))
                return std::nullopt;
            options.port = static_cast<uint16_t>(number);
        } else if (name == "--ready-file") {
            options.readyFile = value;
        } else if (name == "--auth") {
            std::string mode = value;
            if (mode == "off") {
                options.auth = AuthMode::kOff;
            } else if (mode == "trust") {
                options.auth = AuthMode::kTrust;
            } else if (mode == "allow") {
                options.auth = AuthMode::kAllow;
            } else if (mode == "require-key") {
                options.auth = AuthMode::kRequireKey;
            } else {
                *error = "bad auth mode: " + mode;
                return std::nullopt;
            }
        } else if (name == "--trusted-key") {
            options.trustedKeyFiles.emplace_back(value);
        } else if (name == "--allow-after-ms") {
            if (!numeric(0, 3600000))
                return std::nullopt;
            options.allowAfterMs = static_cast<int>(number);
        } else if (name == "--features") {
            options.features = value;
        } else if (name == "--max-payload") {
            if (!numeric(256, 16 * 1024 * 1024))
                return std::nullopt;
            options.maxPayload = static_cast<uint32_t>(number);
        } else if (name == "--refuse-install") {
            options.refuseReason = value;
        } else if (name == "--require-splits") {
            if (!numeric(1, 1000))
                return std::nullopt;
            options.requireSplits = static_cast<size_t>(number);
        } else if (name == "--drop-after-bytes") {
            if (!numeric(0, 1LL << 50))
                return std::nullopt;
            options.dropAfterBytes = static_cast<uint64_t>(number);
        } else if (name == "--stall-after-bytes") {
            if (!numeric(0, 1LL << 50))
                return std::nullopt;
            options.stallAfterBytes = static_cast<uint64_t>(number);
        } else if (name == "--okay-delay-ms") {
            if (!numeric(0, 60000))
                return std::nullopt;
            options.okayDelayMs = static_cast<int>(number);
        } else if (name == "--store") {
            options.storeDir = value;
        } else if (name == "--log") {
            options.logFile = value;
        } else if (name == "--lifetime-s") {
            if (!numeric(1, 7 * 24 * 3600))
                return std::nullopt;
            options.lifetimeSeconds = static_cast<int>(number);
        } else if (name == "--idle-s") {
            if (!numeric(1, 24 * 3600))
                return std::nullopt;
            options.idleSeconds = static_cast<int>(number);
        } else if (name == "--hostile") {
            if (!IsHostileMode(value)) {
                *error = "unknown hostile mode " + std::string(value);
                return std::nullopt;
            }
            options.hostile = value;
        } else {
            *error = "unknown option " + name;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace simulator
