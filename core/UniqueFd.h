// A POSIX file descriptor that is closed when its owner goes away.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int Fd) : Fd(Fd) {}
    TUniqueFd(TUniqueFd&& Other) noexcept : Fd(std::exchange(Other.Fd, -1)) {}
    TUniqueFd& operator=(TUniqueFd&& Other) noexcept {
        if (this != &Other) {
            Close();
            Fd = std::exchange(Other.Fd, -1);
        }
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    ~TUniqueFd() { Close(); }

    int Get() const { return Fd; }
    bool IsOpen() const { return Fd >= 0; }
    // Closing keeps errno, so an error path can still report the first cause.
    void Close() {
        if (Fd >= 0) {
            const int Saved = errno;
            ::close(Fd);
            errno = Saved;
            Fd = -1;
        }
    }

private:
    int Fd = -1;
};
