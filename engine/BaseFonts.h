// The PDF core's base-14 fonts from the "Resource" folder beside the program.
#pragma once

#include <string>

class GlobalParams;

// The running program's folder + "Resource"; empty when the program's
// path cannot be had whole.
std::string BaseFontFolder();

// Hands the folder to the core and registers, by font name, each base-14
// Type 1 file found there (the URW file name or <font name>.pfb). Returns
// how many were registered: none for an empty folder.
int SetupBaseFonts(GlobalParams* params, const std::string& folder);
