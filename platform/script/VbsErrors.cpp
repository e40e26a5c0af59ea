#include "platform/script/VbsErrors.h"

namespace vbs {

const char* DescribeError(LONG number)
{
    switch (number) {
    case kInvalidCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kOutOfMemory: return "Out of memory";
    case kSubscriptOutOfRange: return "Subscript out of range";
    case kDivisionByZero: return "Division by zero";
    case kTypeMismatch: return "Type mismatch";
    case kOutOfStackSpace: return "Out of stack space";
    case kObjectNotSet: return "Object variable not set";
    case kInvalidUseOfNull: return "Invalid use of Null";
    case kObjectRequired: return "Object required";
    case kCannotCreateObject: return "ActiveX component can't create object";
    case kNoSuchMember: return "Object doesn't support this property or method";
    case kNoSuchAction: return "Object doesn't support this action";
    case kNoNamedArguments: return "Object doesn't support named arguments";
    case kArgumentNotOptional: return "Argument not optional";
    case kWrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case kVariableUndefined: return "Variable is undefined";
    case kIllegalAssignment: return "Illegal assignment";
    case kCompileOutOfMemory: return "Out of memory";
    case kSyntaxError: return "Syntax error";
    case kExpectedRightParen: return "Expected ')'";
    case kExpectedIdentifier: return "Expected identifier";
    case kExpectedEquals: return "Expected '='";
    case kExpectedIf: return "Expected 'If'";
    case kExpectedTo: return "Expected 'To'";
    case kExpectedEnd: return "Expected 'End'";
    case kExpectedFunction: return "Expected 'Function'";
    case kExpectedSub: return "Expected 'Sub'";
    case kExpectedThen: return "Expected 'Then'";
    case kExpectedWend: return "Expected 'Wend'";
    case kExpectedLoop: return "Expected 'Loop'";
    case kExpectedNext: return "Expected 'Next'";
    case kExpectedExpression: return "Expected expression";
    case kExpectedStatement: return "Expected statement";
    case kExpectedEndOfStatement: return "Expected end of statement";
    case kExpectedInteger: return "Expected integer constant";
    case kExpectedWhileOrUntil: return "Expected 'While' or 'Until'";
    case kInvalidNumber: return "Invalid number";
    case kInvalidCharacter: return "Invalid character";
    case kUnterminatedString: return "Unterminated string constant";
    case kInvalidExit: return "Invalid 'exit' statement";
    case kInvalidForVariable: return "Invalid 'for' loop control variable";
    case kNameRedefined: return "Name redefined";
    case kParenthesesOnSubCall: return "Cannot use parentheses when calling a Sub";
    case kExpectedLiteral: return "Expected literal constant";
    default: return "Unknown runtime error";
    }
}

Error RuntimeFailure(LONG number)
{
    return Error{number, DescribeError(number), kRuntimeSource, 0, 0, {}, true};
}

void Raise(LONG number)
{
    Raise(number, DescribeError(number));
}

void Raise(LONG number, std::string description)
{
    RuntimeError e;
    e.error.number = number;
    e.error.description = std::move(description);
    e.error.source = kRuntimeSource;
    throw e;
}

LONG ErrorOfHResult(HRESULT hr)
{
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && FAILED(hr))
        return HRESULT_CODE(hr);
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return kNoSuchMember;
    case DISP_E_TYPEMISMATCH: return kTypeMismatch;
    case DISP_E_BADPARAMCOUNT: return kWrongArgumentCount;
    case DISP_E_PARAMNOTOPTIONAL: return kArgumentNotOptional;
    case DISP_E_OVERFLOW: return kOverflow;
    case DISP_E_BADINDEX: return kSubscriptOutOfRange;
    case DISP_E_DIVBYZERO: return kDivisionByZero;
    case DISP_E_NONAMEDARGS: return kNoNamedArguments;
    case E_OUTOFMEMORY: return kOutOfMemory;
    case E_INVALIDARG: return kInvalidCall;
    case E_NOTIMPL: return kNoSuchAction;
    default: return hr;
    }
}

}  // namespace vbs
