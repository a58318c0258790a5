#include "SystemEnvironment.h"

#include "U_HTTP_Custo.h"
#include "U_Log.h"

// Used only while the environment probe library is not part of the tree:
// the OpenSSL entry alone, so the start-up block stays readable.
void WriteSystemEnvironmentFacts(TKLog& Log, const std::optional<std::string>& FirstArgument) {
    if (FirstArgument)
        Log.Write(*FirstArgument, LogInfo);
    Log.Write("OpenSSL : " + GetOpenSSLVersionText(), LogInfo);
}
