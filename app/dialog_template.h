// The two dialog layouts of the program (the About box and the main dialog)
// as tables of controls with positions and sizes in dialog units, and the
// code that builds a dialog's controls from such a table.
#pragma once

#include <wx/font.h>
#include <wx/gdicmn.h>

#include <cstddef>
#include <vector>

class wxIconBundle;
class wxWindow;

namespace sorvik_app {

enum class ControlKind {
    GroupBox,     // framed group, optional caption
    RadioButton,  // automatic radio button
    Label,        // static text
    Edit,         // single-line edit with border
    PushButton,
    ListView,  // report-view list with border
    Icon,      // static picture of the application icon
};

// Extra properties beyond the control's kind.
enum ControlFlags : unsigned {
    kNoFlags = 0,
    kStartsGroup = 1u << 0,    // first control of a radio group
    kAlignRight = 1u << 1,     // right-aligned static text
    kBorder = 1u << 2,         // static text with a border
    kNoPrefix = 1u << 3,       // '&' is shown as it is
    kDefaultButton = 1u << 4,  // the dialog's default push button
};

struct ControlTemplate {
    int id;  // -1 for controls the program never addresses
    ControlKind kind;
    const char* text;  // UTF-8
    unsigned flags;
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    int resourceId;
    const char* caption;   // UTF-8
    int width, height;     // client area, dialog units
    const char* faceName;  // dialog font
    int pointSize;         // dialog font size
    const ControlTemplate* controls;
    std::size_t controlCount;
};

// Template 100 (About box) and template 102 (main dialog).
const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& MainDialogTemplate();

// How a dialog turns dialog units into pixels. Windows bases the units on
// the dialog font: a horizontal unit is a quarter of the average width of
// the Latin letters, a vertical unit an eighth of the character height. A
// Chinese character is about twice that average wide, so a text laid out
// for Latin widths can be wider than its control; the units used here are
// Windows' own, widened where a text of the layout needs it to fit its
// control in the font in use. Every position and size scales alike, so
// nothing moves relative to the rest.
struct DialogUnits {
    // Pixels per 4 horizontal and per 8 vertical units, in sixteenths of a
    // pixel, so that widened units grow the window no more than needed.
    int charWidth16 = 0;
    int charHeight16 = 0;

    wxPoint ToPixels(const wxPoint& units) const;
    wxSize ToPixels(const wxSize& units) const;
};

// Whether the system has the font face `face`. On Windows a face that the
// system maps to another through its font substitutes ("MS Shell Dlg" to
// SimSun on a Chinese Windows) is there when what it maps to is.
bool SystemHasFace(const wxString& face);

// The layout's font: its face at its size where the system has that face,
// else the system's UI font at that size.
wxFont TemplateFont(const DialogTemplate& layout);

// Gives `dialog` the template's font, creates the controls in template
// order (which is also the tab order), derives the dialog units from the
// font and the controls' texts, and places the controls and sizes the
// client area in those units. Returns the controls in template order.
// `icon` supplies the picture of Icon controls.
std::vector<wxWindow*> BuildFromTemplate(wxWindow* dialog, const DialogTemplate& layout,
                                         const wxIconBundle& icon);

// The units BuildFromTemplate built `dialog` with.
DialogUnits UnitsOf(const wxWindow& dialog);

}  // namespace sorvik_app
