#include "frontend/UiThreadCall.h"

#include <future>

#include <wx/app.h>
#include <wx/thread.h>

LRESULT CallOnUiThread(const std::function<LRESULT()>& call) {
    if (wxIsMainThread() || !wxTheApp)
        return call();
    std::promise<LRESULT> done;
    std::future<LRESULT> result = done.get_future();
    wxTheApp->CallAfter([&] { done.set_value(call()); });
    return result.get();
}
