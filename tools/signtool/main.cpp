// signtool for Linux: the Windows SDK tool's "sign" command over osslsigncode.
#include "tools/signtool/InPlaceSigner.h"
#include "tools/signtool/SignTool.h"

#include <cstdlib>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        // The token's PIN is taken out of the environment, so that
        // osslsigncode, which gets it through a pipe, does not inherit it.
        std::string Pin;
        if (const char* Value = std::getenv("QUORVEL_TOKEN_PIN"))
            Pin = Value;
        ::unsetenv("QUORVEL_TOKEN_PIN");
        const std::vector<std::string> Args(argv + 1, argv + argc);
        return RunSignTool(Args, std::cout, std::cerr,
                           [&Pin](const TSignRequest& Request, const std::string& Path) {
                               TSignRequest WithPin = Request;
                               WithPin.TokenPin = Pin;
                               return SignFileInPlace(WithPin, Path, "osslsigncode");
                           });
    } catch (const std::exception& Error) {
        std::cerr << ErrorPrefix << MaskSuccessWord(Error.what()) << std::endl;
        return 1;
    }
}
