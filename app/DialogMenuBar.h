#pragma once

#include <wx/window.h>

#include <memory>
#include <vector>

class wxMenu;
class wxMenuItem;

// A menu bar for a dialog. GTK lets only a frame carry a wxMenuBar, so the main dialog
// puts this row of menu titles at the top of its client area instead; a click on a title
// pops its menu up below it, and the menu's commands reach the dialog like those of a
// menu bar (wxEVT_MENU, propagated from this child to its parent).
class DialogMenuBar : public wxWindow
{
public:
    DialogMenuBar(wxWindow* parent, wxWindowID id);
    ~DialogMenuBar() override;
    DialogMenuBar(const DialogMenuBar&) = delete;
    DialogMenuBar& operator=(const DialogMenuBar&) = delete;

    // Adds a menu at the right end; the bar owns it from now on.
    void Append(wxMenu* menu, const wxString& title);
    size_t GetMenuCount() const { return m_menus.size(); }
    wxMenu* GetMenu(size_t pos) const;
    wxString GetMenuLabel(size_t pos) const;

    // The item with this command id in any of the menus, or nullptr.
    wxMenuItem* FindItem(int id) const;
    using wxWindow::Enable;
    void Enable(int id, bool enable);
    bool IsEnabled(int id) const;
    // The item's text without mnemonics; empty when no item has the id.
    wxString GetLabelText(int id) const;

    // Pops menu pos up below its title and returns when it closes (a click does the same).
    // Opened from the keyboard, its first enabled item is highlighted at once.
    void OpenMenu(size_t pos, bool fromKeyboard = false);

    // The keys a Windows dialog's menu bar takes, for the dialog to pass on: F10 opens the
    // first menu with the keyboard in it; Alt with the underlined letter of an enabled
    // item ("&X" in its text) runs that item. Returns whether the key was the bar's.
    bool ProcessMenuKey(const wxKeyEvent& event);
    // The enabled item whose underlined letter is key (either case), or nullptr.
    wxMenuItem* FindMnemonicItem(int key) const;

    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

    // Where title pos lies, in this window's coordinates.
    wxRect GetTitleRect(size_t pos) const;

protected:
    wxSize DoGetBestClientSize() const override;

private:
    struct Entry
    {
        std::unique_ptr<wxMenu> menu;
        wxString title;
    };

    int TitleAt(const wxPoint& point) const;
    void SetHot(int pos);
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnMenuOpen(wxMenuEvent& event);

    std::vector<Entry> m_menus;
    int m_hot = -1;  // title under the mouse or open, -1 for none
    bool m_openingFromKeyboard = false;
};
