// A text box's TextFrame, its TextRange and a range's Font and Color.
// A range is the whole text, or the characters that Characters picked.
#include "platform/presentation/AutomationSupport.h"

#include <algorithm>
#include <cmath>

namespace presentation {

namespace {

struct RangeRef {
    bool whole = true;
    long start = 1, length = 0;  // 1-based, when not whole
};

// A new text box as the application makes one: 18 pt Arial, black, word
// wrap on, the shape sized to its text, margins 7.2 pt left and right and
// 3.6 pt top and bottom.
constexpr double MarginLeftRight = 7.2;
constexpr double MarginTopBottom = 3.6;
constexpr LONG AutoSizeShapeToFitText = 1;  // ppAutoSizeShapeToFitText
constexpr LONG TriStateMixed = -2;          // msoTriStateMixed

class TextPart : public AppObject {
public:
    TextPart(std::string source, std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, TextBoxShape* box,
             RangeRef range)
        : AppObject(std::move(source), std::move(app)), doc_(std::move(doc)), box_(box), range_(range) {}

protected:
    TextBody& body() { return box_->body; }
    TextSpan span() { return range_.whole ? TextSpan{0, body().length()} : body().clip(range_.start, range_.length); }
    template <class Get> HRESULT returnFlag(DispatchCall& call, Get get)
    {
        TextSpan s = span();
        bool first = get(body().formatOf(s));
        if (!body().allOf(s, [&](const CharFormat& f) { return get(f) == first; })) return call.Return(TriStateMixed);
        return call.Return(TriState(first));
    }
    template <class Set> HRESULT putFlag(DispatchCall& call, Set set)
    {
        bool value;
        if (HRESULT hr = call.ValueBool(&value); FAILED(hr)) return hr;
        body().change(span(), [&](CharFormat& f) { set(f, value); });
        return S_OK;
    }

    std::shared_ptr<Document> doc_;
    TextBoxShape* box_;
    RangeRef range_;
};

class ColorFormat : public TextPart {
public:
    using TextPart::TextPart;

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<ColorFormat>({
            {"RGB", {.get = &ColorFormat::GetRGB, .put = &ColorFormat::PutRGB}},
        }, "RGB");
        return table;
    }
    HRESULT GetRGB(DispatchCall& call) { return call.Return(LONG(body().formatOf(span()).rgb)); }
    HRESULT PutRGB(DispatchCall& call)
    {
        LONG rgb;
        if (HRESULT hr = call.ValueInt(&rgb); FAILED(hr)) return hr;
        if (rgb < 0 || rgb > 0xFFFFFF) return call.Fail(E_INVALIDARG, "The specified value is out of range.");
        body().change(span(), [&](CharFormat& f) { f.rgb = uint32_t(rgb); });
        return S_OK;
    }
};

// The longest face name the file's font table holds.
constexpr size_t MaxFontName = 31;
constexpr double MinFontSize = 1, MaxFontSize = 4000;

class Font : public TextPart {
public:
    using TextPart::TextPart;

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Font>({
            {"Name", {.get = &Font::GetName, .put = &Font::PutName}},
            {"Size", {.get = &Font::GetSize, .put = &Font::PutSize}},
            {"Bold", {.get = &Font::GetBold, .put = &Font::PutBold}},
            {"Italic", {.get = &Font::GetItalic, .put = &Font::PutItalic}},
            {"Underline", {.get = &Font::GetUnderline, .put = &Font::PutUnderline}},
            {"Color", {.get = &Font::GetColor}},
        });
        return table;
    }
    HRESULT GetName(DispatchCall& call) { return ReturnText(call, body().formatOf(span()).fontName); }
    HRESULT PutName(DispatchCall& call)
    {
        std::u16string name;
        if (HRESULT hr = ValueText(call, &name); FAILED(hr)) return hr;
        if (name.empty() || name.size() > MaxFontName || name.find(u'\0') != std::u16string::npos)
            return call.Fail(E_INVALIDARG, "The specified value is out of range.");
        body().change(span(), [&](CharFormat& f) { f.fontName = name; });
        return S_OK;
    }
    HRESULT GetSize(DispatchCall& call) { return call.Return(double(body().formatOf(span()).size)); }
    HRESULT PutSize(DispatchCall& call)
    {
        double size;
        if (HRESULT hr = call.ValueDouble(&size); FAILED(hr)) return hr;
        if (!(size >= MinFontSize && size <= MaxFontSize))
            return call.Fail(E_INVALIDARG, "The specified value is out of range.");
        body().change(span(), [&](CharFormat& f) { f.size = int(std::lround(size)); });
        return S_OK;
    }
    HRESULT GetBold(DispatchCall& call) { return returnFlag(call, [](const CharFormat& f) { return f.bold; }); }
    HRESULT GetItalic(DispatchCall& call) { return returnFlag(call, [](const CharFormat& f) { return f.italic; }); }
    HRESULT GetUnderline(DispatchCall& call) { return returnFlag(call, [](const CharFormat& f) { return f.underline; }); }
    HRESULT PutBold(DispatchCall& call) { return putFlag(call, [](CharFormat& f, bool v) { f.bold = v; }); }
    HRESULT PutItalic(DispatchCall& call) { return putFlag(call, [](CharFormat& f, bool v) { f.italic = v; }); }
    HRESULT PutUnderline(DispatchCall& call) { return putFlag(call, [](CharFormat& f, bool v) { f.underline = v; }); }
    HRESULT GetColor(DispatchCall& call) { return ReturnObject(call, new ColorFormat("ColorFormat", app_, doc_, box_, range_)); }
};

class TextRange : public TextPart {
public:
    using TextPart::TextPart;

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<TextRange>({
            {"Text", {.get = &TextRange::GetText, .put = &TextRange::PutText}},
            {"Length", {.get = &TextRange::GetLength}},
            {"Start", {.get = &TextRange::GetStart}},
            {"Characters", {.method = &TextRange::Characters}},
            {"Font", {.get = &TextRange::GetFont}},
        }, "Text");
        return table;
    }
    HRESULT GetText(DispatchCall& call) { return ReturnText(call, body().textOf(span())); }
    HRESULT PutText(DispatchCall& call)
    {
        std::u16string text;
        if (HRESULT hr = ValueText(call, &text); FAILED(hr)) return hr;
        body().replace(span(), text);
        return S_OK;
    }
    HRESULT GetLength(DispatchCall& call) { return call.Return(LONG(span().length)); }
    HRESULT GetStart(DispatchCall& call) { return call.Return(LONG(span().start + 1)); }
    // Characters(Start[, Length]): 1-based within this range, clipped to it.
    HRESULT Characters(DispatchCall& call)
    {
        LONG start, length = 1;
        if (HRESULT hr = call.Expect(1, 2); FAILED(hr)) return hr;
        if (HRESULT hr = call.Int(0, &start); FAILED(hr)) return hr;
        if (call.Has(1))
            if (HRESULT hr = call.Int(1, &length); FAILED(hr)) return hr;
        TextSpan outer = span();
        long first = std::clamp<long>(start - 1, 0, long(outer.length));
        long count = std::clamp<long>(length, 0, long(outer.length) - first);
        RangeRef inner{false, long(outer.start) + first + 1, count};
        return call.ReturnNew(new TextRange("TextRange", app_, doc_, box_, inner));
    }
    HRESULT GetFont(DispatchCall& call) { return ReturnObject(call, new Font("Font", app_, doc_, box_, range_)); }
};

class TextFrame : public TextPart {
public:
    using TextPart::TextPart;

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<TextFrame>({
            {"TextRange", {.get = &TextFrame::GetTextRange}},
            {"HasText", {.get = &TextFrame::GetHasText}},
            {"WordWrap", {.get = &TextFrame::GetWordWrap}},
            {"AutoSize", {.get = &TextFrame::GetAutoSize}},
            {"MarginLeft", {.get = &TextFrame::GetMarginLeftRight}},
            {"MarginRight", {.get = &TextFrame::GetMarginLeftRight}},
            {"MarginTop", {.get = &TextFrame::GetMarginTopBottom}},
            {"MarginBottom", {.get = &TextFrame::GetMarginTopBottom}},
        });
        return table;
    }
    HRESULT GetTextRange(DispatchCall& call) { return ReturnObject(call, new TextRange("TextRange", app_, doc_, box_, {})); }
    HRESULT GetHasText(DispatchCall& call) { return call.Return(TriState(body().length() > 0)); }
    HRESULT GetWordWrap(DispatchCall& call) { return call.Return(TriState(true)); }
    HRESULT GetAutoSize(DispatchCall& call) { return call.Return(AutoSizeShapeToFitText); }
    HRESULT GetMarginLeftRight(DispatchCall& call) { return call.Return(MarginLeftRight); }
    HRESULT GetMarginTopBottom(DispatchCall& call) { return call.Return(MarginTopBottom); }
};

} // namespace

IDispatch* NewTextFrame(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, TextBoxShape* box)
{
    return new TextFrame("TextFrame", std::move(app), std::move(doc), box, {});
}

} // namespace presentation
