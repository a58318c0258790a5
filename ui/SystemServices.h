// The real modules behind the main window's services port: the settings
// store, the data folder and portable steps, the log, the environment probe,
// the update checker, the command runner and SignTool discovery.
#pragma once

#include "ui/MainServices.h"
#include "update/U_Lortex_Lite.h"

#include <memory>
#include <string>
#include <vector>

// ExePath: the running executable's full path; Arguments: the command-line
// arguments after it. UpdateOptions are the update checker's (tests point it
// at a local server).
std::unique_ptr<IMainServices> CreateSystemServices(std::string ExePath,
                                                    std::vector<std::string> Arguments,
                                                    TLortexLiteOptions UpdateOptions = {});
