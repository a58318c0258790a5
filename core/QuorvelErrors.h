// The error types that lower layers raise and the front-end's top-level
// handler shows in an error box captioned with the application title.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Base of every error the program raises on purpose.
class EQuorvelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed operating-system call, carrying the platform's error code
// (GetLastError on Windows, errno elsewhere).
class EOSError : public EQuorvelError {
public:
    EOSError(std::uint32_t ErrorCode, const std::string& Message)
        : EQuorvelError(Message), ErrorCode(ErrorCode) {}
    std::uint32_t ErrorCode;
};

// A registry (or hive) failure; the message names the value concerned.
class ERegistryError : public EQuorvelError {
public:
    using EQuorvelError::EQuorvelError;
};

// The platform's text for an error code ("Access is denied." and the like).
std::string SysErrorMessage(std::uint32_t ErrorCode);

// The calling thread's last platform error code.
std::uint32_t GetLastOSErrorCode();

// Throws EOSError for the calling thread's last platform error.
[[noreturn]] void RaiseLastOSError();

// Throws EOSError for the given code, with the platform's text for it.
[[noreturn]] void RaiseOSError(std::uint32_t ErrorCode);
