// The Windows handle types, structures, macros and constants the dialog layer speaks. On Windows
// they come from the system headers; elsewhere they are defined here with the same names and
// values, so code and templates pass them through unchanged.
#pragma once

#include "profile/win_types.h"

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
#else
#include <cstdint>

using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

// Opaque handles: distinct pointer types, so one kind cannot be passed for another.
struct HWND__;
struct HICON__;
struct HMENU__;
struct HDC__;
struct HINSTANCE__;
using HWND = HWND__*;
using HICON = HICON__*;
using HCURSOR = HICON;
using HMENU = HMENU__*;
using HDC = HDC__*;
using HINSTANCE = HINSTANCE__*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define MAKEWPARAM(lo, hi)                                            \
    (static_cast<WPARAM>(static_cast<DWORD>((static_cast<WORD>(lo)) | \
                                            (static_cast<DWORD>(static_cast<WORD>(hi)) << 16))))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)

// Messages.
#define WM_DESTROY 0x0002
#define WM_ACTIVATE 0x0006
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_USER 0x0400

#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WM_LBUTTONUP 0x0202

// Asking for the operator's attention: the taskbar entry until the window comes to the front.
struct FLASHWINFO {
    UINT cbSize;
    HWND hwnd;
    DWORD dwFlags;
    UINT uCount;
    DWORD dwTimeout;
};
using PFLASHWINFO = FLASHWINFO*;
#define FLASHW_TRAY 0x00000002
#define FLASHW_TIMERNOFG 0x0000000C

// The notification-area icon and its balloon, as far as XP has them.
struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    UINT uTimeout;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA*;
#define NOTIFYICONDATAA_V2_SIZE sizeof(NOTIFYICONDATAA)
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_INFO 0x00000010
#define NIIF_INFO 0x00000001
#define NIIF_WARNING 0x00000002
#define NIIF_ERROR 0x00000003
#define NIIF_ICON_MASK 0x0000000F
#define NIN_BALLOONUSERCLICK (WM_USER + 5)

#define ICON_SMALL 0
#define ICON_BIG 1

// System commands.
#define SC_CLOSE 0xF060

// Dialog results and ids.
#define IDOK 1
#define IDCANCEL 2

// Window styles.
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_EX_APPWINDOW 0x00040000L

// Dialog styles.
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L

// Buttons.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL
#define BN_CLICKED 0
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001

// Edits.
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define ES_READONLY 0x0800L
#define ES_NUMBER 0x2000L
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_LIMITTEXT 0x00C5

// Statics.
#define SS_LEFT 0x00000000L
#define SS_BITMAP 0x0000000EL
#define SS_TYPEMASK 0x0000001FL

// Combo boxes.
#define CBS_DROPDOWNLIST 0x0003L
#define CB_ERR (-1)
#define CB_GETCURSEL 0x0147
#define CB_SETCURSEL 0x014E
#define CBN_SELCHANGE 1

// The IP-address control.
#define IPM_SETADDRESS (WM_USER + 101)
#define IPM_GETADDRESS (WM_USER + 102)
#define MAKEIPADDRESS(b1, b2, b3, b4)                                                      \
    (static_cast<LPARAM>((static_cast<DWORD>(b1) << 24) + (static_cast<DWORD>(b2) << 16) + \
                         (static_cast<DWORD>(b3) << 8) + static_cast<DWORD>(b4)))
#define FIRST_IPADDRESS(x) ((static_cast<DWORD>(x) >> 24) & 0xff)
#define SECOND_IPADDRESS(x) ((static_cast<DWORD>(x) >> 16) & 0xff)
#define THIRD_IPADDRESS(x) ((static_cast<DWORD>(x) >> 8) & 0xff)
#define FOURTH_IPADDRESS(x) (static_cast<DWORD>(x) & 0xff)

// Tooltip controls.
#define TOOLTIPS_CLASSA "tooltips_class32"
#define TTS_ALWAYSTIP 0x01
#define TTS_NOPREFIX 0x02
#define TTF_IDISHWND 0x0001
#define TTF_SUBCLASS 0x0010
#define TTM_ADDTOOLA (WM_USER + 4)
#define TTM_UPDATETIPTEXTA (WM_USER + 12)

struct TOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};

// Menus.
#define MF_STRING 0x00000000L
#define MF_SEPARATOR 0x00000800L

// Show commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_RESTORE 9

// System metrics.
#define SM_CXICON 11
#define SM_CYICON 12

// Message boxes.
#define MB_OK 0x00000000L
#define MB_ICONEXCLAMATION 0x00000030L
#endif

// The class library's own ids (from its resource header on every platform).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define ID_HELP 0xE146
#define AFX_IDP_PARSE_INT 0xF110
