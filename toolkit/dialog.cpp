#include "toolkit/dialog.h"

#include <cstdio>
#include <exception>
#include <new>

#include "toolkit/win_app.h"
#include "toolkit/window_system.h"

namespace {

// Tells the operator what could not be done, named by the control that asked for it when there
// is one, and that the program goes on. A report that fails in turn (no memory left for the box)
// is left out: it must not end the program it reports on.
void ReportFailedMessage(UINT message, LPARAM lParam, const char* reason) noexcept {
    try {
        char action[80];
        char caption[64] = "";
        if (message == WM_COMMAND && lParam != 0 &&
            ::GetWindowTextA(reinterpret_cast<HWND>(lParam), caption, sizeof caption) > 0) {
            std::snprintf(action, sizeof action, "\"%s\"", caption);
        } else {
            std::snprintf(action, sizeof action, "%s",
                          message == WM_INITDIALOG ? "Opening the window" : "An action");
        }
        char text[512];
        std::snprintf(text, sizeof text,
                      "%s could not be completed: %s.\n\n"
                      "The program keeps running, but the action may be only partly done.",
                      action, reason);
        AfxMessageBox(text, MB_ICONEXCLAMATION);
    } catch (...) {
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    const toolkit::ResourceModule* module = toolkit::ModuleFromHandle(AfxGetResourceHandle());
    const toolkit::DialogTemplate* dialog =
        module == nullptr ? nullptr : toolkit::FindDialogTemplate(*module, m_nIDTemplate);
    if (dialog == nullptr) return -1;
    // Without a parent the main window owns the dialog (unless this is the main window), and
    // without a main window the active one does.
    CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND ownerHandle = owner == this      ? nullptr
                       : owner != nullptr ? owner->m_hWnd
                                          : ::GetActiveWindow();
    return toolkit::RunModalDialog(*dialog, ownerHandle, &CDialog::Procedure, this);
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_DESTROY) {
        LRESULT ignored = 0;
        DispatchMessageMap(message, wParam, lParam, &ignored);  // the dialog's own farewell first
        ReleaseHandles();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::Procedure(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<CDialog*>(self);
    // Both backends hand every message of a dialog, its initialization included, to this one
    // place. An exception that got past it would cross the Qt event loop or the system's
    // callback, and either ends the program.
    char reason[256] = "";
    try {
        if (message == WM_INITDIALOG) dialog->Attach(window);
        return dialog->WindowProc(message, wParam, lParam);
    } catch (const std::bad_alloc& failure) {
        std::snprintf(reason, sizeof reason, "there was not enough memory (%s)", failure.what());
    } catch (const std::exception& failure) {
        std::snprintf(reason, sizeof reason, "%s", failure.what());
    } catch (...) {
        std::snprintf(reason, sizeof reason, "an unexpected error occurred");
    }
    // Outside the handlers, so that the box's own loop does not run with the exception pending.
    ReportFailedMessage(message, lParam, reason);
    return 0;
}
