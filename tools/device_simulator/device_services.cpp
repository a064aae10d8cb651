#include "tools/device_simulator/device_services.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "adb/protocol/banner.h"
#include "adb/protocol/little_endian.h"
#include "adb/protocol/sync_framing.h"
#include "tools/device_simulator/shell_words.h"

namespace simulator {
namespace {

bool HasFeature(const std::string& features, std::string_view name) {
    return adb::ParseBanner("device::features=" + features).Has(name);
}

// Counts package bytes against --drop-after-bytes.
bool ShouldDrop(DeviceState& state, uint64_t received) {
    return state.options().dropAfterBytes && received >= *state.options().dropAfterBytes;
}

// The package manager reading the package from the stream: cmd package install -S SIZE, or abb_exec.
class StreamedInstall : public Service {
  public:
    StreamedInstall(DeviceState& state, uint64_t size, std::string how)
        : state_(state), size_(size), package_(state, std::move(how)) {}

    void Start(ServiceOutput& out) override {
        if (size_ == 0) {
            Finish(out);
        }
    }

    void Data(std::string_view data, ServiceOutput& out) override {
        if (finished_) {
            state_.log().Write("violation: data after the announced size");
            return;
        }
        if (package_.Received() + data.size() > size_) {
            state_.log().Write("violation: more than the announced " + std::to_string(size_) + " bytes");
        }
        package_.Append(data.data(), data.size());
        if (ShouldDrop(state_, package_.Received())) {
            out.DropConnection("dropping the connection after " + std::to_string(package_.Received()) + " bytes");
            return;
        }
        if (package_.Received() >= size_) {
            Finish(out);
        }
    }

    void HostClosed() override {
        if (!finished_) {
            state_.log().Write("install aborted by the host after " + std::to_string(package_.Received()) + " of " +
                               std::to_string(size_) + " bytes");
        }
    }

  private:
    void Finish(ServiceOutput& out) {
        finished_ = true;
        out.Send(package_.Finish() + "\n");
        out.Close();
    }

    DeviceState& state_;
    uint64_t size_;
    IncomingPackage package_;
    bool finished_ = false;
};

// Output known at opening time: a shell command's, with or without the v2 framing.
class FixedOutput : public Service {
  public:
    FixedOutput(std::string stdoutText, int exitCode, bool v2)
        : stdout_(std::move(stdoutText)), exitCode_(exitCode), v2_(v2) {}

    void Start(ServiceOutput& out) override {
        if (v2_) {
            if (!stdout_.empty()) {
                out.Send(adb::ShellPacket(adb::ShellPacketId::kStdout, stdout_));
            }
            out.Send(adb::ShellPacket(adb::ShellPacketId::kExit, std::string(1, static_cast<char>(exitCode_))));
        } else if (!stdout_.empty()) {
            out.Send(stdout_);
        }
        out.Close();
    }
    void Data(std::string_view, ServiceOutput&) override {}

  private:
    std::string stdout_;
    int exitCode_;
    bool v2_;
};

std::string_view StripCommandPrefix(std::string_view line) {
    while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
    }
    return line;
}

// The few shell commands installs use.
std::unique_ptr<Service> RunShellCommand(const std::string& command, bool v2, const ServiceContext& context) {
    std::vector<std::string> words = SplitShellWords(StripCommandPrefix(command));
    DeviceState& state = context.state;
    if (words.size() >= 3 && words[0] == "pm" && words[1] == "install") {
        const std::string& devicePath = words.back();
        std::optional<std::string> storePath = state.StorePathFor(devicePath);
        std::ifstream in(storePath.value_or(""), std::ios::binary);
        if (!storePath || !in) {
            return std::make_unique<FixedOutput>(
                "Failure [INSTALL_FAILED_INVALID_URI: Don't have permission to read " + devicePath + "]\n", 1, v2);
        }
        IncomingPackage package(state, "pm-install " + devicePath);
        std::vector<char> buffer(256 * 1024);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            package.Append(buffer.data(), static_cast<size_t>(in.gcount()));
        }
        std::string verdict = package.Finish();
        return std::make_unique<FixedOutput>(verdict + "\n", verdict == "Success" ? 0 : 1, v2);
    }
    if (!words.empty() && words[0] == "rm") {
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "-f") {
                continue;
            }
            if (std::optional<std::string> storePath = state.StorePathFor(words[i])) {
                state.log().Write("rm " + words[i] + (std::remove(storePath->c_str()) == 0 ? " removed" : " missing"));
            }
        }
        return std::make_unique<FixedOutput>("", 0, v2);
    }
    std::string name = words.empty() ? std::string() : words[0];
    return std::make_unique<FixedOutput>("/system/bin/sh: " + name + ": inaccessible or not found\n", 127, v2);
}

// The file sync service: STAT/STA2/LST2, SEND with DATA and DONE, QUIT.
class SyncService : public Service {
  public:
    explicit SyncService(DeviceState& state) : state_(state) {}

    void Data(std::string_view data, ServiceOutput& out) override {
        buffer_.append(data);
        while (!failed_) {
            if (pendingPath_.empty() && !receiving_) {
                if (buffer_.size() < 8) {
                    return;
                }
                adb::SyncHeader header = adb::ParseSyncHeader(buffer_);
                if (header.value > adb::kSyncPathMax) {
                    return Fail(out, "path too long");
                }
                if (buffer_.size() < 8 + size_t{header.value}) {
                    return;
                }
                std::string argument = buffer_.substr(8, header.value);
                buffer_.erase(0, 8 + size_t{header.value});
                if (!Request(header.id, argument, out)) {
                    return;
                }
                continue;
            }
            // Receiving a file: DATA chunks until DONE.
            if (buffer_.size() < 8) {
                return;
            }
            adb::SyncHeader header = adb::ParseSyncHeader(buffer_);
            if (header.id == "DONE") {
                buffer_.erase(0, 8);
                FinishFile(out);
                continue;
            }
            if (header.id != "DATA") {
                return Fail(out, "expected DATA or DONE, got " + header.id);
            }
            if (header.value > adb::kSyncDataMax) {
                state_.log().Write("violation: sync DATA of " + std::to_string(header.value) + " bytes");
                return Fail(out, "data too large");
            }
            if (buffer_.size() < 8 + size_t{header.value}) {
                return;
            }
            if (file_ != nullptr && fwrite(buffer_.data() + 8, 1, header.value, file_) != header.value) {
                return Fail(out, "write failed");
            }
            received_ += header.value;
            buffer_.erase(0, 8 + size_t{header.value});
            if (ShouldDrop(state_, received_)) {
                out.DropConnection("dropping the connection after " + std::to_string(received_) + " pushed bytes");
                failed_ = true;
                return;
            }
        }
    }

    ~SyncService() override {
        if (file_ != nullptr) {
            fclose(file_);
        }
    }

  private:
    bool Request(const std::string& id, const std::string& argument, ServiceOutput& out) {
        if (id == "QUIT") {
            out.Close();
            failed_ = true;  // nothing more is read
            return false;
        }
        if (id == "STAT" || id == "STA2" || id == "LST2") {
            std::optional<std::string> storePath = state_.StorePathFor(argument);
            struct stat info = {};
            bool exists = storePath && stat(storePath->c_str(), &info) == 0;
            std::string reply = id;
            if (id == "STAT") {
                adb::AppendLe32(reply, exists ? info.st_mode : 0);
                adb::AppendLe32(reply, exists ? static_cast<uint32_t>(info.st_size) : 0);
                adb::AppendLe32(reply, exists ? static_cast<uint32_t>(info.st_mtime) : 0);
            } else {
                bool isTmp = argument == "/data/local/tmp" || argument == "/data/local/tmp/";
                adb::AppendLe32(reply, exists || isTmp ? 0 : 2);  // errno ENOENT
                adb::AppendLe64(reply, 0);                        // dev
                adb::AppendLe64(reply, 0);                        // ino
                adb::AppendLe32(reply, exists ? info.st_mode : isTmp ? 040771 : 0);
                adb::AppendLe32(reply, 1);  // nlink
                adb::AppendLe32(reply, 2000);
                adb::AppendLe32(reply, 2000);
                adb::AppendLe64(reply, exists ? static_cast<uint64_t>(info.st_size) : 0);
                adb::AppendLe64(reply, 0);
                adb::AppendLe64(reply, exists ? static_cast<uint64_t>(info.st_mtime) : 0);
                adb::AppendLe64(reply, 0);
            }
            out.Send(reply);
            return true;
        }
        if (id == "SEND") {
            size_t comma = argument.rfind(',');
            pendingPath_ = comma == std::string::npos ? argument : argument.substr(0, comma);
            std::optional<std::string> storePath = state_.StorePathFor(pendingPath_);
            if (!storePath) {
                Fail(out, "couldn't create file: Permission denied");
                return false;
            }
            file_ = fopen(storePath->c_str(), "wb");
            if (file_ == nullptr) {
                Fail(out, "couldn't create file: No space left on device");
                return false;
            }
            receiving_ = true;
            received_ = 0;
            return true;
        }
        Fail(out, "unsupported request " + id);
        return false;
    }

    void FinishFile(ServiceOutput& out) {
        bool ok = fclose(file_) == 0;
        file_ = nullptr;
        state_.log().Write("sync push " + pendingPath_ + " size=" + std::to_string(received_) +
                           (ok ? " ok" : " write failed"));
        receiving_ = false;
        pendingPath_.clear();
        if (!ok) {
            return Fail(out, "write failed");
        }
        std::string reply = "OKAY";
        adb::AppendLe32(reply, 0);
        out.Send(reply);
    }

    void Fail(ServiceOutput& out, const std::string& message) {
        state_.log().Write("sync FAIL " + message);
        std::string reply = "FAIL";
        adb::AppendLe32(reply, static_cast<uint32_t>(message.size()));
        reply += message;
        out.Send(reply);
        out.Close();
        failed_ = true;
    }

    DeviceState& state_;
    std::string buffer_;
    std::string pendingPath_;
    bool receiving_ = false;
    bool failed_ = false;
    FILE* file_ = nullptr;
    uint64_t received_ = 0;
};

std::optional<uint64_t> ParseSize(std::string_view text) {
    if (text.empty() || text.size() > 15) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

// "-S SIZE" among the words of an install command.
std::optional<uint64_t> InstallSize(const std::vector<std::string>& words) {
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "-S") {
            return ParseSize(words[i + 1]);
        }
    }
    return std::nullopt;
}

std::vector<std::string> SplitNul(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

}  // namespace

std::unique_ptr<Service> OpenService(const std::string& name, const ServiceContext& context) {
    DeviceState& state = context.state;
    auto startsWith = [&name](std::string_view prefix) { return name.compare(0, prefix.size(), prefix) == 0; };
    if (startsWith("abb_exec:") && HasFeature(context.features, "abb_exec")) {
        std::vector<std::string> words = SplitNul(name.substr(9));
        if (words.size() >= 2 && words[0] == "package" && words[1] == "install") {
            if (std::optional<uint64_t> size = InstallSize(words)) {
                return std::make_unique<StreamedInstall>(state, *size, "abb_exec");
            }
        }
        if (words.size() >= 2 && words[0] == "settings" && words[1] == "get") {
            return std::make_unique<FixedOutput>("null\n", 0, false);
        }
        return nullptr;
    }
    if (startsWith("exec:") && HasFeature(context.features, "cmd")) {
        std::vector<std::string> words = SplitShellWords(name.substr(5));
        if (words.size() >= 3 && words[0] == "cmd" && words[1] == "package" && words[2] == "install") {
            if (std::optional<uint64_t> size = InstallSize(words)) {
                return std::make_unique<StreamedInstall>(state, *size, "exec-cmd");
            }
        }
        return nullptr;
    }
    if (name == "sync:") {
        return std::make_unique<SyncService>(state);
    }
    if (startsWith("shell:") || startsWith("shell,")) {
        size_t colon = name.find(':');
        std::string arguments = name.substr(0, colon);
        bool v2 = arguments.find(",v2") != std::string::npos;
        if (v2 && !HasFeature(context.features, "shell_v2")) {
            return nullptr;
        }
        return RunShellCommand(name.substr(colon + 1), v2, context);
    }
    return nullptr;
}

}  // namespace simulator
