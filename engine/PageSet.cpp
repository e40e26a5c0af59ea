#include "engine/PageSet.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <string>

CString g_pageSet;
std::vector<std::pair<int, int>> g_pageRanges;

namespace {

// Numbers written out for all ranges of one text together. A longer
// expansion keeps its ranges in g_pageRanges instead; either way the same
// pages are selected.
constexpr int64_t maxExpandedNumbers = 100000;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trimmed(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

char Upper(char c)
{
    return char(std::toupper(static_cast<unsigned char>(c)));
}

// Upper case, with ";" and "." as ",", "_", "~" and "TO" as "-", and blanks
// dropped, in one pass. "TO" is read before blanks go, so "T O" stays.
std::string Separated(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = Upper(text[i]);
        if (c == 'T' && i + 1 < text.size() && Upper(text[i + 1]) == 'O') {
            out += '-';
            ++i;
        } else if (c == ';' || c == '.') {
            out += ',';
        } else if (c == '_' || c == '~') {
            out += '-';
        } else if (c != ' ') {
            out += c;
        }
    }
    return out;
}

// Reads like atoi (leading white space, a sign, digits, 0 without digits),
// saturating at the int range instead of overflowing.
int ReadInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT_MAX) + 1);
    value = negative ? -value : value;
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

struct Expansion {
    std::string output;
    int64_t expanded = 0;
};

void AppendRange(Expansion& set, const std::string& item, size_t dash)
{
    int low = ReadInt(item.substr(0, dash));
    int high = ReadInt(item.substr(dash + 1));
    if (low > high)
        std::swap(low, high);
    int64_t count = int64_t(high) - low + 1;
    if (set.expanded + count > maxExpandedNumbers) {
        g_pageRanges.emplace_back(low, high);
        return;
    }
    set.expanded += count;
    for (int64_t n = low; n <= high; ++n)
        set.output += std::to_string(n) + ",";
}

std::string Normalised(std::string text)
{
    text = Separated(text);
    if (text.empty() || text.back() != ',')
        text += ',';

    Expansion set;
    for (size_t start = 0, comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
        std::string item = text.substr(start, comma - start);
        size_t dash = item.find('-');
        if (dash == std::string::npos)
            set.output += item + ",";
        else
            AppendRange(set, item, dash);
    }
    if (set.output.empty() || set.output.back() != ',')
        set.output += ',';
    if (set.output.front() != ',')
        set.output.insert(0, ",");
    return set.output;
}

} // namespace

void SetPageSet(const char* text)
{
    g_pageRanges.clear();
    std::string trimmed = Trimmed(text ? text : "");
    g_pageSet = trimmed.empty() ? std::string() : Normalised(trimmed);
}

bool IsPageSelected(int n)
{
    if (g_pageSet.IsEmpty())
        return true;
    for (const auto& [low, high] : g_pageRanges)
        if (low <= n && n <= high)
            return true;
    return g_pageSet.Find(("," + std::to_string(n) + ",").c_str()) >= 0;
}
