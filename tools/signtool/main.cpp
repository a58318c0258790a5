// signtool for Linux: the Windows SDK tool's "sign" command over osslsigncode.
#include "InPlaceSigner.h"
#include "SignTool.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> Args(argv + 1, argv + argc);
        return RunSignTool(Args, std::cout, std::cerr,
                           [](const TSignRequest& Request, const std::string& Path) {
                               return SignFileInPlace(Request, Path, "osslsigncode");
                           });
    } catch (const std::exception& Error) {
        std::cerr << ErrorPrefix << MaskSuccessWord(Error.what()) << std::endl;
        return 1;
    }
}
