#include "platform/com/Com.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr CLSID CLSID_Counter = {0x1D2C3B4A, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};

// A small automation object: Value (default, read/write), Add(n[, times]) and
// Fail, which fails with a description.
class Counter : public DispatchObject {
public:
    Counter() : DispatchObject("Counter") {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Counter>(
            {
                {"Value", {.get = &Counter::GetValue, .put = &Counter::PutValue}},
                {"Add", {.method = &Counter::Add}},
                {"Fail", {.method = &Counter::Fail}},
            },
            "Value");
        return table;
    }
    HRESULT GetValue(DispatchCall& call) { return call.Return(value_); }
    HRESULT PutValue(DispatchCall& call) { return call.ValueInt(&value_); }
    HRESULT Add(DispatchCall& call)
    {
        if (HRESULT hr = call.Expect(1, 2); FAILED(hr))
            return hr;
        LONG n = 0, times = 1;
        if (HRESULT hr = call.Int(0, &n); FAILED(hr))
            return hr;
        if (call.Has(1))
            if (HRESULT hr = call.Int(1, &times); FAILED(hr))
                return hr;
        value_ += n * times;
        return call.Return(value_);
    }
    HRESULT Fail(DispatchCall& call) { return call.Fail(E_INVALIDARG, "Counter refused."); }
    LONG value_ = 0;
};

struct ComLayer : ::testing::Test {
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

DISPID IdOf(IDispatch* d, const char16_t* name)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

}  // namespace

TEST_F(ComLayer, CreatesRegisteredClassByProgIdAndDispatchesIgnoringCase)
{
    ScopedComClass cls("Test.Counter", CLSID_Counter, [](REFIID riid, void** object) {
        return DispatchObject::CreateInstance<Counter>(riid, object);
    });
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(u"test.COUNTER", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_Counter);
    _com_ptr_t<IDispatch> counter;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                               reinterpret_cast<void**>(&counter)),
              S_OK);

    DISPID add = IdOf(counter, u"aDD");
    ASSERT_NE(add, DISPID_UNKNOWN);
    EXPECT_EQ(IdOf(counter, u"Nope"), DISPID_UNKNOWN);

    // Add(5, 3): arguments travel last first.
    _variant_t args[2] = {_variant_t(LONG(3)), _variant_t("5")};
    DISPPARAMS params = {args, nullptr, 2, 0};
    _variant_t result;
    ASSERT_EQ(counter->Invoke(add, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                              &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 15);

    // The default member answers DISPID_VALUE, both ways.
    _variant_t value(LONG(42));
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&value, &putId, 1, 1};
    ASSERT_EQ(counter->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                              nullptr, nullptr),
              S_OK);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    _variant_t got;
    ASSERT_EQ(counter->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(got.lVal, 42);
    _variant_t asText;
    _variant_t object(counter.GetInterfacePtr());
    ASSERT_EQ(VariantChangeType(&asText, &object, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(asText.bstrVal), "42");
}

TEST_F(ComLayer, DispatchErrorsCarryCodesAndDescriptions)
{
    IDispatch* raw = nullptr;
    ASSERT_EQ(DispatchObject::CreateInstance<Counter>(IID_IDispatch, reinterpret_cast<void**>(&raw)), S_OK);
    _com_ptr_t<IDispatch> counter(raw, false);
    EXCEPINFO info{};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(counter->Invoke(IdOf(counter, u"Fail"), IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                              &info, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_INVALIDARG);
    EXPECT_EQ(Utf8FromBstr(info.bstrDescription), "Counter refused.");
    EXPECT_EQ(Utf8FromBstr(info.bstrSource), "Counter");
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);

    EXPECT_EQ(counter->Invoke(IdOf(counter, u"Add"), IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                              nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    _variant_t word("many");
    DISPPARAMS one = {&word, nullptr, 1, 0};
    EXPECT_EQ(counter->Invoke(IdOf(counter, u"Add"), IID_NULL, 0, DISPATCH_METHOD, &one, nullptr,
                              nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    // A read-only member refuses a put; Add has no put.
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&word, &putId, 1, 1};
    EXPECT_EQ(counter->Invoke(IdOf(counter, u"Add"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &put,
                              nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(ComLayer, UnknownOrHiddenClassesAreNotCreated)
{
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Thing", &clsid), CO_E_CLASSSTRING);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    {
        ScopedComClass cls("Test.Counter", CLSID_Counter, [](REFIID riid, void** o) {
            return DispatchObject::CreateInstance<Counter>(riid, o);
        });
        {
            ScopedComClass hidden("Test.Counter", CLSID_Counter, nullptr);
            EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), CO_E_CLASSSTRING);
        }
        EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), S_OK);
        CoUninitialize();
        EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
                  CO_E_NOTINITIALIZED);
        CoInitialize(nullptr);
    }
    EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), CO_E_CLASSSTRING);
}

TEST(Variant, ChangeTypeFollowsScriptConversions)
{
    struct Case {
        _variant_t from;
        VARTYPE to;
        HRESULT hr;
        const char* text;  // expected as text, for successes
    };
    const Case cases[] = {
        {_variant_t(2.5), VT_I4, S_OK, "2"},  // half to even
        {_variant_t(3.5), VT_I4, S_OK, "4"},
        {_variant_t(" 12 "), VT_I4, S_OK, "12"},
        {_variant_t("&HFF"), VT_I4, S_OK, "255"},
        {_variant_t("twelve"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {_variant_t(1e12), VT_I4, DISP_E_OVERFLOW, nullptr},
        {_variant_t(LONG(40000)), VT_I2, DISP_E_OVERFLOW, nullptr},
        {_variant_t(0.1), VT_BSTR, S_OK, "0.1"},
        {_variant_t(1.0 / 3), VT_BSTR, S_OK, "0.333333333333333"},
        {_variant_t(1e20), VT_BSTR, S_OK, "1E+20"},
        {_variant_t(true), VT_BSTR, S_OK, "-1"},
        {_variant_t(), VT_BSTR, S_OK, ""},
        {_variant_t(), VT_I4, S_OK, "0"},
    };
    for (const Case& c : cases) {
        _variant_t out;
        HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
        EXPECT_EQ(hr, c.hr) << c.to;
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(out.vt, c.to);
            _variant_t text;
            ASSERT_EQ(VariantChangeType(&text, &out, 0, VT_BSTR), S_OK);
            EXPECT_EQ(Utf8FromBstr(text.bstrVal), c.text);
        }
    }
    _variant_t yes(true), text;
    ASSERT_EQ(VariantChangeType(&text, &yes, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(text.bstrVal), "True");
}

TEST(SafeArray, VectorHoldsCopiesAndChecksBounds)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    ASSERT_NE(a, nullptr);
    _variant_t word("word");
    LONG i = 1;
    EXPECT_EQ(SafeArrayPutElement(a, &i, &word), S_OK);
    i = 2;
    EXPECT_EQ(SafeArrayPutElement(a, &i, &word), DISP_E_BADINDEX);
    i = 1;
    VARIANT out;
    EXPECT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_EQ(Utf8FromBstr(out.bstrVal), "word");
    VariantClear(&out);
    LONG lo = -1, hi = -1;
    SafeArrayGetLBound(a, 1, &lo);
    SafeArrayGetUBound(a, 1, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    ASSERT_NE(empty, nullptr);
    i = 0;
    EXPECT_EQ(SafeArrayPutElement(empty, &i, &word), DISP_E_BADINDEX);
    SafeArrayDestroy(empty);
}

TEST(CodePage, WidensWithTerminatorAndReportsShortBuffers)
{
    const char* text = "A\xE2\x82\xAC";  // "A" and the euro sign
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    EXPECT_EQ(count, 3);
    WCHAR buffer[3] = {};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, count - 1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], u'A');
    EXPECT_EQ(buffer[1], u'\x20AC');
    // Broken sequences become U+FFFD, one per bad byte.
    std::u16string wide = WideFromUtf8("a\xC3(\xFF");
    EXPECT_EQ(wide, u"a\xFFFD(\xFFFD");
    EXPECT_EQ(Utf8FromBstr(_bstr_t(u"\xD83D\xDE00")), "\xF0\x9F\x98\x80");
}

// A name in any encoding reads as Windows-1252 shows it, byte by byte,
// while the UTF-8 in it stays as it is.
TEST(CodePage, NamesThatAreNotUtf8ReadAsWindows1252)
{
    struct Case {
        const char* bytes;
        const char* shown;
    };
    const Case cases[] = {
        {"caf\xE9.pdf", "caf\u00E9.pdf"},
        {"na\xC3\xAFve", "na\u00EFve"},                       // UTF-8 kept
        {"\x80\x9F\xA0\xFF", "\u20AC\u0178\u00A0\u00FF"},  // both ends of each range
        {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"}, // unassigned in 1252
        {"\xC3(\xE2\x82", "\u00C3(\u00E2\u201A"},             // broken sequences, byte by byte
        {"\xF0\x9F\x98\x80 \xED\xA0\x80", "\U0001F600 \u00ED\u00A0\u20AC"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ReadingBadBytesAsWindows1252(c.bytes), c.shown) << c.bytes;
}

// Strict widening refuses exactly the malformed texts, also when one holds a
// well-formed U+FFFD of its own; otherwise the units are those of WideFromUtf8.
TEST(CodePage, StrictWideningRefusesOnlyMalformedText)
{
    struct Case {
        const char* text;
        bool wellFormed;
    };
    const Case cases[] = {
        {"plain", true},
        {"\xEF\xBF\xBD kept", true},             // U+FFFD written as such
        {"\xF0\x9F\x98\x80 pair", true},          // a surrogate pair
        {"\xEF\xBF\xBD and \xC3(", false},        // a bad sequence beside a real U+FFFD
        {"cut \xE2\x82", false},                   // cut short at the end
        {"\xED\xA0\x80 surrogate", false},         // an encoded surrogate
        {"\xE0\x80\xAF overlong", false},
    };
    for (const Case& c : cases) {
        std::u16string expected = WideFromUtf8(c.text);
        int length = int(std::strlen(c.text));
        SetLastError(0);
        int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.text, length, nullptr, 0);
        EXPECT_EQ(count, c.wellFormed ? int(expected.size()) : 0) << c.text;
        if (!c.wellFormed) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION)) << c.text;
        }
        std::u16string lenient(expected.size(), u'\0');
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, c.text, length, lenient.data(), int(lenient.size())),
                  int(expected.size()));
        EXPECT_EQ(lenient, expected) << c.text;
    }
}

// ANSI text carries every byte through wide text: a byte that does not
// decode becomes U+DC80 + byte and narrows back to it, through the code-page
// calls and the string layer alike. Valid UTF-8 converts as it always did,
// CP_UTF8 keeps U+FFFD, and strict widening refuses the bad bytes.
TEST(CodePage, AnsiTextKeepsEveryByteThroughWideText)
{
    struct Case {
        const char* text;
        std::u16string wide;  // under CP_ACP
        bool valid;
    };
    const Case cases[] = {
        {"plain", u"plain", true},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", u"caf\u00E9 \u20AC \xD83D\xDE00", true},
        {"\xEF\xBF\xBD", u"\xFFFD", true},                          // a real U+FFFD
        {"caf\xE9.ppt", u"caf\xDCE9.ppt", false},                   // Latin-1
        {"\xC3(", u"\xDCC3(", false},                               // a lead byte without its tail
        {"cut \xE2\x82", u"cut \xDCE2\xDC82", false},               // cut short at the end
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80", false},             // an encoded surrogate
        {"\xC0\xAF \xE0\x80\xAF", u"\xDCC0\xDCAF \xDCE0\xDC80\xDCAF", false},  // overlong
        {"\x80\xBF\xF8\xFF", u"\xDC80\xDCBF\xDCF8\xDCFF", false},   // stray and never-used bytes
        {"\xEF\xBF\xBD\xE9", u"\xFFFD\xDCE9", false},               // beside a real U+FFFD
    };
    for (const Case& c : cases) {
        int length = int(std::strlen(c.text));
        std::u16string wide(c.wide.size(), u'\0');
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, c.text, length, nullptr, 0), int(c.wide.size())) << c.text;
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, c.text, length, wide.data(), int(wide.size())),
                  int(c.wide.size())) << c.text;
        EXPECT_EQ(wide, c.wide) << c.text;
        char narrow[64] = {};
        EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, c.wide.data(), int(c.wide.size()), narrow, 64, nullptr, nullptr),
                  length) << c.text;
        EXPECT_STREQ(narrow, c.text);

        _bstr_t bstr(c.text);
        EXPECT_EQ(std::u16string(bstr.GetBSTR(), bstr.length()), c.wide) << c.text;
        EXPECT_EQ(bstr.Utf8(), c.text);

        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, c.text, length, nullptr, 0),
                  c.valid ? int(c.wide.size()) : 0) << c.text;
        if (!c.valid) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION)) << c.text;
        }
        std::u16string strict = WideFromUtf8(c.text);
        std::u16string utf8(strict.size(), u'\0');
        MultiByteToWideChar(CP_UTF8, 0, c.text, length, utf8.data(), int(utf8.size()));
        EXPECT_EQ(utf8, strict) << c.text;
        EXPECT_EQ(strict == c.wide, c.valid) << c.text;  // U+FFFD where ANSI escapes
    }
}

// Only the escapes narrow to single bytes; other lone surrogates, and the
// escapes under CP_UTF8, become U+FFFD.
TEST(CodePage, OnlyEscapedBytesNarrowToBytes)
{
    struct Case {
        std::u16string wide;
        UINT codePage;
        const char* text;
    };
    const Case cases[] = {
        {u"a\xDCE9", CP_ACP, "a\xE9"},
        {u"a\xDCE9", CP_UTF8, "a\xEF\xBF\xBD"},
        {u"a\xDC7F", CP_ACP, "a\xEF\xBF\xBD"},            // below the escapes
        {u"a\xDD00", CP_ACP, "a\xEF\xBF\xBD"},            // above them
        {u"a\xD800", CP_ACP, "a\xEF\xBF\xBD"},            // a lone high surrogate
        {u"\xD800\xDC80", CP_ACP, "\xF0\x90\x82\x80"},    // a pair, not an escape
    };
    for (const Case& c : cases) {
        char narrow[16] = {};
        WideCharToMultiByte(c.codePage, 0, c.wide.data(), int(c.wide.size()), narrow, 16, nullptr, nullptr);
        EXPECT_STREQ(narrow, c.text);
    }
}
