#include "log/U_Log.h"

#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"

#include <cerrno>
#include <clocale>
#include <ctime>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The character between hours and minutes in a strftime time pattern.
char SeparatorOfTimeFormat(std::string_view Format) {
    for (std::size_t I = 0; I + 2 < Format.size(); ++I) {
        if (Format[I] == '%' && (Format[I + 1] == 'H' || Format[I + 1] == 'I' ||
                                 Format[I + 1] == 'k' || Format[I + 1] == 'l')) {
            const char Next = Format[I + 2];
            return Next == '%' ? ':' : Next;
        }
    }
    return ':';
}
} // namespace

TLogTime LocalLogTime() {
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    return {Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday,
            Local.tm_hour,        Local.tm_min,     Local.tm_sec};
}

char LocaleTimeSeparator() {
    // The user's LC_TIME from the environment, without touching the
    // process-wide locale.
    locale_t Locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!Locale)
        return ':';
    const char* Format = nl_langinfo_l(T_FMT, Locale);
    const char Separator = SeparatorOfTimeFormat(Format ? Format : "");
    freelocale(Locale);
    return Separator;
}

std::string LogFolderOf(const std::string& FileName) {
    const auto Slash = FileName.rfind('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

bool LogFolderExists(const std::string& Folder) {
    struct stat Info {};
    return !Folder.empty() && stat(Folder.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

void WriteLogFileText(const std::string& FileName, const std::string& Text) {
    TUniqueFd File{open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (!File.IsOpen())
        RaiseLastOSError();
    if (const int Code = WriteAllToFd(File.Get(), Text))
        RaiseOSError(static_cast<std::uint32_t>(Code));
}

bool ReadLogFileText(const std::string& FileName, std::string& Text) {
    TUniqueFd File{open(FileName.c_str(), O_RDONLY | O_CLOEXEC)};
    return File.IsOpen() && ReadAllFromFd(File.Get(), Text) == 0;
}
