#include "app/DialogTemplate.h"

#include <algorithm>
#include <vector>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/fontenum.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>
#include <wx/window.h>

#include "app/EmbeddedResource.h"
#include "app/GtkFunction.h"

namespace {

// Function-local so that registrations from other files' static objects never run
// before the list exists.
std::vector<const DialogTemplate*>& Registry()
{
    static std::vector<const DialogTemplate*> templates;
    return templates;
}

// The templates were drawn for controls about 12 to 14 dialog units high and for drop
// lists whose arrow takes little room; GTK's default theme pads its buttons, entries and
// combo boxes far beyond that. A style sheet for the whole program trims the padding so
// that the controls fit the templates' rectangles. GTK is reached through the symbols that
// wx has already loaded (the program is built without GTK's headers).
void ApplyCompactControlStyle()
{
    static bool applied = false;
    if (applied)
        return;
    applied = true;
    using ProviderNew = void* (*)();
    using LoadFromData = int (*)(void*, const char*, long, void**);
    using ScreenGetDefault = void* (*)();
    using AddProvider = void (*)(void*, void*, unsigned);
    auto providerNew = GtkFunction<ProviderNew>("gtk_css_provider_new");
    auto loadFromData =
        GtkFunction<LoadFromData>("gtk_css_provider_load_from_data");
    auto screenGetDefault =
        GtkFunction<ScreenGetDefault>("gdk_screen_get_default");
    auto addProvider = GtkFunction<AddProvider>("gtk_style_context_add_provider_for_screen");
    if (!providerNew || !loadFromData || !screenGetDefault || !addProvider)
        return;
    void* screen = screenGetDefault();
    void* provider = providerNew();
    if (!screen || !provider)
        return;
    // A drop list that still cannot show its widest item gets the narrow class
    // (NarrowDropList): less padding in its button and none around its text.
    static const char kCss[] =
        "button { padding: 1px 4px; min-height: 0; min-width: 0; }\n"
        "combobox button.combo { padding: 0 2px 0 4px; min-height: 0; }\n"
        "combobox arrow { min-width: 12px; min-height: 12px; }\n"
        "combobox.narrow button.combo { padding: 0 1px 0 2px; }\n"
        "combobox.narrow cellview { margin: 0 -2px; }\n"
        "entry { padding: 0 3px; min-height: 0; }\n";
    loadFromData(provider, kCss, -1, nullptr);
    constexpr unsigned kApplicationPriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
    addProvider(screen, provider, kApplicationPriority);
}

// The GTK style context of a control's widget, or nullptr.
void* StyleContextOf(wxWindow* control)
{
    using GetStyleContext = void* (*)(void*);
    static const auto getStyleContext =
        GtkFunction<GetStyleContext>("gtk_widget_get_style_context");
    void* widget = control ? control->GetHandle() : nullptr;
    return widget && getStyleContext ? getStyleContext(widget) : nullptr;
}

wxString TextOf(const DialogControl& control)
{
    return control.text ? wxString(control.text) : wxString();
}

wxBitmap ProgramIcon()
{
    const wxImage image = LoadEmbeddedPng("icon128_32.png");
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

long StaticAlignment(unsigned style)
{
    if (style & CS_CENTER)
        return wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
    if (style & CS_RIGHT)
        return wxALIGN_RIGHT | wxST_NO_AUTORESIZE;
    return wxST_NO_AUTORESIZE;
}

// GTK refuses to draw a radio button or check box smaller than its indicator and label
// (and says so on the terminal); such a control grows to its natural size about the
// vertical centre of its template rectangle.
wxWindow* GrowToBestSize(wxWindow* control, const wxRect& r)
{
    const wxSize best = control->GetBestSize();
    if (best.x > r.width || best.y > r.height)
    {
        const int height = std::max(best.y, r.height);
        control->SetSize(r.x, r.y - (height - r.height) / 2, std::max(best.x, r.width), height);
    }
    return control;
}

wxWindow* CreateControl(wxWindow* parent, const DialogControl& c, const wxRect& r)
{
    const wxWindowID id = c.id;
    const wxString text = TextOf(c);
    switch (c.kind)
    {
    case ControlKind::Static:
    {
        const wxString shown = (c.style & CS_NOPREFIX) ? wxControl::EscapeMnemonics(text) : text;
        auto* label = new wxStaticText(parent, id, shown, r.GetPosition(), r.GetSize(),
                                       StaticAlignment(c.style));
        // Hangul in the platform's font can be wider than the template allowed; a label
        // grows (about its alignment) rather than wrap or clip.
        const int textWidth = label->GetBestSize().x;
        if (textWidth > r.width)
        {
            const int grow = textWidth - r.width;
            const int x = (c.style & CS_CENTER) ? r.x - grow / 2 : (c.style & CS_RIGHT) ? r.x - grow : r.x;
            label->SetSize(x, r.y, textWidth, r.height);
        }
        if (c.style & CS_CENTERIMAGE)
        {
            // Centre the text line vertically inside the template's rectangle.
            const int lineHeight = label->GetBestSize().y;
            const wxRect placed = label->GetRect();
            if (lineHeight < placed.height)
                label->SetSize(placed.x, placed.y + (placed.height - lineHeight) / 2, placed.width,
                               lineHeight);
        }
        return label;
    }
    case ControlKind::Edit:
    {
        long style = 0;
        if (c.style & CS_READONLY)
            style |= wxTE_READONLY;
        if (c.style & CS_CENTER)
            style |= wxTE_CENTRE;
        if (c.style & CS_RIGHT)
            style |= wxTE_RIGHT;
        if (c.style & CS_NUMBER)
            return new wxTextCtrl(parent, id, text, r.GetPosition(), r.GetSize(), style,
                                  wxTextValidator(wxFILTER_DIGITS));
        return new wxTextCtrl(parent, id, text, r.GetPosition(), r.GetSize(), style);
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    {
        auto* button = new wxButton(parent, id, text, r.GetPosition(), r.GetSize());
        if (c.kind == ControlKind::DefPushButton)
            button->SetDefault();
        return button;
    }
    case ControlKind::DropList:
    {
        // A template's height of a drop list includes its open list; the closed control
        // takes its natural height.
        auto* choice = new wxChoice(parent, id, r.GetPosition(), wxSize(r.width, wxDefaultCoord), 0,
                                    nullptr, (c.style & CS_SORT) ? wxCB_SORT : 0);
        // GTK may measure it before the dialog's font reached it; keep room for a line of text.
        const int height = std::max(choice->GetBestSize().y, parent->GetCharHeight() + 8);
        choice->SetSize(wxSize(r.width, height));
        return choice;
    }
    case ControlKind::RadioButton:
        return GrowToBestSize(new wxRadioButton(parent, id, text, r.GetPosition(), r.GetSize(),
                                                (c.style & CS_GROUP) ? wxRB_GROUP : 0),
                              r);
    case ControlKind::CheckBox:
        return GrowToBestSize(new wxCheckBox(parent, id, text, r.GetPosition(), r.GetSize()), r);
    case ControlKind::GroupBox:
        return new wxStaticBox(parent, id, text, r.GetPosition(), r.GetSize());
    case ControlKind::Icon:
        return new wxStaticBitmap(parent, id, ProgramIcon(), r.GetPosition(), r.GetSize());
    case ControlKind::Frame:
    {
        auto* frame = new wxWindow(parent, id, r.GetPosition(), r.GetSize());
        frame->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
        return frame;
    }
    }
    return nullptr;
}

}  // namespace

DialogTemplateRegistration::DialogTemplateRegistration(const DialogTemplate& tmpl)
{
    Registry().push_back(&tmpl);
}

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate* tmpl : Registry())
    {
        if (tmpl->id == id)
            return tmpl;
    }
    return nullptr;
}

wxFont DialogTemplateFont(int pointSize)
{
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(pointSize);
    // Hangul needs a face that has it; NanumGothic is the one the package list installs.
    static const bool haveNanum = wxFontEnumerator::IsValidFacename("NanumGothic");
    if (haveNanum)
        font.SetFaceName("NanumGothic");
    return font;
}

wxSize DialogBaseUnits(wxWindow* window, const wxFont& font)
{
    // The same measure wxWindow::ConvertDialogToPixels takes of its top-level window's
    // font; here it is taken of the template's own font, so a page lays out the same
    // whatever window hosts it.
    int width = 0;
    int height = 0;
    window->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width,
                          &height, nullptr, nullptr, &font);
    return wxSize((width / 26 + 1) / 2, height);
}

wxRect DialogUnitsToPixels(const wxRect& du, const wxSize& base)
{
    return wxRect(wxMulDivInt32(du.x, base.x, 4), wxMulDivInt32(du.y, base.y, 8),
                  wxMulDivInt32(du.width, base.x, 4), wxMulDivInt32(du.height, base.y, 8));
}

wxSize BuildDialogTemplate(wxWindow* window, const DialogTemplate& tmpl)
{
    ApplyCompactControlStyle();
    const wxFont font = DialogTemplateFont(tmpl.pointSize);
    window->SetFont(font);
    const wxSize base = DialogBaseUnits(window, font);
    for (const DialogControl& c : tmpl.controls)
    {
        const wxRect r = DialogUnitsToPixels(wxRect(c.x, c.y, c.cx, c.cy), base);
        wxWindow* control = CreateControl(window, c, r);
        if (!control)
            continue;
        if (c.style & CS_DISABLED)
            control->Disable();
        if (c.style & CS_HIDDEN)
            control->Hide();
    }
    window->SetClientSize(DialogUnitsToPixels(wxRect(0, 0, tmpl.cx, tmpl.cy), base).GetSize());
    return base;
}

void NarrowDropList(wxWindow* dropList)
{
    using AddClass = void (*)(void*, const char*);
    static const auto addClass =
        GtkFunction<AddClass>("gtk_style_context_add_class");
    if (void* context = StyleContextOf(dropList); context && addClass)
        addClass(context, "narrow");
}

bool IsNarrowDropList(wxWindow* dropList)
{
    using HasClass = int (*)(void*, const char*);
    static const auto hasClass =
        GtkFunction<HasClass>("gtk_style_context_has_class");
    void* context = StyleContextOf(dropList);
    return context && hasClass && hasClass(context, "narrow");
}
