#pragma once

#include <string>

#include "common/AppOptions.h"

// The per-user settings store: one INI file of sections ("Placement", "Font",
// "Proxy", "Agent", "Settings", "Web") holding 32-bit integers and text. The
// "Web" section is written once one of its options leaves its default. A missing
// or unreadable value reads as its default; a write that fails returns false
// with errno, for the caller to report. The file holds the proxy password in plain
// text, so it and any folder created for it are readable by the owner only.
//
// Each operation opens the file afresh and every save is flushed before it
// returns. Use from one thread at a time (the user-interface thread).
class CSettingsStore {
public:
    // $XDG_CONFIG_HOME/Dunvespil/Quobrix.ini, with $HOME/.config when
    // XDG_CONFIG_HOME is unset, empty or relative.
    static std::string DefaultPath();

    explicit CSettingsStore(std::string strPath = DefaultPath());

    [[nodiscard]] const std::string& Path() const { return m_strPath; }

    // Reads every option, window placement included (repaired when an edge
    // is negative), then derives the proxy credential. Values that are
    // missing, or integers that are not 32-bit numbers, take the defaults of
    // a fresh CAppOptions. Font sizes are kept within 6 to 14 points (normal)
    // and 6 to 32 (title), so no dialog outgrows the screen; 0 or less, the
    // face's own size, stays; the delay between requests is kept within 0 and
    // kMaxDelayMs. Start-up saves the options right after, so the file then
    // holds the bounded values.
    void LoadOptions(CAppOptions& options) const;

    // Writes every option but the placement; the "Web" section only when one
    // of its values differs from the default or the file already has it.
    [[nodiscard]] bool SaveOptions(const CAppOptions& options) const;

    // Writes the main window's show state and normal rectangle; when it closes.
    [[nodiscard]] bool SavePlacement(int nCmdShow, const CWindowRect& rc) const;

    // Writes only the browser view's text size; at once on every size command.
    [[nodiscard]] bool SaveTextSize(int nTextSize) const;

private:
    std::string m_strPath;
};
