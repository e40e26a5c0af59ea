// The whole component layer in one include.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/win32/CodePage.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ComSupport.h"
#include "platform/com/Dispatch.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
