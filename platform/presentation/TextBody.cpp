#include "platform/presentation/TextBody.h"

#include <algorithm>

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

void TextBody::replace(TextSpan span, const std::u16string& text)
{
    bool throughEnd = span.start + span.length == text_.size();
    CharFormat format = formatAt(span.length > 0 || span.start == 0 ? span.start : span.start - 1);
    std::u16string inserted = withParagraphBreaks(text);
    text_.replace(span.start, span.length, inserted);
    formats_.erase(formats_.begin() + long(span.start), formats_.begin() + long(span.start + span.length));
    formats_.insert(formats_.begin() + long(span.start), inserted.size(), format);
    if (throughEnd) endFormat_ = format;
}

std::u16string TextBody::textOf(TextSpan span) const
{
    return text_.substr(span.start, span.length);
}

TextSpan TextBody::clip(long start, long length) const
{
    long size = long(text_.size());
    long first = std::clamp(start - 1, 0L, size);
    long count = std::clamp(length, 0L, size - first);
    return {size_t(first), size_t(count)};
}

const CharFormat& TextBody::formatAt(size_t index) const
{
    return index < formats_.size() ? formats_[index] : endFormat_;
}

const CharFormat& TextBody::formatOf(TextSpan span) const
{
    return formatAt(span.start);
}

} // namespace presentation
