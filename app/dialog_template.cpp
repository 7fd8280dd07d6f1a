#include "dialog_template.h"

#include <wx/button.h>
#include <wx/clntdata.h>
#include <wx/fontenum.h>
#include <wx/iconbndl.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/radiobut.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#ifdef __WXMSW__
#include <wx/msw/registry.h>
#endif

#include <algorithm>

#include "resource.h"

namespace sorvik_app {
namespace {

// Radio buttons are no tab stops: the Tab key goes from field to field and
// button to button only.
class TemplateRadioButton : public wxRadioButton {
  public:
    TemplateRadioButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                        const wxSize& size, long style)
        : wxRadioButton(parent, id, label, pos, size, style) {
#ifdef __WXGTK3__
        // The theme's padding would not fit the layout's 10 dialog units.
        GTKApplyCssStyle(
            "* { padding: 0; min-height: 0; } radio { margin-left: 0; margin-right: 2px; }");
#endif
    }
    bool AcceptsFocusFromKeyboard() const override {
        return false;
    }
};

const ControlTemplate kAboutControls[] = {
    {-1, ControlKind::Icon, nullptr, kNoFlags, 14, 14, 20, 20},
    {-1, ControlKind::Label, "Sorvik v2.1版", kNoPrefix | kStartsGroup, 42, 19, 114, 8},
    {-1, ControlKind::Label, "注意事项：", kStartsGroup, 18, 42, 114, 8},
    {wxID_OK, ControlKind::PushButton, "确定", kDefaultButton | kStartsGroup, 221, 120, 50, 14},
    {-1, ControlKind::Label, "1.本软件是免费软件，若出现失效的情况，请下载最新版", kStartsGroup, 35,
     57, 228, 8},
    {-1, ControlKind::Label, "2.为了更好的升级和维护本软件，请购买本软件的升级和维护服务",
     kStartsGroup, 35, 71, 226, 8},
    {-1, ControlKind::Label, "", kStartsGroup, 35, 84, 226, 8},
};

const ControlTemplate kMainControls[] = {
    {-1, ControlKind::GroupBox, "", kNoFlags, 7, 3, 493, 69},
    {-1, ControlKind::GroupBox, "查询方式", kNoFlags, 11, 8, 93, 58},
    {IDC_MODE_KEYWORD, ControlKind::RadioButton, "关键词", kStartsGroup, 26, 21, 37, 10},
    {IDC_MODE_SELLER, ControlKind::RadioButton, "关键词+用户名", kNoFlags, 26, 34, 62, 10},
    {IDC_MODE_ITEMLINK, ControlKind::RadioButton, "关键词+宝贝链接", kNoFlags, 26, 47, 69, 10},
    {-1, ControlKind::GroupBox, "输入", kNoFlags, 107, 8, 276, 58},
    {-1, ControlKind::GroupBox, "操作", kNoFlags, 388, 8, 104, 58},
    {-1, ControlKind::Label, "关键词：", kAlignRight | kStartsGroup, 116, 20, 31, 8},
    {IDC_KEYWORD, ControlKind::Edit, "", kNoFlags, 146, 17, 229, 14},
    {-1, ControlKind::Label, "用户名：", kAlignRight | kStartsGroup, 116, 36, 31, 8},
    {IDC_SELLER, ControlKind::Edit, "", kNoFlags, 146, 34, 229, 14},
    {-1, ControlKind::Label, "宝贝链接：", kAlignRight | kStartsGroup, 110, 52, 37, 8},
    {IDC_ITEMLINK, ControlKind::Edit, "", kNoFlags, 146, 50, 229, 14},
    {-1, ControlKind::Label, "信息显示：", kAlignRight | kBorder | kStartsGroup, 7, 80, 47, 14},
    {IDC_STATUS, ControlKind::Edit, "", kNoFlags, 54, 80, 446, 14},
    {IDC_START, ControlKind::PushButton, "开始", kNoFlags, 411, 22, 50, 14},
    {IDC_RESULTS, ControlKind::ListView, nullptr, kNoFlags, 7, 102, 493, 188},
    {IDC_STOP, ControlKind::PushButton, "停止", kNoFlags, 411, 41, 50, 14},
};

const DialogTemplate kAboutTemplate = {IDD_ABOUTBOX,
                                       "关于 Sorvik",
                                       278,
                                       141,
                                       "MS Shell Dlg",  // Windows' dialog font
                                       9,
                                       kAboutControls,
                                       sizeof(kAboutControls) / sizeof(kAboutControls[0])};

const DialogTemplate kMainTemplate = {IDD_SORVIK_DIALOG,
                                      "Sorvik",
                                      507,
                                      297,
                                      "MS Shell Dlg",  // Windows' dialog font
                                      9,
                                      kMainControls,
                                      sizeof(kMainControls) / sizeof(kMainControls[0])};

wxString Utf8(const char* text) {
    return text ? wxString::FromUTF8(text) : wxString();
}

wxWindow* CreateControl(wxWindow* parent, const ControlTemplate& c, const DialogUnits& units,
                        const wxIconBundle& icon) {
    const wxPoint pos = units.ToPixels(wxPoint(c.x, c.y));
    const wxSize size = units.ToPixels(wxSize(c.width, c.height));
    const wxWindowID id = c.id < 0 ? wxID_ANY : c.id;
    switch (c.kind) {
        case ControlKind::GroupBox:
            return new wxStaticBox(parent, id, Utf8(c.text), pos, size);
        case ControlKind::RadioButton:
            return new TemplateRadioButton(parent, id, Utf8(c.text), pos, size,
                                           (c.flags & kStartsGroup) ? wxRB_GROUP : 0);
        case ControlKind::Label: {
            long style = wxST_NO_AUTORESIZE;
            style |= (c.flags & kAlignRight) ? wxALIGN_RIGHT : wxALIGN_LEFT;
            if (c.flags & kBorder) style |= wxBORDER_SIMPLE;
            wxString text = Utf8(c.text);
            if (c.flags & kNoPrefix) text = wxControl::EscapeMnemonics(text);
            return new wxStaticText(parent, id, text, pos, size, style);
        }
        case ControlKind::Edit:
            return new wxTextCtrl(parent, id, Utf8(c.text), pos, size);
        case ControlKind::PushButton: {
            auto* button = new wxButton(parent, id, Utf8(c.text), pos, size);
            if (c.flags & kDefaultButton) button->SetDefault();
            return button;
        }
        case ControlKind::ListView:
            return new wxListCtrl(parent, id, pos, size,
                                  wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxBORDER_SUNKEN);
        case ControlKind::Icon: {
            wxIcon picture = icon.GetIcon(size, wxIconBundle::FALLBACK_NEAREST_LARGER);
            return new wxStaticBitmap(parent, id, picture, pos, size);
        }
    }
    return nullptr;
}

// Windows' dialog units for the dialog's font: the average width of the
// Latin letters, rounded as Windows rounds it, and the character height.
DialogUnits WindowsUnits(const wxWindow& dialog) {
    const wxSize letters =
        dialog.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    DialogUnits units;
    units.charWidth16 = (letters.x / 26 + 1) / 2 * 16;
    units.charHeight16 = letters.y * 16;
    return units;
}

// The size in pixels a control needs to show its whole text in its font:
// the text and what the platform draws beside it, as the toolkit measures
// it. Zero for a control without a text.
wxSize TextNeed(wxWindow& control, const ControlTemplate& c) {
    if (!c.text || !*c.text) return wxSize(0, 0);
    const wxSize text = control.GetTextExtent(wxControl::RemoveMnemonics(control.GetLabel()));
    const wxSize frame = control.GetSize() - control.GetClientSize();
    switch (c.kind) {
        case ControlKind::Label:
            return text + frame;
        case ControlKind::RadioButton: {
            // The toolkit's fitting size, and at least the platform's
            // indicator with an average character between it and the text.
            const wxSize indicator = wxRendererNative::Get().GetCheckBoxSize(&control);
            const wxSize best = control.GetBestSize();
            return wxSize(std::max(best.x, indicator.x + control.GetCharWidth() + text.x),
                          std::max(text.y, indicator.y));
        }
        case ControlKind::GroupBox: {
            // The caption between the insets the box keeps for its contents.
            int top = 0, other = 0;
            static_cast<wxStaticBox&>(control).GetBordersForSizer(&top, &other);
            return wxSize(std::max(control.GetBestSize().x, text.x + 2 * other), text.y);
        }
        case ControlKind::PushButton:
            // wx's margin for a Windows button's text, and half a line above
            // and below, as a standard button has; not the standard button
            // size, which would widen every small button.
            return wxSize(text.x + 3 * control.GetCharWidth(), text.y * 3 / 2) + frame;
        default:
            return wxSize(0, 0);
    }
}

// The smallest sixteenths of a pixel per `per` units at which `units`
// dialog units come to at least `pixels` pixels, as ToPixels rounds.
int SixteenthsFor(int pixels, int units, int per) {
    const int scale = per * 16;
    return (pixels * scale - scale / 2 + units - 1) / units;
}

// `units` widened so that `need` pixels fit into `size` dialog units.
DialogUnits WidenToFit(DialogUnits units, const wxSize& need, const wxSize& size) {
    if (need.x > 0 && size.x > 0)
        units.charWidth16 = std::max(units.charWidth16, SixteenthsFor(need.x, size.x, 4));
    if (need.y > 0 && size.y > 0)
        units.charHeight16 = std::max(units.charHeight16, SixteenthsFor(need.y, size.y, 8));
    return units;
}

// The units a dialog was built with, kept with the dialog.
class UnitsRecord : public wxClientData {
  public:
    explicit UnitsRecord(const DialogUnits& units) : m_units(units) {}
    const DialogUnits& Units() const { return m_units; }

  private:
    DialogUnits m_units;
};

}  // namespace

wxPoint DialogUnits::ToPixels(const wxPoint& units) const {
    // Rounded to the nearest pixel, as Windows rounds dialog units.
    return wxPoint((units.x * charWidth16 + 32) / 64, (units.y * charHeight16 + 64) / 128);
}

wxSize DialogUnits::ToPixels(const wxSize& units) const {
    const wxPoint pixels = ToPixels(wxPoint(units.x, units.y));
    return wxSize(pixels.x, pixels.y);
}

// The face the system draws for `face`: on Windows its font substitute,
// when the system names one.
static wxString DrawnFace(const wxString& face) {
#ifdef __WXMSW__
    wxLogNull quiet;
    wxRegKey substitutes(wxRegKey::HKLM,
                         "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes");
    wxString target;
    if (substitutes.Exists() && substitutes.HasValue(face) &&
        substitutes.QueryValue(face, target) && !target.empty())
        return target.BeforeFirst(',');  // "SimSun,134": the face and a character set
#endif
    return face;
}

bool SystemHasFace(const wxString& face) {
    return wxFontEnumerator::IsValidFacename(DrawnFace(face));
}

wxFont TemplateFont(const DialogTemplate& layout) {
    const wxString face = wxString::FromUTF8(layout.faceName);
    if (SystemHasFace(face)) return wxFont(wxFontInfo(layout.pointSize).FaceName(face));
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(layout.pointSize);
    return font;
}

const DialogTemplate& AboutBoxTemplate() {
    return kAboutTemplate;
}
const DialogTemplate& MainDialogTemplate() {
    return kMainTemplate;
}

std::vector<wxWindow*> BuildFromTemplate(wxWindow* dialog, const DialogTemplate& layout,
                                         const wxIconBundle& icon) {
    // Dialog units follow the dialog font, so the font comes first; the
    // controls, created in Windows' units, then tell what their texts need.
    dialog->SetFont(TemplateFont(layout));
    const DialogUnits windowsUnits = WindowsUnits(*dialog);
    std::vector<wxWindow*> controls;
    controls.reserve(layout.controlCount);
    for (std::size_t i = 0; i < layout.controlCount; ++i)
        controls.push_back(CreateControl(dialog, layout.controls[i], windowsUnits, icon));

    DialogUnits units = windowsUnits;
    for (std::size_t i = 0; i < layout.controlCount; ++i) {
        const ControlTemplate& c = layout.controls[i];
        units = WidenToFit(units, TextNeed(*controls[i], c), wxSize(c.width, c.height));
    }
    for (std::size_t i = 0; i < layout.controlCount; ++i) {
        const ControlTemplate& c = layout.controls[i];
        controls[i]->SetSize(
            wxRect(units.ToPixels(wxPoint(c.x, c.y)), units.ToPixels(wxSize(c.width, c.height))));
    }
    dialog->SetClientSize(units.ToPixels(wxSize(layout.width, layout.height)));
    dialog->SetClientObject(new UnitsRecord(units));
    return controls;
}

DialogUnits UnitsOf(const wxWindow& dialog) {
    if (auto* record = dynamic_cast<UnitsRecord*>(dialog.GetClientObject())) return record->Units();
    return WindowsUnits(dialog);
}

}  // namespace sorvik_app
