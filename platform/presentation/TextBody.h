// The text of one text box: UTF-16 characters in runs of one character
// format each. A paragraph break is one character, '\r'. The characters are
// held as the file stores them: one byte each while every one fits in a
// byte, else two.
#pragma once

#include "platform/presentation/CharFormatTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace presentation {

// A range of characters: 0-based start and length, always inside the text.
struct TextSpan {
    size_t start = 0;
    size_t length = 0;
};

// Characters in a row with one format: an index into the body's table.
struct TextRun {
    uint32_t length = 0;
    uint32_t format = 0;
};

class TextBody {
public:
    // A body with a format table of its own.
    TextBody();
    // A body that shares the table of the presentation it belongs to.
    explicit TextBody(std::shared_ptr<CharFormatTable> formats);

    std::u16string text() const;
    size_t length() const;
    // Every character below 256: narrowText() holds them, one byte each.
    bool isNarrow() const { return std::holds_alternative<std::string>(text_); }
    const std::string& narrowText() const { return std::get<std::string>(text_); }
    const std::u16string& wideText() const { return std::get<std::u16string>(text_); }

    // CR LF, CR and LF each become one paragraph break.
    void setText(const std::u16string& text) { replace({0, length()}, text); }
    // The new characters take the format of the first one they replace, or
    // of the one before them when they replace none.
    void replace(TextSpan span, const std::u16string& text);
    std::u16string textOf(TextSpan span) const;

    // The span from a 1-based start and a length, clipped to the text.
    TextSpan clip(long start, long length) const;

    const CharFormat& formatAt(size_t index) const { return format(formatIndexAt(index)); }
    // The format of the first character of the span (of the text's end when empty).
    const CharFormat& formatOf(TextSpan span) const { return formatAt(span.start); }
    // Whether test holds for the format of every character of the span.
    template <class Test> bool allOf(TextSpan span, Test test) const
    {
        if (span.length == 0) return true;
        size_t at = 0;
        for (const TextRun& run : runs_) {
            if (at < span.start + span.length && at + run.length > span.start && !test(format(run.format)))
                return false;
            at += run.length;
        }
        return true;
    }
    // Applies change to the format of every character of the span, and to
    // the end format when the span reaches the end of the text.
    template <class Change> void change(TextSpan span, Change change)
    {
        auto changed = [&](uint32_t index) {
            CharFormat f = format(index);
            change(f);
            return formats_->intern(f);
        };
        size_t first = splitAt(span.start), last = splitAt(span.start + span.length);
        for (size_t i = first; i < last; ++i) runs_[i].format = changed(runs_[i].format);
        if (span.start + span.length == length()) endFormat_ = changed(endFormat_);
        mergeRunsAround(first, last, span.start);
    }
    // The format that text put into the box takes.
    const CharFormat& endFormat() const { return format(endFormat_); }

    // The runs cover the text in order; neighbouring runs differ in format.
    const std::vector<TextRun>& runs() const { return runs_; }
    uint32_t endFormatIndex() const { return endFormat_; }
    const CharFormat& format(uint32_t index) const { return formats_->at(index); }

private:
    bool appendInPlace(TextSpan span, const std::u16string& text);
    uint32_t formatIndexAt(size_t index) const;
    // The run that holds position at (the number of runs at the end of the
    // text) and the position it starts at. Looks on from the run found last,
    // so that finding runs from left to right costs what it passes.
    std::pair<size_t, size_t> runAt(size_t at) const;
    // Splits the run that holds position at so that a run starts there;
    // returns that run's index (the number of runs at the end of the text).
    size_t splitAt(size_t at);
    void mergeRuns();
    // Merges the runs first to last, which start at position start, with
    // each other and their neighbours; the others are merged already.
    void mergeRunsAround(size_t first, size_t last, size_t start);

    std::shared_ptr<CharFormatTable> formats_;
    std::variant<std::string, std::u16string> text_;
    std::vector<TextRun> runs_;
    uint32_t endFormat_ = 0;
    struct RunPosition {
        size_t run = 0, start = 0;
    };
    mutable RunPosition found_;  // a run and where it starts, or run 0
};

} // namespace presentation
