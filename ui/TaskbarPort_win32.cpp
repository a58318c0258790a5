#include "ui/U_TaskBarProgressUnit.h"

#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

namespace {

// One window's ITaskbarList3, released with the port.
class TWin32TaskbarPort : public ITaskbarPort {
public:
    TWin32TaskbarPort(HWND Window, ITaskbarList3* Taskbar) : Window(Window), Taskbar(Taskbar) {}
    ~TWin32TaskbarPort() override { Taskbar->Release(); }
    TWin32TaskbarPort(const TWin32TaskbarPort&) = delete;
    TWin32TaskbarPort& operator=(const TWin32TaskbarPort&) = delete;

    void SetProgressValue(std::int64_t Completed, std::int64_t Total) override {
        // The interface takes unsigned 64-bit numbers; the values are sent
        // widened with their sign, as they stand.
        Taskbar->SetProgressValue(Window, static_cast<ULONGLONG>(Completed),
                                  static_cast<ULONGLONG>(Total));
    }
    void SetProgressState(std::uint32_t Flags) override {
        Taskbar->SetProgressState(Window, static_cast<TBPFLAG>(Flags));
    }

private:
    HWND Window;
    ITaskbarList3* Taskbar;
};

} // namespace

std::unique_ptr<ITaskbarPort> CreateWin32TaskbarPort(void* WindowHandle) {
    if (!WindowHandle)
        return nullptr;
    OSVERSIONINFOA Version{};
    Version.dwOSVersionInfoSize = sizeof(Version);
    if (!GetVersionExA(&Version) || Version.dwMajorVersion < 6)
        return nullptr;
    void* Interface = nullptr;
    // Only whether an interface came back counts (Vista gives none).
    CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                     IID_ITaskbarList3, &Interface);
    if (!Interface)
        return nullptr;
    return std::make_unique<TWin32TaskbarPort>(static_cast<HWND>(WindowHandle),
                                               static_cast<ITaskbarList3*>(Interface));
}
