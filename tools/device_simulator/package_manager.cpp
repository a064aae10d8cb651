#include "tools/device_simulator/package_manager.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "adb/keys/public_key.h"

namespace simulator {

int MakeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        struct stat info;
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return errno;
        }
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return ENOTDIR;
        }
        if (slash == std::string::npos) {
            return 0;
        }
    }
}

DeviceState::DeviceState(const Options& options, EventLog& log) : options_(options), log_(log), sessions_(*this) {
    MakeDirectories(options.storeDir + "/installed");
    for (const std::string& file : options.trustedKeyFiles) {
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            if (std::optional<std::string> blob = adb::ParsePublicKeyLine(line)) {
                trusted_.insert(*blob);
            } else if (!line.empty()) {
                log_.Write("trusted-key file " + file + ": not a public key line");
            }
        }
    }
}

void DeviceState::Trust(const std::string& publicKeyBlob) {
    std::lock_guard<std::mutex> lock(mutex_);
    trusted_.insert(publicKeyBlob);
}

std::set<std::string> DeviceState::TrustedKeys() {
    std::lock_guard<std::mutex> lock(mutex_);
    return trusted_;
}

std::string DeviceState::NextPackagePath(unsigned* number) {
    *number = NextInstallNumber();
    return options_.storeDir + "/installed/" + std::to_string(*number) + ".apk";
}

unsigned DeviceState::NextInstallNumber() {
    std::lock_guard<std::mutex> lock(mutex_);
    // A store kept from an earlier run keeps its packages: numbering goes on after them.
    struct stat info;
    std::string path;
    do {
        path = options_.storeDir + "/installed/" + std::to_string(++packages_);
    } while (stat((path + ".apk").c_str(), &info) == 0 || stat(path.c_str(), &info) == 0);
    return packages_;
}

std::optional<std::string> DeviceState::StorePathFor(const std::string& devicePath) const {
    if (devicePath.empty() || devicePath[0] != '/' || devicePath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    for (size_t start = 1; start <= devicePath.size();) {
        size_t end = std::min(devicePath.find('/', start), devicePath.size());
        if (devicePath.compare(start, end - start, "..") == 0) {
            return std::nullopt;
        }
        start = end + 1;
    }
    return options_.storeDir + "/device" + devicePath;
}

IncomingPackage::IncomingPackage(DeviceState& state, std::string how) : state_(state), how_(std::move(how)) {
    path_ = state.NextPackagePath(&number_);
    file_ = fopen(path_.c_str(), "wb");
}

IncomingPackage::~IncomingPackage() {
    if (file_ != nullptr) {
        fclose(file_);
    }
}

bool IncomingPackage::Append(const char* data, size_t size) {
    if (head_.size() < 4) {
        head_.append(data, std::min(size, 4 - head_.size()));
    }
    received_ += size;
    return file_ != nullptr && fwrite(data, 1, size, file_) == size;
}

std::string IncomingPackage::Finish() {
    bool written = file_ != nullptr && fclose(file_) == 0;
    file_ = nullptr;
    std::string base = "/data/app/vmdl" + std::to_string(1000 + number_) + ".tmp/base.apk";
    std::string verdict;
    if (!written) {
        verdict = "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    } else if (state_.options().refuseReason) {
        verdict = "Failure [" + *state_.options().refuseReason + "]";
    } else if (head_ != std::string("PK\x03\x04", 4)) {
        verdict = "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse " + base + ": Failed to load asset path " +
                  base + "]";
    } else {
        verdict = "Success";
    }
    state_.log().Write("install " + how_ + " file=" + path_ + " size=" + std::to_string(received_) +
                       " verdict=" + verdict);
    return verdict;
}

}  // namespace simulator
