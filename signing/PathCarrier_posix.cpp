#include "signing/PathCarrier.h"

bool CommandLineCarriesPath(const std::string& Path) {
    return Path.find('"') == std::string::npos && (Path.empty() || Path.back() != '\\');
}
