#include "ui/win32/WindowDispatcher.h"

#include "core/QuorvelErrors.h"

namespace {

constexpr UINT WM_RUN_POSTED = WM_APP + 1;
constexpr const char* ClassName = "QuorvelDispatcher";

void RegisterDispatcherClass() {
    WNDCLASSEXA Class{};
    Class.cbSize = sizeof(Class);
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.lpszClassName = ClassName;
    Class.lpfnWndProc = DefWindowProcA;
    WNDCLASSEXA Existing{};
    if (!GetClassInfoExA(Class.hInstance, ClassName, &Existing))
        RegisterClassExA(&Class);
}

} // namespace

TWindowDispatcher::TWindowDispatcher(std::function<void(std::exception_ptr)> OnError)
    : OnError(std::move(OnError)) {
    RegisterDispatcherClass();
    Window.reset(CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr));
    if (!Window)
        RaiseLastOSError();
    SetWindowLongPtrA(Window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

TWindowDispatcher::~TWindowDispatcher() {
    // Work still queued is dropped: its targets are going away with us.
    SetWindowLongPtrA(Window.get(), GWLP_USERDATA, 0);
}

void TWindowDispatcher::Post(std::function<void()> Work) {
    {
        std::lock_guard<std::mutex> Guard(QueueLock);
        Queue.push_back(std::move(Work));
    }
    PostMessageA(Window.get(), WM_RUN_POSTED, 0, 0);
}

void TWindowDispatcher::RunPending() {
    for (;;) {
        std::function<void()> Work;
        {
            std::lock_guard<std::mutex> Guard(QueueLock);
            if (Queue.empty())
                return;
            Work = std::move(Queue.front());
            Queue.pop_front();
        }
        try {
            Work();
        } catch (...) {
            if (OnError)
                OnError(std::current_exception());
        }
    }
}

LRESULT CALLBACK TWindowDispatcher::WindowProc(HWND Window, UINT Message, WPARAM WParam,
                                               LPARAM LParam) {
    if (Message == WM_RUN_POSTED) {
        auto* Self = reinterpret_cast<TWindowDispatcher*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
        if (Self)
            Self->RunPending();
        return 0;
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}
