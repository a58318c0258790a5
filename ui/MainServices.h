// Everything the main window's controller uses besides its window: the
// settings store, the data folder and portable steps, the log, the update
// checker, the command runner and the file tests of SignTool discovery.
// SystemServices.h wires the real modules; tests pass a recording fake.
#pragma once

#include "signing/CertStore.h"
#include "signing/CommandRunner.h"
#include "signing/SignOneFile.h"
#include "update/U_Lortex_Lite.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IUiDispatcher;
class TKLog;

// What the window lends its update checker: the boxes, shell and menu item
// of a check, the AutoCheckPending flag, and the top-level handling of an
// error raised while a result is handled. Outlives the checker.
class IUpdateCheckOwner : public IUpdateCheckPort {
public:
    virtual bool& AutoCheckPendingFlag() = 0;
    virtual void HandleUpdateError(const std::exception& Error) noexcept = 0;
};

// The window's side of the update checker (TLortexLite in the program).
class IMainUpdateChecker {
public:
    virtual ~IMainUpdateChecker() = default;
    // Checkforupdate1Click: does nothing while a check runs; otherwise starts
    // one whose result reaches the owner later, on the user-interface thread.
    virtual void Check() = 0;
};

class IMainServices {
public:
    virtual ~IMainServices() = default;

    // The running program: its full path and its arguments (without the path).
    virtual std::string ExePath() = 0;
    virtual std::vector<std::string> Arguments() = 0;
    // "a.b.c.d", "File not found" or empty (GetFileVersionText).
    virtual std::string FileVersionText(const std::string& Path) = 0;

    // The settings store (U_QuorvelFct).
    virtual std::string ReadSetting(const std::string& Name) = 0;
    virtual bool WriteSetting(const std::string& Name, const std::string& Value) = 0;
    virtual bool WriteIntSetting(const std::string& Name, std::int32_t Value) = 0;
    // Repairs the store made on its own, for the log once it exists.
    virtual std::vector<std::string> TakeStoreNotices() = 0;

    // The data folder, the file-list file and portable use (AppLifecycle.h),
    // all for the running executable.
    virtual void ImportPortableSettings() = 0;
    virtual void RecordRunningExecutable() = 0;
    virtual std::string LogFilePath() = 0;
    virtual std::vector<std::string> LoadFileList() = 0;
    virtual void SaveFileList(const std::vector<std::string>& Captions) = 0;
    virtual std::string CleanProgramVirtualStore() = 0;
    virtual bool IsInstalled() = 0;
    virtual void FinishPortableUse() = 0;

    // The log writer: at most 10000 entries, the previous file not loaded.
    virtual std::unique_ptr<TKLog> CreateLog(const std::string& FileName, bool Debug) = 0;
    // The environment entries of the start-up block, the first argument
    // among them, and "OpenSSL : " last.
    virtual void WriteEnvironmentFacts(TKLog& Log,
                                       const std::optional<std::string>& FirstArgument) = 0;

    virtual std::unique_ptr<IMainUpdateChecker>
    CreateUpdateChecker(TKLog& Log, IUiDispatcher& Dispatcher, IUpdateCheckOwner& Owner) = 0;

    // Runs the signing tool (RunAndCapture in the program).
    virtual TCommandRunner CommandRunner() = 0;
    // Runs it with variables added to its environment (RunAndCaptureWith):
    // a store certificate's PIN travels there, never on the command line.
    virtual std::uint32_t RunCommandWith(const std::string& CommandLine, std::string& Output,
                                         const TRunOptions& Options) = 0;

    // The certificates with a private key of the system's store or of the
    // tokens (ListStoreCertificates), and the check before a batch that one
    // is still there (IsStoreCertificatePresent).
    virtual std::vector<TStoreCertificate> StoreCertificates() = 0;
    virtual bool StoreCertificatePresent(const std::string& Thumbprint) = 0;

    // True for an existing file that is not a folder.
    virtual bool FileExists(const std::string& Path) = 0;
    // SignTool discovery: the SDK folder (with its trailing separator) and
    // its entries in listing order, "." and ".." included where listed.
    virtual std::string SignToolSdkFolder() = 0;
    virtual std::vector<std::string> ListFolder(const std::string& Folder) = 0;
};
