// A panel run against a private profile directory, and what a person sees of its rows.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "panel/panel_dlg.h"
#include "tests/profile/profile_dir.h"

namespace test {

class PanelTest : public ProfileDirTest {
  protected:
    void SetUp() override;

    // Opens the panel, runs `steps` inside its modal run, then presses `closeWith` (a button id;
    // 0 when the steps close the panel themselves). Returns what DoModal returned.
    INT_PTR Run(const std::function<void()>& steps, int closeWith = IDCANCEL);

    QWidget* Widget(int id) const;
    // The control's text as the system reads it (Windows-1252 bytes); an IP control's blank
    // fields read as 0.
    std::string Text(int id) const;
    void Click(int id) const;
    // Clears a field with the keyboard and types `text` (may hold Windows-1252 characters).
    void Retype(int id, const QString& text) const;

    bool FieldsEnabled(profile::BoxNumber box) const;
    bool AnyLampShown(profile::BoxNumber box) const;
    bool AddressBlank(profile::BoxNumber box) const;

    // The configuration file as the box table `edit` makes of fifteen disabled boxes.
    void PutTable(const std::function<void(profile::BoxTable&)>& edit) const;

    std::string ConfigFile() const { return Get(profile::kBoxConfigFile); }

    CPanelDlg panel;
};

}  // namespace test
