#include "update/U_Lortex_Lite.h"

#include "AppInfo.h"
#include "core/AnsiText.h"
#include "core/UiDispatcher.h"
#include "log/U_Log.h"
#include "update/OpenSslLoader.h"
#include "update/U_HTTP_Custo.h"
#include "update/U_LortexFct.h"
#include "update/U_Version.h"

#include <chrono>
#include <utility>

namespace {
TOwnIdentity IdentifyFile(const std::string& ExePath) {
    const TDisplayedFileInfo Info = GetDisplayedFileInfo(ExePath);
    return {Info.Product, Info.Company, ResolveVersionText(ExePath)};
}

std::uint32_t SystemTickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

TLortexLite::TLortexLite(TKLog& Log, std::string LogPrefix, IUiDispatcher& Dispatcher,
                         TLortexLiteOptions Options)
    : LogPrefix(std::move(LogPrefix)), Log(Log), Dispatcher(Dispatcher),
      Options(std::move(Options)) {
    if (!this->Options.Ssl)
        this->Options.Ssl = &ProcessOpenSsl();
    if (!this->Options.Identify)
        this->Options.Identify = IdentifyFile;
    if (!this->Options.TickCount)
        this->Options.TickCount = SystemTickCount;
}

TLortexLite::~TLortexLite() {
    *Alive = false;
    OnDone = nullptr;
    Client.reset();
}

void TLortexLite::StartCheck(const std::string& ExePath, TDoneEvent Done) {
    Client.reset();
    ++Generation;
    Busy = true;
    NewerAvailable = false;
    ReplyValid = false;
    Log.Write(LogPrefix + " Update self check : Initialization", LogInfo);
    OnDone = std::move(Done);

    const TOwnIdentity Own = Options.Identify(ExePath);
    const TLortexVersion OwnVersion = TLortexVersion::CreateFromText(Own.Version);
    OwnVH = OwnVersion.GetVH();
    OwnVL = OwnVersion.GetVL();
    const std::string Url = Options.ServiceBase + "/lortex/check.php?uid=0" +
                            "&ProductName=" + UrlEncode(Own.Product) +
                            "&Company=" + UrlEncode(Own.Company) + "&VH=" + OwnVersion.VHText() +
                            "&VL=" + OwnVersion.VLText();
    Reply.clear();

    Client = std::make_unique<THttpClient>(Dispatcher, *Options.Ssl);
    SetupHttpClient(*Client);
    Client->Timeout = Options.RequestTimeout;
    Client->ExtraCaFile = Options.ExtraCaFile;
    Client->OnRequestDone = [this](THttpClient& Sender, THttpRequestKind Kind, std::uint16_t Code) {
        RequestDone(Sender, Kind, Code);
    };
    if (UseProxy) {
        Client->ProxyHost = ProxyHost;
        Client->ProxyPort = std::to_string(ProxyPort);
        Client->ProxyUsername = ProxyUser;
        Client->ProxyPassword = ProxyPassword;
    } else {
        Client->ProxyHost.clear();
        Client->ProxyPort.clear();
        Client->ProxyUsername.clear();
        Client->ProxyPassword.clear();
    }
    Client->URL = HttpFallbackUrl(*Options.Ssl, Url);
    LastUrl = Client->URL;
    if (!SameTextAZ(Client->URL, Url))
        Log.Write("LortexLite : No SSL / Back to HTTP", LogVerbose);
    Client->RcvdStream = &Reply;

    if (Options.PrepareClient)
        Options.PrepareClient(*Client);

    StartTick = Options.TickCount();
    try {
        Client->GetASync();
    } catch (const std::exception&) {
        // Reported like any failed request, later and on the dispatcher, so the
        // check never stays busy with its menu item disabled for good.
        Dispatcher.Post([this, Alive = Alive, Started = Generation] {
            if (*Alive && Started == Generation && Busy)
                RequestDone(*Client, THttpRequestKind::Get, HttpErrStartFailed);
        });
    }
}

void TLortexLite::RequestDone(THttpClient& Sender, THttpRequestKind Kind, std::uint16_t ErrorCode) {
    if (ErrorCode != 0 || Kind != THttpRequestKind::Get) {
        Log.Write(LogPrefix + " Update self check : Server error (" + std::to_string(ErrorCode) +
                      ")",
                  LogError);
    } else {
        const TLortexVersion Server = TLortexVersion::CreateFromText(Reply);
        const auto Elapsed = static_cast<std::int32_t>(Options.TickCount() - StartTick);
        Log.Write(LogPrefix + " Update self check : Server replied " + Server.ToText() + " in " +
                      std::to_string(Elapsed) + "ms",
                  LogInfo);
        if (!Server.IsValid())
            Log.Write(LogPrefix + " Update self check : Server error (" +
                          std::to_string(ErrorCode) + " Cause : " + Sender.ReasonPhrase() + ")",
                      LogVerbose);
        ReplyValid = Server.IsValid();
        NewerAvailable = Server.IsNewerThanWords(OwnVH, OwnVL);
    }
    Busy = false;
    // A copy: the owner may start the next check from its handler.
    const TDoneEvent Done = OnDone;
    if (Done)
        Done(*this);
}

void BeginUpdateCheck(TLortexLite& Checker, TKLog& Log, const std::string& ExePath,
                      IUpdateCheckPort& Port, TLortexLite::TDoneEvent OnDone) {
    if (Checker.Busy)
        return;
    Port.SetCheckMenuItemEnabled(false);
    Log.Write("Self update check...", LogInfo);
    Checker.StartCheck(ExePath, std::move(OnDone));
}

void UpdateCheckResult(const TLortexLite& Checker, TKLog& Log, bool& AutoCheckPending,
                       IUpdateCheckPort& Port, const std::string& WebSite) {
    const std::string Title = AppInfo::Title;
    if (Checker.NewerAvailable) {
        Log.Write("New version of " + Title + " is detected", LogInfo);
        if (Port.AskYesNo("A new version of " + Title +
                          "  is available. Do you want to download update now ?"))
            Port.OpenWebSite(WebSite);
    } else if (Checker.ReplyValid) {
        const std::string Text = Title + "  is already up to date.";
        Log.Write(Text, LogInfo);
        if (!AutoCheckPending)
            Port.ShowMessage(Text);
    }
    Port.SetCheckMenuItemEnabled(true);
    AutoCheckPending = false;
}
