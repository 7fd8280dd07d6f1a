// Both dialogs show every text whole in the font in use: for each control
// with a text, the text's extent in the control's font fits the part of the
// control that shows it. Runs with the GUI tests under Xvfb, and on its own
// under Wine (scripts/windows/layout-test runs it in Chinese prefixes). With
// SORVIK_SCREENSHOTS naming a folder, it also saves a picture of each dialog
// there as about.bmp and main.bmp.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/radiobut.h>
#include <wx/renderer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "about_dlg.h"
#include "app_icon.h"
#include "gui_harness.h"
#include "sorvik_dlg.h"

namespace {

using sorvik_app::CsorvikDlg;

// Lets the toolkit lay out and draw what was just shown.
void Settle(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_ALL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string Utf8(const wxString& text) {
    return std::string(text.utf8_str());
}

std::string Describe(const wxSize& size) {
    return std::to_string(size.x) + "x" + std::to_string(size.y);
}

// The text a control shows, without mnemonic markers; empty for controls
// that show none of their own.
wxString ShownText(wxWindow& control) {
    if (dynamic_cast<wxStaticText*>(&control) || dynamic_cast<wxRadioButton*>(&control) ||
        dynamic_cast<wxStaticBox*>(&control) || dynamic_cast<wxButton*>(&control))
        return wxControl::RemoveMnemonics(control.GetLabel());
    return wxString();
}

// The room a control leaves its text: its client area less what the
// platform draws beside the text. A radio button draws its indicator (as
// wx's renderer measures the platform's), then leaves half a '0' and a pixel
// before the text, as Windows does (GTK leaves less); a group box draws its
// caption inside the insets it reports for its contents, in its top border;
// a push button keeps its 2-pixel edges free.
wxSize RoomForText(wxWindow& control) {
    const wxSize client = control.GetClientSize();
    if (dynamic_cast<wxRadioButton*>(&control)) {
        const int indicator = wxRendererNative::Get().GetCheckBoxSize(&control).x;
        const int gap = control.GetTextExtent("0").x / 2 + 1;
        return wxSize(client.x - indicator - gap, client.y);
    }
    if (auto* box = dynamic_cast<wxStaticBox*>(&control)) {
        int top = 0, other = 0;
        box->GetBordersForSizer(&top, &other);
        return wxSize(client.x - 2 * other, top);
    }
    if (dynamic_cast<wxButton*>(&control)) return client - wxSize(4, 4);
    return client;
}

// Every text of `dialog` that does not fit its room, one line each.
std::string TextsThatDoNotFit(wxWindow& dialog) {
    std::ostringstream out;
    for (wxWindow* control : dialog.GetChildren()) {
        const wxString text = ShownText(*control);
        if (text.empty()) continue;
        const wxSize extent = control->GetTextExtent(text);
        const wxSize room = RoomForText(*control);
        if (extent.x > room.x || extent.y > room.y)
            out << "\"" << Utf8(text) << "\": text " << Describe(extent) << " px, room "
                << Describe(room) << " px\n";
    }
    return out.str();
}

// Reports the dialog's size and font, and with SORVIK_SCREENSHOTS set saves
// its client area there as NAME.bmp.
void Record(wxWindow& dialog, const char* name) {
    const wxFont font = dialog.GetFont();
    std::printf("%s: client %s px, window %s px, font \"%s\" %d pt\n", name,
                Describe(dialog.GetClientSize()).c_str(), Describe(dialog.GetSize()).c_str(),
                Utf8(font.GetFaceName()).c_str(), font.GetPointSize());
    EXPECT_TRUE(gui_test::SaveClientPicture(dialog, name)) << name;
}

}  // namespace

TEST(Layout, EveryTextOfBothDialogsShowsWholeInTheFontInUse) {
    {
        CAboutDlg about(nullptr, sorvik_app::LoadAppIcon());
        about.Show();
        Settle(300);
        const std::string cut = TextsThatDoNotFit(about);
        EXPECT_TRUE(cut.empty()) << "About box:\n" << cut;
        Record(about, "about");
    }

    sorvik_app::DialogSeams seams;
    seams.showAbout = [](CAboutDlg&) {};
    CsorvikDlg dlg(nullptr, seams);
    dlg.Show();
    Settle(300);
    const std::string cut = TextsThatDoNotFit(dlg);
    EXPECT_TRUE(cut.empty()) << "main dialog:\n" << cut;
    Record(dlg, "main");
}
