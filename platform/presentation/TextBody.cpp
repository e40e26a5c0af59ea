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

void TextBody::replace(TextSpan span, const std::u16string& text)
{
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
    for (const TextRun& run : runs_) {
        if (index < run.length) return run.format;
        index -= run.length;
    }
    return endFormat_;
}

size_t TextBody::splitAt(size_t at)
{
    size_t i = 0;
    for (; i < runs_.size() && at > 0; ++i) {
        if (at < runs_[i].length) {
            TextRun tail{uint32_t(runs_[i].length - at), runs_[i].format};
            runs_[i].length = uint32_t(at);
            runs_.insert(runs_.begin() + long(i) + 1, tail);
            return i + 1;
        }
        at -= runs_[i].length;
    }
    assert(at == 0);
    return i;
}

void TextBody::mergeRuns()
{
    size_t kept = 0;
    for (const TextRun& run : runs_) {
        if (run.length == 0) continue;
        if (kept > 0 && runs_[kept - 1].format == run.format) runs_[kept - 1].length += run.length;
        else runs_[kept++] = run;
    }
    runs_.resize(kept);
}

} // namespace presentation
