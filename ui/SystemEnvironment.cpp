#include "SystemEnvironment.h"

#include "EnvProbe.h"
#include "U_HTTP_Custo.h"

void WriteSystemEnvironmentFacts(TKLog& Log, const std::optional<std::string>& FirstArgument) {
    // The OpenSSL text is asked for last: its first call loads the library.
    WriteEnvironmentFacts(Log, FirstArgument, [] { return GetOpenSSLVersionText(); });
}
