#include "tools/device_simulator/install_sessions.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/device_simulator/package_manager.h"

namespace simulator {
namespace {

// The names the simulated session takes: what a safe client sends.
bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '_' || c == '-';
        if (!safe) {
            return false;
        }
    }
    return true;
}

bool StartsLikeAZip(const std::string& path) {
    char head[4] = {};
    FILE* file = fopen(path.c_str(), "rb");
    bool zip = file != nullptr && fread(head, 1, 4, file) == 4 && memcmp(head, "PK\x03\x04", 4) == 0;
    if (file != nullptr) {
        fclose(file);
    }
    return zip;
}

std::string NoSession(uint32_t session) {
    return "Error: java.lang.SecurityException: Caller has no access to session " + std::to_string(session);
}

}  // namespace

InstallSessions::InstallSessions(DeviceState& state) : state_(state) {}

std::string InstallSessions::Folder(uint32_t session) const {
    return state_.options().storeDir + "/sessions/" + std::to_string(session);
}

std::string InstallSessions::Create(const std::string& how) {
    uint32_t id = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        struct stat info;
        do {
            id = nextId_++;
        } while (stat(Folder(id).c_str(), &info) == 0);
        sessions_[id] = Session();
    }
    MakeDirectories(Folder(id));
    state_.log().Write("session " + std::to_string(id) + " created (" + how + ")");
    return "Success: created install session [" + std::to_string(id) + "]";
}

std::unique_ptr<InstallSessions::Upload> InstallSessions::Write(uint32_t session,
                                                                const std::string& name,
                                                                uint64_t size,
                                                                std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = sessions_.find(session);
    if (found == sessions_.end()) {
        *error = NoSession(session);
    } else if (!ValidName(name)) {
        *error = "Error: java.lang.IllegalArgumentException: Invalid name: " + name;
    } else if (std::find(found->second.names.begin(), found->second.names.end(), name) != found->second.names.end()) {
        *error = "Error: java.lang.IllegalStateException: " + name + " was written already";
    }
    if (!error->empty()) {
        state_.log().Write("session " + std::to_string(session) + " write refused: " + *error);
        return nullptr;
    }
    FILE* file = fopen((Folder(session) + "/" + name).c_str(), "wb");
    if (file == nullptr) {
        *error = "Error: failed to write; " + std::string(strerror(errno));
        return nullptr;
    }
    return std::make_unique<Upload>(*this, session, name, size, file);
}

InstallSessions::Upload::Upload(InstallSessions& sessions,
                                uint32_t session,
                                std::string name,
                                uint64_t size,
                                FILE* file)
    : sessions_(sessions), session_(session), name_(std::move(name)), size_(size), file_(file) {}

InstallSessions::Upload::~Upload() {
    if (file_ != nullptr) {
        fclose(file_);
    }
    if (!finished_) {
        sessions_.state_.log().Write("session " + std::to_string(session_) + " write " + name_ + " aborted after " +
                                     std::to_string(received_) + " of " + std::to_string(size_) + " bytes");
        sessions_.Written(session_, name_, false);
    }
}

void InstallSessions::Upload::Append(const char* data, size_t size) {
    received_ += size;
    if (file_ != nullptr && fwrite(data, 1, size, file_) != size) {
        fclose(file_);
        file_ = nullptr;
    }
}

std::string InstallSessions::Upload::Finish() {
    bool written = file_ != nullptr && fclose(file_) == 0;
    file_ = nullptr;
    finished_ = true;
    sessions_.state_.log().Write("session " + std::to_string(session_) + " write " + name_ +
                                 " size=" + std::to_string(received_) + (written ? " ok" : " failed"));
    sessions_.Written(session_, name_, written);
    if (!written) {
        return "Error: failed to write; No space left on device";
    }
    return "Success: streamed " + std::to_string(received_) + " bytes";
}

void InstallSessions::Written(uint32_t session, const std::string& name, bool complete) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = sessions_.find(session);
    if (found == sessions_.end()) {
        return;
    }
    if (complete) {
        found->second.names.push_back(name);
    } else {
        std::filesystem::remove(Folder(session) + "/" + name);
    }
}

void InstallSessions::Remove(uint32_t session) {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(session), ignored);
}

// The first file written is the base: a session without files has none.
std::string InstallSessions::Commit(uint32_t session) {
    Session taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = sessions_.find(session);
        if (found == sessions_.end()) {
            return NoSession(session);
        }
        taken = std::move(found->second);
        sessions_.erase(found);
    }
    const Options& options = state_.options();
    std::string staged = "/data/app/vmdl" + std::to_string(session) + ".tmp";
    std::string verdict;
    if (options.refuseReason) {
        verdict = "Failure [" + *options.refuseReason + "]";
    } else if (taken.names.empty()) {
        verdict = "Failure [INSTALL_FAILED_INVALID_APK: Session: " + std::to_string(session) +
                  ". No packages staged in " + staged + "]";
    } else if (options.requireSplits && taken.names.size() < *options.requireSplits) {
        verdict = "Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for " + std::string(kSimulatedPackage) + "]";
    }
    for (const std::string& name : taken.names) {
        if (verdict.empty() && !StartsLikeAZip(Folder(session) + "/" + name)) {
            verdict = "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse " + staged + "/" + name + "]";
        }
    }
    std::string list;
    for (const std::string& name : taken.names) {
        list += " " + name;
    }
    if (!verdict.empty()) {
        Remove(session);
        state_.log().Write("session " + std::to_string(session) +
                           " commit files=" + std::to_string(taken.names.size()) + " verdict=" + verdict);
        return verdict;
    }
    unsigned number = state_.NextInstallNumber();
    std::string installed = options.storeDir + "/installed/" + std::to_string(number);
    std::string order;
    for (const std::string& name : taken.names) {
        order += name + "\n";
    }
    FILE* splits = fopen((installed + ".splits").c_str(), "w");
    bool kept = splits != nullptr && fwrite(order.data(), 1, order.size(), splits) == order.size();
    kept = splits != nullptr && fclose(splits) == 0 && kept;
    kept = kept && rename(Folder(session).c_str(), installed.c_str()) == 0;
    verdict = kept ? "Success" : "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    state_.log().Write("session " + std::to_string(session) + " commit installed/" + std::to_string(number) + ":" +
                       list + " verdict=" + verdict);
    return verdict;
}

std::string InstallSessions::Abandon(uint32_t session) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (sessions_.erase(session) == 0) {
            state_.log().Write("session " + std::to_string(session) + " abandon: no such session");
            return NoSession(session);
        }
    }
    Remove(session);
    state_.log().Write("session " + std::to_string(session) + " abandoned");
    return "Success";
}

}  // namespace simulator
