// Opening a document, a web page or a mail link with the program the desktop
// associates with it. Results are ignored by every caller: a missing browser
// or mail program is never reported.
#pragma once

#include <string>

// ShellExecuteA: owner window (may be null), default verb, the address as the
// file, no parameters or folder, shown normally.
void ShellOpen(void* OwnerWindow, const std::string& Address);

// ShellExecuteExA: default verb, no parameters, shown normally, environment
// variables in the address expanded, no error dialogs from the shell.
void ShellOpenEx(const std::string& Target);
