#include "tests/e2e/qt/XSession.h"

#include "tests/fixtures/RunProgram.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
std::string Trimmed(std::string Text) {
    while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r'))
        Text.pop_back();
    return Text;
}

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> Result;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);)
        if (!Line.empty())
            Result.push_back(Line);
    return Result;
}

// "Window 123\n  Position: 10,20 (screen: 0)\n  Geometry: 656x537\n"
std::optional<TXWindow> Geometry(const std::string& Id) {
    const TProgramRun Run = RunProgram({"xdotool", "getwindowgeometry", Id});
    TXWindow Window{Id};
    if (Run.ExitStatus != 0 ||
        std::sscanf(Run.Output.c_str() + std::min(Run.Output.find("Position:"), Run.Output.size()),
                    "Position: %d,%d", &Window.Left, &Window.Top) != 2 ||
        std::sscanf(Run.Output.c_str() + std::min(Run.Output.find("Geometry:"), Run.Output.size()),
                    "Geometry: %dx%d", &Window.Width, &Window.Height) != 2)
        return std::nullopt;
    return Window;
}

std::vector<std::string> VisibleWindows(const std::string& TitlePattern) {
    return Lines(RunProgram({"xdotool", "search", "--onlyvisible", "--name", TitlePattern}).Output);
}

std::string Clipboard() {
    return RunProgram({"xclip", "-o", "-selection", "clipboard"}).Output;
}
} // namespace

bool WaitUntil(const std::function<bool()>& Ready) {
    const auto Deadline = std::chrono::steady_clock::now() + Patience;
    while (!Ready()) {
        if (std::chrono::steady_clock::now() > Deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string Xdo(const std::vector<std::string>& Arguments) {
    std::vector<std::string> Argv{"xdotool"};
    Argv.insert(Argv.end(), Arguments.begin(), Arguments.end());
    return Trimmed(RunProgram(Argv).Output);
}

std::string CopiedBoxText(const std::string& Caption, const std::string& Text,
                          const std::string& Buttons) {
    const std::string Line = "---------------------------\n";
    return Line + Caption + "\n" + Line + Text + "\n" + Line + Buttons + "   \n" + Line;
}

bool WindowShows(const std::string& TitlePattern) {
    return !VisibleWindows(TitlePattern).empty();
}

std::optional<TXWindow> WaitForWindow(const std::string& TitlePattern) {
    std::optional<TXWindow> Found;
    WaitUntil([&] {
        const auto Ids = VisibleWindows(TitlePattern);
        if (Ids.empty())
            return false;
        Found = Geometry(Ids.back());
        return Found && Found->Width > 1;
    });
    return Found;
}

TRunningProgram::TRunningProgram(const std::vector<std::string>& Argv,
                                 const std::map<std::string, std::string>& Environment) {
    std::vector<std::string> Env;
    for (const auto& [Name, Value] : Environment)
        Env.push_back(Name + "=" + Value);
    std::vector<char*> EnvP, ArgP;
    for (std::string& Entry : Env)
        EnvP.push_back(Entry.data());
    EnvP.push_back(nullptr);
    for (const std::string& Arg : Argv)
        ArgP.push_back(const_cast<char*>(Arg.c_str()));
    ArgP.push_back(nullptr);
    Pid = fork();
    if (Pid == 0) {
        execvpe(ArgP[0], ArgP.data(), EnvP.data());
        _exit(127);
    }
}

TRunningProgram::~TRunningProgram() {
    if (Pid > 0) {
        kill(Pid, SIGKILL);
        int Status = 0;
        while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
        }
    }
}

int TRunningProgram::WaitForExit() {
    if (Pid <= 0)
        return -1;
    int Status = 0;
    bool Ended = false;
    WaitUntil([&] {
        const pid_t Done = waitpid(Pid, &Status, WNOHANG);
        Ended = Done == Pid || (Done < 0 && errno != EINTR);
        return Ended;
    });
    if (!Ended)
        return -1;
    Pid = -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

TMainWindowDriver::TMainWindowDriver(TXWindow Window) : Main(std::move(Window)) {
    // The design's client area is 514 pixels high; the menu bar is above it.
    MenuHeight = Main.Height - 514;
}

void TMainWindowDriver::Focus() const {
    Xdo({"windowfocus", "--sync", Main.Id});
}

void TMainWindowDriver::Settle() const {
    RunProgram({"sh", "-c", "printf mark | xclip -selection clipboard >/dev/null 2>&1"});
    WaitUntil([] { return Clipboard() == "mark"; });
    WaitUntil([this] {
        Click(508, 228); // the log pane
        Key("ctrl+a");
        Key("ctrl+c");
        return Clipboard() != "mark";
    });
}

void TMainWindowDriver::Click(int X, int Y) const {
    Focus();
    Xdo({"mousemove", "--sync", "--window", Main.Id, std::to_string(X),
         std::to_string(MenuHeight + Y), "click", "1"});
}

void TMainWindowDriver::Key(const std::string& Keys) const {
    KeyIn(Main, Keys);
}

void TMainWindowDriver::Type(const std::string& Text) const {
    Focus();
    Xdo({"type", "--delay", "5", Text});
}

void KeyIn(const TXWindow& Window, const std::string& Keys) {
    Xdo({"windowfocus", "--sync", Window.Id});
    Xdo({"key", "--clearmodifiers", Keys});
}

std::string CopyBoxText(const TXWindow& Box) {
    // A mark first, so that what is read back is this box's copy.
    RunProgram({"sh", "-c", "printf mark | xclip -selection clipboard >/dev/null 2>&1"});
    WaitUntil([] { return Clipboard() == "mark"; });
    std::string Copied;
    WaitUntil([&] {
        KeyIn(Box, "ctrl+c");
        Copied = Clipboard();
        return Copied != "mark" && !Copied.empty();
    });
    return Copied == "mark" ? std::string() : Copied;
}

bool ChooseFile(const std::string& Path) {
    const auto Dialog = WaitForWindow("^Open$");
    if (!Dialog)
        return false;
    // The file name field has the focus; what it holds is replaced.
    KeyIn(*Dialog, "ctrl+a");
    Xdo({"type", "--delay", "5", Path});
    KeyIn(*Dialog, "Return");
    return WaitUntil([] { return !WindowShows("^Open$"); });
}

void SaveScreenshot(const TXWindow& Window, const std::string& Name) {
    const char* Folder = std::getenv("QUORVEL_SCREENSHOTS");
    if (!Folder || !*Folder || !QGuiApplication::primaryScreen())
        return;
    std::filesystem::create_directories(Folder);
    const QPixmap Shot = QGuiApplication::primaryScreen()->grabWindow(0, Window.Left, Window.Top,
                                                                      Window.Width, Window.Height);
    Shot.save(QString::fromStdString(std::string(Folder) + "/" + Name), "PNG");
}
