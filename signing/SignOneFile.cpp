#include "signing/SignOneFile.h"

#include "signing/PathCarrier.h"

namespace {

constexpr std::uint32_t ToolFailed = 1;

// Why the tool cannot be given this command, or empty when it can. The texts
// hold neither of the words the batch looks for in the tool's output.
std::string Refusal(const TSigningSettings& Settings, const std::string& Path) {
    auto Sentence = [](const char* What) {
        return std::string("Not signed: the ") + What +
               " contains a double quote or ends with a backslash, which the signing "
               "tool's command line cannot carry.";
    };
    if (!CommandLineCarriesPath(Path))
        return Sentence("file path");
    if (Settings.CertSource == TCertSource::Store) {
        // The tool would otherwise pick whatever certificate it matches, or
        // take the rest of the text as further arguments.
        if (NormalizeThumbprint(Settings.CertThumbprint).empty())
            return "Not signed: the certificate's thumbprint is not 40 hexadecimal digits.";
    } else if (!CommandLineCarriesPath(Settings.Certificate))
        return Sentence("certificate path");
    if (!CommandLineCarriesPath(Settings.SignTool))
        return Sentence("signing tool path");
    return {};
}

} // namespace

std::uint32_t SignOneFile(ILogPane& Pane, const TCommandRunner& Run,
                          const TSigningSettings& Settings, const std::string& Path,
                          std::string& Output) {
    Pane.Add(">> " + Path);
    Output.clear();
    std::uint32_t ExitCode = ToolFailed;
    std::string Reason = Refusal(Settings, Path);
    if (Reason.empty())
        ExitCode = Run(BuildSignCommandLine(Settings, Path), Output);
    else
        Output = std::move(Reason);
    Pane.Add(Output);
    Pane.Add("---------------");
    return ExitCode;
}
