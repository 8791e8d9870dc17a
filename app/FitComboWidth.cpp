#include "app/FitComboWidth.h"

#include "app/DialogTemplate.h"
#include "app/GtkFunction.h"

#include <wx/choice.h>
#include <wx/ctrlsub.h>
#include <wx/statbox.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace {

// The width GTK wants for a drop list showing text: its arrow, padding and cell padding come
// from the theme, and wx's own estimate leaves part of them out. Measured on a throw-away
// list beside the real one, so the theme's rules apply, without a size set by wx. The
// answers are kept: lists are refilled often, and the theme and fonts do not change.
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
    static std::map<std::tuple<wxString, wxString, bool>, int> known;
    const auto key = std::make_tuple(text, font.GetNativeFontInfoDesc(), narrow);
    if (const auto found = known.find(key); found != known.end())
        return found->second;
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
    return known[key] = natural;
}

wxString WidestItem(const wxControlWithItems* list)
{
    wxString widest;
    int widestExtent = -1;
    for (unsigned i = 0; i < list->GetCount(); ++i)
    {
        const int extent = list->GetTextExtent(list->GetString(i)).x;
        if (extent > widestExtent)
        {
            widestExtent = extent;
            widest = list->GetString(i);
        }
    }
    return widest;
}

// Least room kept between a grown drop list and the controls beside it, in pixels.
constexpr int kGap = 4;

// The drop lists that stand in one column with list (one left edge and one width, as the
// template drew them); they grow and move together, so the column stays straight.
std::vector<wxWindow*> ColumnOf(wxWindow* list)
{
    const wxRect r = list->GetRect();
    std::vector<wxWindow*> column;
    for (wxWindow* sibling : list->GetParent()->GetChildren())
    {
        const wxRect s = sibling->GetRect();
        if (wxDynamicCast(sibling, wxChoice) && s.x == r.x && s.width == r.width)
            column.push_back(sibling);
    }
    return column;
}

bool InColumn(const std::vector<wxWindow*>& column, const wxWindow* window)
{
    return std::find(column.begin(), column.end(), window) != column.end();
}

// What stands beside a column: the controls in its rows to its right, which may be moved,
// the group boxes around it, which may be widened, and how far it may grow without either.
struct Surroundings
{
    std::vector<wxWindow*> right;
    std::vector<wxWindow*> boxes;
    int leftEdge = kGap;  // how far left the column may reach without moving anything
    int rightEdge = 0;    // and how far right
};

Surroundings SurroundingsOf(const std::vector<wxWindow*>& column, const wxRect& span)
{
    wxWindow* parent = column.front()->GetParent();
    Surroundings around;
    around.rightEdge = parent->GetClientSize().x - 1 - kGap;
    for (wxWindow* sibling : parent->GetChildren())
    {
        if (InColumn(column, sibling) || !sibling->IsShown())
            continue;
        const wxRect s = sibling->GetRect();
        const bool sameRows = s.y < span.GetBottom() && s.GetBottom() > span.y;
        if (wxDynamicCast(sibling, wxStaticBox) && s.Contains(span))
        {
            around.boxes.push_back(sibling);
            around.leftEdge = std::max(around.leftEdge, s.x + kGap);
            around.rightEdge = std::min(around.rightEdge, s.GetRight() - kGap);
        }
        else if (sameRows && s.x > span.GetRight())
        {
            around.right.push_back(sibling);
            around.rightEdge = std::min(around.rightEdge, s.x - 1 - kGap);
        }
        else if (sameRows && s.GetRight() < span.x)
        {
            around.leftEdge = std::max(around.leftEdge, s.GetRight() + 1 + kGap);
        }
    }
    return around;
}

void MoveBy(wxWindow* window, int dx)
{
    const wxRect r = window->GetRect();
    window->SetSize(r.x + dx, r.y, r.width, r.height);
}

// Moves what stands to the right of the column's rows by dx, then widens the group boxes
// around the column, and the window, where the column (now reaching columnRight) or what
// moved would no longer fit in them.
void MakeRoomOnTheRight(wxWindow* parent, const Surroundings& around, int dx, int columnRight)
{
    int contentRight = columnRight;
    for (wxWindow* window : around.right)
    {
        MoveBy(window, dx);
        contentRight = std::max(contentRight, window->GetRect().GetRight());
    }
    int right = contentRight;
    for (wxWindow* box : around.boxes)
    {
        wxRect r = box->GetRect();
        r.width = std::max(r.width, contentRight + 1 + kGap - r.x);
        box->SetSize(r);
        right = std::max(right, r.GetRight());
    }
    const wxSize client = parent->GetClientSize();
    if (right + 1 + kGap > client.x)
        parent->SetClientSize(right + 1 + kGap, client.y);
}

}  // namespace

void FitComboWidth(wxControlWithItems* combo)
{
    wxWindow* parent = combo ? combo->GetParent() : nullptr;
    if (!parent || combo->GetCount() == 0)
        return;
    const std::vector<wxWindow*> column = ColumnOf(combo);
    const auto wanted = [&](bool narrow) {
        int width = 0;
        for (wxWindow* member : column)
        {
            const auto* list = static_cast<wxChoice*>(member);
            if (list->GetCount() != 0)
                width = std::max(width, WidthShowing(parent, list->GetFont(), WidestItem(list), narrow));
        }
        return width;
    };

    // Departing from the template as little as it takes: the narrow style first, then
    // the free room beside the column, then room made by moving what stands beside it.
    const wxRect r = combo->GetRect();
    const bool narrow = IsNarrowDropList(combo);
    int missing = wanted(narrow) - r.width;
    if (missing > 0 && !narrow)
    {
        for (wxWindow* member : column)
            NarrowDropList(member);
        missing = wanted(true) - r.width;
    }
    if (missing <= 0)
        return;

    wxRect span = r;
    for (wxWindow* member : column)
        span.Union(member->GetRect());
    const Surroundings around = SurroundingsOf(column, span);
    const int growRight = std::clamp(around.rightEdge - r.GetRight(), 0, missing);
    const int growLeft = std::clamp(r.x - around.leftEdge, 0, missing - growRight);
    const int moveRight = missing - growRight - growLeft;
    const wxRect grown(r.x - growLeft, r.y, r.width + missing, r.height);
    if (moveRight > 0)
        MakeRoomOnTheRight(parent, around, moveRight, grown.GetRight());
    for (wxWindow* member : column)
        member->SetSize(grown.x, member->GetRect().y, grown.width, member->GetRect().height);
}
