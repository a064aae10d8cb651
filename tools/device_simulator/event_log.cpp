#include "tools/device_simulator/event_log.h"

#include <chrono>

namespace simulator {

EventLog::EventLog(const std::string& path) {
    if (!path.empty()) {
        file_ = fopen(path.c_str(), "a");
    }
}

EventLog::~EventLog() {
    if (file_ != nullptr) {
        fclose(file_);
    }
}

void EventLog::Write(const std::string& line) {
    using namespace std::chrono;
    double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != nullptr) {
        fprintf(file_, "%.3f %s\n", seconds, line.c_str());
        fflush(file_);
    }
}

}  // namespace simulator
