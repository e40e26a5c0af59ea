// Small programs and what they do to a recording object, or how they fail.
#include "tests/script/ScriptTestSupport.h"

namespace {

const char* const kPrelude = "Set o = CreateObject(\"Test.Recorder\")\n";

struct EffectCase {
    const char* name;
    const char* code;  // runs after kPrelude
    std::vector<std::string> log;
};

const EffectCase kEffects[] = {
    {"CallForms",
     "o.A 1, \"x\"\nCall o.B(2, 3)\no.C(4)\no.D\nx = o.E(5).F\no.G (6), 7\n",
     {"R.A(1, \"x\")", "R.B(2, 3)", "R.C(4)", "R.D", "R.E(5)", "R.E(5).F", "R.G(6, 7)"}},
    {"PutThroughChain",
     "o.P.Q(3,5).Font.Size = 12\nSet o.Child = o\no.Items(2) = \"two\"\n",
     {"R.P", "R.P.Q(3, 5)", "R.P.Q(3, 5).Font", "R.P.Q(3, 5).Font.Size = 12", "R.Child = <object>",
      "R.Items(2) = \"two\""}},
    {"StringsAndArithmetic",
     "o.S \"a\"\"b\" & \"c\", \"x\" + \"y\", 1 + 2, \"1\" + 2, 7 \\ 2, 7 Mod 3, 2 ^ 3, -2 ^ 2, 7 / 2, 1 & 2\n",
     {"R.S(\"a\"bc\", \"xy\", 3, 3, 3, 1, 8, -4, 3.5, \"12\")"}},
    {"ComparisonsAndLogic",
     "o.L 1 < 2, \"a\" < \"b\", Not True, True And False, 1 Or 2, 3 = 3.0, \"10\" = 10, 2 <> 2, Not 0, 1 < 2 And 2 < 3\n",
     {"R.L(True, True, False, False, 3, True, True, False, -1, True)"}},
    {"IfForms",
     "x = 2\n"
     "If x = 1 Then\n  o.One\nElseIf x = 2 Then\n  o.Two\nElse\n  o.Other\nEnd If\n"
     "If x > 1 Then o.Big Else o.Small\n"
     "If x > 5 Then o.Huge : o.Huger Else o.NotHuge : o.Still\n"
     "If x Then o.Truthy\n",
     {"R.Two", "R.Big", "R.NotHuge", "R.Still", "R.Truthy"}},
    {"Loops",
     "For i = 1 To 10 Step 4 : o.F i : Next\n"
     "For i = 3 To 1 Step -1\n  If i = 1 Then Exit For\n  o.Down i\nNext i\n"
     "n = 0\nDo While n < 2 : n = n + 1 : Loop\no.W n\n"
     "Do\n  n = n - 1\n  If n = 0 Then Exit Do\nLoop\no.X n\n"
     "Do : n = n + 1 : Loop Until n >= 3\no.Y n\n"
     "Do Until n = 0\n n = n - 1\nLoop\no.Z n\n"
     "While n < 2\n n = n + 1\nWend\no.V n\n",
     {"R.F(1)", "R.F(5)", "R.F(9)", "R.Down(3)", "R.Down(2)", "R.W(2)", "R.X(0)", "R.Y(3)", "R.Z(0)",
      "R.V(2)"}},
    {"Procedures",
     "Function Twice(a)\n  Twice = a * 2\n  Exit Function\n  Twice = 0\nEnd Function\n"
     "Sub Bump(ByRef v, ByVal w)\n  v = v + 1\n  w = w + 1\nEnd Sub\n"
     "Sub Report()\n  o.Report Twice(21)\nEnd Sub\n"
     "a = 1 : b = 1\nBump a, b\nCall Bump(a, b)\no.AB a, b\nReport\nCall Report()\n"
     "Sub Inc(v)\n  v = v + 1\nEnd Sub\nc = 1\nInc c\nInc (c)\nCall Inc(c)\no.C c\n"
     "Sub Early\n  o.Before\n  Exit Sub\n  o.After\nEnd Sub\nEarly\n",
     {"R.AB(3, 1)", "R.Report(42)", "R.Report(42)", "R.C(3)", "R.Before"}},
    {"ProceduresBelowTheirCalls",
     "Later 1\nx = Twice(4)\no.X x\nSub Later(n)\n  o.Later n\nEnd Sub\nFunction Twice(v)\n  Twice = v * 2\nEnd Function\n",
     {"R.Later(1)", "R.X(8)"}},
    {"CommentsContinuationsSeparators",
     "' a comment\nRem another one\no.A 1 ' trailing\no.B 1, _\n   2\nx = 1: o.C x: REM end\n",
     {"R.A(1)", "R.B(1, 2)", "R.C(1)"}},
    {"ConstantsAndDeclarations",
     "Const k = 12, s = \"s\"\nDim a, b(2), c\nb(0) = k\nb(2) = s\no.K b(0), b(2), IsEmpty(b(1)), Len(vbCrLf), Len(vbCr & vbLf), UBound(b)\n",
     {"R.K(12, \"s\", True, 2, 2, 2)"}},
    {"Scopes",
     "g = \"global\"\nSub S\n  Dim g\n  g = \"local\"\n  h = \"implicit\"\n  o.In g, h\nEnd Sub\nS\no.Out g, IsEmpty(h)\n"
     "Dim arr()\nReDim arr(1)\narr(1) = \"kept\"\nReDim Preserve arr(3)\no.Arr UBound(arr), arr(1)\n",
     {"R.In(\"local\", \"implicit\")", "R.Out(\"global\", True)", "R.Arr(3, \"kept\")"}},
    {"Builtins",
     "o.B Len(\"abc\"), Mid(\"hello\", 2, 3), Mid(\"hello\", 4), Left(\"hello\", 2), Right(\"hello\", 3), "
     "UCase(\"aB\"), LCase(\"aB\"), CStr(0.5), CStr(True), CInt(\"12\"), CInt(2.5), CLng(3.5), RGB(1, 2, 3)\n"
     "o.C IsObject(o), IsObject(1), IsEmpty(q), IsEmpty(\"\"), unescape(\"%41%u0042%zz%\"), escape(\"a b/\")\n",
     {"R.B(3, \"ell\", \"lo\", \"he\", \"llo\", \"AB\", \"ab\", \"0.5\", \"True\", 12, 2, 4, 197121)",
      "R.C(True, False, True, False, \"AB%zz%\", \"a%20b/\")"}},
    {"NothingAndEmpty",
     "Set z = Nothing\no.N IsObject(z), z Is Nothing, o Is o, IsEmpty(Empty), Empty + 1, \"\" & Empty\nSet o = Nothing\n",
     {"R.N(True, True, True, True, 1, \"\")"}},
    {"ErrObject",
     "On Error Resume Next\no.FailX\no.E Err.Number, Err.Description, Err.Source\nErr.Clear\no.E Err.Number\n"
     "Err.Raise 5\no.E CLng(Err), Err.Description\nErr.Raise 1234, \"Mine\", \"Custom text\"\no.E Err.Number, Err.Source, Err.Description\n"
     "On Error GoTo 0\no.E Err.Number\n",
     {"R.E(-2147467259, \"Refused: FailX\", \"Recorder\")", "R.E(0)",
      "R.E(5, \"Invalid procedure call or argument\")", "R.E(1234, \"Mine\", \"Custom text\")", "R.E(0)"}},
    {"ResumeNextSkipsFailingStatements",
     "On Error Resume Next\nx = 1 / 0\no.A x, Err.Number\nIf 1 / 0 Then o.EnteredThen\n"
     "Set p = CreateObject(\"vbscom.api\")\no.B Err.Number, IsEmpty(p)\nnRet = p.ShowProgress(0, 9, \"x\")\no.C IsEmpty(nRet), Err.Number\n"
     "Sub Inner\n  o.Before\n  x = 1 / 0\n  o.After\nEnd Sub\nInner\no.Next Err.Number\n",
     {"R.A(Empty, 11)", "R.EnteredThen", "R.B(429, True)", "R.C(True, 424)", "R.Before", "R.Next(11)"}},
};

class Effects : public ScriptFixture, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(Effects, RecordsCallsInOrder)
{
    const EffectCase& c = GetParam();
    ScriptOutcome out = Run(std::string(kPrelude) + c.code);
    EXPECT_EQ(out.hr, S_OK) << out.number << " " << out.description << " at line " << out.line << ": "
                            << out.text;
    EXPECT_EQ(out.log, c.log);
}

// The case's name, so the test's listed name stays the same from build to build.
void PrintTo(const EffectCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Programs, Effects, ::testing::ValuesIn(kEffects),
                         [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char* name;
    const char* code;  // runs after kPrelude, so its lines start at 2
    LONG number;
    const char* description;
    LONG line;
    const char* text;
    std::vector<std::string> log;  // what ran before the failure
};

const ErrorCase kErrors[] = {
    // compile errors: nothing runs
    {"MissingEndIf", "o.A\nIf x Then\n  o.B\n", 1014, "Expected 'End'", 5, "", {}},
    {"ExtraToken", "o.A\no.B 1 2\n", 1025, "Expected end of statement", 3, "o.B 1 2", {}},
    {"UnterminatedString", "o.A\ns = \"abc\n", 1033, "Unterminated string constant", 3, "s = \"abc", {}},
    {"ParenthesesOnSubCall", "o.A(1, 2)\n", 1044, "Cannot use parentheses when calling a Sub", 2,
     "o.A(1, 2)", {}},
    {"InvalidCharacter", "x = 1 # 2\n", 1032, "Invalid character", 2, "x = 1 # 2", {}},
    {"MissingExpression", "x = )\n", 1023, "Expected expression", 2, "x = )", {}},
    {"BadOctal", "x = &O19\n", 1031, "Invalid number", 2, "x = &O19", {}},
    {"ExitOutsideLoop", "Exit Do\n", 1039, "Invalid 'exit' statement", 2, "Exit Do", {}},
    {"ProcedureTwice", "Sub A\nEnd Sub\nSub a\nEnd Sub\n", 1041, "Name redefined", 4, "Sub a", {}},
    // run-time errors: what ran before stays done
    {"SetWithoutObject", "o.A\nSet x = 5\no.B\n", 424, "Object required", 3, "Set x = 5", {"R.A"}},
    {"MemberOfEmpty", "y.Foo\n", 424, "Object required", 2, "y.Foo", {}},
    {"UnknownProgId", "Set p = CreateObject(\"vbscom.api\")\n", 429,
     "ActiveX component can't create object", 2, "Set p = CreateObject(\"vbscom.api\")", {}},
    {"NoSuchMember", "Err.Nope\n", 438, "Object doesn't support this property or method", 2, "Err.Nope", {}},
    {"DivisionByZero", "x = 1 \\ 0\n", 11, "Division by zero", 2, "x = 1 \\ 0", {}},
    {"BadArgument", "x = Mid(\"a\", 0)\n", 5, "Invalid procedure call or argument", 2, "x = Mid(\"a\", 0)", {}},
    {"SubscriptOutOfRange", "Dim a(2)\na(3) = 1\n", 9, "Subscript out of range", 3, "a(3) = 1", {}},
    {"TypeMismatch", "x = CInt(\"abc\")\n", 13, "Type mismatch", 2, "x = CInt(\"abc\")", {}},
    {"Overflow", "x = CInt(40000)\n", 6, "Overflow", 2, "x = CInt(40000)", {}},
    {"UndefinedSub", "Frob 1\n", 13, "Type mismatch: 'Frob'", 2, "Frob 1", {}},
    {"WrongArgumentCount", "Sub S(a)\nEnd Sub\nS 1, 2\n", 450,
     "Wrong number of arguments or invalid property assignment", 4, "S 1, 2", {}},
    {"ObjectFailure", "o.A\n  o.FailNow 1\n", LONG(E_FAIL), "Refused: FailNow", 3, "  o.FailNow 1", {"R.A"}},
    {"ErrorInsideSub", "Sub S\n  o.In\n  x = 1 / 0\nEnd Sub\nS\n", 11, "Division by zero", 4, "  x = 1 / 0",
     {"R.In"}},
    {"RaisedError", "Err.Raise 1234, \"Mine\", \"Custom text\"\n", 1234, "Custom text", 2,
     "Err.Raise 1234, \"Mine\", \"Custom text\"", {}},
    {"AfterGoToZero", "On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nx = 1 / 0\n", 11,
     "Division by zero", 5, "x = 1 / 0", {}},
};

class Errors : public ScriptFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(Errors, ReportNumberLineAndText)
{
    const ErrorCase& c = GetParam();
    ScriptOutcome out = Run(std::string(kPrelude) + c.code);
    EXPECT_TRUE(FAILED(out.hr));
    EXPECT_EQ(out.number, c.number);
    EXPECT_EQ(out.description, c.description);
    EXPECT_EQ(out.line, c.line);
    EXPECT_EQ(out.text, c.text);
    EXPECT_EQ(out.log, c.log);
}

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Programs, Errors, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptFixture, OptionExplicitRequiresDeclarations)
{
    ScriptOutcome out = Run("Option Explicit\nDim a\na = 1\nb = 2\n");
    EXPECT_EQ(out.number, 500);
    EXPECT_EQ(out.description, "Variable is undefined");
    EXPECT_EQ(out.line, 4);
}

TEST_F(ScriptFixture, CompileErrorSourceDiffersFromRuntimeSource)
{
    ScriptOutcome compile = Run("x = (\n");
    ScriptOutcome runtime = Run("x = 1 / 0\n");
    EXPECT_EQ(compile.source, "VBScript compilation error");
    EXPECT_EQ(runtime.source, "VBScript runtime error");
    EXPECT_EQ(compile.hr, MAKE_HRESULT(1, FACILITY_CONTROL, compile.number));
}

TEST_F(ScriptFixture, DeepNestingFailsCleanly)
{
    std::string deep = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')') + "\n";
    EXPECT_TRUE(FAILED(Run(deep).hr));
    ScriptOutcome recursion = Run("Function F(n)\n  F = F(n + 1)\nEnd Function\nx = F(1)\n");
    EXPECT_EQ(recursion.number, 28);
}

}  // namespace
