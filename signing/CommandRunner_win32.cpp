// The runner on Windows: a named pipe read asynchronously, 255 bytes at a
// time, while waiting for the first of the child's end and a completed read.
#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"
#include "signing/CommandRunner.h"
#include "signing/CommandRunnerOutput.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t NotStarted = 0xFFFFFFFF;
constexpr DWORD ReadSize = 255;
constexpr UINT CancelledExitCode = 1223; // ERROR_CANCELLED

// The one value shared by every run: it keeps pipe names distinct between
// runs on different threads of this process.
std::uint32_t NextPipeSerial() {
    static std::atomic<std::uint32_t> Serial{0};
    return ++Serial;
}

// One run's pipe. A read still pending when the record goes is cancelled and
// collected first, so the system never writes into a buffer that is gone.
struct TPipeInfo {
    Win32::TFileHandle ReadEnd;
    Win32::TFileHandle WriteEnd;
    char Buffer[ReadSize + 1] = {};
    TCollectedOutput Collected;
    Win32::TKernelHandle CompletionEvent;
    OVERLAPPED Overlapped = {};
    bool ReadPending = false;

    TPipeInfo() = default;
    TPipeInfo(const TPipeInfo&) = delete;
    TPipeInfo& operator=(const TPipeInfo&) = delete;
    ~TPipeInfo() {
        if (ReadPending && ReadEnd) {
            const DWORD Saved = GetLastError();
            CancelIo(ReadEnd.get());
            DWORD Ignored = 0;
            GetOverlappedResult(ReadEnd.get(), &Overlapped, &Ignored, TRUE);
            SetLastError(Saved);
        }
    }
};

// The started child. Until it has been waited for, leaving the run by an
// error ends it with the cancelled code and waits for it.
class TChildProcess {
public:
    TChildProcess() = default;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess() {
        if (!Ended && Process) {
            const DWORD Saved = GetLastError();
            TerminateProcess(Process.get(), CancelledExitCode);
            WaitForSingleObject(Process.get(), INFINITE);
            SetLastError(Saved);
        }
    }
    Win32::TKernelHandle Process;
    Win32::TKernelHandle Thread;
    bool Ended = false;
};

// Starts the next read. Returns false when the pipe is broken (every writer
// gone); the read end is then closed.
bool StartRead(TPipeInfo& Pipe) {
    if (ReadFile(Pipe.ReadEnd.get(), Pipe.Buffer, ReadSize, nullptr, &Pipe.Overlapped)) {
        Pipe.ReadPending = true; // completed at once; the event is set all the same
        return true;
    }
    const DWORD Error = GetLastError();
    if (Error == ERROR_IO_PENDING) {
        Pipe.ReadPending = true;
        return true;
    }
    if (Error == ERROR_BROKEN_PIPE) {
        Pipe.ReadEnd.reset();
        return false;
    }
    RaiseOSError(Error);
}

// Takes the completed read. Returns false when the pipe broke instead.
bool CollectRead(TPipeInfo& Pipe, BOOL Wait) {
    DWORD Got = 0;
    const BOOL Done = GetOverlappedResult(Pipe.ReadEnd.get(), &Pipe.Overlapped, &Got, Wait);
    Pipe.ReadPending = false;
    if (Done) {
        Pipe.Collected.Take(Pipe.Buffer, Got);
        return true;
    }
    if (GetLastError() == ERROR_BROKEN_PIPE) {
        Pipe.ReadEnd.reset();
        return false;
    }
    RaiseOSError(GetLastError());
}

// After the child's end: the pending read, then what the pipe holds at that
// moment. Bytes a grandchild writes later are not waited for, so one that
// keeps writing cannot hold the run.
void Drain(TPipeInfo& Pipe) {
    CancelIo(Pipe.ReadEnd.get());
    DWORD Got = 0;
    if (GetOverlappedResult(Pipe.ReadEnd.get(), &Pipe.Overlapped, &Got, TRUE) && Got > 0)
        Pipe.Collected.Take(Pipe.Buffer, Got);
    Pipe.ReadPending = false;
    DWORD Available = 0;
    if (!PeekNamedPipe(Pipe.ReadEnd.get(), nullptr, 0, nullptr, &Available, nullptr))
        return;
    DWORD Remaining = Available;
    while (Remaining > 0 &&
           PeekNamedPipe(Pipe.ReadEnd.get(), nullptr, 0, nullptr, &Available, nullptr) &&
           Available > 0) {
        // The bytes are already there, so this read on the overlapped handle
        // completes at once and needs no OVERLAPPED record of its own.
        DWORD Read = 0;
        const DWORD Want = std::min({Available, Remaining, ReadSize});
        if (!ReadFile(Pipe.ReadEnd.get(), Pipe.Buffer, Want, &Read, nullptr))
            RaiseOSError(GetLastError());
        Pipe.Collected.Take(Pipe.Buffer, Read);
        Remaining -= Read;
    }
}

// Reads until the child ends. The child comes first in the wait, so its end
// wins when both are signalled; the drain then takes the completed read.
void ReadUntilChildEnds(TPipeInfo& Pipe, TChildProcess& Child) {
    StartRead(Pipe);
    const HANDLE Waits[2] = {Child.Process.get(), Pipe.CompletionEvent.get()};
    for (;;) {
        const DWORD Result = WaitForMultipleObjectsEx(2, Waits, FALSE, INFINITE, FALSE);
        if (Result == WAIT_OBJECT_0)
            return;
        if (Result != WAIT_OBJECT_0 + 1)
            RaiseOSError(GetLastError());
        if (CollectRead(Pipe, FALSE))
            StartRead(Pipe);
    }
}

// The environment block for CreateProcessA: the inherited one with Added
// applied, or an empty block when nothing is added (the child then inherits).
// False when a variable cannot be passed.
bool BuildEnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& Added,
                           std::vector<char>& Block) {
    Block.clear();
    if (Added.empty())
        return true;
    std::vector<std::string> Inherited;
    if (char* Strings = GetEnvironmentStringsA()) {
        for (const char* Entry = Strings; *Entry; Entry += std::strlen(Entry) + 1)
            Inherited.emplace_back(Entry);
        FreeEnvironmentStringsA(Strings);
    }
    const std::optional<std::vector<std::string>> Merged = MergeEnvironment(Inherited, Added, true);
    if (!Merged)
        return false;
    for (const std::string& Entry : *Merged) {
        Block.insert(Block.end(), Entry.begin(), Entry.end());
        Block.push_back('\0');
    }
    Block.push_back('\0');
    return true;
}

} // namespace

std::uint32_t RunAndCapture(const std::string& CommandLine, std::string& Output) {
    return RunAndCaptureWith(CommandLine, Output, TRunOptions{});
}

std::uint32_t RunAndCaptureWith(const std::string& CommandLine, std::string& Output,
                                const TRunOptions& Options) {
    std::vector<char> Environment;
    if (!BuildEnvironmentBlock(Options.Environment, Environment)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NotStarted;
    }
    TPipeInfo Pipe;
    char PipeName[64];
    std::snprintf(PipeName, sizeof PipeName, "\\\\.\\Pipe\\AsyncAnonPipe.%.8lX.%.8lX.%.8lX",
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetCurrentThreadId()),
                  static_cast<unsigned long>(NextPipeSerial()));

    SECURITY_ATTRIBUTES Inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Pipe.ReadEnd.reset(CreateNamedPipeA(PipeName, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                                        PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 120000,
                                        &Inheritable));
    if (!Pipe.ReadEnd)
        return GetLastError();
    Pipe.WriteEnd.reset(CreateFileA(PipeName, GENERIC_WRITE, 0, &Inheritable, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Pipe.WriteEnd) {
        const DWORD Error = GetLastError();
        Pipe.ReadEnd.reset();
        return Error;
    }
    Pipe.CompletionEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!Pipe.CompletionEvent)
        throw EOSError(GetLastError(), "Failed to create event");
    Pipe.Overlapped.hEvent = Pipe.CompletionEvent.get();

    // The record's size is 68 bytes in a 32-bit program, more in a 64-bit one.
    STARTUPINFOA Startup = {};
    Startup.cb = sizeof(Startup);
    Startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    Startup.wShowWindow = SW_HIDE;
    Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    Startup.hStdOutput = Pipe.WriteEnd.get();
    Startup.hStdError = Pipe.WriteEnd.get();

    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> Line(CommandLine.begin(), CommandLine.end());
    Line.push_back('\0');
    PROCESS_INFORMATION Started = {};
    if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        Environment.empty() ? nullptr : Environment.data(), nullptr, &Startup,
                        &Started))
        return NotStarted; // the handles close with the failed start's error kept
    TChildProcess Child;
    Child.Process.reset(Started.hProcess);
    Child.Thread.reset(Started.hThread);
    Pipe.WriteEnd.reset();

    ReadUntilChildEnds(Pipe, Child);

    WaitForSingleObject(Child.Process.get(), INFINITE);
    Child.Ended = true;
    DWORD ExitCode = NotStarted;
    if (!GetExitCodeProcess(Child.Process.get(), &ExitCode))
        ExitCode = NotStarted;
    Child.Thread.reset();

    if (Pipe.ReadEnd)
        Drain(Pipe);

    Pipe.Collected.DeliverTo(Output);
    return ExitCode;
}
