// Late-bound calls: names are looked up to member ids (ignoring case), and a
// member is invoked as a method, a property get, a property put or a
// put-by-reference. Arguments arrive in DISPPARAMS in reverse order (the last
// argument first); a put's value is the first entry, named DISPID_PROPERTYPUT.
// DISPID_VALUE is the default member, so `obj(1)` means `obj.Item(1)`.
// A member that fails with a description returns DISP_E_EXCEPTION and fills
// the EXCEPINFO; the caller frees its BSTRs.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

typedef LONG DISPID;
typedef DWORD LCID;

#define DISPID_UNKNOWN ((DISPID)-1)
#define DISPID_VALUE ((DISPID)0)
#define DISPID_PROPERTYPUT ((DISPID)-3)

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

#define LOCALE_USER_DEFAULT ((LCID)0x0400)

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

struct IDispatch : IUnknown {
    static constexpr IID kIid = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};

inline constexpr IID IID_IDispatch = IDispatch::kIid;
inline constexpr IID IID_NULL = GUID_NULL;
