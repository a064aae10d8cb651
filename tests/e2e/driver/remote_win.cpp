#include "tests/e2e/driver/remote_win.h"

#include <tlhelp32.h>

#include <cstring>

#include "base/owned_handle_win.h"
#include "tests/e2e/driver/session_win.h"

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size, DWORD protection) : process_(process), size_(size) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, protection);
    if (address_ == nullptr) {
        throw DriverError("VirtualAllocEx failed in the program's process (error " + std::to_string(GetLastError()) +
                          ")");
    }
}

RemoteBuffer::~RemoteBuffer() {
    if (address_)
        (void)VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void RemoteBuffer::Write(const void* bytes, size_t size, size_t offset) {
    SIZE_T written = 0;
    if (offset + size > size_ || !WriteProcessMemory(process_, Address(offset), bytes, size, &written) ||
        written != size) {
        throw DriverError("WriteProcessMemory failed (error " + std::to_string(GetLastError()) + ")");
    }
}

void RemoteBuffer::Read(void* bytes, size_t size, size_t offset) const {
    SIZE_T read = 0;
    if (offset + size > size_ || !ReadProcessMemory(process_, Address(offset), bytes, size, &read) || read != size) {
        throw DriverError("ReadProcessMemory failed (error " + std::to_string(GetLastError()) + ")");
    }
}

namespace {

// Base address of a module in another process, or null.
BYTE* RemoteModuleBase(DWORD pid, const wchar_t* moduleName) {
    OwnedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
    if (!snapshot)
        return nullptr;
    MODULEENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szModule, moduleName) == 0)
            return entry.modBaseAddr;
    }
    return nullptr;
}

void Put32(unsigned char*& at, UINT32 value) {
    std::memcpy(at, &value, 4);
    at += 4;
}

}  // namespace

// The address of a function in another process: its module's base there plus its offset here.
UINT32 RemoteFunction(DWORD pid, const wchar_t* moduleName, const char* function) {
    HMODULE local = GetModuleHandleW(moduleName);
    FARPROC address = local ? GetProcAddress(local, function) : nullptr;
    BYTE* remoteBase = RemoteModuleBase(pid, moduleName);
    if (address == nullptr || remoteBase == nullptr)
        return 0;
    return static_cast<UINT32>(reinterpret_cast<UINT_PTR>(remoteBase) +
                               (reinterpret_cast<UINT_PTR>(address) - reinterpret_cast<UINT_PTR>(local)));
}

bool RemoteGetFont(HANDLE process, DWORD pid, HWND window, HFONT& font, LOGFONTA& logFont, std::string& error) {
    const UINT32 sendMessage = RemoteFunction(pid, L"user32.dll", "SendMessageA");
    const UINT32 getObject = RemoteFunction(pid, L"gdi32.dll", "GetObjectA");
    if (sendMessage == 0 || getObject == 0) {
        error = "user32.dll or gdi32.dll not found in the program's process";
        return false;
    }
    constexpr size_t kCodeOffset = 0;
    constexpr size_t kFontOffset = 64;
    constexpr size_t kLogFontOffset = 68;
    RemoteBuffer memory(process, kLogFontOffset + sizeof(LOGFONTA), PAGE_EXECUTE_READWRITE);
    // A thread routine of one argument (stdcall):
    //   font = SendMessageA(window, WM_GETFONT, 0, 0); if (!font) return 0;
    //   return GetObjectA(font, sizeof(LOGFONTA), &logFont);
    unsigned char code[64];
    unsigned char* at = code;
    *at++ = 0x6a, *at++ = 0x00;           // push 0
    *at++ = 0x6a, *at++ = 0x00;           // push 0
    *at++ = 0x68, Put32(at, WM_GETFONT);  // push WM_GETFONT
    *at++ = 0x68, Put32(at, static_cast<UINT32>(reinterpret_cast<UINT_PTR>(window)));
    *at++ = 0xb8, Put32(at, sendMessage);                                     // mov eax, SendMessageA
    *at++ = 0xff, *at++ = 0xd0;                                               // call eax
    *at++ = 0xa3, Put32(at, static_cast<UINT32>(memory.Param(kFontOffset)));  // mov [font], eax
    *at++ = 0x85, *at++ = 0xc0;                                               // test eax, eax
    *at++ = 0x74, *at++ = 0x12;                                               // jz done (the 18 bytes below)
    *at++ = 0x68, Put32(at, static_cast<UINT32>(memory.Param(kLogFontOffset)));
    *at++ = 0x68, Put32(at, sizeof(LOGFONTA));  // push size
    *at++ = 0x50;                               // push eax
    *at++ = 0xb8, Put32(at, getObject);         // mov eax, GetObjectA
    *at++ = 0xff, *at++ = 0xd0;                 // call eax
    *at++ = 0xc2, *at++ = 0x04, *at++ = 0x00;   // done: ret 4
    memory.Write(code, at - code, kCodeOffset);
    unsigned char zeros[kLogFontOffset + sizeof(LOGFONTA) - kFontOffset] = {};
    memory.Write(zeros, sizeof(zeros), kFontOffset);

    OwnedKernelHandle thread(CreateRemoteThread(process, nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(memory.Address(kCodeOffset)),
                                           nullptr, 0, nullptr));
    if (!thread) {
        error = "CreateRemoteThread failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (WaitForSingleObject(thread.get(), 5000) != WAIT_OBJECT_0) {
        // The thread may still use the memory: leave it allocated rather than free it under its feet.
        error = "the font query in the program's process did not finish";
        memory.Abandon();
        return false;
    }
    UINT32 fontValue = 0;
    memory.Read(&fontValue, sizeof(fontValue), kFontOffset);
    font = reinterpret_cast<HFONT>(static_cast<UINT_PTR>(fontValue));
    if (font == nullptr)
        return true;
    DWORD result = 0;
    (void)GetExitCodeThread(thread.get(), &result);
    if (result == 0) {
        error = "GetObjectA failed in the program's process for font " + std::to_string(fontValue);
        return false;
    }
    memory.Read(&logFont, sizeof(logFont), kLogFontOffset);
    return true;
}
