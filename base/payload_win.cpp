#include "base/payload_win.h"

#include <windows.h>

#include "base/path_text.h"

PayloadItem FindPayloadItem(const char* name) {
    HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (resource == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return {static_cast<const unsigned char*>(bytes), SizeofResource(nullptr, resource)};
}

namespace {

bool WriteWholeFile(const std::string& path, const PayloadItem& item) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = true;
    if (item.size > 0) {
        DWORD count = 0;
        written = WriteFile(file, item.data, static_cast<DWORD>(item.size), &count, nullptr) && count == item.size;
    }
    bool closed = CloseHandle(file);
    return written && closed;
}

}  // namespace

bool ExtractPayloadItem(const PayloadItem& item, const std::string& destination) {
    if (destination.empty()) {
        return false;
    }
    // A read-only file refuses a direct write; replacing it by rename must not get round that.
    DWORD attributes = GetFileAttributesA(destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    char temporary[MAX_PATH];
    if (GetTempFileNameA(FolderOf(destination).c_str(), "mg", 0, temporary) == 0) {
        return false;
    }
    if (WriteWholeFile(temporary, item) && MoveFileExA(temporary, destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    (void)DeleteFileA(temporary);
    return false;
}
