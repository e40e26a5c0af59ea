// "PowerPoint.Application": the application object and its Presentations
// collection. Quit ends the application: every object of it refuses calls
// from then on.
#include "platform/presentation/AutomationSupport.h"

#include "platform/com/ComRuntime.h"

namespace presentation {

namespace {

class Application : public AppObject {
public:
    Application() : AppObject("Application", std::make_shared<AppState>()) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Application>({
            {"Presentations", {.get = &Application::GetPresentations}},
            {"Quit", {.method = &Application::Quit}},
        });
        return table;
    }
    HRESULT GetPresentations(DispatchCall& call) { return ReturnObject(call, NewPresentations(app_)); }
    HRESULT Quit(DispatchCall&)
    {
        app_->quit = true;
        app_->presentations.clear();
        return S_OK;
    }
};

class Presentations : public AppObject {
public:
    explicit Presentations(std::shared_ptr<AppState> app) : AppObject("Presentations", std::move(app)) {}

private:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table = DispatchTable::Of<Presentations>({
            {"Add", {.method = &Presentations::Add}},
            {"Count", {.get = &Presentations::GetCount}},
            {"Item", {.method = &Presentations::Item}},
        }, "Item");
        return table;
    }
    // Add(WithWindow): a window changes nothing here.
    HRESULT Add(DispatchCall& call)
    {
        if (HRESULT hr = call.Expect(0, 1); FAILED(hr)) return hr;
        app_->presentations.push_back(std::make_shared<Document>());
        return call.ReturnNew(NewPresentation(app_, app_->presentations.back()));
    }
    HRESULT GetCount(DispatchCall& call) { return call.Return(LONG(app_->presentations.size())); }
    HRESULT Item(DispatchCall& call)
    {
        const auto& presentations = app_->presentations;
        return ReturnItem(call, presentations.size(), [&](size_t i) { return NewPresentation(app_, presentations[i]); });
    }
};

// {6A3F0C52-8E1D-4B7A-9C35-2D48E1F7A901}, this stand-in's own class id.
constexpr CLSID CLSID_PresentationApplication = {
    0x6A3F0C52, 0x8E1D, 0x4B7A, {0x9C, 0x35, 0x2D, 0x48, 0xE1, 0xF7, 0xA9, 0x01}};

const ComClassRegistration registration("PowerPoint.Application", CLSID_PresentationApplication,
    [](REFIID riid, void** object) { return DispatchObject::CreateInstance<Application>(riid, object); });

} // namespace

IDispatch* NewApplication() { return new Application(); }
IDispatch* NewPresentations(std::shared_ptr<AppState> app) { return new Presentations(std::move(app)); }

} // namespace presentation
