#include "tests/e2e/driver/control_names.h"

#include "ui/control_ids.h"

const std::vector<ControlName>& ControlNames() {
    // u8"" in front makes the stringified name UTF-8 whatever the execution character set.
#define MOSSGATE_DRIVER_NAME(name, id) {reinterpret_cast<const char*>(u8"" #name), id},
    static const std::vector<ControlName> names = {MOSSGATE_CONTROLS(MOSSGATE_DRIVER_NAME)};
#undef MOSSGATE_DRIVER_NAME
    return names;
}

std::optional<int> ControlIdFromName(const std::string& utf8Name) {
    for (const ControlName& control : ControlNames()) {
        if (control.name == utf8Name)
            return control.id;
    }
    return std::nullopt;
}

std::string ControlNameFromId(int id) {
    for (const ControlName& control : ControlNames()) {
        if (control.id == id)
            return control.name;
    }
    return {};
}
