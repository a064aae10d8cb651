#include "adb/win/package_file_win.h"

#include <windows.h>

#include <algorithm>

#include "adb/win/error_text.h"
#include "adb/win/package_file.h"
#include "base/owned_handle_win.h"

namespace adb {
namespace {

class WindowsPackageFile : public PackageFile {
  public:
    WindowsPackageFile(OwnedKernelHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(char* data, size_t size, size_t* got) override {
        DWORD read = 0;
        if (!ReadFile(file_.get(), data, static_cast<DWORD>(std::min<size_t>(size, 1 << 30)), &read, nullptr)) {
            return false;
        }
        *got = read;
        return true;
    }

  private:
    OwnedKernelHandle file_;
    uint64_t size_;
};

}  // namespace

namespace {

std::wstring WideFromAnsi(std::string_view text) {
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring utf16(static_cast<size_t>(std::max(wide, 0)), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    return utf16;
}

}  // namespace

std::unique_ptr<PackageFile> OpenPackageFile(const std::string& path, std::string* error) {
    return OpenPackageFileW(WideFromAnsi(path), error);
}

std::unique_ptr<PackageFile> OpenPackageFileW(const std::wstring& path, std::string* error) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = "Is a directory";
        return nullptr;
    }
    OwnedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size)) {
        *error = FileErrorText(GetLastError());
        return nullptr;
    }
    return std::make_unique<WindowsPackageFile>(std::move(file), static_cast<uint64_t>(size.QuadPart));
}

std::string DeviceFileName(const std::string& path) {
    return DeviceFileNameW(WideFromAnsi(PackageFileName(path)));
}

std::string DeviceFileNameW(const std::wstring& path) {
    size_t start = path.find_last_of(L"\\/:");
    std::wstring name = start == std::wstring::npos ? path : path.substr(start + 1);
    int wide = static_cast<int>(name.size());
    int narrow = WideCharToMultiByte(CP_UTF8, 0, name.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(narrow, 0)), '\0');
    (void)WideCharToMultiByte(CP_UTF8, 0, name.data(), wide, utf8.data(), narrow, nullptr, nullptr);
    return utf8;
}

}  // namespace adb
