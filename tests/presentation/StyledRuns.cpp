#include "tests/presentation/StyledRuns.h"

#include "platform/win32/Utf16.h"
#include "tests/presentation/ExternalReaders.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

// PoiCheck's escaped text: printable ASCII as is, the rest as \uXXXX.
std::u16string Unescape(const std::string& escaped)
{
    std::u16string out;
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 5 < escaped.size() && escaped[i + 1] == 'u') {
            out += char16_t(std::strtoul(escaped.substr(i + 2, 4).c_str(), nullptr, 16));
            i += 5;
        } else {
            out += char16_t(static_cast<unsigned char>(escaped[i]));
        }
    }
    return out;
}

// The text without blanks at either end: readers lay those out their own way.
std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "  chars START LENGTH FONT NAME SIZE bN iN uN RRGGBB"
bool ParseChars(const std::string& line, size_t& start, size_t& length, StyledRun& run)
{
    std::istringstream in(line);
    std::string word;
    std::vector<std::string> words;
    while (in >> word) words.push_back(word);
    if (words.size() < 9 || words[0] != "chars") return false;
    start = std::stoul(words[1]);
    length = std::stoul(words[2]);
    size_t n = words.size();
    run.colour = words[n - 1];
    run.bold = words[n - 4] == "b1";
    run.italic = words[n - 3] == "i1";
    run.size = std::atof(words[n - 5].c_str());
    run.font.clear();
    for (size_t i = 3; i < n - 5; ++i) run.font += (i > 3 ? " " : "") + words[i];
    return true;
}

std::string Attribute(const std::string& tag, const std::string& name)
{
    size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return {};
    at += name.size() + 3;
    return tag.substr(at, tag.find('"', at) - at);
}

std::string Entities(const std::string& text)
{
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (auto [from, to] : entities)
            if (text.compare(i, std::strlen(from), from) == 0) {
                out += to, i += std::strlen(from), replaced = true;
                break;
            }
        if (!replaced) out += text[i++];
    }
    return out;
}

// The text of a span's content: character data, spaces (text:s), tabs.
std::string SpanText(const std::string& xml)
{
    std::string out;
    for (size_t i = 0; i < xml.size();) {
        if (xml[i] != '<') {
            size_t end = xml.find('<', i);
            out += Entities(xml.substr(i, end - i));
            i = end == std::string::npos ? xml.size() : end;
            continue;
        }
        size_t end = xml.find('>', i);
        std::string tag = xml.substr(i, end - i);
        if (tag.rfind("<text:s", 0) == 0 && (tag.size() == 7 || tag[7] == ' ' || tag[7] == '/')) {
            std::string count = Attribute(tag, "text:c");
            out.append(count.empty() ? 1 : std::stoul(count), ' ');
        } else if (tag.rfind("<text:tab", 0) == 0) {
            out += '\t';
        }
        i = end == std::string::npos ? xml.size() : end + 1;
    }
    return out;
}

bool SameFormat(const StyledRun& a, const StyledRun& b)
{
    return a.font == b.font && std::fabs(a.size - b.size) < 0.01 && a.bold == b.bold && a.italic == b.italic &&
           a.colour == b.colour;
}

std::string Describe(const StyledRun& r)
{
    std::ostringstream out;
    out << '"' << r.text << "\" " << r.font << " " << r.size << (r.bold ? " bold" : "") << (r.italic ? " italic" : "")
        << " " << r.colour;
    return out.str();
}

} // namespace

std::vector<StyledRun> PoiRuns(const std::string& description)
{
    std::vector<StyledRun> runs;
    std::istringstream in(description);
    std::u16string text;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("  text \"", 0) == 0) {
            text = Unescape(line.substr(8, line.rfind("\" wrap") - 8));
            continue;
        }
        size_t start = 0, length = 0;
        StyledRun run;
        if (line.rfind("  chars ", 0) != 0 || !ParseChars(line.substr(2), start, length, run)) continue;
        std::u16string part = text.substr(std::min(start, text.size()), length);
        // Paragraph and line ends part the run as they part the converted paragraphs.
        for (size_t from = 0; from <= part.size();) {
            size_t end = part.find_first_of(u"\r\v", from);
            if (end == std::u16string::npos) end = part.size();
            run.text = Trimmed(Utf8FromWide(part.data() + from, end - from));
            if (!run.text.empty()) runs.push_back(run);
            from = end + 1;
        }
    }
    return runs;
}

std::vector<StyledRun> OdpRuns(const std::string& xml)
{
    std::map<std::string, StyledRun> styles;
    for (size_t at = xml.find("<style:style "); at != std::string::npos; at = xml.find("<style:style ", at + 1)) {
        std::string name = Attribute(xml.substr(at, xml.find('>', at) - at), "style:name");
        size_t close = xml.find("</style:style>", at);
        size_t props = xml.find("<style:text-properties ", at);
        if (props == std::string::npos || props > close) continue;
        std::string tag = xml.substr(props, xml.find('>', props) - props);
        StyledRun& s = styles[name];
        s.font = Attribute(tag, "fo:font-family");
        if (s.font.size() > 1 && s.font.front() == '\'') s.font = s.font.substr(1, s.font.size() - 2);
        s.size = std::atof(Attribute(tag, "fo:font-size").c_str());
        s.bold = Attribute(tag, "fo:font-weight") == "bold";
        s.italic = Attribute(tag, "fo:font-style") == "italic";
        s.colour = Attribute(tag, "fo:color");
        if (!s.colour.empty() && s.colour[0] == '#') s.colour.erase(0, 1);
        for (char& c : s.colour) c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    std::vector<StyledRun> runs;
    for (size_t p = xml.find("<text:p"); p != std::string::npos; p = xml.find("<text:p", p + 1)) {
        size_t end = xml.find("</text:p>", p);
        if (end == std::string::npos) break;
        bool first = true;
        for (size_t s = xml.find("<text:span ", p); s < end; s = xml.find("<text:span ", s + 1)) {
            size_t open = xml.find('>', s), close = xml.find("</text:span>", s);
            if (open == std::string::npos || close == std::string::npos || close > end) break;
            StyledRun run = styles[Attribute(xml.substr(s, open - s), "text:style-name")];
            run.text = SpanText(xml.substr(open + 1, close - open - 1));
            if (!first && SameFormat(runs.back(), run)) runs.back().text += run.text;
            else runs.push_back(run);
            first = false;
        }
    }
    return runs;
}

std::vector<std::string> MissingRuns(const std::vector<StyledRun>& expected, const std::vector<StyledRun>& found)
{
    std::vector<std::string> missing;
    for (const StyledRun& want : expected) {
        bool seen = false;
        for (const StyledRun& got : found) seen = seen || (SameFormat(want, got) && got.text.find(want.text) != std::string::npos);
        if (!seen) missing.push_back("no run " + Describe(want));
    }
    return missing;
}

std::vector<std::string> CalligraMisses(const std::string& deck, const std::string& poiDescription)
{
    std::filesystem::path path(deck);
    std::string odp = (path.parent_path() / (path.stem().string() + ".odp")).string();
    CommandResult conversion = ConvertWithCalligra(deck, odp);
    if (conversion.status != 0) return {"Calligra cannot convert " + deck + ":\n" + conversion.output};
    std::vector<StyledRun> found = OdpRuns(ZipMember(odp, "content.xml"));
    std::vector<std::string> missing = MissingRuns(PoiRuns(poiDescription), found);
    if (!missing.empty()) {
        std::string seen = "Calligra's runs:";
        for (const StyledRun& r : found) seen += "\n  " + Describe(r);
        missing.push_back(seen);
    }
    return missing;
}
