#pragma once

#include <string>

#include "app/SettingsStore.h"
#include "common/AppOptions.h"

// The application object's options and the store they live in. One per
// process, owned by main; used on the user-interface thread (workers only
// read the inherited option members). The shared fonts belong to the
// desktop front end, which builds them from the font members.
//
// Start-up calls LoadOptions and then SaveOptions, so every option exists in
// the store after the first run; the headless front end only loads.
class CQuobrixApp : public CAppOptions {
public:
    // The user's own store by default; tests and tools may name another file.
    explicit CQuobrixApp(std::string strStorePath = CSettingsStore::DefaultPath());

    [[nodiscard]] const CSettingsStore& Store() const { return m_store; }

    // Reads every option from the store and derives the proxy credential.
    void LoadOptions();

    // Writes every option but the window placement. False, with errno, when
    // the store could not be written.
    [[nodiscard]] bool SaveOptions() const;

    // For the application options sheet, after it stored its values back:
    // derives the proxy credential again and writes all options (false, with
    // errno, as above).
    [[nodiscard]] bool ApplyEditedOptions();

    // Sets the browser view's text size (0..4) and writes it at once.
    void SetTextSize(int nTextSize);

    // Writes the main window's show state and normal (restored) rectangle as
    // the window closes. The members keep the start-up values: they only
    // serve the window's creation.
    void SavePlacement(int nCmdShow, const CWindowRect& rcNormal) const;

private:
    CSettingsStore m_store;
};
