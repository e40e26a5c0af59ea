// The registry calls the program and the engine make.
//
// HKEY_CURRENT_USER persists in one file per user: $VANTREL_REGISTRY when set,
// else $XDG_CONFIG_HOME/vantrel/registry, else ~/.config/vantrel/registry.
// Every call reads the file afresh (inside a RegistryReadScope or a
// RegistryChangeScope, once per scope) and every change rewrites it at once
// (inside a RegistryChangeScope, once when the scope ends), so processes
// sharing it keep each other's keys. A file that is plainly another
// program's (another first line, a binary file) or that cannot be read (no
// regular file, no right to read it) reads as empty and is never written. A
// damaged copy of ours reads as what of it still parses (a bad line is
// skipped, a last line cut short is lost; see HiveText), and the first change
// keeps it as "<file>.damaged" (then "-2", "-3", ...; the newest few are
// kept) before the file is written afresh; nothing is written without a
// change. Damaged too: one of NULs only, one cut inside or just after its
// header line, one with CR LF line ends, a byte order mark or blanks after
// its header, and one that starts as ours but is over the size limit (which
// reads as empty, as does one with more than kMaxHiveKeys keys or
// kMaxHiveValues values). A key nested deeper than kMaxKeyDepth is a line
// that does not parse. A change
// whose file would be too large to read back is refused and leaves the file
// as it was. A value on HKEY_CURRENT_USER itself is refused
// (ERROR_ACCESS_DENIED): the file keeps values in keys only. A file that is
// a symbolic link is rewritten where the link points.
//
// HKEY_LOCAL_MACHINE lives in this process's memory only.
//
// Key and value names compare ignoring ASCII letter case. Values keep the
// order in which they were first set.
#pragma once

#include "platform/win32/wintypes.h"

#include <string>

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

// Opens, creating when missing, every key along lpSubKey ("a\\b\\c"; "/"
// also separates). Creating needs KEY_CREATE_SUB_KEY on hKey. A key below
// kMaxKeyDepth levels gives ERROR_INVALID_PARAMETER.
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes,
                     PHKEY phkResult, LPDWORD lpdwDisposition);

// Opens an existing key; ERROR_FILE_NOT_FOUND when it is missing.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// With lpData null, reports the size in *lpcbData. A buffer too small gives
// ERROR_MORE_DATA with the size needed in *lpcbData. Needs KEY_QUERY_VALUE.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

// Stores cbData bytes as given. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE* lpData, DWORD cbData);

// The value at dwIndex: *lpcchValueName holds the name buffer's size on entry
// and the name's length on return. ERROR_NO_MORE_ITEMS past the last value,
// ERROR_MORE_DATA when the name or the data does not fit. Needs KEY_QUERY_VALUE.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

LONG RegCloseKey(HKEY hKey);

// The file that holds HKEY_CURRENT_USER; empty when no home folder is known.
std::string UserRegistryPath();
