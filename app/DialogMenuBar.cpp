#include "app/DialogMenuBar.h"

#include <wx/control.h>
#include <wx/dcbuffer.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include "app/GtkFunction.h"

namespace {
// Room around each title, in pixels: like the padding of a GTK menu bar item.
constexpr int kPadX = 8;
constexpr int kPadY = 5;
}  // namespace

DialogMenuBar::DialogMenuBar(wxWindow* parent, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &DialogMenuBar::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &DialogMenuBar::OnLeftDown, this);
    Bind(wxEVT_MOTION, &DialogMenuBar::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &DialogMenuBar::OnLeave, this);
    Bind(wxEVT_MENU_OPEN, &DialogMenuBar::OnMenuOpen, this);
}

DialogMenuBar::~DialogMenuBar() = default;

void DialogMenuBar::Append(wxMenu* menu, const wxString& title)
{
    m_menus.push_back({std::unique_ptr<wxMenu>(menu), title});
    InvalidateBestSize();
    Refresh();
}

wxMenu* DialogMenuBar::GetMenu(size_t pos) const
{
    return pos < m_menus.size() ? m_menus[pos].menu.get() : nullptr;
}

wxString DialogMenuBar::GetMenuLabel(size_t pos) const
{
    return pos < m_menus.size() ? m_menus[pos].title : wxString();
}

wxMenuItem* DialogMenuBar::FindItem(int id) const
{
    for (const Entry& e : m_menus)
        if (wxMenuItem* item = e.menu->FindItem(id))
            return item;
    return nullptr;
}

void DialogMenuBar::Enable(int id, bool enable)
{
    if (wxMenuItem* item = FindItem(id))
        item->Enable(enable);
}

bool DialogMenuBar::IsEnabled(int id) const
{
    const wxMenuItem* item = FindItem(id);
    return item && item->IsEnabled();
}

wxString DialogMenuBar::GetLabelText(int id) const
{
    const wxMenuItem* item = FindItem(id);
    return item ? item->GetItemLabelText() : wxString();
}

wxRect DialogMenuBar::GetTitleRect(size_t pos) const
{
    int x = 0;
    const int height = GetClientSize().y;
    for (size_t i = 0; i < m_menus.size(); ++i)
    {
        const int width = GetTextExtent(wxStripMenuCodes(m_menus[i].title)).x + 2 * kPadX;
        if (i == pos)
            return wxRect(x, 0, width, height);
        x += width;
    }
    return wxRect();
}

wxSize DialogMenuBar::DoGetBestClientSize() const
{
    wxSize size(0, GetCharHeight() + 2 * kPadY);
    for (const Entry& e : m_menus)
        size.x += GetTextExtent(wxStripMenuCodes(e.title)).x + 2 * kPadX;
    return size;
}

int DialogMenuBar::TitleAt(const wxPoint& point) const
{
    for (size_t i = 0; i < m_menus.size(); ++i)
        if (GetTitleRect(i).Contains(point))
            return static_cast<int>(i);
    return -1;
}

void DialogMenuBar::SetHot(int pos)
{
    if (pos != m_hot)
    {
        m_hot = pos;
        Refresh();
    }
}

void DialogMenuBar::OpenMenu(size_t pos, bool fromKeyboard)
{
    if (pos >= m_menus.size())
        return;
    const wxRect title = GetTitleRect(pos);
    SetHot(static_cast<int>(pos));
    Update();
    m_openingFromKeyboard = fromKeyboard;
    PopupMenu(m_menus[pos].menu.get(), title.GetLeft(), title.GetBottom() + 1);
    m_openingFromKeyboard = false;
    SetHot(TitleAt(ScreenToClient(wxGetMousePosition())));
}

void DialogMenuBar::OnMenuOpen(wxMenuEvent& event)
{
    // As on Windows, a menu opened from the keyboard starts on its first enabled item, so
    // that the arrow keys and Enter act at once.
    using SelectFirst = void (*)(void*, int);
    static const auto selectFirst =
        GtkFunction<SelectFirst>("gtk_menu_shell_select_first");
    wxMenu* menu = event.GetMenu();
    if (m_openingFromKeyboard && menu && menu->m_menu && selectFirst)
        selectFirst(menu->m_menu, 1);
    event.Skip();
}

bool DialogMenuBar::ProcessMenuKey(const wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_F10 && !event.HasAnyModifiers())
    {
        OpenMenu(0, true);
        return true;
    }
    if (event.GetModifiers() != wxMOD_ALT)
        return false;
    const wxMenuItem* item = FindMnemonicItem(key);
    if (!item)
        return false;
    wxCommandEvent command(wxEVT_MENU, item->GetId());
    command.SetEventObject(item->GetMenu());
    ProcessWindowEvent(command);
    return true;
}

wxMenuItem* DialogMenuBar::FindMnemonicItem(int key) const
{
    if (key <= 0 || key > 0xFFFF)
        return nullptr;
    for (const Entry& e : m_menus)
    {
        for (wxMenuItem* item : e.menu->GetMenuItems())
        {
            wxString shown;  // the text without its "&"s; the index points into it
            const int index = wxControl::FindAccelIndex(item->GetItemLabel(), &shown);
            if (index != wxNOT_FOUND && item->IsEnabled() &&
                wxToupper(shown[index]) == wxToupper(static_cast<wxChar>(key)))
                return item;
        }
    }
    return nullptr;
}

void DialogMenuBar::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_MENUBAR)));
    dc.Clear();
    dc.SetFont(GetFont());
    for (size_t i = 0; i < m_menus.size(); ++i)
    {
        const wxRect r = GetTitleRect(i);
        const bool hot = static_cast<int>(i) == m_hot;
        if (hot)
        {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
            dc.DrawRectangle(r);
        }
        dc.SetTextForeground(wxSystemSettings::GetColour(hot ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_MENUTEXT));
        const wxString text = wxStripMenuCodes(m_menus[i].title);
        const wxSize extent = dc.GetTextExtent(text);
        dc.DrawText(text, r.x + kPadX, r.y + (r.height - extent.y) / 2);
    }
    // A hairline under the bar, as GTK draws under its own menu bars.
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
}

void DialogMenuBar::OnLeftDown(wxMouseEvent& event)
{
    const int pos = TitleAt(event.GetPosition());
    if (pos >= 0)
        OpenMenu(static_cast<size_t>(pos));
}

void DialogMenuBar::OnMotion(wxMouseEvent& event)
{
    SetHot(TitleAt(event.GetPosition()));
}

void DialogMenuBar::OnLeave(wxMouseEvent&)
{
    SetHot(-1);
}
