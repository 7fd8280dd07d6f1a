// The points where the tracker window reaches outside itself: message
// boxes, questions, file choosers, the browser, the line form and the
// emergency exit. Each has a real default; tests replace them to drive the
// window without a person.
#pragma once

#include <wx/string.h>

#include <functional>
#include <optional>

class wxMenu;
class wxWindow;

namespace sorvik_tracker {

class AlertSettingsDialog;
class LineDialog;

struct TrackerSeams {
    // Shows a modal message box (OK, exclamation icon) with the program's
    // caption; returns when it is closed.
    std::function<void(const wxString& text, wxWindow* owner)> message;
    // Asks a yes/no question; true for yes.
    std::function<bool(const wxString& question, wxWindow* owner)> ask;
    // Lets the user choose a file to read (`save` false) or write; empty
    // when the user cancels.
    std::function<wxString(const wxString& title, const wxString& wildcard,
                           const wxString& defaultName, bool save, wxWindow* owner)>
        chooseFile;
    // Hands an item's link to the user's default browser.
    std::function<void(const wxString& link)> openLink;
    // Asks for a text (of one or more lines), starting from `initial`; no
    // value when the user cancels.
    std::function<std::optional<wxString>(const wxString& title, const wxString& prompt,
                                          const wxString& initial, wxWindow* owner)>
        enterText;
    // Shows `menu` at the mouse over `owner`; the id of the item chosen,
    // wxID_NONE when none was.
    std::function<int(wxMenu& menu, wxWindow* owner)> chooseFromMenu;
    // Shows the line form modally; true when the user accepted it.
    std::function<bool(LineDialog& dialog)> editLine;
    // Ends the program at once, when closing finds a check that can't be
    // stopped in time; every record written so far is whole on the disk.
    // Tests record it instead: it must never happen in them.
    std::function<void()> endProgramNow;
    // Shows a desktop notification; never waits for the user, and does
    // nothing where the desktop has no notification service.
    std::function<void(const wxString& title, const wxString& text, wxWindow* owner)> notify;
    // Shows 提醒设置 modally; returns how it was closed (wxID_OK: accepted).
    std::function<int(AlertSettingsDialog& dialog)> showAlertSettings;

    // All set to the real behaviour.
    TrackerSeams();
};

// The caption of the program's message boxes and its window title.
wxString TrackerTitle();

// True for the links the window hands to the browser: http:// and https://
// only (in any case), never a file or a program's scheme that a page could
// have put in a row.
bool IsOpenableLink(const wxString& link);

}  // namespace sorvik_tracker
