// Dialogs are the system's own, built by its dialog manager from an in-memory template; each is
// subclassed so that every message goes through the object's message map and then the default.
#include "toolkit/window_system.h"

#include "toolkit/win32/dialog_template.h"
#include "toolkit/win32/number_edit.h"
#include "toolkit/win_app.h"

namespace toolkit {
namespace {

struct ModalRun {
    const DialogTemplate* dialog;
    WindowProcedure procedure;
    void* context;
    WNDPROC original = nullptr;
};

constexpr char kRunProperty[] = "toolkit.ModalRun";

ModalRun* RunOf(HWND window) { return static_cast<ModalRun*>(GetPropA(window, kRunProperty)); }

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalRun* run = RunOf(window);
    if (run == nullptr) return DefDlgProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(run->original));
        RemovePropA(window, kRunProperty);
        return CallWindowProcA(run->original, window, message, wParam, lParam);
    }
    const LRESULT result = run->procedure(run->context, window, message, wParam, lParam);
    // The object lets go of the window; the dialog manager still frees what it made for it.
    if (message == WM_DESTROY) CallWindowProcA(run->original, window, message, wParam, lParam);
    return result;
}

// The drop-down lists get the items their template carries before the program sees the dialog,
// number fields learn the leading minus, and pictures the program addresses take the mouse
// (SS_NOTIFY), or a tooltip given to them would never see it pass over them.
void SetUpControls(HWND window, const DialogTemplate& dialog) {
    for (const ControlTemplate& control : dialog.controls) {
        if (control.controlClass == ControlClass::Edit && (control.style & ES_NUMBER) != 0) {
            win32::AllowLeadingMinus(GetDlgItem(window, control.id));
        }
        if (control.controlClass == ControlClass::Static && control.id != IDC_STATIC &&
            (control.style & SS_TYPEMASK) == SS_BITMAP) {
            HWND picture = GetDlgItem(window, control.id);
            SetWindowLongPtrA(picture, GWL_STYLE,
                              GetWindowLongPtrA(picture, GWL_STYLE) | SS_NOTIFY);
        }
        if (control.controlClass != ControlClass::ComboBox) continue;
        for (LPCSTR item : control.items) {
            SendDlgItemMessageA(window, control.id, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(item));
        }
    }
}

// Each control with its window: the dialog manager makes the controls in template order, which
// is the order of the dialog's children.
template <class Visit>
void ForEachControl(HWND window, const DialogTemplate& dialog, Visit visit) {
    HWND child = GetWindow(window, GW_CHILD);
    for (const ControlTemplate& control : dialog.controls) {
        if (child == nullptr) return;
        const HWND next = GetWindow(child, GW_HWNDNEXT);
        visit(control, child);
        child = next;
    }
}

// A one-line text that the system's font draws wider than its box (made for another font) stays
// on its line, whole, instead of wrapping out of sight.
void FitOneLineLabels(HWND window, const DialogTemplate& dialog) {
    ForEachControl(window, dialog, [](const ControlTemplate& control, HWND label) {
        const DWORD type = control.style & SS_TYPEMASK;
        if (control.controlClass != ControlClass::Static || control.text == nullptr ||
            (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)) {
            return;
        }
        RECT box;
        GetWindowRect(label, &box);
        HDC dc = GetDC(label);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        TEXTMETRICA metrics;
        SIZE text;
        const bool measured =
            GetTextMetricsA(dc, &metrics) &&
            GetTextExtentPoint32A(dc, control.text, lstrlenA(control.text), &text);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        const LONG width = box.right - box.left, height = box.bottom - box.top;
        if (measured && height < 2 * metrics.tmHeight && text.cx > width) {
            SetWindowPos(label, nullptr, 0, 0, text.cx, height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    });
}

// A picture drawn for the screen's scale stays centred in the box its template gives it, which
// grows with the dialog's font; a box of no size is the picture's own, from its corner.
void CentrePictures(HWND window, const DialogTemplate& dialog) {
    ForEachControl(window, dialog, [window](const ControlTemplate& control, HWND picture) {
        if (control.controlClass != ControlClass::Static ||
            (control.style & SS_TYPEMASK) != SS_BITMAP || control.cx == 0 || control.cy == 0) {
            return;
        }
        RECT box{control.x, control.y, control.x + control.cx, control.y + control.cy};
        MapDialogRect(window, &box);
        RECT own;
        GetClientRect(picture, &own);  // the picture's own size, which the control took
        SetWindowPos(picture, nullptr, (box.left + box.right - own.right) / 2,
                     (box.top + box.bottom - own.bottom) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

INT_PTR CALLBACK StartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* run = reinterpret_cast<ModalRun*>(lParam);
    SetPropA(window, kRunProperty, run);
    run->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogWindowProc)));
    SetUpControls(window, *run->dialog);
    FitOneLineLabels(window, *run->dialog);
    CentrePictures(window, *run->dialog);
    return run->procedure(run->context, window, WM_INITDIALOG, wParam, 0);
}

}  // namespace

INT_PTR RunModalDialog(const DialogTemplate& dialog, HWND owner, WindowProcedure procedure,
                       void* context) {
    const std::vector<WORD> bytes = win32::BuildDialogTemplate(dialog);
    ModalRun run{&dialog, procedure, context};
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner,
                                   &StartProc, reinterpret_cast<LPARAM>(&run));
}

int RunWindowingSystem(int, char**, int (*startUp)()) {
    INITCOMMONCONTROLSEX classes{sizeof classes,
                                 ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    return startUp();
}

}  // namespace toolkit

// Until the next mouse move asks the window again, which no message loop answers meanwhile.
CWaitCursor::CWaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { SetCursor(m_previous); }
