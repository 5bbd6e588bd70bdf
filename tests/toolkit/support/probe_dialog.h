// A dialog with one control of every kind, its exchange map and a handler of every map kind, for
// the toolkit's tests; its template and resources come from TestResources().
#pragma once

#include <functional>
#include <thread>
#include <vector>

#include "toolkit/afxwin.h"

namespace test {

inline constexpr int kProbeDialog = 500;
inline constexpr int kMissingDialog = 501;
inline constexpr int kFirstNumber = 10;   // digits only
inline constexpr int kSecondNumber = 11;  // any text
inline constexpr int kThirdNumber = 12;
inline constexpr int kText = 20;  // an 8-byte member
inline constexpr int kReadOnly = 21;
inline constexpr int kTick = 30;
inline constexpr int kPlainCheck = 31;  // no tab stop
inline constexpr int kList = 40;
inline constexpr int kAddress = 50;
inline constexpr int kOther = 60;
inline constexpr int kGreeting = 7;  // a string resource

inline constexpr UINT kProbeMessage = WM_USER + 1;

// The two check boxes that share one handler, in the order of their places: a one-column table.
struct FamilyRow {
    UINT check;
};
inline constexpr FamilyRow kFamilyRows[] = {{kPlainCheck}, {kTick}};

const toolkit::ResourceModule& TestResources();

class CProbeDlg : public CDialog {
  public:
    CProbeDlg();

    int first = 0;
    int second = 0;
    int third = 0;
    char text[8] = "";
    char readOnly[80] = "";
    int tick = 0;
    int index = -1;
    CIPAddressCtrl address;
    CComboBox list;

    int otherClicks = 0;
    int cancels = 0;
    std::vector<int> familyPlaces;
    std::vector<int> selectionChanges;
    std::vector<UINT> systemCommands;
    std::thread::id probeThread;
    bool probeSawMessageBox = false;

    // Runs inside OnInitDialog, after the default initialization.
    std::function<void(CProbeDlg&)> onInit;
    std::function<void()> onOther;  // runs inside Other's handler, after the count

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCancel() override;
    void OnOther();
    void OnFamily(int place);
    void OnSelectionChange();
    LRESULT OnProbe(WPARAM wParam, LPARAM lParam);
    void OnSysCommand(UINT id, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

}  // namespace test
