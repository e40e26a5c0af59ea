// The registry's key tree and its text form in the per-user file.
//
// The file's first line is the format's name; each key follows as a line
// "K", tab, its path from the root, and each of its values as a line "V",
// tab, name, tab, type in decimal, tab, data in hexadecimal. A key without
// values that has subkeys needs no line of its own: its subkeys' paths make
// it. Names escape "%", control characters and DEL as "%XX", key names "\"
// and "/" too. Every line ends in a line feed.
#pragma once

#include "platform/win32/wintypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct RegistryValue {
    std::string name;
    DWORD type = 0;
    std::string data;
};

// The real registry's bound on how deep keys nest; a file with deeper keys
// is damaged, and no deeper key is created.
constexpr size_t kMaxKeyDepth = 512;
// How many keys and how many values a file may hold; a file with more is
// damaged, and no change makes more. Settings hold a few dozen.
constexpr size_t kMaxHiveKeys = 16384;
constexpr size_t kMaxHiveValues = 16384;

struct RegistryKey {
    RegistryKey() = default;
    ~RegistryKey(); // frees the subkeys without recursing
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    std::string name;
    std::vector<RegistryValue> values;
    std::vector<std::unique_ptr<RegistryKey>> subkeys;

    // Names compare ignoring ASCII letter case; null when missing.
    RegistryKey* Subkey(std::string_view subkeyName);
    RegistryKey* Descend(const std::vector<std::string>& path);
    RegistryValue* Value(std::string_view valueName);

    RegistryKey& AddSubkey(std::string subkeyName);
    // Replaces the value of that name in place, or appends a new one.
    void SetValue(std::string_view valueName, DWORD type, std::string data);
};

// Splits "a\\b/c" into its names, dropping empty ones.
std::vector<std::string> SplitKeyPath(std::string_view path);

enum class HiveText {
    Ours,     // parsed whole into the tree
    Damaged,  // a damaged copy of ours, the tree holding every line that
              // parses: our header with lines that do not parse (skipped),
              // a last line cut short (lost), CR LF line ends, a byte order
              // mark or blanks after the header (read as if absent); or a
              // header cut short, or only NULs
    Foreign,  // not a registry file of this format, or of another version
};

// Whose file the text is, from its start alone: Ours when it starts with
// our header line, Damaged when it starts as only a damaged copy of ours
// does, else Foreign. Enough for a file too large to read whole.
HiveText HiveTextOfStart(std::string_view start);

HiveText ParseHive(const std::string& text, RegistryKey& root);
std::string FormatHive(const RegistryKey& root);
