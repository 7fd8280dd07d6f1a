// The part of the dialog tests' helpers that runs on every platform: the
// event pump, controls and synthetic input, the temporary working
// directory and pictures of windows.
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "gui_harness.h"
#include "test_environment.h"

namespace gui_test {
namespace {

void DispatchOnce() {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
}

}  // namespace

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        DispatchOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        DispatchOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

wxWindow* Control(wxWindow& dlg, int id) {
    return dlg.FindWindow(id);
}
wxTextCtrl* Edit(wxWindow& dlg, int id) {
    return dynamic_cast<wxTextCtrl*>(dlg.FindWindow(id));
}
wxListCtrl* Results(wxWindow& dlg) {
    return dynamic_cast<wxListCtrl*>(dlg.FindWindow(1008));
}

bool Click(wxWindow& dlg, int buttonId) {
    wxWindow* button = dlg.FindWindow(buttonId);
    if (!button || !button->IsEnabled()) return false;
    wxCommandEvent click(wxEVT_BUTTON, buttonId);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    return true;
}

void ChooseRadio(wxWindow& dlg, int radioId) {
    auto* radio = dynamic_cast<wxRadioButton*>(dlg.FindWindow(radioId));
    if (!radio) return;
    radio->SetValue(true);
    wxCommandEvent chosen(wxEVT_RADIOBUTTON, radioId);
    chosen.SetEventObject(radio);
    chosen.SetInt(1);
    radio->GetEventHandler()->ProcessEvent(chosen);
}

void PressKey(wxWindow& target, int keyCode) {
    wxKeyEvent hook(wxEVT_CHAR_HOOK);
    hook.m_keyCode = keyCode;
    hook.SetEventObject(&target);
    if (target.GetEventHandler()->ProcessEvent(hook) && !hook.IsNextEventAllowed()) return;
    wxKeyEvent down(wxEVT_KEY_DOWN);
    down.m_keyCode = keyCode;
    down.SetEventObject(&target);
    if (target.GetEventHandler()->ProcessEvent(down)) return;
    wxKeyEvent typed(wxEVT_CHAR);
    typed.m_keyCode = keyCode;
    typed.SetEventObject(&target);
    target.GetEventHandler()->ProcessEvent(typed);
}

TempWorkDir::TempWorkDir() {
    m_path = sorvik::MakeTempDirectory("sorvik-gui").string();
#ifdef _WIN32
    // The program's settings beside the test program, as in a Windows install.
    const std::filesystem::path config =
        std::filesystem::path(wxStandardPaths::Get().GetExecutablePath().ToStdWstring())
            .parent_path() /
        "config.txt";
#else
    const std::filesystem::path config = SORVIK_CONFIG_TXT;
#endif
    std::filesystem::copy_file(config, std::filesystem::path(m_path) / "config.txt");
    m_previous = std::filesystem::current_path().string();
    std::filesystem::current_path(m_path);
}

TempWorkDir::~TempWorkDir() {
    std::filesystem::current_path(m_previous);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool SaveClientPicture(wxWindow& window, const char* name) {
    const char* folder = std::getenv("SORVIK_SCREENSHOTS");
    if (!folder || !*folder) return true;
    const wxSize size = window.GetClientSize();
    wxBitmap picture(size.x, size.y, 24);
    {
        wxClientDC screen(&window);
        wxMemoryDC memory(picture);
        memory.Blit(0, 0, size.x, size.y, &screen, 0, 0);
    }
    const wxString path = wxString::FromUTF8(folder) + "/" + name + ".bmp";
    return picture.SaveFile(path, wxBITMAP_TYPE_BMP);
}

std::vector<wxString> RowTexts(wxListCtrl& list, long row) {
    std::vector<wxString> texts;
    for (int column = 0; column < 6; ++column) texts.push_back(list.GetItemText(row, column));
    return texts;
}

}  // namespace gui_test
