// Splits script source into tokens on demand. Comments (' and Rem) are
// skipped, a " _" at a line's end joins the next line, and ':' separates
// statements like a line end.
#pragma once

#include "platform/script/VbsToken.h"

#include <string_view>

namespace vbs {

class Scanner {
public:
    explicit Scanner(std::u16string_view source) : source_(source) {}
    Token Next();
    std::u16string_view Text(const Token& t) const { return source_.substr(t.start, t.length); }

private:
    bool AtEnd() const { return pos_ >= source_.size(); }
    char16_t Peek(size_t ahead = 0) const
    {
        return pos_ + ahead < source_.size() ? source_[pos_ + ahead] : u'\0';
    }
    bool SkipBlanks();  // true when any were skipped
    void SkipToLineEnd();
    Token Make(Tok type, size_t start) const;
    Token Number(size_t start);
    Token String(size_t start);
    Token Word(size_t start);
    bool IsRemark(const Token& word) const;
    Token Other(size_t start);
    Token Newline(size_t start);

    std::u16string_view source_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
    size_t lineStart_ = 0;
    bool spaceBefore_ = false;
};

}  // namespace vbs
