#include "tests/helpers/ChildProc.h"

std::string ChildProcCommandLine(std::string_view Arguments) {
    std::string Line = "\"" + ChildProcPath() + "\"";
    if (!Arguments.empty()) {
        Line += ' ';
        Line += Arguments;
    }
    return Line;
}
