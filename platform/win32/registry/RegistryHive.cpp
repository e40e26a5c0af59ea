#include "platform/win32/registry/RegistryHive.h"

#include "platform/win32/HexDigit.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace {

const char kHeader[] = "vantrel registry 1";
// The header up to its version number.
const char kHeaderWord[] = "vantrel registry ";
// The UTF-8 byte order mark some editors put first.
const char kBom[] = "\xEF\xBB\xBF";

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

// The file's form of a name: "%XX" for "%", control characters and DEL,
// and for separators when the name is a key's.
std::string Escape(std::string_view name, bool keyName)
{
    std::string out;
    for (unsigned char c : name) {
        bool separator = c == '\\' || c == '/';
        if (c < 0x20 || c == 0x7F || c == '%' || (keyName && separator)) {
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
    for (size_t i = 0; i < text.size(); i += 3) {
        size_t percent = std::min(text.find('%', i), text.size());
        out.append(text.substr(i, percent - i)); // the plain run before it
        i = percent;
        if (i == text.size())
            break;
        if (i + 2 >= text.size())
            return false;
        int high = HexDigitValue(static_cast<unsigned char>(text[i + 1]));
        int low = HexDigitValue(static_cast<unsigned char>(text[i + 2]));
        if (high < 0 || low < 0)
            return false;
        out += char(high * 16 + low);
    }
    return true;
}

bool DecodeHex(std::string_view text, std::string& out)
{
    if (text.size() % 2 != 0)
        return false;
    out.resize(text.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int high = HexDigitValue(static_cast<unsigned char>(text[2 * i]));
        int low = HexDigitValue(static_cast<unsigned char>(text[2 * i + 1]));
        if (high < 0 || low < 0)
            return false;
        out[i] = char(high * 16 + low);
    }
    return true;
}

// A line's tab-separated fields; no line of the format has more than four.
struct Fields {
    static constexpr size_t kMost = 4;
    std::string_view field[kMost];
    size_t count = 0; // kMost + 1 when there are more
};

Fields SplitTabs(std::string_view line)
{
    Fields fields;
    for (size_t start = 0; fields.count <= Fields::kMost; ++fields.count) {
        size_t tab = std::min(line.find('\t', start), line.size());
        if (fields.count < Fields::kMost)
            fields.field[fields.count] = line.substr(start, tab - start);
        if (tab == line.size()) {
            ++fields.count;
            break;
        }
        start = tab + 1;
    }
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

// Calls visit with each name of "a\\b/c" in turn, skipping empty ones;
// stops early, returning false, when visit does.
template <class Visit>
bool ForEachKeyName(std::string_view path, Visit visit)
{
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start && !visit(path.substr(start, i - start)))
                return false;
            start = i + 1;
        }
    }
    return true;
}

// Finds subkeys and values by name in one step while a file is read, so a
// key with many of them reads in time linear in the file.
// Null, or false, past kMaxHiveKeys keys or kMaxHiveValues values.
class HiveIndex {
public:
    RegistryKey* Subkey(RegistryKey& parent, std::string name)
    {
        auto [slot, added] = keys_.try_emplace(Slot(&parent, name), nullptr);
        if (added && keys_.size() > kMaxHiveKeys) {
            overflowed_ = true;
            return nullptr;
        }
        if (added)
            slot->second = &parent.AddSubkey(std::move(name));
        return slot->second;
    }

    bool SetValue(RegistryKey& key, std::string name, DWORD type, std::string data)
    {
        auto [slot, added] = values_.try_emplace(Slot(&key, name), key.values.size());
        if (added && values_.size() > kMaxHiveValues) {
            overflowed_ = true;
            return false;
        }
        if (added)
            key.values.push_back(RegistryValue{std::move(name), type, {}});
        RegistryValue& value = key.values[slot->second];
        value.type = type;
        value.data = std::move(data);
        return true;
    }

    // Whether a file held more keys or values than it may.
    bool Overflowed() const { return overflowed_; }

private:
    // The owner's address, then the name with its letters folded.
    static std::string Slot(const void* owner, std::string_view name)
    {
        std::string slot(reinterpret_cast<const char*>(&owner), sizeof owner);
        slot.append(name);
        for (size_t i = sizeof owner; i < slot.size(); ++i)
            slot[i] = Fold(slot[i]);
        return slot;
    }

    std::unordered_map<std::string, RegistryKey*> keys_;
    std::unordered_map<std::string, size_t> values_;
    bool overflowed_ = false;
};

// A "K" line: the key, created along its path; null when the path is empty,
// nests deeper than keys may or does not unescape, and then nothing is made.
RegistryKey* ParseKeyLine(const Fields& fields, RegistryKey& root, HiveIndex& index)
{
    if (fields.count != 2)
        return nullptr;
    std::vector<std::string> names;
    bool ok = ForEachKeyName(fields.field[1], [&](std::string_view escaped) {
        std::string name;
        if (names.size() == kMaxKeyDepth || !Unescape(escaped, name))
            return false;
        names.push_back(std::move(name));
        return true;
    });
    RegistryKey* key = &root;
    for (size_t i = 0; ok && key && i < names.size(); ++i)
        key = index.Subkey(*key, std::move(names[i]));
    return ok && key && key != &root ? key : nullptr;
}

bool ParseValueLine(const Fields& fields, RegistryKey* key, HiveIndex& index)
{
    std::string name, data;
    DWORD type;
    if (!key || fields.count != 4 || !Unescape(fields.field[1], name) || !ParseType(fields.field[2], type) ||
        !DecodeHex(fields.field[3], data))
        return false;
    return index.SetValue(*key, std::move(name), type, std::move(data));
}

// The key's own line, when the file needs one, and its values' lines.
void FormatKey(const RegistryKey& key, const std::string& path, std::string& out)
{
    if (key.values.empty() && !key.subkeys.empty())
        return;
    out += "K\t" + path + "\n";
    for (const RegistryValue& value : key.values) {
        out += "V\t" + Escape(value.name, false) + "\t" + std::to_string(value.type) + "\t";
        for (unsigned char c : value.data) {
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        out += '\n';
    }
}


// The line without a CR before its line feed and without blanks after the
// header; sets marked when there was either.
std::string_view TrimmedLineEnd(std::string_view line, bool& marked)
{
    size_t kept = line.size();
    if (kept > 0 && line[kept - 1] == '\r')
        --kept;
    if (line.substr(0, sizeof kHeaderWord - 1) == kHeaderWord)
        while (kept > 0 && (line[kept - 1] == ' ' || line[kept - 1] == '\t'))
            --kept;
    marked = marked || kept != line.size();
    return line.substr(0, kept);
}

// A start that is our header cut short, or our header alone.
bool IsHeaderCut(std::string_view start)
{
    const std::string_view header = kHeader;
    return !start.empty() && header.substr(0, start.size()) == start;
}

// Digits with dots between them, as a header gives its version.
bool IsVersionNumber(std::string_view text)
{
    if (text.empty() || text.front() == '.' || text.back() == '.')
        return false;
    return text.find_first_not_of("0123456789.") == std::string_view::npos &&
           text.find("..") == std::string_view::npos;
}

// One line of the body; false when it does not parse, and then nothing of
// it is kept. A bad key line leaves no key for the values after it.
bool ParseLine(std::string_view line, RegistryKey& root, HiveIndex& index, RegistryKey*& key)
{
    Fields fields = SplitTabs(line);
    if (fields.field[0] == "K")
        return (key = ParseKeyLine(fields, root, index)) != nullptr;
    return fields.field[0] == "V" && ParseValueLine(fields, key, index);
}

// Reads every line that parses into the tree, skipping the others, a last
// line cut short among them; true when every line parsed as written. A file
// with more keys or values than it may hold reads as empty: no change could
// go into it.
bool ParseBody(std::string_view body, RegistryKey& root)
{
    HiveIndex index;
    RegistryKey* key = nullptr;
    bool whole = true;
    for (size_t start = 0; start < body.size() && !index.Overflowed();) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos)
            return false; // the file was cut: its last line is lost
        std::string_view line = body.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1); // an editor's line end
            whole = false;
        }
        whole = ParseLine(line, root, index, key) && whole;
        start = end + 1;
    }
    if (index.Overflowed()) {
        root.values.clear();
        root.subkeys.clear();
    }
    return whole;
}

} // namespace

RegistryKey::~RegistryKey()
{
    std::vector<std::unique_ptr<RegistryKey>> pending = std::move(subkeys);
    while (!pending.empty()) {
        std::unique_ptr<RegistryKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto& subkey : key->subkeys)
            pending.push_back(std::move(subkey));
        key->subkeys.clear();
    }
}

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
    ForEachKeyName(path, [&](std::string_view name) {
        names.emplace_back(name);
        return true;
    });
    return names;
}

HiveText HiveTextOfStart(std::string_view start)
{
    if (!start.empty() && start.find_first_not_of('\0') == std::string_view::npos)
        return HiveText::Damaged; // the leftover of a crash or a damaged disk
    bool marked = start.substr(0, sizeof kBom - 1) == kBom; // an editor's
    if (marked)
        start.remove_prefix(sizeof kBom - 1);
    size_t end = start.find('\n');
    if (end == std::string_view::npos) // cut inside the header line or right after it
        return IsHeaderCut(TrimmedLineEnd(start, marked)) ? HiveText::Damaged : HiveText::Foreign;
    std::string_view line = TrimmedLineEnd(start.substr(0, end), marked);
    if (line == kHeader)
        return marked ? HiveText::Damaged : HiveText::Ours;
    if (line.substr(0, sizeof kHeaderWord - 1) != kHeaderWord)
        return HiveText::Foreign;
    return IsVersionNumber(line.substr(sizeof kHeaderWord - 1)) ? HiveText::Foreign // another version
                                                                 : HiveText::Damaged;
}

HiveText ParseHive(const std::string& text, RegistryKey& root)
{
    root.values.clear();
    root.subkeys.clear();
    if (text.empty())
        return HiveText::Ours;
    const HiveText start = HiveTextOfStart(text);
    if (start == HiveText::Foreign)
        return start;
    const std::string_view body = std::string_view(text).substr(std::min(text.find('\n'), text.size() - 1) + 1);
    return ParseBody(body, root) && start == HiveText::Ours ? HiveText::Ours : HiveText::Damaged;
}

// Walks the tree depth first with a stack of its own, keeping one path
// that grows and shrinks by a name per level.
std::string FormatHive(const RegistryKey& root)
{
    struct Level {
        const RegistryKey* key;
        size_t next;     // the subkey to visit next
        size_t pathSize; // the key's path is this much of path
    };
    std::string out = std::string(kHeader) + "\n";
    std::string path;
    std::vector<Level> levels{{&root, 0, 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.key->subkeys.size()) {
            levels.pop_back();
            continue;
        }
        const RegistryKey& subkey = *level.key->subkeys[level.next++];
        path.resize(level.pathSize);
        if (level.key != &root)
            path += '\\';
        path += Escape(subkey.name, true);
        FormatKey(subkey, path, out);
        levels.push_back({&subkey, 0, path.size()});
    }
    return out;
}
