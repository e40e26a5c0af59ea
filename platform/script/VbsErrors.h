// Error numbers and descriptions of the script language, and the error
// record that compile and run-time failures carry.
#pragma once

#include "platform/com/HResult.h"

#include <string>

namespace vbs {

enum ErrorNumber : LONG {
    kInvalidCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kDivisionByZero = 11,
    kTypeMismatch = 13,
    kOutOfStackSpace = 28,
    kObjectNotSet = 91,
    kInvalidUseOfNull = 94,
    kObjectRequired = 424,
    kCannotCreateObject = 429,
    kNoSuchMember = 438,
    kNoSuchAction = 445,
    kNoNamedArguments = 446,
    kArgumentNotOptional = 449,
    kWrongArgumentCount = 450,
    kVariableUndefined = 500,
    kIllegalAssignment = 501,

    kCompileOutOfMemory = 1001,
    kSyntaxError = 1002,
    kExpectedRightParen = 1006,
    kExpectedIdentifier = 1010,
    kExpectedEquals = 1011,
    kExpectedIf = 1012,
    kExpectedTo = 1013,
    kExpectedEnd = 1014,
    kExpectedFunction = 1015,
    kExpectedSub = 1016,
    kExpectedThen = 1017,
    kExpectedWend = 1018,
    kExpectedLoop = 1019,
    kExpectedNext = 1020,
    kExpectedExpression = 1023,
    kExpectedStatement = 1024,
    kExpectedEndOfStatement = 1025,
    kExpectedInteger = 1026,
    kExpectedWhileOrUntil = 1027,
    kInvalidNumber = 1031,
    kInvalidCharacter = 1032,
    kUnterminatedString = 1033,
    kInvalidExit = 1039,
    kInvalidForVariable = 1040,
    kNameRedefined = 1041,
    kParenthesesOnSubCall = 1044,
    kExpectedLiteral = 1045,
};

// The language's own text for a number ("Unknown runtime error" otherwise).
const char* DescribeError(LONG number);

struct Error {
    LONG number = 0;
    std::string description;  // UTF-8
    std::string source;
    LONG line = 0;    // 1-based; 0 when not known
    LONG column = 0;  // 0-based
    std::string text;  // the source line, UTF-8
    bool trappable = true;  // false for a timeout: On Error cannot skip it
};

inline constexpr const char* kCompileSource = "VBScript compilation error";
inline constexpr const char* kRuntimeSource = "VBScript runtime error";

// A run-time error with the language's text for its number and no line,
// for a failure met where no statement is known (memory that ran out).
Error RuntimeFailure(LONG number);

// Raised inside the interpreter for a run-time error; it never leaves it.
struct RuntimeError {
    Error error;
    size_t module = 0;  // the added code the line belongs to
};

[[noreturn]] void Raise(LONG number);
[[noreturn]] void Raise(LONG number, std::string description);

// The HRESULT a failed call reports for a language error number.
inline HRESULT HResultOfError(LONG number)
{
    return number > 0 && number < 0x10000 ? MAKE_HRESULT(1, FACILITY_CONTROL, number)
                                          : static_cast<HRESULT>(number);
}

// The language error number for a failed call's HRESULT.
LONG ErrorOfHResult(HRESULT hr);

}  // namespace vbs
