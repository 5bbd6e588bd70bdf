// The main panel: the window of the fifteen box rows and the program's frame around them.
#pragma once

#include "panel/announcements.h"
#include "res/panel_box.h"
#include "toolkit/afxwin.h"

// What one lamp refresh read and showed: every row's lamp, when the status file was written and
// why it was not read (0 when it was), all from one read of the file.
struct LampRefresh {
    std::array<announce::Lamp, profile::kBoxCount> lamps{};
    std::optional<std::int64_t> writtenAt;
    int failure = 0;
};

class CPanelDlg : public CDialog {
  public:
    explicit CPanelDlg(CWnd* parent = nullptr);

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Saves first and closes only when the save went through.
    void OnOK() override;
    void OnCancel() override;

    // The box rows: load and refresh, save, enabling a row, the per-box configuration program.
    void LoadConfig();
    // False when nothing was stored: a field did not validate or the file could not be written.
    BOOL SaveConfig();
    void ApplyRowState(profile::BoxNumber box);
    void LaunchConfigTool(profile::BoxNumber box);
    void OnAnalize();

    // The poll thread finds no panel once its window is destroyed, and ends.
    LRESULT ForgetPanelWindow(WPARAM, LPARAM);
    // The lamps of the enabled rows from the status file; disabled rows keep theirs.
    LampRefresh RefreshLamps();
    // Each lamp says its box and state in words too: colour alone does not serve everyone.
    void AddLampTips();
    // `age` tells how old the status file is, since a lamp alone cannot show that its news is old.
    void DescribeLamp(profile::BoxNumber box, CWnd* lamp, int watchDogError, const char* age);

    // The answer to WM_STATUSPOLL: the lamps, then what changed told beside the window, which
    // the operator may not be looking at.
    LRESULT OnStatusPoll(WPARAM = 0, LPARAM = 0);
    // `failure` is why the status file was not read at this poll.
    void TellOperator(const announce::Announcement& told, int failure);
    void WithdrawNotice();
    LRESULT OnActivate(WPARAM state, LPARAM);
    // A click on the notification brings the panel to the front.
    LRESULT OnNoticeIcon(WPARAM, LPARAM event);

    // The frame: system-menu Info entry, window icons, drawing while minimized, the Info box.
    void AddInfoToSystemMenu();
    void SetWindowIcons();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInfo();

    // Row N's address lives only in its control; the other columns are members, index N - 1.
    CIPAddressCtrl ipAddress[profile::kBoxCount];
    int offset[profile::kBoxCount] = {};
    char location[profile::kBoxCount][profile::kLocationCapacity] = {};
    int enabled[profile::kBoxCount] = {};
    HICON m_hIcon;
    CToolTipCtrl m_lampTips;
    // Each row's check-box caption, which the lamp words begin with; read once, as it never
    // changes.
    char m_lampNames[profile::kBoxCount][40] = {};
    // The lamps as last shown, which the next poll compares against.
    std::array<announce::Lamp, profile::kBoxCount> m_lamps{};
    announce::Memory m_announced;
    // Activated since the last poll; whether the notification icon is there.
    bool m_seen = false;
    bool m_noticeShown = false;

    DECLARE_MESSAGE_MAP()
};
