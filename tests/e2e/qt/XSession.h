// Driving the Linux program from outside, as a person at the X display does:
// windows found by their title, clicks and keys sent with xdotool, a message
// box read by copying it to the clipboard (Ctrl+C) and reading that back with
// xclip. Every wait polls with a generous bound.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A safety net only: every step takes well under a second on an idle machine.
inline constexpr auto Patience = std::chrono::seconds(120);

// Polls Ready until it holds or Patience has passed; true when it held.
bool WaitUntil(const std::function<bool()>& Ready);

// xdotool with these arguments; its output without the last line break.
std::string Xdo(const std::vector<std::string>& Arguments);

// What a QMessageBox copies for Ctrl+C: the caption, the text and the buttons
// between separator lines.
std::string CopiedBoxText(const std::string& Caption, const std::string& Text,
                          const std::string& Buttons = "OK");

// A visible top-level window of the display.
struct TXWindow {
    std::string Id;
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

// The newest visible window whose title matches the regular expression, once
// one shows.
std::optional<TXWindow> WaitForWindow(const std::string& TitlePattern);
// Whether a visible window with a matching title is there now.
bool WindowShows(const std::string& TitlePattern);

// The running program, in an environment of the test's making. Ended with
// SIGKILL when the test did not close it.
class TRunningProgram {
public:
    TRunningProgram(const std::vector<std::string>& Argv,
                    const std::map<std::string, std::string>& Environment);
    ~TRunningProgram();
    TRunningProgram(const TRunningProgram&) = delete;
    TRunningProgram& operator=(const TRunningProgram&) = delete;

    // Waits for the end; its exit code, or -1 when it did not end in time or
    // ended by a signal.
    int WaitForExit();

private:
    pid_t Pid = -1;
};

// The main window as the design places its controls: points are in the
// client area, below the menu bar.
class TMainWindowDriver {
public:
    explicit TMainWindowDriver(TXWindow Window);

    void Click(int X, int Y) const;
    void Key(const std::string& Keys) const;
    void Type(const std::string& Text) const;
    // Focuses the window again (after a box or dialog has gone).
    void Focus() const;
    // Waits until the window takes input again after a modal box or dialog
    // has gone: copies the log pane's text (Ctrl+A, Ctrl+C) until the
    // clipboard shows it, so input sent while the window was still blocked
    // is sent again.
    void Settle() const;

    // The design's controls, by their centre.
    void ClickSign() const { Click(56, 496); }
    void ClickAdd() const { Click(104, 454); }
    void ClickBrowseSignTool() const { Click(309, 52); }
    void ClickBrowseCertificate() const { Click(309, 204); }
    void ClickPassword() const { Click(136, 246); }
    void ClickRememberPassword() const { Click(216, 244); }
    void ClickTimestamping() const { Click(66, 104); }

    const TXWindow& Window() const { return Main; }

private:
    TXWindow Main;
    int MenuHeight = 0;
};

// Copies the message box's text with Ctrl+C and returns it; empty when the
// clipboard never held it.
std::string CopyBoxText(const TXWindow& Box);
// Chooses Path in the open-file dialog that shows now; false when none showed.
bool ChooseFile(const std::string& Path);
// Presses a key in a window.
void KeyIn(const TXWindow& Window, const std::string& Keys);

// Saves a picture of the screen's part that Window covers (and of what lies
// on it) as Folder/Name when Folder is set; the test's own X client does it.
void SaveScreenshot(const TXWindow& Window, const std::string& Name);
