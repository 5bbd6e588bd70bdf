// A panel run against a private profile directory, and what a person sees and does there. The
// interface is the same on both backends; panel_support_qt.cpp and panel_support_win32.cpp drive
// the panel each in its own way.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "panel/panel_dlg.h"
#include "tests/profile/profile_dir.h"

#ifndef _WIN32
class QWidget;
#endif

namespace test {

// The keys the tests press.
enum class Key { Enter, Escape, Space };

class PanelTest : public ProfileDirTest {
  protected:
    void SetUp() override;

    // Opens the panel, runs `steps` inside its modal run, then presses `closeWith` (a button id;
    // 0 when the steps close the panel themselves). Returns what DoModal returned.
    INT_PTR Run(const std::function<void()>& steps, int closeWith = IDCANCEL);

#ifndef _WIN32
    QWidget* Widget(int id) const;
#endif
    // The control's text as the system reads it (Windows-1252 bytes); an IP control's blank
    // fields read as 0.
    std::string Text(int id) const;
    // What a mouse click on the control does.
    void Click(int id) const;
    // Clicks a field, selects all of it and types `text` (Windows-1252 bytes) over it; the keys
    // go where the focus is, so a greyed field gets none of them.
    void Retype(int id, const std::string& text) const;
    // Gives the control the focus and presses `key` there.
    void Press(int id, Key key) const;
    // The panel window is still there and shown.
    bool IsOpen() const;
    // Keeps the program running until `done` holds; false when it did not within ten seconds.
    bool WaitFor(const std::function<bool()>& done) const;
    // Runs `steps` once a modal window opens above the panel, then closes it with Esc. Call it
    // before the code that opens the window.
    void AtNextModal(std::function<void()> steps) const;

    // Whether the control takes a click; which control has the focus, 0 for none.
    bool Enabled(int id) const;
    int FocusId() const;
    bool FieldsEnabled(profile::BoxNumber box) const;
    bool AnyLampShown(profile::BoxNumber box) const;
    bool AddressBlank(profile::BoxNumber box) const;
    // What a lamp says in words: its tooltip, on Linux also its accessible name.
    std::string Words(int lampId) const;

    // The configuration file as the box table `edit` makes of fifteen disabled boxes.
    void PutTable(const std::function<void(profile::BoxTable&)>& edit) const;

    std::string ConfigFile() const { return Get(profile::kBoxConfigFile); }
    // The file's path as the system writes it in messages.
    std::string NativePathOf(const std::string& name) const;

    CPanelDlg panel;
};

// Answers every message box that opens while it lives with its first button, keeping the texts
// (Windows-1252 bytes).
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    int count() const { return static_cast<int>(texts().size()); }
    std::vector<std::string> texts() const;

  private:
    struct Backend;
    Backend* backend_;
};

}  // namespace test
