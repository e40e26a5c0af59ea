#include "platform/presentation/TextBody.h"

#include <algorithm>
#include <cassert>

namespace presentation {

static std::u16string withParagraphBreaks(const std::u16string& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        out += (c == u'\n') ? u'\r' : c;
    }
    return out;
}

static bool fitsInBytes(const std::u16string& text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 0xFF; });
}

// A stored character as a character of the other kind: a byte is the
// character's low byte.
template <class Char> static Char as(char c) { return Char(uint8_t(c)); }
template <class Char> static Char as(char16_t c) { return Char(c); }

// old with the span's characters replaced by inserted, in a string of
// exactly that size and of Out's kind.
template <class Out, class In>
static Out spliced(const In& old, TextSpan span, const std::u16string& inserted)
{
    using Char = typename Out::value_type;
    Out out;
    out.reserve(old.size() - span.length + inserted.size());
    for (size_t i = 0; i < span.start; ++i) out += as<Char>(old[i]);
    for (char16_t c : inserted) out += as<Char>(c);
    for (size_t i = span.start + span.length; i < old.size(); ++i) out += as<Char>(old[i]);
    return out;
}

TextBody::TextBody() : TextBody(std::make_shared<CharFormatTable>()) {}

TextBody::TextBody(std::shared_ptr<CharFormatTable> formats) : formats_(std::move(formats)) {}

std::u16string TextBody::text() const
{
    return textOf({0, length()});
}

size_t TextBody::length() const
{
    return std::visit([](const auto& chars) { return chars.size(); }, text_);
}

// The whole text replaced by itself and more, as "Text = Text & more"
// does: only the characters after the old ones are stored and normalised,
// and the runs become the one run they become in the general case.
bool TextBody::appendInPlace(TextSpan span, const std::u16string& text)
{
    const size_t old = length();
    if (span.start != 0 || span.length != old || text.size() < old) return false;
    bool same = std::visit([&](const auto& chars) {
        for (size_t i = 0; i < old; ++i)
            if (as<char16_t>(chars[i]) != text[i]) return false;
        return true;
    }, text_);
    if (!same) return false;
    uint32_t format = formatIndexAt(0);
    // An LF right after a stored paragraph break is that break's CR LF.
    size_t from = old;
    if (old > 0 && from < text.size() && text[from] == u'\n' && textOf({old - 1, 1}) == u"\r") ++from;
    std::u16string added = withParagraphBreaks(text.substr(from));
    if (isNarrow() && fitsInBytes(added)) {
        std::string& bytes = std::get<std::string>(text_);
        for (char16_t c : added) bytes += as<char>(c);
    } else {
        if (isNarrow()) text_ = spliced<std::u16string>(narrowText(), {old, 0}, u"");
        std::get<std::u16string>(text_) += added;
    }
    runs_.clear();
    found_ = {};
    if (length() > 0) runs_.push_back(TextRun{uint32_t(length()), format});
    endFormat_ = format;
    return true;
}

void TextBody::replace(TextSpan span, const std::u16string& text)
{
    if (appendInPlace(span, text)) return;
    bool throughEnd = span.start + span.length == length();
    uint32_t format = formatIndexAt(span.length > 0 || span.start == 0 ? span.start : span.start - 1);
    std::u16string inserted = withParagraphBreaks(text);
    size_t first = splitAt(span.start), last = splitAt(span.start + span.length);
    runs_.erase(runs_.begin() + long(first), runs_.begin() + long(last));
    if (!inserted.empty()) runs_.insert(runs_.begin() + long(first), TextRun{uint32_t(inserted.size()), format});
    mergeRuns();
    if (isNarrow() && fitsInBytes(inserted)) {
        text_ = spliced<std::string>(narrowText(), span, inserted);
    } else {
        auto wide = std::visit([&](const auto& old) { return spliced<std::u16string>(old, span, inserted); }, text_);
        if (fitsInBytes(wide)) text_ = spliced<std::string>(wide, {}, u"");
        else text_ = std::move(wide);
    }
    if (throughEnd) endFormat_ = format;
}

std::u16string TextBody::textOf(TextSpan span) const
{
    return std::visit([&](const auto& chars) {
        std::u16string out;
        out.reserve(span.length);
        for (size_t i = span.start; i < span.start + span.length; ++i) out += as<char16_t>(chars[i]);
        return out;
    }, text_);
}

TextSpan TextBody::clip(long start, long length) const
{
    long size = long(this->length());
    long first = std::clamp(start - 1, 0L, size);
    long count = std::clamp(length, 0L, size - first);
    return {size_t(first), size_t(count)};
}

uint32_t TextBody::formatIndexAt(size_t index) const
{
    size_t run = runAt(index).first;
    return run < runs_.size() ? runs_[run].format : endFormat_;
}

std::pair<size_t, size_t> TextBody::runAt(size_t at) const
{
    RunPosition p = found_.run < runs_.size() && found_.start <= at ? found_ : RunPosition{};
    while (p.run < runs_.size() && at >= p.start + runs_[p.run].length) p.start += runs_[p.run++].length;
    if (p.run < runs_.size()) found_ = p;
    return {p.run, p.start};
}

size_t TextBody::splitAt(size_t at)
{
    auto [i, start] = runAt(at);
    assert(i < runs_.size() || at == start);
    if (at == start) return i;
    TextRun tail{uint32_t(start + runs_[i].length - at), runs_[i].format};
    runs_[i].length = uint32_t(at - start);
    runs_.insert(runs_.begin() + long(i) + 1, tail);
    return i + 1;
}

void TextBody::mergeRuns()
{
    found_ = {};
    size_t kept = 0;
    for (const TextRun& run : runs_) {
        if (run.length == 0) continue;
        if (kept > 0 && runs_[kept - 1].format == run.format) runs_[kept - 1].length += run.length;
        else runs_[kept++] = run;
    }
    runs_.resize(kept);
}

void TextBody::mergeRunsAround(size_t first, size_t last, size_t start)
{
    const size_t from = first > 0 ? first - 1 : 0, to = std::min(last + 1, runs_.size());
    const size_t fromStart = first > 0 ? start - runs_[first - 1].length : 0;
    size_t kept = from;
    for (size_t i = from; i < to; ++i) {
        if (kept > from && runs_[kept - 1].format == runs_[i].format) runs_[kept - 1].length += runs_[i].length;
        else runs_[kept++] = runs_[i];
    }
    runs_.erase(runs_.begin() + long(kept), runs_.begin() + long(to));
    found_ = {from, fromStart};
}

} // namespace presentation
