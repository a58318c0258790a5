// Opening a document, a web page or a mail link with the program the desktop
// associates with it. Web pages and mail links ignore the result: a missing
// browser or mail program is never reported. Opening the log says so.
#pragma once

#include <string>

// ShellExecuteA: owner window (may be null), default verb, the address as the
// file, no parameters or folder, shown normally.
void ShellOpen(void* OwnerWindow, const std::string& Address);

// ShellExecuteExA: default verb, no parameters, shown normally, environment
// variables in the address expanded, no error dialogs from the shell. False
// when the shell could not start it (Linux: the opener, xdg-open, could not
// be started, as when it is not installed).
bool ShellOpenEx(const std::string& Target);
