// The name a file-open dialog starts from, shared by the views.
#pragma once

#include <string>

// LastChoice when its file name matches one of BarFilter's patterns
// ("Name|*.a;*.b;|Other|*.c;", letter case aside, "*.*" and "*" match every
// name); otherwise only its folder, with its trailing separator, or "" when it
// has none. The dialog so remembers the folder but never offers as its default
// a file of a kind its filter does not show (a certificate in the Add dialog).
std::string OpenDialogStartName(const std::string& LastChoice, const std::string& BarFilter);
