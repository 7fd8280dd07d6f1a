#include "toolkit_language.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdlib>

namespace sorvik_ui {
namespace {

// Whether the user's language is a Chinese one. wx tells it when the
// system has the locale; a LANG of zh_CN.UTF-8 without that locale
// installed still says what the user reads.
bool SystemLanguageIsChinese() {
    const wxLanguageInfo* info = wxLocale::GetLanguageInfo(wxLocale::GetSystemLanguage());
    if (info && info->CanonicalName.StartsWith("zh")) return true;
#ifndef __WXMSW__
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value[0] == 'z' && value[1] == 'h';
    }
#endif
    return false;
}

}  // namespace

bool LoadToolkitTexts() {
    if (!SystemLanguageIsChinese()) return false;
#ifdef __WXMSW__
    // The installer and the zip put the catalog beside the programs.
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(
        wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath());
#else
    // GTK's own dialogs take their texts from the messages category alone.
    std::setlocale(LC_MESSAGES, "");
#endif
    auto* translations = new wxTranslations();
    wxTranslations::Set(translations);
    translations->SetLanguage(wxLANGUAGE_CHINESE_SIMPLIFIED);
    return translations->AddStdCatalog();
}

wxString OkLabel() {
    return wxString::FromUTF8("确定");
}

wxString CancelLabel() {
    return wxString::FromUTF8("取消");
}

wxString YesLabel() {
    return wxString::FromUTF8("是(&Y)");
}

wxString NoLabel() {
    return wxString::FromUTF8("否(&N)");
}

int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
    wxMessageDialog dialog(parent, text, caption, style);
#ifndef __WXMSW__
    // Windows' own message box speaks the system's language; GTK's takes
    // its stock labels from the C library's locale, so they are set here.
    if (style & wxYES_NO)
        dialog.SetYesNoLabels(YesLabel(), NoLabel());
    else
        dialog.SetOKLabel(OkLabel());
#endif
    switch (dialog.ShowModal()) {
        case wxID_OK:
            return wxOK;
        case wxID_YES:
            return wxYES;
        case wxID_NO:
            return wxNO;
        default:
            return wxCANCEL;
    }
}

wxStdDialogButtonSizer* OkCancelButtons(wxWindow* dialog) {
    auto* buttons = new wxStdDialogButtonSizer();
    auto* ok = new wxButton(dialog, wxID_OK, OkLabel());
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(dialog, wxID_CANCEL, CancelLabel()));
    buttons->Realize();
    return buttons;
}

}  // namespace sorvik_ui
