// Memory in the program's process, for the control messages that carry pointers (a pointer of the
// driver means nothing there, and Wine marshals only the texts of WM_GETTEXT/WM_SETTEXT), and one
// call made there: GetObjectA on the program's own font handle.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t size, DWORD protection = PAGE_READWRITE);
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer();

    // The address in the other process (meaningless here).
    void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }
    void Write(const void* bytes, size_t size, size_t offset = 0);
    void Read(void* bytes, size_t size, size_t offset = 0) const;
    // Leaves the memory allocated: for a remote thread that may still be using it.
    void Abandon() { address_ = nullptr; }

  private:
    HANDLE process_;
    void* address_ = nullptr;
    size_t size_ = 0;
};

// The font of a window: WM_GETFONT and GetObjectA run by a thread started in the program's process.
// gdi32's handles are private to each process, and Wine does not pass WM_GETFONT between processes.
// font is null when the window has no font set (it draws with the system font).
bool RemoteGetFont(HANDLE process, DWORD pid, HWND window, HFONT& font, LOGFONTA& logFont, std::string& error);
