// Splitting file text into lines the way the program's text lists read
// files: at CR LF, a lone CR or a lone LF, with a NUL ending the text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitTextLines(std::string_view Text);
