// Runs a call on the UI thread and waits for its result, as a message sent
// from another thread waits for the window that takes it. On the UI thread
// itself the call runs at once.
#pragma once

#include <functional>

#include "platform/win32/wintypes.h"

LRESULT CallOnUiThread(const std::function<LRESULT()>& call);
