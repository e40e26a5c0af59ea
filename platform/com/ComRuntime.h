// The in-process component runtime: per-thread initialisation, a class
// registry mapping CLSIDs and ProgIDs to creation functions, and the calls
// that create objects from it.
//
// A component registers itself with a static object in one of its sources:
//
//     static const ComClassRegistration registration(
//         "Thing.Application", CLSID_Thing,
//         [](REFIID riid, void** object) { return CreateThing(riid, object); });
//
// The creation function makes a new object and returns the interface riid
// with one reference in *object (E_NOINTERFACE and a null *object otherwise).
// Tests replace a class for their lifetime with ScopedComClass, or remove it
// with ScopedComClass(progId, clsid, nullptr).
//
// CoCreateInstance needs CoInitialize on the calling thread first
// (CO_E_NOTINITIALIZED otherwise), as the platform does.
#pragma once

#include "platform/com/Unknown.h"

#include <functional>
#include <optional>
#include <string>

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         LPVOID* object);
// Puts a created object into its running state; in process that is a no-op.
HRESULT OleRun(IUnknown* object);
// The ProgID compares ignoring case; an unknown one gives CO_E_CLASSSTRING.
HRESULT CLSIDFromProgID(const WCHAR* progId, CLSID* clsid);

using ComCreateFunction = std::function<HRESULT(REFIID riid, void** object)>;

struct ComClassEntry {
    std::string progId;
    CLSID clsid;
    ComCreateFunction create;
};

// Registers (or replaces) a class; a null function removes it. Returns the
// entry that was there before, if any.
std::optional<ComClassEntry> ComRegisterClass(const char* progId, REFCLSID clsid,
                                              ComCreateFunction create);

class ComClassRegistration {
public:
    ComClassRegistration(const char* progId, REFCLSID clsid, ComCreateFunction create);
};

class ScopedComClass {
public:
    ScopedComClass(const char* progId, REFCLSID clsid, ComCreateFunction create);
    ~ScopedComClass();
    ScopedComClass(const ScopedComClass&) = delete;
    ScopedComClass& operator=(const ScopedComClass&) = delete;

private:
    std::string progId_;
    CLSID clsid_;
    std::optional<ComClassEntry> previous_;
};
