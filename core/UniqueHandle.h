// The one owner of a system handle: move-only, it gives the handle back with
// Release when it goes away. Invalid is the value that means "no handle" for
// the kind (a null pointer, or -1 for file and find handles on Windows); it is
// an integer so that pointer kinds can use -1 too.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

template <typename T, auto Invalid, auto Release> class TUniqueHandle {
public:
    static T InvalidValue() noexcept {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(static_cast<std::intptr_t>(Invalid));
        else
            return static_cast<T>(Invalid);
    }

    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(T Handle) noexcept : Handle(Handle) {}
    TUniqueHandle(TUniqueHandle&& Other) noexcept : Handle(Other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& Other) noexcept {
        if (this != &Other)
            reset(Other.release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { reset(); }

    T get() const noexcept { return Handle; }
    explicit operator bool() const noexcept { return Handle != InvalidValue(); }

    // Hands the handle over to the caller, who releases it from now on.
    T release() noexcept { return std::exchange(Handle, InvalidValue()); }
    // Releases the handle held, if any, and holds NewHandle instead.
    void reset(T NewHandle = InvalidValue()) noexcept {
        const T Old = std::exchange(Handle, NewHandle);
        if (Old != InvalidValue())
            Release(Old);
    }
    // For a call that hands a handle out through a pointer: the one held is
    // released first.
    T* put() noexcept {
        reset();
        return &Handle;
    }

private:
    T Handle = InvalidValue();
};
