#include "toolkit/win32/number_edit.h"

#include <commctrl.h>

#include <string>

namespace toolkit::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x2D;  // '-'

LRESULT CALLBACK NumberEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_CHAR && wParam == '-') {
        // The system's number field refuses the minus; take it where it would be the first
        // character of the text and the only minus in it.
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
        text.resize(static_cast<std::size_t>(GetWindowTextA(edit, text.data(), int(text.size()))));
        const std::string kept =
            text.substr(0, start) + text.substr(std::min<std::size_t>(end, text.size()));
        if (start == 0 && kept.find('-') == std::string::npos) {
            SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("-"));
        } else {
            MessageBeep(MB_OK);
        }
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, &NumberEditProc, kSubclassId);
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void AllowLeadingMinus(HWND edit) { SetWindowSubclass(edit, &NumberEditProc, kSubclassId, 0); }

}  // namespace toolkit::win32
