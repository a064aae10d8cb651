#include "adb/win/error_text_win.h"

#include <winsock2.h>

#include <windows.h>

#include "adb/win/error_text.h"

namespace adb {

static_assert(kWinsockNetworkUnreachable == WSAENETUNREACH && kWinsockTimedOut == WSAETIMEDOUT &&
              kWinsockConnectionRefused == WSAECONNREFUSED && kWinsockHostUnreachable == WSAEHOSTUNREACH &&
              kWinsockHostNotFound == WSAHOST_NOT_FOUND);
static_assert(kFileNotFound == ERROR_FILE_NOT_FOUND && kPathNotFound == ERROR_PATH_NOT_FOUND &&
              kAccessDenied == ERROR_ACCESS_DENIED && kSharingViolation == ERROR_SHARING_VIOLATION &&
              kBadNetworkPath == ERROR_BAD_NETPATH && kDiskFull == ERROR_DISK_FULL &&
              kInvalidName == ERROR_INVALID_NAME);

std::string SocketErrorText(int code) {
    char* text = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words;
    if (length > 0 && text != nullptr) {
        words.assign(text, length);
        (void)LocalFree(text);
    }
    return WordSocketError(code, words);
}

}  // namespace adb
