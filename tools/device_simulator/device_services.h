// The services a device offers on OPEN: the package manager's streamed install, file sync and a
// shell that knows pm install and rm.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/device_simulator/package_manager.h"

namespace simulator {

// How a service talks back on its stream.
class ServiceOutput {
  public:
    virtual ~ServiceOutput() = default;
    virtual void Send(std::string_view data) = 0;
    // Ends the stream once everything sent so far has been acknowledged.
    virtual void Close() = 0;
    // Drops the whole connection at once, as a device that goes away.
    virtual void DropConnection(const std::string& reason) = 0;
};

class Service {
  public:
    virtual ~Service() = default;
    virtual void Start(ServiceOutput&) {}
    virtual void Data(std::string_view data, ServiceOutput& out) = 0;
    // The host closed the stream.
    virtual void HostClosed() {}
};

struct ServiceContext {
    DeviceState& state;
    std::string features;  // the device's, comma-separated
    bool hostHasShellV2 = false;
    std::string connectionName;
};

// Nothing for a service the device does not offer (the host then gets CLSE).
std::unique_ptr<Service> OpenService(const std::string& name, const ServiceContext& context);

}  // namespace simulator
