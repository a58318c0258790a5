// A POSIX file descriptor that is closed when its owner goes away.
#pragma once

#include <cerrno>
#include <string>
#include <string_view>
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

// Whole transfers that go on after an interrupted call; each answers 0 or the
// errno of the call that failed.
inline int WriteAllToFd(int Fd, std::string_view Data) {
    while (!Data.empty()) {
        const ssize_t N = ::write(Fd, Data.data(), Data.size());
        if (N < 0 && errno == EINTR)
            continue;
        if (N < 0)
            return errno;
        Data.remove_prefix(static_cast<std::size_t>(N));
    }
    return 0;
}

// Replaces Content with everything from Fd up to its end.
inline int ReadAllFromFd(int Fd, std::string& Content) {
    Content.clear();
    char Buffer[65536];
    for (;;) {
        const ssize_t N = ::read(Fd, Buffer, sizeof Buffer);
        if (N < 0 && errno == EINTR)
            continue;
        if (N < 0)
            return errno;
        if (N == 0)
            return 0;
        Content.append(Buffer, static_cast<std::size_t>(N));
    }
}
