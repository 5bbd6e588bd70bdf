#include "toolkit/dialog.h"

#include "toolkit/win_app.h"
#include "toolkit/window_system.h"

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
        ReleaseHandles();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::Procedure(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<CDialog*>(self);
    if (message == WM_INITDIALOG) dialog->Attach(window);
    return dialog->WindowProc(message, wParam, lParam);
}
