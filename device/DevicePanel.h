#pragma once

// What the identification poll does to the window. The main window implements it; tests fake it.
class DevicePanel {
public:
    virtual ~DevicePanel() = default;

    // Sets LinkState::connected, enables or disables the instrument buttons; with false also
    // selects module type 0 and empties the firmware text.
    virtual void SetConnected(bool on) = 0;
    // Makes a module type current; returns true when the catalogue does not know the code.
    virtual bool SelectModuleType(int code) = 0;
    // Empties every lead name and skip flag of the setup and refreshes the visible page.
    virtual void ClearLeads() = 0;
    virtual void RebuildGrid() = 0;
    // The Serial Number edit shows DeviceInfo::serialText.
    virtual void ShowSerialText() = 0;
    // The firmware text shows DeviceInfo::firmwareText.
    virtual void ShowFirmwareText() = 0;
};
