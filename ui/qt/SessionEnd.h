// Turns SIGTERM, SIGINT and SIGHUP (the end of the desktop session, a plain
// kill, Ctrl+C in a terminal) into a call on the GUI thread, so the program
// closes its window the usual way instead of dying mid-way. A second signal
// ends the program at once, as if nothing had been installed.
#pragma once

#include <functional>
#include <memory>

class TSessionEnd {
public:
    explicit TSessionEnd(std::function<void()> OnEnd);
    ~TSessionEnd(); // restores the previous signal handling
    TSessionEnd(const TSessionEnd&) = delete;
    TSessionEnd& operator=(const TSessionEnd&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
