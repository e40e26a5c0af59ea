// Tokens of the script language: views into the source with their line.
#pragma once

#include <cstdint>
#include <string_view>

namespace vbs {

enum class Tok : uint8_t {
    End,        // end of the source
    Newline,    // a line end
    Colon,      // ':' ends a statement like a line end
    Identifier,
    Integer,
    Float,
    String,
    Invalid,    // a character no token starts with
    Unterminated,  // a string literal cut by a line end
    // operators and punctuation
    LParen, RParen, Comma, Dot, Amp, Plus, Minus, Star, Slash, Backslash, Caret,
    Eq, Ne, Lt, Gt, Le, Ge,
    // keywords
    And, ByRef, ByVal, Call, Case, Const, Dim, Do, Each, Else, ElseIf, Empty, EndKw, Eqv,
    Exit, False, For, Function, Get, If, Imp, In, Is, Let, Loop, Mod, New, Next, Not,
    Nothing, Null, On, Or, Private, Property, Public, ReDim, Select, Set, Step, Sub, Then,
    To, True, Until, Wend, While, With, Xor,
};

struct Token {
    Tok type = Tok::End;
    uint32_t start = 0;   // offset into the source
    uint32_t length = 0;
    uint32_t line = 1;    // 1-based
    uint32_t column = 0;  // 0-based
    bool spaceBefore = false;  // white space right before the token
};

// The keyword an identifier spells, ignoring case; Tok::Identifier if none.
Tok KeywordOf(std::u16string_view word);

}  // namespace vbs
