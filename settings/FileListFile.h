// The file-list file (Quorvel.db in the data folder): one path per line in
// list order, each line followed by CR LF. Read back split at CR LF, a lone
// CR or a lone LF, a NUL ending the text; every line, empty ones included,
// is one entry.
#pragma once

#include <string>
#include <vector>

// EOSError naming the file when it exists but cannot be read.
std::vector<std::string> LoadFileListFile(const std::string& Path);
// Replaces the file atomically; EOSError naming the file on failure, the
// previous file left intact.
void SaveFileListFile(const std::string& Path, const std::vector<std::string>& Lines);
