// The Windows fonts folder.
#pragma once

#include <string>

// The Windows folder + "/fonts/"; empty when there is no Windows folder.
std::string WindowsFontsFolder();
