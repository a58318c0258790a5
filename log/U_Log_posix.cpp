#include "U_Log.h"

#include "QuorvelErrors.h"

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
struct TFd {
    int Fd;
    ~TFd() {
        if (Fd >= 0)
            close(Fd);
    }
};

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
    TFd File{open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (File.Fd < 0)
        RaiseLastOSError();
    std::size_t Done = 0;
    while (Done < Text.size()) {
        const ssize_t N = write(File.Fd, Text.data() + Done, Text.size() - Done);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            RaiseLastOSError();
        }
        Done += static_cast<std::size_t>(N);
    }
}

bool ReadLogFileText(const std::string& FileName, std::string& Text) {
    TFd File{open(FileName.c_str(), O_RDONLY | O_CLOEXEC)};
    if (File.Fd < 0)
        return false;
    Text.clear();
    char Buffer[65536];
    for (;;) {
        const ssize_t N = read(File.Fd, Buffer, sizeof Buffer);
        if (N < 0 && errno == EINTR)
            continue;
        if (N < 0)
            return false;
        if (N == 0)
            return true;
        Text.append(Buffer, static_cast<std::size_t>(N));
    }
}
