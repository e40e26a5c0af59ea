// Arrays with per-dimension bounds. Elements are VARIANTs, BSTRs or 4-byte
// integers; SafeArrayPutElement copies the value in, SafeArrayGetElement
// copies it out, SafeArrayDestroy frees the elements.
#pragma once

#include "platform/com/Variant.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    VARTYPE vt;  // element type
    SAFEARRAYBOUND rgsabound[1];  // cDims entries, leftmost dimension last
};

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// Frees an array of which only the first made elements were ever written:
// the others are neither cleared nor touched, so a large array given up
// while it was being filled costs no more to free than what was filled.
HRESULT SafeArrayDestroyPart(SAFEARRAY* array, size_t made);
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
UINT SafeArrayGetDim(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
// The element at the given indices, for reading in place (null when out of range).
void* SafeArrayElementPointer(SAFEARRAY* array, LONG* indices);
// How many elements the array holds over all its dimensions.
size_t SafeArrayElementCount(const SAFEARRAY* array);
