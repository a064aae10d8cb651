// The simulator's log: one line per event, shared by all connections.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace simulator {

class EventLog {
  public:
    explicit EventLog(const std::string& path);
    ~EventLog();
    void Write(const std::string& line);

  private:
    std::mutex mutex_;
    FILE* file_ = nullptr;
};

}  // namespace simulator
