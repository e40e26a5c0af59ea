// The framework's application object. A library or program defines exactly
// one static object of a CWinApp subclass; AfxGetApp returns it.
#pragma once

#include "platform/win32/wintypes.h"

#include <string>

class CWinApp {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Empty when constructed with no name.
    const std::string& AppName() const { return appName_; }

private:
    std::string appName_;
};

CWinApp* AfxGetApp();
