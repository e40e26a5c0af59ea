#include "platform/script/VbsScanner.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vbs {

namespace {

bool IsLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char16_t c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char16_t c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsBlank(char16_t c) { return c == ' ' || c == '\t' || c == 0xA0 || c == 0xFEFF; }

struct Keyword {
    std::u16string_view word;  // lower case
    Tok type;
};

constexpr Keyword kKeywords[] = {
    {u"and", Tok::And}, {u"byref", Tok::ByRef}, {u"byval", Tok::ByVal},
    {u"call", Tok::Call}, {u"case", Tok::Case}, {u"const", Tok::Const}, {u"dim", Tok::Dim},
    {u"do", Tok::Do}, {u"each", Tok::Each}, {u"else", Tok::Else}, {u"elseif", Tok::ElseIf},
    {u"empty", Tok::Empty}, {u"end", Tok::EndKw}, {u"eqv", Tok::Eqv}, {u"exit", Tok::Exit},
    {u"false", Tok::False}, {u"for", Tok::For}, {u"function", Tok::Function},
    {u"get", Tok::Get}, {u"if", Tok::If}, {u"imp", Tok::Imp}, {u"in", Tok::In},
    {u"is", Tok::Is}, {u"let", Tok::Let}, {u"loop", Tok::Loop}, {u"mod", Tok::Mod},
    {u"new", Tok::New}, {u"next", Tok::Next}, {u"not", Tok::Not}, {u"nothing", Tok::Nothing},
    {u"null", Tok::Null}, {u"on", Tok::On}, {u"or", Tok::Or}, {u"private", Tok::Private},
    {u"property", Tok::Property}, {u"public", Tok::Public}, {u"redim", Tok::ReDim},
    {u"select", Tok::Select}, {u"set", Tok::Set}, {u"step", Tok::Step}, {u"sub", Tok::Sub},
    {u"then", Tok::Then}, {u"to", Tok::To}, {u"true", Tok::True}, {u"until", Tok::Until},
    {u"wend", Tok::Wend}, {u"while", Tok::While}, {u"with", Tok::With}, {u"xor", Tok::Xor},
};

}  // namespace

Tok KeywordOf(std::u16string_view word)
{
    if (word.size() > 8)
        return Tok::Identifier;
    char16_t lower[8];
    for (size_t i = 0; i < word.size(); ++i) {
        char16_t c = word[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    }
    std::u16string_view key(lower, word.size());
    for (const Keyword& k : kKeywords)
        if (k.word == key)
            return k.type;
    return Tok::Identifier;
}

Token Scanner::Make(Tok type, size_t start) const
{
    Token t;
    t.type = type;
    t.start = uint32_t(start);
    t.length = uint32_t(pos_ - start);
    t.line = line_;
    t.column = uint32_t(start >= lineStart_ ? start - lineStart_ : 0);
    t.spaceBefore = spaceBefore_;
    return t;
}

bool Scanner::SkipBlanks()
{
    bool any = false;
    for (;;) {
        while (!AtEnd() && IsBlank(Peek())) {
            ++pos_;
            any = true;
        }
        // " _" then a line end continues the statement on the next line.
        if (Peek() == '_' && (pos_ == 0 || !IsWordChar(source_[pos_ - 1]))) {
            size_t p = pos_ + 1;
            while (p < source_.size() && IsBlank(source_[p]))
                ++p;
            if (p < source_.size() && (source_[p] == '\n' || source_[p] == '\r')) {
                if (source_[p] == '\r' && p + 1 < source_.size() && source_[p + 1] == '\n')
                    ++p;
                pos_ = p + 1;
                ++line_;
                lineStart_ = pos_;
                any = true;
                continue;
            }
        }
        return any;
    }
}

void Scanner::SkipToLineEnd()
{
    while (!AtEnd() && Peek() != '\n' && Peek() != '\r')
        ++pos_;
}

// Comments are skipped in a loop, so that no text makes the scanner recurse.
Token Scanner::Next()
{
    for (;;) {
        spaceBefore_ = SkipBlanks();
        size_t start = pos_;
        if (Peek() == '\'') {
            SkipToLineEnd();
            continue;
        }
        if (!AtEnd() && IsLetter(Peek())) {
            Token word = Word(start);
            if (!IsRemark(word))
                return word;
            SkipToLineEnd();
            continue;
        }
        return Other(start);
    }
}

// A token that is neither a word nor a comment.
Token Scanner::Other(size_t start)
{
    if (AtEnd())
        return Make(Tok::End, start);
    char16_t c = Peek();
    if (c == '\n' || c == '\r' || c == ':')
        return Newline(start);
    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1))) || (c == '&' && (Peek(1) == 'h' || Peek(1) == 'H' || Peek(1) == 'o' || Peek(1) == 'O')))
        return Number(start);
    if (c == '"')
        return String(start);
    ++pos_;
    switch (c) {
    case '(': return Make(Tok::LParen, start);
    case ')': return Make(Tok::RParen, start);
    case ',': return Make(Tok::Comma, start);
    case '.': return Make(Tok::Dot, start);
    case '&': return Make(Tok::Amp, start);
    case '+': return Make(Tok::Plus, start);
    case '-': return Make(Tok::Minus, start);
    case '*': return Make(Tok::Star, start);
    case '/': return Make(Tok::Slash, start);
    case '\\': return Make(Tok::Backslash, start);
    case '^': return Make(Tok::Caret, start);
    case '=': return Make(Tok::Eq, start);
    case '<':
        if (Peek() == '>') { ++pos_; return Make(Tok::Ne, start); }
        if (Peek() == '=') { ++pos_; return Make(Tok::Le, start); }
        return Make(Tok::Lt, start);
    case '>':
        if (Peek() == '=') { ++pos_; return Make(Tok::Ge, start); }
        return Make(Tok::Gt, start);
    default: return Make(Tok::Invalid, start);
    }
}

Token Scanner::Newline(size_t start)
{
    char16_t c = Peek();
    ++pos_;
    Token t = Make(c == ':' ? Tok::Colon : Tok::Newline, start);
    if (c == '\r' && Peek() == '\n')
        ++pos_;
    if (c != ':') {
        ++line_;
        lineStart_ = pos_;
    }
    return t;
}

Token Scanner::Word(size_t start)
{
    while (!AtEnd() && IsWordChar(Peek()))
        ++pos_;
    Token t = Make(Tok::Identifier, start);
    t.type = KeywordOf(Text(t));
    return t;
}

// "Rem" standing alone starts a comment, as "'" does.
bool Scanner::IsRemark(const Token& word) const
{
    if (word.type != Tok::Identifier || word.length != 3)
        return false;
    std::u16string_view w = Text(word);
    bool rem = (w[0] | 32) == 'r' && (w[1] | 32) == 'e' && (w[2] | 32) == 'm';
    return rem && (AtEnd() || IsBlank(Peek()) || Peek() == '\n' || Peek() == '\r' || Peek() == ':');
}

Token Scanner::Number(size_t start)
{
    if (Peek() == '&') {
        pos_ += 2;
        while (!AtEnd() && (IsDigit(Peek()) || ((Peek() | 32) >= 'a' && (Peek() | 32) <= 'f')))
            ++pos_;
        if (!AtEnd() && Peek() == '&')
            ++pos_;
        return Make(Tok::Integer, start);
    }
    bool isFloat = false;
    while (IsDigit(Peek()))
        ++pos_;
    if (Peek() == '.' && IsDigit(Peek(1))) {
        isFloat = true;
        ++pos_;
        while (IsDigit(Peek()))
            ++pos_;
    } else if (Peek() == '.' && !IsLetter(Peek(1))) {
        isFloat = true;
        ++pos_;
    }
    if ((Peek() | 32) == 'e' && (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
        isFloat = true;
        pos_ += 2;
        while (IsDigit(Peek()))
            ++pos_;
    }
    if (IsLetter(Peek()) || Peek() == '_') {
        while (IsWordChar(Peek()))
            ++pos_;
        return Make(Tok::Invalid, start);
    }
    return Make(isFloat ? Tok::Float : Tok::Integer, start);
}

Token Scanner::String(size_t start)
{
    ++pos_;
    for (;;) {
        if (AtEnd() || Peek() == '\n' || Peek() == '\r')
            return Make(Tok::Unterminated, start);
        if (Peek() == '"') {
            if (Peek(1) == '"') {
                pos_ += 2;
                continue;
            }
            ++pos_;
            return Make(Tok::String, start);
        }
        ++pos_;
    }
}

}  // namespace vbs
