#pragma once

// Commands of the Windows backend check; each prints what it saw and returns the exit code.

#include <string>
#include <vector>

using Args = std::vector<std::string>;

int CheckCodePage(const Args& args);
int ListAdapters(const Args& args);
int ListConfigurations(const Args& args);
int ConfigureStatic(const Args& args);
int ConfigureDhcp(const Args& args);
int Echo(const Args& args);
int Trace(const Args& args);
int Dhcp(const Args& args);
