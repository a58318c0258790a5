// Owners for the Windows handles the program opens (see UniqueHandle.h), one
// alias per kind. Each release keeps the thread's last error, so that an
// error path that unwinds still reports the first cause. Windows only.
#pragma once

#include "core/UniqueHandle.h"

#include <windows.h>

#include <lm.h>
#include <objbase.h>
#include <wincrypt.h>

namespace Win32 {

// Releases through the system call named, the last error kept. A wrapper is
// needed anyway: the address of an imported function is no constant.
class TKeepLastError {
public:
    TKeepLastError() noexcept : Saved(GetLastError()) {}
    ~TKeepLastError() { SetLastError(Saved); }
    TKeepLastError(const TKeepLastError&) = delete;
    TKeepLastError& operator=(const TKeepLastError&) = delete;

private:
    DWORD Saved;
};

inline void CloseKernelHandle(HANDLE Handle) noexcept {
    const TKeepLastError Keep;
    ::CloseHandle(Handle);
}
inline void CloseRegistryKey(HKEY Key) noexcept {
    const TKeepLastError Keep;
    ::RegCloseKey(Key);
}
inline void CloseFind(HANDLE Find) noexcept {
    const TKeepLastError Keep;
    ::FindClose(Find);
}
template <typename T> void FreeLocal(T* Memory) noexcept {
    const TKeepLastError Keep;
    ::LocalFree(const_cast<std::remove_const_t<T>*>(Memory));
}
template <typename T> void FreeCoTask(T* Memory) noexcept {
    const TKeepLastError Keep;
    ::CoTaskMemFree(const_cast<std::remove_const_t<T>*>(Memory));
}
inline void ReleaseModule(HMODULE Module) noexcept {
    const TKeepLastError Keep;
    ::FreeLibrary(Module);
}
inline void DeleteGdiObject(HGDIOBJ Object) noexcept {
    const TKeepLastError Keep;
    ::DeleteObject(Object);
}
inline void FreeSecurityId(PSID Sid) noexcept {
    const TKeepLastError Keep;
    ::FreeSid(Sid);
}
inline void FreeNetBuffer(LPBYTE Buffer) noexcept {
    const TKeepLastError Keep;
    ::NetApiBufferFree(Buffer);
}
inline void FreeCertChain(PCCERT_CHAIN_CONTEXT Chain) noexcept {
    const TKeepLastError Keep;
    ::CertFreeCertificateChain(Chain);
}
inline void CloseCertStore(HCERTSTORE Store) noexcept {
    const TKeepLastError Keep;
    ::CertCloseStore(Store, 0);
}
inline void FreeCertContext(PCCERT_CONTEXT Context) noexcept {
    const TKeepLastError Keep;
    ::CertFreeCertificateContext(Context);
}

// Process, thread, event, token and the like: null when there is none.
using TKernelHandle = TUniqueHandle<HANDLE, 0, CloseKernelHandle>;
// What CreateFileA and CreateNamedPipeA return: INVALID_HANDLE_VALUE when
// there is none.
using TFileHandle = TUniqueHandle<HANDLE, -1, CloseKernelHandle>;
using TRegistryKey = TUniqueHandle<HKEY, 0, CloseRegistryKey>;
using TFindHandle = TUniqueHandle<HANDLE, -1, CloseFind>;
// Memory the system allocated for us with LocalAlloc (FormatMessageA's
// buffer, for one).
template <typename T> using TLocalMemory = TUniqueHandle<T*, 0, FreeLocal<T>>;
// Memory a shell or COM call allocated for us with CoTaskMemAlloc.
template <typename T> using TCoTaskMemory = TUniqueHandle<T*, 0, FreeCoTask<T>>;
using TModule = TUniqueHandle<HMODULE, 0, ReleaseModule>;
using TFont = TUniqueHandle<HFONT, 0, DeleteGdiObject>;
using TBitmap = TUniqueHandle<HBITMAP, 0, DeleteGdiObject>;
// What AllocateAndInitializeSid made.
using TSid = TUniqueHandle<PSID, 0, FreeSecurityId>;
// What NetWkstaGetInfo and the other network calls allocated.
using TNetBuffer = TUniqueHandle<LPBYTE, 0, FreeNetBuffer>;
using TCertStore = TUniqueHandle<HCERTSTORE, 0, CloseCertStore>;
using TCertContext = TUniqueHandle<PCCERT_CONTEXT, 0, FreeCertContext>;
using TCertChain = TUniqueHandle<PCCERT_CHAIN_CONTEXT, 0, FreeCertChain>;

} // namespace Win32
