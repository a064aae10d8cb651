// Access to the payload items embedded as resources, and writing one to disk.
#pragma once

#include <string>

#include "base/payload.h"

// The item's bytes inside the mapped executable image; empty when the executable lacks it.
PayloadItem FindPayloadItem(const char* name);

// Writes the item to destination, replacing an existing file whole. The bytes go to a temporary
// file in the same folder first, so a failure (disk full, file in use, folder write-protected)
// leaves the previous file exactly as it was. The destination folder must exist.
bool ExtractPayloadItem(const PayloadItem& item, const std::string& destination);
