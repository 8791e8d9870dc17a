#pragma once

// Dialog templates as data, and the engine that turns one into wx controls.
//
// A template lists its controls in tab order with positions and sizes in dialog units.
// Each data file in app/res defines its tables and registers them with a
// DialogTemplateRegistration object, so FindDialogTemplate knows every template of the
// program without one central list.

#include <cstddef>
#include <span>

#include <wx/font.h>
#include <wx/gdicmn.h>

class wxWindow;

// What kind of control a template row creates.
enum class ControlKind
{
    Static,         // wxStaticText
    Edit,           // wxTextCtrl
    PushButton,     // wxButton
    DefPushButton,  // wxButton, the default button of its top-level window
    DropList,       // wxChoice (a drop-down list without an editable field)
    RadioButton,    // wxRadioButton; a row with CS_GROUP starts a new group
    CheckBox,       // wxCheckBox
    GroupBox,       // wxStaticBox
    Icon,           // wxStaticBitmap showing the program's icon
    Frame,          // a grey rectangle, usually a hidden placeholder (wxWindow)
};

// Style flags of a template row (combine with |).
enum ControlStyle : unsigned
{
    CS_NONE = 0,
    CS_HIDDEN = 1u << 0,       // created invisible
    CS_DISABLED = 1u << 1,     // created disabled
    CS_READONLY = 1u << 2,     // edit: read-only
    CS_NUMBER = 1u << 3,       // edit: only digits can be typed
    CS_GROUP = 1u << 4,        // starts a group (a new radio group for radio buttons)
    CS_TABSTOP = 1u << 5,      // reached with Tab (every focusable wx control is)
    CS_CENTER = 1u << 6,       // text centred horizontally
    CS_RIGHT = 1u << 7,        // text right-aligned
    CS_CENTERIMAGE = 1u << 8,  // static: text centred vertically in its rectangle
    CS_SORT = 1u << 9,         // drop list: items sorted as they are added
    CS_NOPREFIX = 1u << 10,    // static: '&' is shown, not a mnemonic
    CS_MULTILINE = 1u << 11,   // check box or button: text may wrap
    CS_AUTOHSCROLL = 1u << 12, // edit: scrolls horizontally (every wx single-line edit does)
    CS_BORDER = 1u << 13,      // edit: with a border (the wx default)
    CS_VSCROLL = 1u << 14,     // drop list: scroll bar in the list (the platform decides)
};

// One control of a template.
struct DialogControl
{
    int id;  // the control's window id; -1 for controls nobody addresses
    ControlKind kind;
    const wchar_t* text;  // nullptr for none
    int x, y, cx, cy;     // dialog units
    unsigned style;       // ControlStyle flags
};

// Styles of the template's own window.
enum class DialogKind
{
    Popup,  // a top-level dialog with caption and system menu
    Child,  // a child window (a page) with a thin border and no caption
};

// One dialog template.
struct DialogTemplate
{
    int id;
    DialogKind kind;
    const wchar_t* caption;  // nullptr for none
    int pointSize;           // the template's font size in points
    int cx, cy;              // client size in dialog units
    int menuId;              // 0 when the window has no menu
    std::span<const DialogControl> controls;
};

// The templates the program defines (in app/res/*.cpp). 103, 107 and 137 live in
// app/res/DialogTemplates.cpp; 100, 102 and 106 in app/res/MainTemplates.cpp.
extern const DialogTemplate kDialogTemplate100;
extern const DialogTemplate kDialogTemplate102;
extern const DialogTemplate kDialogTemplate103;
extern const DialogTemplate kDialogTemplate106;
extern const DialogTemplate kDialogTemplate107;
extern const DialogTemplate kDialogTemplate137;

// Makes a template known to FindDialogTemplate; define one per table, at namespace scope,
// in the file that defines the table.
class DialogTemplateRegistration
{
public:
    explicit DialogTemplateRegistration(const DialogTemplate& tmpl);
    DialogTemplateRegistration(const DialogTemplateRegistration&) = delete;
    DialogTemplateRegistration& operator=(const DialogTemplateRegistration&) = delete;
};

// The registered template with this id, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// The font that every template's dialog units are measured in: a Korean-capable face at
// the given size (NanumGothic when installed, the GUI font's face otherwise).
wxFont DialogTemplateFont(int pointSize);

// The dialog base units of a font: average width of an ASCII letter and the line height,
// computed the way wxWindow::ConvertDialogToPixels computes them.
wxSize DialogBaseUnits(wxWindow* window, const wxFont& font);

// Converts a rectangle in dialog units to pixels with the given base units
// (x and widths times width / 4, y and heights times height / 8).
wxRect DialogUnitsToPixels(const wxRect& dialogUnits, const wxSize& baseUnits);

// Builds a template into window: sets the template's font on it, creates every control as
// a child of window with the template's id, in the template's (tab) order, at its place,
// and sets window's client size to the template's size. Returns the base units used.
wxSize BuildDialogTemplate(wxWindow* window, const DialogTemplate& tmpl);

// Gives a drop list the program's narrow style: less room around its text and arrow, for
// a list whose widest item does not fit its template width otherwise. IsNarrowDropList
// tells whether it has it.
void NarrowDropList(wxWindow* dropList);
bool IsNarrowDropList(wxWindow* dropList);
