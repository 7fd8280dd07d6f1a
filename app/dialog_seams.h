// The points where the main dialog reaches outside itself: message boxes,
// the browser, the About box at start-up and the search worker. Each has a
// real default; tests replace them to observe the dialog without a browser
// or a person to close boxes.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;
class CAboutDlg;
namespace sorvik {
class SearchWindow;
}

namespace sorvik_app {

struct DialogSeams {
    // Shows a modal message box with the OK button and the exclamation icon
    // and returns when it is closed.
    std::function<void(const wxString& text, const wxString& caption, wxWindow* owner)> messageBox;
    // Hands a link to the user's default browser.
    std::function<void(const wxString& link)> openLink;
    // Shows the About box modally and returns when it is closed.
    std::function<void(CAboutDlg& about)> showAbout;
    // Starts one search worker for the window; false when no thread can start.
    std::function<bool(sorvik::SearchWindow& window)> startWorker;

    // All four set to the real behaviour.
    DialogSeams();
};

// True for links the dialog hands to the browser: only http:// and https://
// addresses (the scheme in any case). Result pages are untrusted input, so a
// local path, file:, javascript: or any other text is never opened.
bool IsOpenableLink(const wxString& link);

// The caption of every message box: the executable's name without extension.
wxString ApplicationName();

}  // namespace sorvik_app
