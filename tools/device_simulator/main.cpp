// adb_device_simulator: a device's side of the ADB protocol on a TCP port (see --help).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "tools/device_simulator/device_session.h"
#include "tools/device_simulator/event_log.h"
#include "tools/device_simulator/hostile_device.h"
#include "tools/device_simulator/package_manager.h"
#include "tools/device_simulator/simulator_options.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

int Listen(const simulator::Options& options, uint16_t* boundPort) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) {
        return -1;
    }
    int yes = 1;
    (void)setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(options.port);
    if (inet_pton(AF_INET, options.host.c_str(), &address.sin_addr) != 1 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0) {
        close(listener);
        return -1;
    }
    socklen_t length = sizeof address;
    (void)getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    *boundPort = ntohs(address.sin_port);
    return listener;
}

bool WriteReadyFile(const std::string& path, uint16_t port) {
    std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    fprintf(file, "%u\n", port);
    return fclose(file) == 0 && rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    bool help = false;
    std::optional<simulator::Options> options = simulator::ParseOptions(argc, argv, &error, &help);
    if (help) {
        fputs(simulator::kUsage, stdout);
        fputs(simulator::kHostileModes, stdout);
        return 0;
    }
    if (!options) {
        fprintf(stderr, "adb_device_simulator: %s\n%s", error.c_str(), simulator::kUsage);
        return 2;
    }
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);

    simulator::EventLog log(options->logFile);
    simulator::DeviceState state(*options, log);
    uint16_t port = 0;
    int listener = Listen(*options, &port);
    if (listener < 0) {
        fprintf(stderr, "adb_device_simulator: cannot listen on %s:%u\n", options->host.c_str(), options->port);
        return 1;
    }
    log.Write("listening on " + options->host + ":" + std::to_string(port));
    if (!options->readyFile.empty() && !WriteReadyFile(options->readyFile, port)) {
        fprintf(stderr, "adb_device_simulator: cannot write %s\n", options->readyFile.c_str());
        return 1;
    }
    printf("listening on %s:%u\n", options->host.c_str(), port);
    fflush(stdout);

    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(options->lifetimeSeconds);
    int connections = 0;
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        struct pollfd poller = {listener, POLLIN, 0};
        if (poll(&poller, 1, 200) <= 0) {
            continue;
        }
        int socket = accept(listener, nullptr, nullptr);
        if (socket < 0) {
            continue;
        }
        int yes = 1;
        (void)setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        int number = ++connections;
        // Sessions run on their own threads; exiting the process ends them.
        std::thread([socket, number, &state, &options] {
            if (!options->hostile.empty()) {
                simulator::RunHostileSession(socket, *options);
                return;
            }
            simulator::DeviceSession session(socket, number, state);
            session.Run();
        }).detach();
    }
    log.Write(stopRequested ? "stopped" : "lifetime over");
    close(listener);
    // Detached sessions may still use `state`; end the process without running destructors.
    fflush(nullptr);
    _exit(0);
}
