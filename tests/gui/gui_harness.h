// Helpers for driving the real dialog in-process: the event pump, control
// lookup and synthetic clicks, recording seams, a temporary working
// directory and the demo marketplace as a child process.
#pragma once

#include <sys/types.h>
#include <wx/string.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "dialog_seams.h"

class wxWindow;
class wxDialog;
class wxListCtrl;
class wxTextCtrl;
namespace sorvik_app {
class CsorvikDlg;
}

namespace gui_test {

using sorvik_app::CsorvikDlg;

// Dispatches pending toolkit and wx events for `ms` milliseconds.
void Pump(int ms);
// Dispatches events until `done` holds or `timeoutMs` has passed; returns
// whether `done` held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Controls of a dialog by id.
wxWindow* Control(wxWindow& dlg, int id);
wxTextCtrl* Edit(wxWindow& dlg, int id);
wxListCtrl* Results(wxWindow& dlg);

// Presses a button as a click would: nothing happens when it is disabled.
// Returns whether the click was delivered.
bool Click(wxWindow& dlg, int buttonId);
// Chooses a radio button as a click would.
void ChooseRadio(wxWindow& dlg, int radioId);
// Sends a key to a window through the char-hook and key-down path.
void PressKey(wxWindow& target, int keyCode);

// One message box the dialog asked for.
struct ShownMessage {
    wxString text;
    wxString caption;
    wxWindow* owner;
};

// Seams that record instead of showing boxes or opening a browser. The About
// box is shown for real and closed by itself as soon as its modal loop runs.
class Recorder {
  public:
    sorvik_app::DialogSeams Seams();

    // Runs inside the About box's modal loop before the box is closed.
    std::function<void()> whileAboutOpen;

    std::vector<ShownMessage> Messages();
    std::vector<wxString> Links();
    int AboutShown() const { return m_aboutShown; }
    bool MainShownDuringAbout() const { return m_mainShownDuringAbout; }
    wxString AboutTitle() const { return m_aboutTitle; }
    std::vector<wxString> AboutTexts() const { return m_aboutTexts; }

  private:
    std::mutex m_lock;
    std::vector<ShownMessage> m_messages;
    std::vector<wxString> m_links;
    int m_aboutShown = 0;
    bool m_mainShownDuringAbout = false;
    wxString m_aboutTitle;
    std::vector<wxString> m_aboutTexts;
};

// Makes a temporary directory holding a copy of config.txt the current
// directory for its lifetime.
class TempWorkDir {
  public:
    TempWorkDir();
    ~TempWorkDir();
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
    std::string m_previous;
};

// sorvik-demo-market on 127.0.0.1 with the given options; the environment
// points the search at it while it lives.
class DemoMarket {
  public:
    explicit DemoMarket(const std::vector<std::string>& options);
    ~DemoMarket();
    bool Running() const { return m_pid > 0 && m_port > 0; }
    std::string Host() const;
    // The catalog as the demo dumps it: one vector of TSV fields per item.
    std::vector<std::vector<std::string>> Catalog(int items) const;

  private:
    pid_t m_pid = -1;
    int m_port = 0;
};

// A file for the demo's request log (--log): a request for page 2 in it
// means page 1's walk has ended and page 2's download has begun.
class RequestLog {
  public:
    RequestLog();
    ~RequestLog();
    const std::string& Path() const { return m_path; }
    // Requests logged so far.
    std::size_t Requests() const;

  private:
    std::string m_path;
};

// Runs a child command with its output captured; returns its stdout.
std::string RunCapture(const std::vector<std::string>& argv);

// With SORVIK_SCREENSHOTS set, saves the client area of `window` there as
// NAME.bmp; false when it could not be saved.
bool SaveClientPicture(wxWindow& window, const char* name);

// Texts of one list row, columns 0 to 5.
std::vector<wxString> RowTexts(wxListCtrl& list, long row);

// UTF-8 as a wxString.
inline wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

}  // namespace gui_test
