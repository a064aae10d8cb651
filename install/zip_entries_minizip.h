// ZipEntries over minizip's reader: a package file, or an archive held in memory.
#pragma once

#include <memory>
#include <string>

#include "install/zip_entries.h"

// Names beyond these are not listed: no real package comes near them.
inline constexpr size_t kMaxZipNames = 100000;
inline constexpr size_t kMaxZipNameBytes = 4096;

// None when the file is missing or is no ZIP archive.
std::unique_ptr<ZipEntries> OpenZipFile(const std::string& path);
std::unique_ptr<ZipEntries> OpenZipBytes(std::string bytes);
