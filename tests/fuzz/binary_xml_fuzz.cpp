// Hostile bytes as a package's binary manifest and as its resource table: the first byte picks which.
#include <cstddef>
#include <cstdint>
#include <string>

#include "install/binary_xml.h"
#include "install/package_identity.h"
#include "install/resource_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // A seed starts with its chunk type, 0x03 for a manifest and 0x02 for a table.
    if (size > 0 && data[0] == 0x02) {
        if (const auto table = ResourceTable::Parse(bytes)) {
            for (uint32_t id : {0x7f010000u, 0x7f020000u, 0x7f020001u, 0x7f030000u, 0x01040082u}) {
                (void)table->ResolveString(id);
            }
        }
        return 0;
    }
    (void)IdentityFromManifest(bytes, bytes);
    if (const auto xml = BinaryXml::Parse(bytes)) {
        (void)xml->ForEachStartElement([&](const XmlStartElement& element) {
            (void)xml->Strings().At(element.name, kMaxNameBytes);
            return true;
        });
    }
    return 0;
}
