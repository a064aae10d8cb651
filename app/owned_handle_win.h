// A small owner for a Windows handle: closed once, by the owner, when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, auto Close>
class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, Handle{}));
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    void reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) {
            (void)Close(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_{};
};

// Kernel objects: files, pipes, processes, threads, timers.
using OwnedKernelHandle = OwnedHandle<HANDLE, CloseHandle>;
using OwnedKey = OwnedHandle<HKEY, RegCloseKey>;
using OwnedFont = OwnedHandle<HFONT, DeleteObject>;
using OwnedBrush = OwnedHandle<HBRUSH, DeleteObject>;
using OwnedBitmap = OwnedHandle<HBITMAP, DeleteObject>;
using OwnedMemoryDc = OwnedHandle<HDC, DeleteDC>;
