#include "tools/device_simulator/device_services.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// How a service's output reaches the host: a raw stream (exec:, abb_exec:, shell: without v2)
// merges stdout and stderr; an exec: stream of a device from before 2015 drops stderr.
enum class Channel { kRaw, kRawWithoutStderr, kShellV2 };

struct Said {
    std::string out;
    std::string err;
};

void Emit(ServiceOutput& output, const Said& said, int exitCode, Channel channel) {
    if (channel == Channel::kShellV2) {
        if (!said.out.empty()) {
            output.Send(adb::ShellPacket(adb::ShellPacketId::kStdout, said.out));
        }
        if (!said.err.empty()) {
            output.Send(adb::ShellPacket(adb::ShellPacketId::kStderr, said.err));
        }
        output.Send(adb::ShellPacket(adb::ShellPacketId::kExit, std::string(1, static_cast<char>(exitCode))));
    } else {
        std::string text = said.out + (channel == Channel::kRaw ? said.err : "");
        if (!text.empty()) {
            output.Send(text);
        }
    }
    output.Close();
}

// Output known at opening time: a shell command's, a package manager command's.
class FixedOutput : public Service {
  public:
    FixedOutput(Said said, int exitCode, Channel channel)
        : said_(std::move(said)), exitCode_(exitCode), channel_(channel) {}

    void Start(ServiceOutput& out) override { Emit(out, said_, exitCode_, channel_); }
    void Data(std::string_view, ServiceOutput&) override {}

  private:
    Said said_;
    int exitCode_;
    Channel channel_;
};

std::unique_ptr<Service> ShellOutput(std::string stdoutText, int exitCode, bool v2) {
    return std::make_unique<FixedOutput>(Said{std::move(stdoutText), ""}, exitCode,
                                         v2 ? Channel::kShellV2 : Channel::kRaw);
}

// A line of the package manager: `pm` writes all but success on stderr, `cmd package` on stdout.
Said PackageManagerLine(const std::string& line, bool pm) {
    if (pm && line.compare(0, 7, "Success") != 0) {
        return {"", line + "\n"};
    }
    return {line + "\n", ""};
}

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

bool IsSessionVerb(const std::string& word) {
    return word == "install-create" || word == "install-write" || word == "install-commit" || word == "install-abandon";
}

// install-write: the file arrives on the stream, exactly its announced size.
class SessionWrite : public Service {
  public:
    SessionWrite(DeviceState& state,
                 std::unique_ptr<InstallSessions::Upload> upload,
                 uint64_t size,
                 bool pm,
                 Channel channel)
        : state_(state), upload_(std::move(upload)), size_(size), pm_(pm), channel_(channel) {}

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
        if (upload_->Received() + data.size() > size_) {
            state_.log().Write("violation: more than the announced " + std::to_string(size_) + " bytes");
        }
        upload_->Append(data.data(), data.size());
        if (ShouldDrop(state_, upload_->Received())) {
            out.DropConnection("dropping the connection after " + std::to_string(upload_->Received()) + " bytes");
            return;
        }
        if (upload_->Received() >= size_) {
            Finish(out);
        }
    }

  private:
    void Finish(ServiceOutput& out) {
        finished_ = true;
        std::string line = upload_->Finish();
        Emit(out, PackageManagerLine(line, pm_), line.compare(0, 7, "Success") == 0 ? 0 : 1, channel_);
    }

    DeviceState& state_;
    std::unique_ptr<InstallSessions::Upload> upload_;
    uint64_t size_;
    bool pm_;
    Channel channel_;
    bool finished_ = false;
};

// install-create, install-write, install-commit and install-abandon, from `words` (the verb first).
// `pm`: the command is pm's (failures on stderr); `input`: the stream can carry a file.
std::unique_ptr<Service> SessionCommand(const std::vector<std::string>& words,
                                        bool pm,
                                        Channel channel,
                                        bool input,
                                        const std::string& how,
                                        DeviceState& state) {
    auto answer = [&](const std::string& line) {
        return std::make_unique<FixedOutput>(PackageManagerLine(line, pm), line.compare(0, 7, "Success") == 0 ? 0 : 1,
                                             channel);
    };
    std::optional<uint64_t> size;
    std::vector<std::string> positional;
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "-S" && i + 1 < words.size()) {
            size = ParseSize(words[++i]);
        } else if (words[i].empty() || words[i][0] != '-' || words[i] == "-") {
            positional.push_back(words[i]);
        }
    }
    const std::string& verb = words[0];
    if (verb == "install-create") {
        std::string options;
        for (size_t i = 1; i < words.size(); ++i) {
            options += " " + words[i];
        }
        return answer(state.sessions().Create(how + options));
    }
    std::optional<uint64_t> session = positional.empty() ? std::nullopt : ParseSize(positional[0]);
    if (!session || *session > UINT32_MAX) {
        return answer("Error: java.lang.IllegalArgumentException: bad session id");
    }
    uint32_t id = static_cast<uint32_t>(*session);
    if (verb == "install-commit") {
        return answer(state.sessions().Commit(id));
    }
    if (verb == "install-abandon") {
        return answer(state.sessions().Abandon(id));
    }
    if (!size) {
        return answer("Error: must specify a APK size");
    }
    if (positional.size() < 2 || (positional.size() > 2 && positional[2] != "-") || !input) {
        return answer("Error: the file must come on the stream of an exec: or abb_exec: service");
    }
    std::string error;
    std::unique_ptr<InstallSessions::Upload> upload = state.sessions().Write(id, positional[1], *size, &error);
    if (!upload) {
        return answer(error);
    }
    return std::make_unique<SessionWrite>(state, std::move(upload), *size, pm, channel);
}

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
    if (words.size() >= 2 && words[0] == "pm" && IsSessionVerb(words[1])) {
        return SessionCommand(std::vector<std::string>(words.begin() + 1, words.end()), true,
                              v2 ? Channel::kShellV2 : Channel::kRaw, false, v2 ? "shell-v2-pm" : "shell-pm", state);
    }
    if (words.size() >= 3 && words[0] == "pm" && words[1] == "install") {
        const std::string& devicePath = words.back();
        std::optional<std::string> storePath = state.StorePathFor(devicePath);
        std::ifstream in(storePath.value_or(""), std::ios::binary);
        if (!storePath || !in) {
            return ShellOutput(
                "Failure [INSTALL_FAILED_INVALID_URI: Don't have permission to read " + devicePath + "]\n", 1, v2);
        }
        IncomingPackage package(state, "pm-install " + devicePath);
        std::vector<char> buffer(256 * 1024);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            package.Append(buffer.data(), static_cast<size_t>(in.gcount()));
        }
        std::string verdict = package.Finish();
        return ShellOutput(verdict + "\n", verdict == "Success" ? 0 : 1, v2);
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
        return ShellOutput("", 0, v2);
    }
    std::string name = words.empty() ? std::string() : words[0];
    return ShellOutput("/system/bin/sh: " + name + ": inaccessible or not found\n", 127, v2);
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
            // Like the daemon, missing folders on the way are made; ".." is not followed.
            std::optional<std::string> storePath = state_.StorePathFor(pendingPath_);
            if (!storePath) {
                Fail(out, "couldn't create file: Permission denied");
                return false;
            }
            if (int error = MakeDirectories(storePath->substr(0, storePath->rfind('/')))) {
                Fail(out, "secure_mkdirs() failed: " + std::string(strerror(error)));
                return false;
            }
            file_ = fopen(storePath->c_str(), "wb");
            if (file_ == nullptr) {
                Fail(out, "couldn't create file: " + std::string(strerror(errno)));
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
        if (words.size() >= 2 && words[0] == "package" && IsSessionVerb(words[1])) {
            return SessionCommand(std::vector<std::string>(words.begin() + 1, words.end()), false, Channel::kRaw, true,
                                  "abb_exec", state);
        }
        if (words.size() >= 2 && words[0] == "settings" && words[1] == "get") {
            return ShellOutput("null\n", 0, false);
        }
        return nullptr;
    }
    if (startsWith("exec:")) {
        std::vector<std::string> words = SplitShellWords(name.substr(5));
        bool cmdPackage =
            HasFeature(context.features, "cmd") && words.size() >= 3 && words[0] == "cmd" && words[1] == "package";
        if (cmdPackage && words[2] == "install") {
            if (std::optional<uint64_t> size = InstallSize(words)) {
                return std::make_unique<StreamedInstall>(state, *size, "exec-cmd");
            }
        }
        if (cmdPackage && IsSessionVerb(words[2])) {
            return SessionCommand(std::vector<std::string>(words.begin() + 2, words.end()), false, Channel::kRaw, true,
                                  "exec-cmd", state);
        }
        // pm itself, on every device that has exec: (a device without cmd is given its sessions this way).
        if (words.size() >= 2 && words[0] == "pm" && IsSessionVerb(words[1])) {
            return SessionCommand(std::vector<std::string>(words.begin() + 1, words.end()), true,
                                  state.options().legacy ? Channel::kRawWithoutStderr : Channel::kRaw, true, "exec-pm",
                                  state);
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
