// A GUID as registry-format text.
#pragma once

#include "platform/win32/wintypes.h"

#include <string>

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string GuidToString(const GUID& guid);
