#include "platform/com/ComRuntime.h"

#include "platform/com/Bstr.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace {

thread_local int initCount = 0;

struct ClassRegistry {
    std::mutex lock;
    std::vector<ComClassEntry> entries;
};

// Built on first use, so registrations from static objects of any source work;
// being made before any of them, it is destroyed after them, when the library
// is unloaded.
ClassRegistry& Registry()
{
    static ClassRegistry registry;
    return registry;
}

bool SameProgId(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return initCount++ == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (initCount > 0)
        --initCount;
}

std::optional<ComClassEntry> ComRegisterClass(const char* progId, REFCLSID clsid,
                                              ComCreateFunction create)
{
    ClassRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    std::optional<ComClassEntry> previous;
    auto it = std::find_if(r.entries.begin(), r.entries.end(),
                           [&](const ComClassEntry& e) { return e.clsid == clsid; });
    if (it != r.entries.end()) {
        previous = std::move(*it);
        r.entries.erase(it);
    }
    if (create)
        r.entries.push_back({progId ? progId : "", clsid, std::move(create)});
    return previous;
}

ComClassRegistration::ComClassRegistration(const char* progId, REFCLSID clsid,
                                           ComCreateFunction create)
{
    ComRegisterClass(progId, clsid, std::move(create));
}

ScopedComClass::ScopedComClass(const char* progId, REFCLSID clsid, ComCreateFunction create)
    : progId_(progId ? progId : ""), clsid_(clsid)
{
    bool removing = !create;
    previous_ = ComRegisterClass(progId, clsid, std::move(create));
    if (removing && !previous_ && !progId_.empty()) {
        // Hiding a class by its ProgID when it is registered under another CLSID.
        CLSID other;
        std::u16string wide = WideFromUtf8(progId_);
        if (SUCCEEDED(CLSIDFromProgID(wide.c_str(), &other))) {
            clsid_ = other;
            previous_ = ComRegisterClass(progId, other, nullptr);
        }
    }
}

ScopedComClass::~ScopedComClass()
{
    ComRegisterClass(progId_.c_str(), clsid_, nullptr);
    if (previous_)
        ComRegisterClass(previous_->progId.c_str(), previous_->clsid, previous_->create);
}

HRESULT CLSIDFromProgID(const WCHAR* progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    std::u16string_view wide(progId);
    std::string name = Utf8FromWide(wide.data(), wide.size());
    ClassRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    // The latest registration of a ProgID wins, so a test can stand in for a class.
    for (auto it = r.entries.rbegin(); it != r.entries.rend(); ++it)
        if (SameProgId(it->progId, name)) {
            *clsid = it->clsid;
            return S_OK;
        }
    return CO_E_CLASSSTRING;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (initCount == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ComCreateFunction create;
    {
        ClassRegistry& r = Registry();
        std::lock_guard guard(r.lock);
        for (const ComClassEntry& e : r.entries)
            if (e.clsid == clsid)
                create = e.create;
    }
    if (!create)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = create(riid, object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT OleRun(IUnknown* object)
{
    return object ? S_OK : E_INVALIDARG;
}
