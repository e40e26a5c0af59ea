#include "platform/win32/RegistryHive.h"

#include "platform/win32/HexDigit.h"

#include <cstdlib>

namespace {

const char kHeader[] = "vantrel registry 1";

char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

const char kHex[] = "0123456789abcdef";

std::string Escape(std::string_view name)
{
    std::string out;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int high = HexDigitValue(static_cast<unsigned char>(text[i + 1]));
        int low = HexDigitValue(static_cast<unsigned char>(text[i + 2]));
        if (high < 0 || low < 0)
            return false;
        out += char(high * 16 + low);
        i += 2;
    }
    return true;
}

bool DecodeHex(std::string_view text, std::string& out)
{
    if (text.size() % 2 != 0)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigitValue(static_cast<unsigned char>(text[i]));
        int low = HexDigitValue(static_cast<unsigned char>(text[i + 1]));
        if (high < 0 || low < 0)
            return false;
        out += char(high * 16 + low);
    }
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool ParseType(std::string_view text, DWORD& type)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > 0xFFFFFFFFu)
        return false;
    type = DWORD(value);
    return true;
}

// A "K" line: the key, created along its path.
RegistryKey* ParseKeyLine(const std::vector<std::string_view>& fields, RegistryKey& root)
{
    if (fields.size() != 2)
        return nullptr;
    RegistryKey* key = &root;
    for (const std::string& escaped : SplitKeyPath(fields[1])) {
        std::string name;
        if (!Unescape(escaped, name))
            return nullptr;
        RegistryKey* next = key->Subkey(name);
        key = next ? next : &key->AddSubkey(name);
    }
    return key == &root ? nullptr : key;
}

bool ParseValueLine(const std::vector<std::string_view>& fields, RegistryKey* key)
{
    std::string name, data;
    DWORD type;
    if (!key || fields.size() != 4 || !Unescape(fields[1], name) || !ParseType(fields[2], type) ||
        !DecodeHex(fields[3], data))
        return false;
    key->SetValue(name, type, std::move(data));
    return true;
}

void FormatKey(const RegistryKey& key, const std::string& path, std::string& out)
{
    out += "K\t" + path + "\n";
    for (const RegistryValue& value : key.values) {
        out += "V\t" + Escape(value.name) + "\t" + std::to_string(value.type) + "\t";
        for (unsigned char c : value.data) {
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        out += '\n';
    }
    for (const auto& subkey : key.subkeys)
        FormatKey(*subkey, path + "\\" + Escape(subkey->name), out);
}

} // namespace

RegistryKey* RegistryKey::Subkey(std::string_view subkeyName)
{
    for (auto& subkey : subkeys)
        if (SameName(subkey->name, subkeyName))
            return subkey.get();
    return nullptr;
}

RegistryKey* RegistryKey::Descend(const std::vector<std::string>& path)
{
    RegistryKey* key = this;
    for (size_t i = 0; key && i < path.size(); ++i)
        key = key->Subkey(path[i]);
    return key;
}

RegistryValue* RegistryKey::Value(std::string_view valueName)
{
    for (RegistryValue& value : values)
        if (SameName(value.name, valueName))
            return &value;
    return nullptr;
}

RegistryKey& RegistryKey::AddSubkey(std::string subkeyName)
{
    subkeys.push_back(std::make_unique<RegistryKey>());
    subkeys.back()->name = std::move(subkeyName);
    return *subkeys.back();
}

void RegistryKey::SetValue(std::string_view valueName, DWORD type, std::string data)
{
    RegistryValue* value = Value(valueName);
    if (!value) {
        values.push_back(RegistryValue{std::string(valueName), type, {}});
        value = &values.back();
    }
    value->type = type;
    value->data = std::move(data);
}

std::vector<std::string> SplitKeyPath(std::string_view path)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start)
                names.emplace_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

HiveText ParseHive(const std::string& text, RegistryKey& root)
{
    root.values.clear();
    root.subkeys.clear();
    if (text.empty())
        return HiveText::Ours;
    size_t end = text.find('\n');
    if (end == std::string::npos || text.compare(0, end, kHeader) != 0)
        return HiveText::Foreign;
    RegistryKey* key = nullptr;
    bool ok = true;
    for (size_t start = end + 1; ok && start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            break; // a last line without its line feed: the file was cut
        std::vector<std::string_view> fields = SplitTabs(std::string_view(text).substr(start, end - start));
        if (fields[0] == "K")
            ok = (key = ParseKeyLine(fields, root)) != nullptr;
        else if (fields[0] == "V")
            ok = ParseValueLine(fields, key);
        else
            ok = false;
    }
    if (ok && end + 1 == text.size())
        return HiveText::Ours;
    root.values.clear();
    root.subkeys.clear();
    return HiveText::Damaged;
}

std::string FormatHive(const RegistryKey& root)
{
    std::string out = std::string(kHeader) + "\n";
    for (const auto& subkey : root.subkeys)
        FormatKey(*subkey, Escape(subkey->name), out);
    return out;
}
