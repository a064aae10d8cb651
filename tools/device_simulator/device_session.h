// One host connection to the simulated device: handshake, authentication and the streams.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "adb/protocol/message.h"
#include "adb/protocol/message_reader.h"
#include "tools/device_simulator/device_services.h"
#include "tools/device_simulator/socket_stream.h"

namespace simulator {

class DeviceSession {
  public:
    DeviceSession(int socket, int number, DeviceState& state);
    ~DeviceSession();
    void Run();

  private:
    using Message = adb::ReceivedMessage;
    struct Stream;
    class StreamOutput;

    enum class Read { kMessage, kClosed, kTimeout, kViolation };
    Read ReadMessage(Message* message, int timeoutMs);
    bool Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload);
    void Drop(const std::string& reason);
    void Stall(const std::string& reason);
    void Log(const std::string& line);

    bool Handshake();
    void SendConnect();
    void SendToken();
    void Serve();
    void OnOpen(const Message& message);
    void OnWrite(const Message& message);
    void OnOkay(const Message& message);
    void OnClose(const Message& message);
    void Flush(Stream& stream);

    SocketStream stream_;
    adb::MessageReader reader_;
    std::string name_;
    DeviceState& state_;
    const Options& options_;
    bool dropped_ = false;
    uint32_t version_;
    uint32_t maxPayload_;
    std::string token_;
    bool hostHasShellV2_ = false;
    uint32_t nextId_ = 1;
    std::map<uint32_t, std::unique_ptr<Stream>> streams_;
};

}  // namespace simulator
