// The two dialog layouts of the program (the About box and the main dialog)
// as tables of controls with positions and sizes in dialog units, and the
// code that builds a dialog's controls from such a table.
#pragma once

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
    const char* caption;  // UTF-8
    int width, height;    // client area, dialog units
    int pointSize;        // dialog font size
    const ControlTemplate* controls;
    std::size_t controlCount;
};

// Template 100 (About box) and template 102 (main dialog).
const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& MainDialogTemplate();

// Gives `dialog` the template's font and client size, then creates the
// controls in template order (which is also the tab order). Returns them in
// that order. `icon` supplies the picture of Icon controls.
std::vector<wxWindow*> BuildFromTemplate(wxWindow* dialog, const DialogTemplate& layout,
                                         const wxIconBundle& icon);

}  // namespace sorvik_app
