// The self-describing value passed through dispatch calls: a type tag `vt`
// and a union of the payloads. A VARIANT owns its BSTR, array and interface
// reference (VariantClear frees them), except when VT_BYREF is set.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/HResult.h"

#include <string>

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef double DOUBLE;
typedef double DATE;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        VARIANT* pvarVal;
        void* byref;
    };
};
typedef VARIANT VARIANTARG;

#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_DISPATCH(v) ((v)->pdispVal)

// Flags of VariantChangeType.
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02  // booleans become "True"/"False", not "-1"/"0"

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Copies the value a VT_BYREF variant points at (plain copy otherwise).
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts to VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL, VT_UI1,
// VT_BSTR or VT_DISPATCH. An object converts through its default member.
// dest may equal src. Numbers round half to even; out of range gives
// DISP_E_OVERFLOW; text that is no number gives DISP_E_TYPEMISMATCH.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);

// Conveniences of this layer. The setters clear dest first.
void VariantSetI4(VARIANT* dest, LONG value);
void VariantSetR8(VARIANT* dest, double value);
void VariantSetBool(VARIANT* dest, bool value);
void VariantSetUtf8(VARIANT* dest, std::string_view text);
void VariantSetDispatch(VARIANT* dest, IDispatch* object);  // adds a reference
// A missing optional argument: VT_ERROR with DISP_E_PARAMNOTFOUND.
void VariantSetMissing(VARIANT* dest);
bool VariantIsMissing(const VARIANT* v);
