// The update checker: asks the maker's update service for the latest version
// without blocking, logs what happens and tells its owner through OnDone on the
// user-interface thread. Also the main window's side of a check, as two
// functions the window delegates to through a small port.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Addresses.h"
#include "update/HttpClient.h"

class IUiDispatcher;
class TKLog;
class TOpenSslLoader;

// What the request reports about the running program.
struct TOwnIdentity {
    std::string Product;
    std::string Company;
    std::string Version; // text form of a four-part version
};

// What a check may be given besides its log and dispatcher; the defaults are
// the program's own, tests change them.
struct TLortexLiteOptions {
    std::string ServiceBase = Addresses::UpdateServiceBase; // scheme and host
    TOpenSslLoader* Ssl = nullptr;                          // null: ProcessOpenSsl()
    std::chrono::milliseconds RequestTimeout{10000};
    std::string ExtraCaFile; // tests trust their own CA
    // Default: GetDisplayedFileInfo and ResolveVersionText of the path.
    std::function<TOwnIdentity(const std::string& ExePath)> Identify;
    // Default: the system's millisecond tick count.
    std::function<std::uint32_t()> TickCount;
    // Tests: adjusts the client just before it starts.
    std::function<void(THttpClient&)> PrepareClient;
};

class TLortexLite {
public:
    using TDoneEvent = std::function<void(TLortexLite& Checker)>;

    TLortexLite(TKLog& Log, std::string LogPrefix, IUiDispatcher& Dispatcher,
                TLortexLiteOptions Options = {});
    // Unsets OnDone, then releases the client: no report reaches the owner.
    ~TLortexLite();
    TLortexLite(const TLortexLite&) = delete;
    TLortexLite& operator=(const TLortexLite&) = delete;

    // Starts one check and returns at once; OnDone follows on the dispatcher.
    void StartCheck(const std::string& ExePath, TDoneEvent OnDone);
    // The client's completion handler.
    void RequestDone(THttpClient& Sender, THttpRequestKind Kind, std::uint16_t ErrorCode);

    // The address of the last request (after the https fall-back).
    const std::string& RequestUrl() const { return LastUrl; }

    std::uint32_t StartTick = 0;
    bool Busy = false;
    TDoneEvent OnDone;
    std::uint32_t OwnVH = 0;
    std::uint32_t OwnVL = 0;
    std::string LogPrefix;
    std::string Reply;
    bool UseProxy = false;
    std::int32_t ProxyPort = 0;
    std::string ProxyHost;
    std::string ProxyUser;
    std::string ProxyPassword;
    bool NewerAvailable = false;
    bool ReplyValid = false;

private:
    TKLog& Log;
    IUiDispatcher& Dispatcher;
    TLortexLiteOptions Options;
    std::unique_ptr<THttpClient> Client;
    std::string LastUrl;
    // Guards a posted start failure against a released checker or a newer check.
    std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
    unsigned Generation = 0;
};

// What the main window lends to a check: its question and message boxes, the
// shell, and the "Check for update..." menu item.
class IUpdateCheckPort {
public:
    virtual ~IUpdateCheckPort() = default;
    virtual bool AskYesNo(const std::string& Text) = 0;    // true for Yes
    virtual void ShowMessage(const std::string& Text) = 0; // the simple message dialog
    virtual void OpenWebSite(const std::string& Address) = 0;
    virtual void SetCheckMenuItemEnabled(bool Enabled) = 0;
};

// Checkforupdate1Click: nothing while a check is under way; otherwise disables
// the menu item, logs "Self update check..." and starts the check.
void BeginUpdateCheck(TLortexLite& Checker, TKLog& Log, const std::string& ExePath,
                      IUpdateCheckPort& Port, TLortexLite::TDoneEvent OnDone);

// UpdateCheckDone: asks about a newer version (automatic check included) and
// opens the maker's site on Yes; reports "up to date" only for a check the user
// asked for; always re-enables the menu item and clears AutoCheckPending.
void UpdateCheckResult(const TLortexLite& Checker, TKLog& Log, bool& AutoCheckPending,
                       IUpdateCheckPort& Port,
                       const std::string& WebSite = Addresses::MakerWebSite);
