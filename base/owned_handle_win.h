// One owner for every kind of Windows handle: released once, by the scope that got it.
#pragma once

#include <windows.h>

#include <utility>

// Traits: `using Type`, `static Type Invalid()`, `static bool IsValid(Type)`, `static void Release(Type)`.
template <typename Traits>
class Owned {
  public:
    using Type = typename Traits::Type;

    Owned() = default;
    explicit Owned(Type value) : value_(value) {}
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.value_, Traits::Invalid()));
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Type get() const { return value_; }
    bool valid() const { return Traits::IsValid(value_); }
    explicit operator bool() const { return valid(); }
    // Releases the value held (if any) and takes `value` instead.
    void reset(Type value = Traits::Invalid()) {
        if (Traits::IsValid(value_)) {
            Traits::Release(value_);
        }
        value_ = value;
    }
    // Gives the value up without releasing it.
    Type release() { return std::exchange(value_, Traits::Invalid()); }

  private:
    Type value_ = Traits::Invalid();
};

// Handles whose invalid value is the zero of their type, released by one function.
template <typename Handle, auto Close>
struct ClosedBy {
    using Type = Handle;
    static Type Invalid() { return Type{}; }
    static bool IsValid(Type value) { return value != Type{}; }
    static void Release(Type value) { (void)Close(value); }
};

// Kernel objects: files, pipes, processes, threads, events, timers, mappings. Both null and
// INVALID_HANDLE_VALUE (what CreateFile gives on failure) mean "none".
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void Release(Type value) { (void)CloseHandle(value); }
};

using OwnedKernelHandle = Owned<KernelHandleTraits>;
using OwnedKey = Owned<ClosedBy<HKEY, RegCloseKey>>;
using OwnedFont = Owned<ClosedBy<HFONT, DeleteObject>>;
using OwnedBrush = Owned<ClosedBy<HBRUSH, DeleteObject>>;
using OwnedBitmap = Owned<ClosedBy<HBITMAP, DeleteObject>>;
using OwnedMemoryDc = Owned<ClosedBy<HDC, DeleteDC>>;
using OwnedLibrary = Owned<ClosedBy<HMODULE, FreeLibrary>>;
