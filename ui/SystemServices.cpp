#include "ui/SystemServices.h"

#include "AppInfo.h"
#include "log/U_Log.h"
#include "settings/AppLifecycle.h"
#include "settings/EnvProbe.h"
#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "signing/CertStore.h"
#include "signing/CommandRunner.h"
#include "signing/SignToolDiscovery.h"
#include "update/FileVersion.h"
#include "update/U_HTTP_Custo.h"

namespace {

constexpr int LogMaxLines = 10000;

// TLortexLite and the window's two update functions around it.
class TSystemUpdateChecker : public IMainUpdateChecker {
public:
    TSystemUpdateChecker(TKLog& Log, IUiDispatcher& Dispatcher, IUpdateCheckOwner& Owner,
                         std::string ExePath, TLortexLiteOptions Options)
        : Log(Log), Owner(Owner), ExePath(std::move(ExePath)),
          Checker(Log, AppInfo::Title, Dispatcher, std::move(Options)) {}

    void Check() override {
        // The checker unsets OnDone when it is released, so the report can
        // never reach a checker that is gone.
        BeginUpdateCheck(Checker, Log, ExePath, Owner, [this](TLortexLite& Done) {
            try {
                UpdateCheckResult(Done, Log, Owner.AutoCheckPendingFlag(), Owner);
            } catch (const std::exception& Error) {
                Owner.HandleUpdateError(Error);
            }
        });
    }

private:
    TKLog& Log;
    IUpdateCheckOwner& Owner;
    std::string ExePath;
    TLortexLite Checker;
};

class TSystemServices : public IMainServices {
public:
    TSystemServices(std::string ExePath, std::vector<std::string> Arguments,
                    TLortexLiteOptions UpdateOptions)
        : Exe(std::move(ExePath)), Args(std::move(Arguments)),
          UpdateOptions(std::move(UpdateOptions)) {}

    std::string ExePath() override { return Exe; }
    std::vector<std::string> Arguments() override { return Args; }
    std::string FileVersionText(const std::string& Path) override {
        return GetFileVersionText(Path);
    }

    std::string ReadSetting(const std::string& Name) override { return ::ReadSetting(Name); }
    bool WriteSetting(const std::string& Name, const std::string& Value) override {
        return ::WriteSetting(Name, Value);
    }
    bool WriteIntSetting(const std::string& Name, std::int32_t Value) override {
        return ::WriteIntSetting(Name, Value);
    }
    std::vector<std::string> TakeStoreNotices() override { return ::TakeStoreNotices(); }

    void ImportPortableSettings() override { ::ImportPortableSettings(Exe); }
    void RecordRunningExecutable() override { ::RecordRunningExecutable(Exe); }
    std::string LogFilePath() override { return ::LogFilePath(Exe); }
    std::vector<std::string> LoadFileList() override { return ::LoadFileList(Exe); }
    void SaveFileList(const std::vector<std::string>& Captions) override {
        ::SaveFileList(Exe, Captions);
    }
    std::string CleanProgramVirtualStore() override { return ::CleanProgramVirtualStore(Exe); }
    bool IsInstalled() override { return ::IsInstalled(AppInfo::UninstallDisplayName); }
    void FinishPortableUse() override { ::FinishPortableUse(Exe); }

    std::unique_ptr<TKLog> CreateLog(const std::string& FileName, bool Debug) override {
        return std::make_unique<TKLog>(FileName, Debug, LogMaxLines, false);
    }
    void WriteEnvironmentFacts(TKLog& Log,
                               const std::optional<std::string>& FirstArgument) override {
        // The OpenSSL text is asked for last: its first call loads the library.
        ::WriteEnvironmentFacts(Log, FirstArgument, [] { return GetOpenSSLVersionText(); });
    }

    std::unique_ptr<IMainUpdateChecker> CreateUpdateChecker(TKLog& Log, IUiDispatcher& Dispatcher,
                                                            IUpdateCheckOwner& Owner) override {
        return std::make_unique<TSystemUpdateChecker>(Log, Dispatcher, Owner, Exe, UpdateOptions);
    }

    TCommandRunner CommandRunner() override {
        return [](const std::string& CommandLine, std::string& Output) {
            return RunAndCapture(CommandLine, Output);
        };
    }
    std::uint32_t RunCommandWith(const std::string& CommandLine, std::string& Output,
                                 const TRunOptions& Options) override {
        return RunAndCaptureWith(CommandLine, Output, Options);
    }

    std::vector<TStoreCertificate> StoreCertificates() override { return ListStoreCertificates(); }
    bool StoreCertificatePresent(const std::string& Thumbprint) override {
        return IsStoreCertificatePresent(Thumbprint);
    }

    bool FileExists(const std::string& Path) override { return IsExistingFile(Path); }
    std::string SignToolSdkFolder() override { return ::SignToolSdkFolder(Exe); }
    std::vector<std::string> ListFolder(const std::string& Folder) override {
        return ListFolderEntries(Folder);
    }

private:
    std::string Exe;
    std::vector<std::string> Args;
    TLortexLiteOptions UpdateOptions;
};

} // namespace

std::unique_ptr<IMainServices> CreateSystemServices(std::string ExePath,
                                                    std::vector<std::string> Arguments,
                                                    TLortexLiteOptions UpdateOptions) {
    return std::make_unique<TSystemServices>(std::move(ExePath), std::move(Arguments),
                                             std::move(UpdateOptions));
}
