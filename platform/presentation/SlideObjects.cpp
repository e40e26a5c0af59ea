// Slides, a slide, its Shapes collection and a shape.
#include "platform/presentation/AutomationSupport.h"

namespace presentation {

namespace {

constexpr LONG LayoutBlank = 12;            // ppLayoutBlank
constexpr LONG TextOrientationHorizontal = 1;  // msoTextOrientationHorizontal

class Slides : public AppObject {
public:
    Slides(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
        : AppObject("Slides", std::move(app)), doc_(std::move(doc)) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Slides>({
            {"Add", {.method = &Slides::Add}},
            {"Count", {.get = &Slides::GetCount}},
            {"Item", {.method = &Slides::Item}},
        }, "Item");
        return table;
    }
    // Add(Index, Layout): the new slide takes position Index, 1 to Count + 1.
    HRESULT Add(DispatchCall& call)
    {
        auto& slides = doc_->model.slides;
        size_t at;
        LONG layout;
        if (HRESULT hr = call.Expect(2, 2); FAILED(hr)) return hr;
        if (HRESULT hr = ArgIndex(call, 0, slides.size() + 1, &at); FAILED(hr)) return hr;
        if (HRESULT hr = call.Int(1, &layout); FAILED(hr)) return hr;
        if (layout != LayoutBlank) return call.Fail(E_INVALIDARG, "Only the blank slide layout is available.");
        auto slide = slides.insert(slides.begin() + long(at), std::make_unique<Slide>());
        return call.ReturnNew(NewSlide(app_, doc_, slide->get()));
    }
    HRESULT GetCount(DispatchCall& call) { return call.Return(LONG(doc_->model.slides.size())); }
    HRESULT Item(DispatchCall& call)
    {
        const auto& slides = doc_->model.slides;
        return ReturnItem(call, slides.size(), [&](size_t i) { return NewSlide(app_, doc_, slides[i].get()); });
    }
    std::shared_ptr<Document> doc_;
};

class Shapes : public AppObject {
public:
    Shapes(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Slide* slide)
        : AppObject("Shapes", std::move(app)), doc_(std::move(doc)), slide_(slide) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Shapes>({
            {"AddPicture", {.method = &Shapes::AddPicture}},
            {"AddTextbox", {.method = &Shapes::AddTextbox}},
            {"Count", {.get = &Shapes::GetCount}},
            {"Item", {.method = &Shapes::Item}},
        }, "Item");
        return table;
    }
    HRESULT anchorFrom(DispatchCall& call, size_t first, Anchor* a)
    {
        if (HRESULT hr = ArgPoints(call, first, &a->left, false); FAILED(hr)) return hr;
        if (HRESULT hr = ArgPoints(call, first + 1, &a->top, false); FAILED(hr)) return hr;
        if (HRESULT hr = ArgPoints(call, first + 2, &a->width, true); FAILED(hr)) return hr;
        if (HRESULT hr = ArgPoints(call, first + 3, &a->height, true); FAILED(hr)) return hr;
        return CheckShapeFits(call, *a);
    }
    HRESULT add(DispatchCall& call, Shape shape)
    {
        slide_->shapes.push_back(std::make_unique<Shape>(std::move(shape)));
        return call.ReturnNew(NewShape(app_, doc_, slide_->shapes.back().get()));
    }
    // AddPicture(FileName, LinkToFile, SaveWithDocument, Left, Top[, Width, Height]):
    // the picture is read now and embedded; without a size it shows at 96 dpi.
    HRESULT AddPicture(DispatchCall& call)
    {
        std::string path, error;
        bool link, save;
        if (HRESULT hr = call.Expect(5, 7); FAILED(hr)) return hr;
        if (HRESULT hr = call.String(0, &path); FAILED(hr)) return hr;
        if (HRESULT hr = call.Bool(1, &link); FAILED(hr)) return hr;
        if (HRESULT hr = call.Bool(2, &save); FAILED(hr)) return hr;
        if (link || !save) return call.Fail(E_INVALIDARG, "Pictures can only be embedded, not linked.");
        PictureShape picture;
        if (HRESULT hr = ArgPoints(call, 3, &picture.anchor.left, false); FAILED(hr)) return hr;
        if (HRESULT hr = ArgPoints(call, 4, &picture.anchor.top, false); FAILED(hr)) return hr;
        auto data = ReadPictureFile(path, error);
        if (!data) return call.Fail(E_FAIL, error);
        picture.anchor.width = float(data->width) * 0.75f;
        picture.anchor.height = float(data->height) * 0.75f;
        if (call.Has(5))
            if (HRESULT hr = ArgPoints(call, 5, &picture.anchor.width, true); FAILED(hr)) return hr;
        if (call.Has(6))
            if (HRESULT hr = ArgPoints(call, 6, &picture.anchor.height, true); FAILED(hr)) return hr;
        if (HRESULT hr = CheckShapeFits(call, picture.anchor); FAILED(hr)) return hr;
        picture.picture = doc_->model.addPicture(std::move(*data));
        return add(call, picture);
    }
    // AddTextbox(Orientation, Left, Top, Width, Height)
    HRESULT AddTextbox(DispatchCall& call)
    {
        LONG orientation;
        TextBoxShape box{{}, TextBody(doc_->model.formats)};
        if (HRESULT hr = call.Expect(5, 5); FAILED(hr)) return hr;
        if (HRESULT hr = call.Int(0, &orientation); FAILED(hr)) return hr;
        if (orientation != TextOrientationHorizontal)
            return call.Fail(E_INVALIDARG, "Only horizontal text boxes are available.");
        if (HRESULT hr = anchorFrom(call, 1, &box.anchor); FAILED(hr)) return hr;
        return add(call, std::move(box));
    }
    HRESULT GetCount(DispatchCall& call) { return call.Return(LONG(slide_->shapes.size())); }
    HRESULT Item(DispatchCall& call)
    {
        const auto& shapes = slide_->shapes;
        return ReturnItem(call, shapes.size(), [&](size_t i) { return NewShape(app_, doc_, shapes[i].get()); });
    }
    std::shared_ptr<Document> doc_;
    Slide* slide_;
};

class SlideObject : public AppObject {
public:
    SlideObject(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Slide* slide)
        : AppObject("Slide", std::move(app)), doc_(std::move(doc)), slide_(slide) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<SlideObject>({
            {"Shapes", {.get = &SlideObject::GetShapes}},
            {"SlideIndex", {.get = &SlideObject::GetSlideIndex}},
        });
        return table;
    }
    HRESULT GetShapes(DispatchCall& call) { return ReturnObject(call, new Shapes(app_, doc_, slide_)); }
    HRESULT GetSlideIndex(DispatchCall& call)
    {
        const auto& slides = doc_->model.slides;
        for (size_t i = 0; i < slides.size(); ++i)
            if (slides[i].get() == slide_) return call.Return(LONG(i + 1));
        return call.Fail(E_FAIL, "The slide is gone.");
    }
    std::shared_ptr<Document> doc_;
    Slide* slide_;
};

class ShapeObject : public AppObject {
public:
    ShapeObject(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Shape* shape)
        : AppObject("Shape", std::move(app)), doc_(std::move(doc)), shape_(shape) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<ShapeObject>({
            {"HasTextFrame", {.get = &ShapeObject::GetHasTextFrame}},
            {"TextFrame", {.get = &ShapeObject::GetTextFrame}},
            {"Left", {.get = &ShapeObject::GetLeft}},
            {"Top", {.get = &ShapeObject::GetTop}},
            {"Width", {.get = &ShapeObject::GetWidth}},
            {"Height", {.get = &ShapeObject::GetHeight}},
        });
        return table;
    }
    const Anchor& anchor() const
    {
        return std::visit([](const auto& s) -> const Anchor& { return s.anchor; }, *shape_);
    }
    HRESULT GetHasTextFrame(DispatchCall& call)
    {
        return call.Return(TriState(std::holds_alternative<TextBoxShape>(*shape_)));
    }
    HRESULT GetTextFrame(DispatchCall& call)
    {
        auto box = std::get_if<TextBoxShape>(shape_);
        if (!box) return call.Fail(E_FAIL, "This shape has no text frame.");
        return ReturnObject(call, NewTextFrame(app_, doc_, box));
    }
    HRESULT GetLeft(DispatchCall& call) { return call.Return(double(anchor().left)); }
    HRESULT GetTop(DispatchCall& call) { return call.Return(double(anchor().top)); }
    HRESULT GetWidth(DispatchCall& call) { return call.Return(double(anchor().width)); }
    HRESULT GetHeight(DispatchCall& call) { return call.Return(double(anchor().height)); }
    std::shared_ptr<Document> doc_;
    Shape* shape_;
};

} // namespace

IDispatch* NewSlides(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
{
    return new Slides(std::move(app), std::move(doc));
}

IDispatch* NewSlide(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Slide* slide)
{
    return new SlideObject(std::move(app), std::move(doc), slide);
}

IDispatch* NewShape(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, Shape* shape)
{
    return new ShapeObject(std::move(app), std::move(doc), shape);
}

} // namespace presentation
