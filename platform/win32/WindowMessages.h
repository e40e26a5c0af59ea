// Window message numbers, virtual-key codes and message-box flags of the
// window layer, with their Win32 values, and the message record the loop
// passes around. The desktop program's toolkit events are told apart by them.
#pragma once

#include "platform/win32/wintypes.h"

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

#define WM_NULL 0x0000
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_NCMOUSEMOVE 0x00A0
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_SYSTIMER 0x0118
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_DROPFILES 0x0233
#define WM_USER 0x0400

#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B

#define IDOK 1
#define IDCANCEL 2

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L
