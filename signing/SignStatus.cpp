#include "signing/SignStatus.h"

#include "core/AnsiText.h"

bool TextContains(std::string_view Needle, std::string_view Haystack) {
    return ContainsTextAZ(Needle, Haystack);
}
