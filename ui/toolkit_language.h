// The toolkit's own texts (the OK, Cancel, Yes and No of its dialogs) in
// the language of the windows, Simplified Chinese, whatever the system's
// locale and whichever locales it has installed.
#pragma once

#include <wx/string.h>

class wxWindow;
class wxStdDialogButtonSizer;

namespace sorvik_ui {

// Loads wxWidgets' Simplified Chinese catalog (the texts of its own
// dialogs) when the system's language is a Chinese one, and lets the
// toolkit's native dialogs (GTK's file chooser) take the system's message
// language. The C library's other locale categories stay as they are, so
// numbers and times are read and written as before. On Windows the catalog
// is looked up beside the program (zh_CN/wxstd-3.2.mo). True when the
// catalog was loaded. Call once, from the application's OnInit.
bool LoadToolkitTexts();

// The labels of the buttons the windows show, whatever the locale: GTK
// draws a button with a stock label in the C library's message language,
// which is English wherever the system's Chinese locale is missing.
wxString OkLabel();      // 确定
wxString CancelLabel();  // 取消
wxString YesLabel();     // 是(&Y): Alt+Y presses it
wxString NoLabel();      // 否(&N)

// A message box as wxMessageBox shows it (`style`: wxOK or wxYES_NO with an
// icon), with the labels above where the toolkit would take English ones
// (GTK; Windows' message box is in the system's language). Returns wxOK, wxYES or wxNO as
// wxMessageBox does (wxCANCEL when closed without an answer).
int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent);

// The OK and Cancel buttons of a dialog, with the labels above.
wxStdDialogButtonSizer* OkCancelButtons(wxWindow* dialog);

}  // namespace sorvik_ui
