// The panel driven on its own thread, inside the modal loops the system runs, with the messages
// a mouse and a keyboard produce there.
#include <windows.h>

#include <map>
#include <utility>

#include "tests/panel/panel_support.h"

namespace test {
namespace {

constexpr UINT kTickMs = 10;
constexpr ULONGLONG kPatienceMs = 10000;

// Handles what is queued for this thread as a dialog's modal loop does.
void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        HWND root = message.hwnd == nullptr ? nullptr : GetAncestor(message.hwnd, GA_ROOT);
        if (root != nullptr && IsDialogMessageA(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A key as the keyboard puts it in the queue; the loop that takes it makes characters of it or,
// in a dialog, the dialog's commands.
void PostKey(HWND window, WPARAM key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 0xC0000001);
}

// Thread timers that run an action once, the first time their condition holds. Every modal loop
// of this thread dispatches them, so the action runs inside whichever loop is innermost.
struct Watch {
    std::function<bool()> ready;
    std::function<void()> act;
};

std::map<UINT_PTR, Watch>& Watches() {
    static std::map<UINT_PTR, Watch> watches;
    return watches;
}

void CALLBACK OnWatchTick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = Watches().find(id);
    if (found == Watches().end() || !found->second.ready()) return;
    // Gone before acting, so that loops the action opens do not start it again.
    Watch watch = std::move(found->second);
    Watches().erase(found);
    KillTimer(nullptr, id);
    watch.act();
}

UINT_PTR WhenReady(std::function<bool()> ready, std::function<void()> act) {
    const UINT_PTR id = SetTimer(nullptr, 0, kTickMs, &OnWatchTick);
    Watches()[id] = {std::move(ready), std::move(act)};
    return id;
}

void Forget(UINT_PTR id) {
    if (Watches().erase(id) != 0) KillTimer(nullptr, id);
}

bool IsDialogClass(HWND window) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

// Window enumeration calls back with the system's calling convention, which a lambda lacks on
// 32-bit Windows.
BOOL CALLBACK TakeOtherDialog(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(context);
    if (window == found->first || !IsWindowVisible(window) || !IsDialogClass(window)) return TRUE;
    found->second = window;
    return FALSE;
}

// A shown dialog of this thread other than `besides`, or null.
HWND OtherDialog(HWND besides) {
    std::pair<HWND, HWND> search{besides, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &TakeOtherDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The tooltip window owned by the window in `context`'s first member.
BOOL CALLBACK TakeTooltipOf(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(context);
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != TOOLTIPS_CLASSA || GetWindow(window, GW_OWNER) != found->first)
        return TRUE;
    found->second = window;
    return FALSE;
}

}  // namespace

INT_PTR PanelTest::Run(const std::function<void()>& steps, int closeWith) {
    const UINT_PTR watch = WhenReady([this] { return IsOpen(); },
                                     [this, steps, closeWith] {
                                         steps();
                                         if (closeWith != 0) Click(closeWith);
                                     });
    const INT_PTR result = panel.DoModal();
    Forget(watch);
    return result;
}

bool PanelTest::Enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(panel.m_hWnd, id)) != FALSE;
}

int PanelTest::FocusId() const { return GetDlgCtrlID(GetFocus()); }

bool PanelTest::AddressBlank(profile::BoxNumber box) const {
    return SendMessageA(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).ipAddress), IPM_ISBLANK, 0, 0) !=
           0;
}

void PanelTest::Click(int id) const { SendMessageA(GetDlgItem(panel.m_hWnd, id), BM_CLICK, 0, 0); }

void PanelTest::Retype(int id, const std::string& text) const {
    HWND field = GetDlgItem(panel.m_hWnd, id);
    // A click reaches only an enabled window; an edit takes the focus on it.
    if (IsWindowEnabled(field)) SetFocus(field);
    HWND focus = GetFocus();
    SendMessageA(focus, EM_SETSEL, 0, -1);
    SendMessageA(focus, WM_CHAR, VK_BACK, 1);
    for (const char c : text) SendMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PanelTest::Press(int id, Key key) const {
    HWND control = GetDlgItem(panel.m_hWnd, id);
    SetFocus(control);
    PostKey(control, key == Key::Enter ? VK_RETURN : key == Key::Escape ? VK_ESCAPE : VK_SPACE);
    Pump();
}

bool PanelTest::WaitFor(const std::function<bool()>& done) const {
    const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
    for (;;) {
        Pump();
        if (done()) return true;
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kTickMs, QS_ALLINPUT);
    }
}

void PanelTest::AtNextModal(std::function<void()> steps) const {
    HWND panelWindow = panel.m_hWnd;
    WhenReady([panelWindow] { return OtherDialog(panelWindow) != nullptr; },
              [panelWindow, steps = std::move(steps)] {
                  steps();
                  HWND modal = OtherDialog(panelWindow);
                  if (modal == nullptr) return;
                  HWND focus = GetFocus();
                  // Left for the modal window's own loop, which this runs inside.
                  PostKey(focus != nullptr && IsChild(modal, focus) ? focus : modal, VK_ESCAPE);
              });
}

std::string PanelTest::Words(int lampId) const {
    HWND lamp = GetDlgItem(panel.m_hWnd, lampId);
    std::pair<HWND, HWND> search{panel.m_hWnd, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &TakeTooltipOf, reinterpret_cast<LPARAM>(&search));
    char text[INFOTIPSIZE] = "";
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = panel.m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(lamp);
    tool.lpszText = text;
    SendMessageA(search.second, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

// Message boxes are found by a thread timer, which their own modal loop dispatches.
struct MessageBoxAnswerer::Backend {
    UINT_PTR timer = 0;
    std::vector<std::string> texts;
};

namespace {

constexpr char kAnsweredProperty[] = "test.answered";
// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;
// The texts of the answerer alive now; the tests make one at a time.
std::vector<std::string>* g_answered = nullptr;

// The program makes its dialogs in its own module; the system makes a message box elsewhere.
bool IsProgramsOwn(HWND dialog) {
    return GetWindowLongPtrA(dialog, GWLP_HINSTANCE) ==
           reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr));
}

BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM) {
    HWND text = GetDlgItem(window, kMessageTextId);
    if (!IsWindowVisible(window) || !IsDialogClass(window) || IsProgramsOwn(window) ||
        text == nullptr || GetPropA(window, kAnsweredProperty) != nullptr) {
        return TRUE;
    }
    SetPropA(window, kAnsweredProperty, window);
    char bytes[2048] = "";
    GetWindowTextA(text, bytes, sizeof bytes);
    g_answered->push_back(bytes);
    HWND button = GetDlgItem(window, IDOK);
    if (button == nullptr) button = GetDlgItem(window, IDCANCEL);
    SendMessageA(button, BM_CLICK, 0, 0);
    return FALSE;
}

void CALLBACK AnswerMessageBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &AnswerMessageBox, 0);
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer() : backend_(new Backend) {
    g_answered = &backend_->texts;
    backend_->timer = SetTimer(nullptr, 0, kTickMs, &AnswerMessageBoxes);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    KillTimer(nullptr, backend_->timer);
    g_answered = nullptr;
    delete backend_;
}

std::vector<std::string> MessageBoxAnswerer::texts() const { return backend_->texts; }

}  // namespace test
