// The package manager's install sessions: files written into a session one by one, installed
// together on commit. A session's files are kept as store/sessions/ID/NAME; a committed session
// becomes store/installed/K/ with store/installed/K.splits naming its files in the order written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace simulator {

class DeviceState;

// The package a commit that lacks splits names.
constexpr const char* kSimulatedPackage = "com.mossgate.simulated";

class InstallSessions {
  public:
    explicit InstallSessions(DeviceState& state);

    // "Success: created install session [ID]".
    std::string Create(const std::string& how);

    // One file arriving on a stream.
    class Upload {
      public:
        Upload(InstallSessions& sessions, uint32_t session, std::string name, uint64_t size, FILE* file);
        ~Upload();
        void Append(const char* data, size_t size);
        uint64_t Received() const { return received_; }
        // "Success: streamed N bytes", or the failure.
        std::string Finish();

      private:
        InstallSessions& sessions_;
        uint32_t session_;
        std::string name_;
        uint64_t size_;
        FILE* file_;
        uint64_t received_ = 0;
        bool finished_ = false;
    };
    // Nothing, and the package manager's words in `error`, for an unknown session or a bad name.
    std::unique_ptr<Upload> Write(uint32_t session, const std::string& name, uint64_t size, std::string* error);

    // "Success" or "Failure [...]"; either way the session is over.
    std::string Commit(uint32_t session);
    std::string Abandon(uint32_t session);

  private:
    struct Session {
        std::vector<std::string> names;  // files completely written, in order
    };
    std::string Folder(uint32_t session) const;
    void Written(uint32_t session, const std::string& name, bool complete);
    void Remove(uint32_t session);

    DeviceState& state_;
    std::mutex mutex_;
    std::map<uint32_t, Session> sessions_;
    uint32_t nextId_ = 2000000001;
};

}  // namespace simulator
