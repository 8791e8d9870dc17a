#pragma once

#include <cstddef>

// Menu 139, the main dialog's menu: one popup of four commands, in Korean and in English.
// The command ids are the ones the tool bar and the dialog's event table use.

struct MenuItemText
{
    int id;
    const wchar_t* korean;
    const wchar_t* english;
};

struct MenuPopupText
{
    const wchar_t* korean;
    const wchar_t* english;
    const MenuItemText* items;
    std::size_t itemCount;
};

// The one popup of menu 139 ("메뉴" / "Application Config").
extern const MenuPopupText kMenu139Popup;
