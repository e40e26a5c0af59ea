// The text of one text box: UTF-16 characters with one character format
// each. A paragraph break is one character, '\r'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace presentation {

struct CharFormat {
    std::u16string fontName = u"Arial";
    int size = 18;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint32_t rgb = 0x000000;  // 0x00BBGGRR
    bool operator==(const CharFormat&) const = default;
};

// A range of characters: 0-based start and length, always inside the text.
struct TextSpan {
    size_t start = 0;
    size_t length = 0;
};

class TextBody {
public:
    const std::u16string& text() const { return text_; }
    size_t length() const { return text_.size(); }

    // CR LF, CR and LF each become one paragraph break.
    void setText(const std::u16string& text) { replace({0, text_.size()}, text); }
    // The new characters take the format of the first one they replace, or
    // of the one before them when they replace none.
    void replace(TextSpan span, const std::u16string& text);
    std::u16string textOf(TextSpan span) const;

    // The span from a 1-based start and a length, clipped to the text.
    TextSpan clip(long start, long length) const;

    const CharFormat& formatAt(size_t index) const;
    // The format of the first character of the span (of the text's end when empty).
    const CharFormat& formatOf(TextSpan span) const;
    template <class Change> void change(TextSpan span, Change change) {
        for (size_t i = span.start; i < span.start + span.length; ++i) change(formats_[i]);
        if (span.start + span.length == text_.size()) change(endFormat_);
    }
    // The format that text put into the box takes.
    const CharFormat& endFormat() const { return endFormat_; }

private:
    std::u16string text_;
    std::vector<CharFormat> formats_;
    CharFormat endFormat_;
};

} // namespace presentation
