// quorvel_childproc: see ChildProc.h.
#include "tests/helpers/ChildProcMain.h"
#include "tests/helpers/ChildProc.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    for (int I = 1; I < argc; ++I)
        if (std::string_view(argv[I]) == "@argv") {
            for (int J = 0; J < argc; ++J)
                WriteTo(TStream::Out, HexEncode(argv[J]) + "\n");
            return 0;
        }

    for (int I = 1; I < argc; ++I) {
        const std::string_view Command = argv[I];
        const char* Value = I + 1 < argc ? argv[I + 1] : "";
        if (Command == "signals") {
            WriteTo(TStream::Out, SignalState());
            continue;
        }
        if (Command == "grandchild" || Command == "floodgrandchild") {
            const unsigned long Pid = StartGrandchild(Command == "floodgrandchild");
            WriteTo(TStream::Out, "grandchild " + std::to_string(Pid) + "\n");
            continue;
        }
        if (Command == "flood") {
            const std::string Block(4096, 'z');
            for (;;)
                WriteTo(TStream::Out, Block); // ends the program once the pipe is gone
        }
        ++I;
        if (Command == "out")
            WriteTo(TStream::Out, Value);
        else if (Command == "err")
            WriteTo(TStream::Err, Value);
        else if (Command == "outhex")
            WriteTo(TStream::Out, HexDecode(Value));
        else if (Command == "big")
            WriteTo(TStream::Out, ChildBigOutput(std::strtoul(Value, nullptr, 10)));
        else if (Command == "sleep")
            SleepSeconds(static_cast<unsigned>(std::strtoul(Value, nullptr, 10)));
        else if (Command == "env") {
            const char* Found = std::getenv(Value);
            WriteTo(TStream::Out, std::string(Value) +
                                      (Found ? "=" + HexEncode(Found) : std::string(" unset")) +
                                      "\n");
        } else if (Command == "exit")
            return static_cast<int>(std::strtoul(Value, nullptr, 10));
        else {
            WriteTo(TStream::Err, "quorvel_childproc: unknown command " + std::string(Command));
            return 125;
        }
    }
    return 0;
}
