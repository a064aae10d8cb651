#include "adb/win/user_files_win.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "adb/win/environment_win.h"
#include "adb/win/error_text.h"
#include "base/owned_handle_win.h"

namespace adb {
namespace {

using OwnedLocalMemory = Owned<ClosedBy<HLOCAL, LocalFree>>;

// "D:P(A;;FA;;;<user's SID>)": only the user, no inherited entries.
OwnedLocalMemory UserOnlySecurityDescriptor() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
        return OwnedLocalMemory();
    }
    OwnedKernelHandle token(rawToken);
    DWORD needed = 0;
    (void)GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    char* sidText = nullptr;
    if (needed == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sidText)) {
        return OwnedLocalMemory();
    }
    OwnedLocalMemory sidOwner(sidText);
    std::string sddl = std::string("D:P(A;;FA;;;") + sidText + ")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return OwnedLocalMemory();
    }
    return OwnedLocalMemory(descriptor);
}

std::string KeyFolder() {
    // The user's profile folder, which USERPROFILE names. MOSSGATE_ADB_HOME puts the key folder
    // elsewhere (a portable set-up, or a test's own home: Wine sets USERPROFILE itself).
    std::string home = EnvironmentVariable("MOSSGATE_ADB_HOME").value_or("");
    if (home.empty()) {
        home = EnvironmentVariable("USERPROFILE").value_or("");
    }
    if (home.empty()) {
        // Only then the shell, loaded on demand: it would add megabytes to every run.
        using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
        if (HMODULE shell = LoadLibraryA("shell32.dll")) {
            auto getFolderPath =
                reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
            char path[MAX_PATH] = {};
            if (getFolderPath != nullptr &&
                SUCCEEDED(getFolderPath(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, path))) {
                home = path;
            }
            (void)FreeLibrary(shell);
        }
    }
    std::string folder = (home.empty() ? std::string(".") : home) + "\\.android";
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

std::string WindowsUserFiles::UserFilePath(std::string_view name) {
    return KeyFolder() + "\\" + std::string(name);
}

std::optional<std::string> WindowsUserFiles::ReadUserFile(std::string_view name) {
    OwnedKernelHandle file(CreateFileA(UserFilePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    // Key and device files are small: one larger than this is not ours and is refused, never cut.
    constexpr LONGLONG kLargest = 1 << 20;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargest) {
        return std::nullopt;
    }
    std::string contents;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        contents.append(buffer, read);
        if (contents.size() > static_cast<size_t>(kLargest)) {
            return std::nullopt;
        }
    }
    return contents;
}

bool WindowsUserFiles::UserFileExists(std::string_view name) {
    return GetFileAttributesA(UserFilePath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsUserFiles::WriteUserFile(std::string_view name,
                                     std::string_view contents,
                                     bool privateToUser,
                                     std::string* error) {
    std::string path = UserFilePath(name);
    std::string temporary = path + ".tmp";
    OwnedLocalMemory descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (privateToUser) {
        descriptor = UserOnlySecurityDescriptor();
        if (!descriptor.valid()) {
            *error = "cannot build a security descriptor for the user";
            return false;
        }
        attributes.lpSecurityDescriptor = descriptor.get();
    }
    {
        OwnedKernelHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            *error = FileErrorText(GetLastError());
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
            written != contents.size()) {
            *error = FileErrorText(GetLastError());
            file.reset();
            (void)DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = FileErrorText(GetLastError());
        (void)DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

void WindowsUserFiles::RemoveUserFile(std::string_view name) {
    (void)DeleteFileA(UserFilePath(name).c_str());
}

std::string WindowsUserFiles::KeyComment() {
    char user[256] = {};
    DWORD userLength = sizeof user;
    char host[256] = {};
    DWORD hostLength = sizeof host;
    std::string comment = GetUserNameA(user, &userLength) ? user : "unknown";
    comment += '@';
    comment += GetComputerNameA(host, &hostLength) ? host : "unknown";
    return comment;
}

}  // namespace adb
