// The script control's own members: languages, procedures, Run, Eval,
// time limits and the error record.
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsEscape.h"
#include "tests/script/ScriptTestSupport.h"

#include <chrono>
#include <new>

namespace {

using Control = ScriptFixture;

// A collection written on the automation base class: Add, Count and the
// default member Item(1-based), which fails with a description out of range.
class Names : public DispatchObject {
public:
    Names() : DispatchObject("Names") {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Names>(
            {
                {"Add", {.method = &Names::Add}},
                {"Count", {.get = &Names::Count}},
                {"Item", {.get = &Names::Item, .put = &Names::PutItem}},
            },
            "Item");
        return table;
    }
    HRESULT Add(DispatchCall& call)
    {
        std::string name;
        if (HRESULT hr = call.String(0, &name); FAILED(hr))
            return hr;
        names_.push_back(name);
        return call.Return(LONG(names_.size()));
    }
    HRESULT Count(DispatchCall& call) { return call.Return(LONG(names_.size())); }
    HRESULT Index(DispatchCall& call, size_t* at)
    {
        LONG i = 0;
        if (HRESULT hr = call.Int(0, &i); FAILED(hr))
            return hr;
        if (i < 1 || size_t(i) > names_.size())
            return call.Fail(E_INVALIDARG, "No name at " + std::to_string(i));
        *at = size_t(i - 1);
        return S_OK;
    }
    HRESULT Item(DispatchCall& call)
    {
        size_t at = 0;
        if (HRESULT hr = Index(call, &at); FAILED(hr))
            return hr;
        return call.Return(names_[at]);
    }
    HRESULT PutItem(DispatchCall& call)
    {
        size_t at = 0;
        if (HRESULT hr = Index(call, &at); FAILED(hr))
            return hr;
        return call.ValueString(&names_[at]);
    }
    std::vector<std::string> names_;
};

// An object whose Grow runs out of memory, as any allocation may.
class Hungry : public DispatchObject {
public:
    Hungry() : DispatchObject("Hungry") {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Hungry>({{"Grow", {.method = &Hungry::Grow}}});
        return table;
    }
    HRESULT Grow(DispatchCall&) { throw std::bad_alloc(); }
};

// Memory that runs out is the language's error 7, "Out of memory", on the
// line that ran out: On Error skips it like any other, and a call it stops
// fails with the error in the record rather than throwing.
TEST_F(Control, OutOfMemoryIsErrorSevenOnItsLine)
{
    ScopedComClass hungry("Test.Hungry", CLSID{0x5EC0DE02, 0, 0, {9}}, [](REFIID riid, void** object) {
        return DispatchObject::CreateInstance<Hungry>(riid, object);
    });
    ScriptOutcome out = Run("Set h = CreateObject(\"Test.Hungry\")\n  h.Grow\nx = 1\n");
    EXPECT_EQ(out.hr, vbs::HResultOfError(7));
    EXPECT_EQ(out.number, 7);
    EXPECT_EQ(out.description, "Out of memory");
    EXPECT_EQ(out.source, "VBScript runtime error");
    EXPECT_EQ(out.line, 2);
    EXPECT_EQ(out.text, "  h.Grow");

    out = Run("Set o = CreateObject(\"Test.Recorder\")\nSet h = CreateObject(\"Test.Hungry\")\n"
              "On Error Resume Next\nh.Grow\no.Got Err.Number, Err.Description\n");
    EXPECT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(out.log, std::vector<std::string>{"R.Got(7, \"Out of memory\")"});

    auto control = NewControl();
    ASSERT_EQ(control->AddCode(_bstr_t("Sub Feed\n  Set h = CreateObject(\"Test.Hungry\")\n  h.Grow\nEnd Sub\n")), S_OK);
    _variant_t result;
    HRESULT hr = control->Run(_bstr_t("Feed"), nullptr, &result);
    ScriptOutcome ran = ErrorOf(control, hr);
    EXPECT_EQ(ran.number, 7);
    EXPECT_EQ(ran.description, "Out of memory");
    EXPECT_EQ(ran.line, 3);
}

TEST_F(Control, AutomationObjectsOfTheBaseClassWorkFromScript)
{
    ScopedComClass names("Test.Names", CLSID{0x5EC0DE01, 0, 0, {9}}, [](REFIID riid, void** object) {
        return DispatchObject::CreateInstance<Names>(riid, object);
    });
    ScriptOutcome out = Run(
        "Set o = CreateObject(\"Test.Recorder\")\n"
        "Set n = CreateObject(\"Test.Names\")\n"
        "n.Add \"first\"\nk = n.add(\"second\")\nn(2) = n(2) & \"!\"\n"
        "o.Seen k, n.Count, n(1), n.Item(2), n\n"
        "On Error Resume Next\nx = n(7)\no.Got Err.Number, Err.Description, Err.Source\n"
        "n.Nope\no.Got Err.Number\nn.Add\no.Got Err.Number\n");
    EXPECT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(out.log, (std::vector<std::string>{
                           "R.Seen(2, 2, \"first\", \"second!\", <object>)",
                           "R.Got(5, \"No name at 7\", \"Names\")",
                           "R.Got(438)", "R.Got(449)"}));
}

std::string NameOf(IScriptProcedureCollection* procedures, VARIANT index)
{
    _com_ptr_t<IScriptProcedure> p;
    if (FAILED(procedures->get_Item(index, &p)))
        return "<none>";
    _bstr_t name;
    p->get_Name(name.GetAddress());
    return name.Utf8();
}

TEST_F(Control, ListsProceduresInOrderAndRunsThemByName)
{
    auto control = NewControl();
    ASSERT_EQ(control->AddCode(_bstr_t("Sub Main\nEnd Sub\nFunction Add(a, b)\n  Add = a + b\nEnd Function\n")), S_OK);
    ASSERT_EQ(control->AddCode(_bstr_t("Function Greet(n)\n  Greet = \"Hello \" & n\nEnd Function\n")), S_OK);
    _com_ptr_t<IScriptProcedureCollection> procedures;
    ASSERT_EQ(control->get_Procedures(&procedures), S_OK);
    LONG count = 0;
    procedures->get_Count(&count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(NameOf(procedures, _variant_t(LONG(1))), "Main");
    EXPECT_EQ(NameOf(procedures, _variant_t(LONG(3))), "Greet");
    EXPECT_EQ(NameOf(procedures, _variant_t("add")), "Add");
    EXPECT_EQ(NameOf(procedures, _variant_t(LONG(0))), "<none>");
    EXPECT_EQ(NameOf(procedures, _variant_t(LONG(4))), "<none>");

    SAFEARRAY* args = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    _variant_t two(LONG(2)), three("3");
    LONG i = 0;
    SafeArrayPutElement(args, &i, &two);
    i = 1;
    SafeArrayPutElement(args, &i, &three);
    _variant_t result;
    EXPECT_EQ(control->Run(_bstr_t("ADD"), &args, &result), S_OK);
    EXPECT_EQ(result.vt, VT_R8);  // "3" takes part as a number
    EXPECT_EQ(result.dblVal, 5);
    EXPECT_TRUE(FAILED(control->Run(_bstr_t("Greet"), &args, &result)));  // one argument too many
    EXPECT_EQ(ErrorOf(control, E_FAIL).number, 450);
    SafeArrayDestroy(args);

    EXPECT_TRUE(FAILED(control->Run(_bstr_t("Missing"), nullptr, &result)));
    EXPECT_EQ(ErrorOf(control, E_FAIL).number, 13);

    ASSERT_EQ(control->Reset(), S_OK);
    procedures = nullptr;
    control->get_Procedures(&procedures);
    procedures->get_Count(&count);
    EXPECT_EQ(count, 0);
}

// Run after AddCode returned, when the added text is gone: the report still
// quotes the procedure's own line.
TEST_F(Control, ProcedureErrorsLaterQuoteTheirLine)
{
    struct Case {
        const char* procedure;
        LONG line;
        const char* text;
    };
    const char* const modules[] = {
        "x = 1\nSub Fail\n  y = 1 / 0\nEnd Sub\nz = 2\n",
        "Sub First\nEnd Sub\nq = 1\n\nq = 2\nFunction Last(n)\n  Last = n\n  Last = CInt(\"x\")\nEnd Function\n",
        "\r\n\r\nSub Third\r\n  Err.Raise 5\r\nEnd Sub\r\n",
    };
    const Case cases[] = {
        {"Fail", 3, "  y = 1 / 0"},
        {"Last", 8, "  Last = CInt(\"x\")"},
        {"Third", 4, "  Err.Raise 5"},
    };
    auto control = NewControl();
    for (const char* module : modules)
        ASSERT_EQ(control->AddCode(_bstr_t(module)), S_OK) << module;
    for (const Case& c : cases) {
        SAFEARRAY* args = SafeArrayCreateVector(VT_VARIANT, 0, c.procedure == std::string("Last") ? 1 : 0);
        _variant_t result;
        EXPECT_TRUE(FAILED(control->Run(_bstr_t(c.procedure), &args, &result)));
        ScriptOutcome out = ErrorOf(control, E_FAIL);
        EXPECT_EQ(out.line, c.line) << c.procedure;
        EXPECT_EQ(out.text, c.text) << c.procedure;
        SafeArrayDestroy(args);
    }
}

TEST_F(Control, GlobalsPersistAcrossAddedCodeAndEval)
{
    auto control = NewControl();
    ASSERT_EQ(control->AddCode(_bstr_t("x = 40\n")), S_OK);
    ASSERT_EQ(control->AddCode(_bstr_t("x = x + 2\n")), S_OK);
    _variant_t value;
    ASSERT_EQ(control->Eval(_bstr_t("x & \"!\""), &value), S_OK);
    EXPECT_EQ(Utf8FromBstr(value.bstrVal), "42!");
    _variant_t none;
    EXPECT_TRUE(FAILED(control->Eval(_bstr_t("x +"), &none)));
}

TEST_F(Control, AddedObjectsAreVisibleByName)
{
    auto control = NewControl();
    IDispatch* recorder = nullptr;
    ASSERT_EQ(RecorderFactory("Host", log_)(IID_IDispatch, reinterpret_cast<void**>(&recorder)), S_OK);
    ASSERT_EQ(control->AddObject(_bstr_t("Host"), recorder, VARIANT_FALSE), S_OK);
    recorder->Release();
    ASSERT_EQ(control->AddCode(_bstr_t("host.Hello 1\n")), S_OK);
    EXPECT_EQ(*log_, std::vector<std::string>{"Host.Hello(1)"});
}

TEST_F(Control, JScriptIsKnownButRunsNothing)
{
    auto control = NewControl();
    ASSERT_EQ(control->put_Language(_bstr_t("JScript")), S_OK);
    _bstr_t language;
    control->get_Language(language.GetAddress());
    EXPECT_EQ(language.Utf8(), "JScript");
    HRESULT hr = control->AddCode(_bstr_t("var x = 1;"));
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(ErrorOf(control, hr).description.find("JScript"), std::string::npos);
    EXPECT_EQ(control->put_Language(_bstr_t("Klingon")), E_INVALIDARG);

    _com_ptr_t<IScriptControl> fresh;
    CoCreateInstance(CLSID_ScriptControl, nullptr, CLSCTX_ALL, IID_IScriptControl,
                     reinterpret_cast<void**>(&fresh));
    EXPECT_TRUE(FAILED(fresh->AddCode(_bstr_t("x = 1"))));  // no language yet
}

TEST_F(Control, ErrorClearEmptiesTheRecord)
{
    auto control = NewControl();
    ASSERT_TRUE(FAILED(control->AddCode(_bstr_t("x = 1 / 0"))));
    _com_ptr_t<IScriptError> error;
    control->get_Error(&error);
    LONG number = 0;
    error->get_Number(&number);
    EXPECT_EQ(number, 11);
    error->Clear();
    error->get_Number(&number);
    EXPECT_EQ(number, 0);
    _bstr_t text;
    error->get_Text(text.GetAddress());
    EXPECT_EQ(text.length(), 0u);
}

TEST_F(Control, TimeLimitStopsEndlessLoopsAndOnErrorCannotSkipIt)
{
    auto start = std::chrono::steady_clock::now();
    ScriptOutcome out = Run("On Error Resume Next\nDo\n  n = n + 1\nLoop\n", 100);
    EXPECT_TRUE(FAILED(out.hr));
    EXPECT_EQ(out.number, LONG(E_ABORT));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    ScriptOutcome empty = Run("Do : Loop\n", 100);
    EXPECT_EQ(empty.number, LONG(E_ABORT));

    // Without a limit a long loop runs to its end.
    ScriptOutcome unlimited = Run("Set o = CreateObject(\"Test.Recorder\")\n"
                                  "For i = 1 To 300000 : n = n + 1 : Next\no.Done n\n", -1);
    EXPECT_EQ(unlimited.hr, S_OK);
    EXPECT_EQ(unlimited.log, std::vector<std::string>{"R.Done(300000)"});
}

struct EscapeCase {
    std::u16string in;
    std::u16string unescaped;
};

TEST(Unescape, DecodesCompleteSequencesAndKeepsTheRest)
{
    const EscapeCase cases[] = {
        {u"%48%69", u"Hi"},
        {u"%u20AC%u20ac", u"\u20AC\u20AC"},
        {u"%e9%E9", u"\u00E9\u00E9"},
        {u"100%", u"100%"},
        {u"%4", u"%4"},
        {u"%G1", u"%G1"},
        {u"%u12G4", u"%u12G4"},   // not a %u sequence; %u is no %XX either
        {u"%u004", u"%u004"},
        {u"%%41", u"%A"},
        {u"%U0041", u"%U0041"},   // only a lower-case u introduces four digits
        {u"%u0041%", u"A%"},
        {u"a b", u"a b"},
        {u"", u""},
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(vbs::Unescape(c.in), c.unescaped) << Utf8FromWide(c.in.data(), c.in.size());
}

TEST(Escape, RoundTripsEveryCodeUnit)
{
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; c += 7)
        all.push_back(char16_t(c));
    EXPECT_EQ(vbs::Unescape(vbs::Escape(all)), all);
    EXPECT_EQ(vbs::Escape(u"A z@*_+-./~\u00FF\u0100"), u"A%20z@*_+-./%7E%FF%u0100");
}

}  // namespace
