// The local package file, read in pieces, and its name as the device gets it.
#pragma once

#include <memory>
#include <string>

#include "adb/client/client_platform.h"

namespace adb {

// Nothing, and the C library's words in `error`, when the file cannot be read.
std::unique_ptr<PackageFile> OpenPackageFile(const std::string& path, std::string* error);

// The file's own name in UTF-8; the path is in the ANSI code page.
std::string DeviceFileName(const std::string& path);

// The same by the wide name, which any file has.
std::unique_ptr<PackageFile> OpenPackageFileW(const std::wstring& path, std::string* error);
std::string DeviceFileNameW(const std::wstring& path);

}  // namespace adb
