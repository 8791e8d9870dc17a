#include "app/FillComboBox.h"

#include "app/DialogTemplate.h"
#include "app/GtkFunction.h"

#include <wx/choice.h>
#include <wx/ctrlsub.h>

#include <algorithm>

namespace {

// The width GTK wants for a drop list showing text: its arrow, padding and cell padding come
// from the theme, and wx's own estimate leaves part of them out. Measured on a throw-away
// list beside the real one, so the theme's rules apply, without a size set by wx.
int WidthShowing(wxWindow* parent, const wxFont& font, const wxString& text, bool narrow)
{
    using PreferredWidth = void (*)(void*, int*, int*);
    static const auto preferredWidth =
        GtkFunction<PreferredWidth>("gtk_widget_get_preferred_width");
    using SizeRequest = void (*)(void*, int, int);
    static const auto sizeRequest =
        GtkFunction<SizeRequest>("gtk_widget_set_size_request");
    if (!preferredWidth || !sizeRequest)
        return 0;
    // Shown (GTK measures nothing hidden) but gone again before anything is drawn. The
    // item goes in after the font: GTK keeps measuring an item in the font it was added with.
    auto* probe = new wxChoice(parent, wxID_ANY, wxPoint(-1000, -1000));
    probe->SetFont(font);
    if (narrow)
        NarrowDropList(probe);
    probe->Append(text);
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

// Least room kept between a grown drop list and the controls beside it, in pixels.
constexpr int kGap = 4;

// Widens combo (rectangle r) by up to `missing` pixels into the free room beside it: to
// the right first, then to the left; never onto a control in the same row, nor past a
// group box around it or the window's edge.
void GrowIntoFreeRoom(wxWindow* combo, const wxRect& r, int missing)
{
    wxWindow* parent = combo->GetParent();
    int left = kGap;
    int right = parent->GetClientSize().x - 1 - kGap;
    for (const wxWindow* sibling : parent->GetChildren())
    {
        if (sibling == combo || !sibling->IsShown())
            continue;
        const wxRect s = sibling->GetRect();
        const bool sameRow = s.y < r.GetBottom() && s.GetBottom() > r.y;
        if (s.Contains(r))
        {
            left = std::max(left, s.x + kGap);
            right = std::min(right, s.GetRight() - kGap);
        }
        else if (sameRow && s.x > r.GetRight())
        {
            right = std::min(right, s.x - 1 - kGap);
        }
        else if (sameRow && s.GetRight() < r.x)
        {
            left = std::max(left, s.GetRight() + 1 + kGap);
        }
    }
    const int growRight = std::clamp(right - r.GetRight(), 0, missing);
    const int growLeft = std::clamp(r.x - left, 0, missing - growRight);
    if (growRight + growLeft > 0)
        combo->SetSize(r.x - growLeft, r.y, r.width + growLeft + growRight, r.height);
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
    // Departing from the template as little as it takes: the narrow style first, then
    // more width.
    const wxRect r = combo->GetRect();
    const bool narrow = IsNarrowDropList(combo);
    int wanted = WidthShowing(parent, combo->GetFont(), widest, narrow);
    if (wanted > r.width && !narrow)
    {
        NarrowDropList(combo);
        wanted = WidthShowing(parent, combo->GetFont(), widest, true);
    }
    if (wanted > r.width)
        GrowIntoFreeRoom(combo, r, wanted - r.width);
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
