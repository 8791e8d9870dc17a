#include "app/FillComboBox.h"

#include <wx/choice.h>
#include <wx/ctrlsub.h>

#include <algorithm>

#include <dlfcn.h>

namespace {

// The width GTK wants for a drop list showing text: its arrow, padding and cell padding come
// from the theme, and wx's own estimate leaves part of them out. Measured on a throw-away
// list beside the real one, so the theme's rules apply, without a size set by wx.
// (GTK's headers are not part of the build, hence the look-up.)
int WidthShowing(wxWindow* parent, const wxFont& font, const wxString& text)
{
    using PreferredWidth = void (*)(void*, int*, int*);
    static const auto preferredWidth =
        reinterpret_cast<PreferredWidth>(dlsym(RTLD_DEFAULT, "gtk_widget_get_preferred_width"));
    using SizeRequest = void (*)(void*, int, int);
    static const auto sizeRequest =
        reinterpret_cast<SizeRequest>(dlsym(RTLD_DEFAULT, "gtk_widget_set_size_request"));
    if (!preferredWidth || !sizeRequest)
        return 0;
    // Shown (GTK measures nothing hidden) but gone again before anything is drawn.
    auto* probe = new wxChoice(parent, wxID_ANY, wxPoint(-1000, -1000), wxDefaultSize, 1, &text);
    probe->SetFont(font);
    probe->SetSelection(0);
    int minimum = 0, natural = 0;
    if (void* widget = probe->GetHandle())
    {
        sizeRequest(widget, -1, -1);
        preferredWidth(widget, &minimum, &natural);
    }
    probe->Destroy();
    return natural;
}

}  // namespace

void FitComboWidth(wxControlWithItems* combo)
{
    wxWindow* parent = combo ? combo->GetParent() : nullptr;
    if (!parent || combo->GetCount() == 0)
        return;
    wxString widest;
    int widestExtent = -1;
    for (unsigned i = 0; i < combo->GetCount(); ++i)
    {
        const int extent = combo->GetTextExtent(combo->GetString(i)).x;
        if (extent > widestExtent)
        {
            widestExtent = extent;
            widest = combo->GetString(i);
        }
    }
    const wxRect r = combo->GetRect();
    const int wanted = WidthShowing(parent, combo->GetFont(), widest);
    if (wanted <= r.width)
        return;
    // Never onto a control to the right in the same row, nor past a group box around it.
    constexpr int kGap = 6;
    int right = std::min(r.x + wanted - 1, parent->GetClientSize().x - 1);
    for (const wxWindow* sibling : parent->GetChildren())
    {
        if (sibling == combo)
            continue;
        const wxRect s = sibling->GetRect();
        const bool sameRow = s.y < r.GetBottom() && s.GetBottom() > r.y;
        if (sameRow && s.x > r.GetRight())
            right = std::min(right, s.x - kGap);
        else if (s.Contains(r))
            right = std::min(right, s.GetRight() - kGap);
    }
    if (right > r.GetRight())
        combo->SetSize(right - r.x + 1, r.height);
}

const ComboRow kBaudrateRows[14] = {
    {L"300", 300},       {L"600", 600},       {L"1200", 1200},     {L"2400", 2400},
    {L"4800", 4800},     {L"9600", 9600},     {L"14400", 14400},   {L"19200", 19200},
    {L"38400", 38400},   {L"57600", 57600},   {L"115200", 115200}, {L"230400", 230400},
    {L"460800", 460800}, {L"921600", 921600},
};

const ComboRow kDatabitRows[2] = {{L"7 bits", 7}, {L"8 bits", 8}};

int AddComboItem(wxControlWithItems* combo, const wchar_t* text, uint32_t value)
{
    return combo->Append(wxString(text), reinterpret_cast<void*>(static_cast<uintptr_t>(value)));
}

void FillComboBox(wxControlWithItems* combo, const ComboRow* rows, int count, uint32_t current)
{
    if (!combo || !combo->GetHandle())
        return;
    combo->Clear();
    for (int i = 0; i < count; ++i)
    {
        const int index = AddComboItem(combo, rows[i].text, rows[i].value);
        if (rows[i].value == current)
            combo->SetSelection(index);
    }
    FitComboWidth(combo);
}

uint32_t GetComboItemValue(const wxControlWithItems* combo, int index)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(combo->GetClientData(index)));
}

bool GetComboSelectedValue(const wxControlWithItems* combo, uint32_t& value)
{
    const int index = combo->GetSelection();
    if (index == wxNOT_FOUND)
        return false;
    value = GetComboItemValue(combo, index);
    return true;
}

int SelectComboItemByValue(wxControlWithItems* combo, uint32_t value)
{
    const int count = static_cast<int>(combo->GetCount());
    for (int i = 0; i < count; ++i)
    {
        if (GetComboItemValue(combo, i) == value)
        {
            combo->SetSelection(i);
            return i;
        }
    }
    return wxNOT_FOUND;
}
