// A Windows handle or pointer that is released by the scope that got it.
#pragma once

#include <utility>

namespace adb {

// Traits: `using Type`, `static Type Invalid()`, `static void Release(Type)`.
template <typename Traits>
class Owned {
  public:
    using Type = typename Traits::Type;
    Owned() = default;
    explicit Owned(Type value) : value_(value) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, Traits::Invalid());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type get() const { return value_; }
    bool valid() const { return value_ != Traits::Invalid(); }
    void Reset() {
        if (valid()) {
            Traits::Release(value_);
            value_ = Traits::Invalid();
        }
    }

  private:
    Type value_ = Traits::Invalid();
};

}  // namespace adb
