// Command targets and windows: thin objects over window handles, as the system's code uses them.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "toolkit/message_map.h"
#include "toolkit/win_api.h"

class CDataExchange;

// Anything with a message map.
class CCmdTarget {
  public:
    virtual ~CCmdTarget() = default;

    // Runs this object's handler for the message; false when its map has none.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  protected:
    static const toolkit::MessageMap* GetThisMessageMap();
    virtual const toolkit::MessageMap* GetMessageMap() const;
};

class CMenu {
  public:
    HMENU m_hMenu = nullptr;

    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCSTR text = nullptr);
};

class CDC {
  public:
    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);
};

// The paint context of one WM_PAINT: opened on construction, closed on destruction.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(class CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    PAINTSTRUCT m_ps{};

  private:
    HWND m_hWnd;
};

class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Binds this object to an existing window until the window is destroyed.
    BOOL Attach(HWND window);
    HWND Detach();

    CWnd* GetDlgItem(int id) const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL ShowWindow(int showCommand);
    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    int GetWindowText(LPSTR buffer, int capacity) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    CMenu* GetSystemMenu(BOOL revert);
    HICON SetIcon(HICON icon, BOOL bigIcon);

    // Push (FALSE) or pull (TRUE) through DoDataExchange; false when a pull failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Every message to a window this object runs: the message map first, then the default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    virtual void DoDataExchange(CDataExchange* dx);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing, for handlers that pass a message on.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();

    // The window is going away: unbind everything bound to it and to its controls.
    void ReleaseHandles();

  private:
    friend void DDX_Control(CDataExchange* dx, int id, CWnd& control);

    CMenu m_systemMenu;
    std::vector<CWnd*> m_boundChildren;
    mutable std::unordered_map<HWND, std::unique_ptr<CWnd>> m_childWrappers;
};
