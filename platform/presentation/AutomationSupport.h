// What every automation object of the presentation application shares: the
// application's state (which presentations exist, whether it has quit), a
// base class that refuses every call once the application has quit, and
// text conversions between the call's strings and the model's UTF-16.
#pragma once

#include "platform/com/DispatchObject.h"
#include "platform/presentation/Presentation.h"

#include <memory>
#include <string>
#include <vector>

namespace presentation {

// The object that a call reaches after Quit is gone, as it is once the
// application's process has ended.
constexpr HRESULT RPC_E_DISCONNECTED = HRESULT(0x80010108L);

struct Document {
    Presentation model;
    LONG slideSizeKind = 1;  // ppSlideSizeOnScreen
};

struct AppState {
    bool quit = false;
    std::vector<std::shared_ptr<Document>> presentations;
};

class AppObject : public DispatchObject {
public:
    AppObject(std::string source, std::shared_ptr<AppState> app)
        : DispatchObject(std::move(source)), app_(std::move(app)) {}
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override;

protected:
    std::shared_ptr<AppState> app_;
};

HRESULT ArgText(const DispatchCall& call, size_t i, std::u16string* out);
HRESULT ValueText(const DispatchCall& call, std::u16string* out);
HRESULT ReturnText(DispatchCall& call, const std::u16string& text);

// Shape edges stay within 4095 points of the slide's corner, so that their
// master units fit the file's 16-bit anchors; the largest slide is 4032.
constexpr double MaxShapeEdge = 4095;

// Returns a property's object, adopting its reference. Arguments given to
// the property go to the object's default member, as `Presentations(1)`
// means `Presentations.Item(1)`.
HRESULT ReturnObject(DispatchCall& call, IDispatch* object);

// A point value for a position or a size.
HRESULT ArgPoints(DispatchCall& call, size_t i, float* out, bool size);
HRESULT CheckShapeFits(DispatchCall& call, const Anchor& anchor);
// A 1-based index into a collection of count items.
HRESULT ArgIndex(DispatchCall& call, size_t i, size_t count, size_t* out);
// A collection's Item(Index): the object make(position) gives, position
// 0-based, for an index within the count.
template <class Make> HRESULT ReturnItem(DispatchCall& call, size_t count, Make make)
{
    size_t index;
    if (HRESULT hr = call.Expect(1, 1); FAILED(hr)) return hr;
    if (HRESULT hr = ArgIndex(call, 0, count, &index); FAILED(hr)) return hr;
    return call.ReturnNew(make(index));
}
// True or msoTrue (-1) and msoCTrue (1) are true.
LONG TriState(bool value);

// The objects, each made with one reference for the caller.
IDispatch* NewApplication();
IDispatch* NewPresentations(std::shared_ptr<AppState> app);
IDispatch* NewPresentation(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc);
IDispatch* NewSlides(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc);
IDispatch* NewSlide(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Slide* slide);
IDispatch* NewShape(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Shape* shape);
IDispatch* NewTextFrame(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, TextBoxShape* box);

} // namespace presentation
