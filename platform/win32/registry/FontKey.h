// The installed-font list of HKEY_LOCAL_MACHINE, served from fontconfig.
#pragma once

#include "platform/win32/registry/RegistryHive.h"

// The key that lists installed fonts on NT-family systems.
extern const char* const kFontKeyPath;

// Adds the key under the machine hive with one REG_SZ value per scalable
// TrueType or OpenType face fontconfig knows: named "<full name>
// (TrueType)", holding the face's file as a full path. Values are in name
// order, ignoring case.
void FillFontKey(RegistryKey& machine);
