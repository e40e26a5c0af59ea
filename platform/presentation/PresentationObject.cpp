// A presentation: its page setup, its slides and SaveAs.
#include "platform/presentation/AutomationSupport.h"

#include "platform/presentation/PptFile.h"

#include <cmath>

namespace presentation {

namespace {

// ppSlideSize values and the sizes they stand for, in points.
struct SlideSizeKind {
    LONG kind;
    float width, height;
};
constexpr SlideSizeKind SlideSizes[] = {
    {1, 720, 540},  // on-screen show
    {2, 720, 540},  // letter paper
    {3, 780, 540},  // A4 paper
    {4, 810, 540},  // 35 mm slides
    {5, 720, 540},  // overhead
    {6, 576, 72},   // banner
};
constexpr LONG CustomSlideSize = 7;

class PageSetup : public AppObject {
public:
    PageSetup(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
        : AppObject("PageSetup", std::move(app)), doc_(std::move(doc)) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<PageSetup>({
            {"SlideSize", {.get = &PageSetup::GetSlideSize, .put = &PageSetup::PutSlideSize}},
            {"SlideWidth", {.get = &PageSetup::GetSlideWidth, .put = &PageSetup::PutSlideWidth}},
            {"SlideHeight", {.get = &PageSetup::GetSlideHeight, .put = &PageSetup::PutSlideHeight}},
        });
        return table;
    }
    // The file numbers the same kinds from 0 (SlideSizeEnum).
    void setKind(LONG kind)
    {
        doc_->slideSizeKind = kind;
        doc_->model.slideSizeType = uint16_t(kind - 1);
    }
    HRESULT GetSlideSize(DispatchCall& call) { return call.Return(doc_->slideSizeKind); }
    HRESULT PutSlideSize(DispatchCall& call)
    {
        LONG kind;
        if (HRESULT hr = call.ValueInt(&kind); FAILED(hr)) return hr;
        if (kind == CustomSlideSize) {
            setKind(kind);
            return S_OK;
        }
        for (const SlideSizeKind& size : SlideSizes) {
            if (size.kind != kind) continue;
            setKind(kind);
            doc_->model.slideWidth = size.width;
            doc_->model.slideHeight = size.height;
            return S_OK;
        }
        return call.Fail(E_INVALIDARG, "The specified value is out of range.");
    }
    HRESULT GetSlideWidth(DispatchCall& call) { return call.Return(double(doc_->model.slideWidth)); }
    HRESULT GetSlideHeight(DispatchCall& call) { return call.Return(double(doc_->model.slideHeight)); }
    HRESULT PutSlideWidth(DispatchCall& call) { return putSide(call, doc_->model.slideWidth); }
    HRESULT PutSlideHeight(DispatchCall& call) { return putSide(call, doc_->model.slideHeight); }
    HRESULT putSide(DispatchCall& call, float& side)
    {
        double points;
        if (HRESULT hr = call.ValueDouble(&points); FAILED(hr)) return hr;
        if (!(points >= MinSlideSide && points <= MaxSlideSide))
            return call.Fail(E_INVALIDARG, "The specified value is out of range.");
        side = float(points);
        setKind(CustomSlideSize);
        return S_OK;
    }
    std::shared_ptr<Document> doc_;
};

// ppSaveAsPresentation and ppSaveAsDefault: both the binary presentation.
constexpr LONG SaveAsPresentation = 1;
constexpr LONG SaveAsDefault = 11;

bool endsWithPpt(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = char(tolower(static_cast<unsigned char>(c)));
    return tail == ".ppt";
}

class PresentationObject : public AppObject {
public:
    PresentationObject(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
        : AppObject("Presentation", std::move(app)), doc_(std::move(doc)) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<PresentationObject>({
            {"PageSetup", {.get = &PresentationObject::GetPageSetup}},
            {"Slides", {.get = &PresentationObject::GetSlides}},
            {"SaveAs", {.method = &PresentationObject::SaveAs}},
        });
        return table;
    }
    HRESULT GetPageSetup(DispatchCall& call) { return ReturnObject(call, new PageSetup(app_, doc_)); }
    HRESULT GetSlides(DispatchCall& call) { return ReturnObject(call, NewSlides(app_, doc_)); }
    // SaveAs(FileName[, FileFormat[, EmbedTrueTypeFonts]])
    HRESULT SaveAs(DispatchCall& call)
    {
        std::string name;
        LONG format = SaveAsDefault;
        if (HRESULT hr = call.Expect(1, 3); FAILED(hr)) return hr;
        if (HRESULT hr = call.String(0, &name); FAILED(hr)) return hr;
        if (call.Has(1))
            if (HRESULT hr = call.Int(1, &format); FAILED(hr)) return hr;
        if (format != SaveAsDefault && format != SaveAsPresentation)
            return call.Fail(E_INVALIDARG, "This file format cannot be saved.");
        if (name.empty() || !endsWithPpt(name))
            return call.Fail(E_INVALIDARG, "Only presentations named .ppt can be saved: '" + name + "'.");
        std::string error = SavePptFile(doc_->model, name);
        if (!error.empty()) return call.Fail(E_FAIL, error);
        return S_OK;
    }
    std::shared_ptr<Document> doc_;
};

} // namespace

IDispatch* NewPresentation(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc)
{
    return new PresentationObject(std::move(app), std::move(doc));
}

} // namespace presentation
