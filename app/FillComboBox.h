#pragma once

#include <cstddef>
#include <cstdint>

#include "app/FitComboWidth.h"

class wxControlWithItems;

// One row of a combo-box table: the item's text and the value kept as its data.
struct ComboRow
{
    const wchar_t* text;
    uint32_t value;
};

// The 14 baud rates from 300 to 921600, the same in the PC's and in the modem's encoding.
extern const ComboRow kBaudrateRows[14];
// The data bits, also the same on both sides.
extern const ComboRow kDatabitRows[2];

// Empties combo and adds the rows in order, each with its value as item data; selects the
// last row whose value equals current (none: no selection). Nothing happens without a
// combo box or its window.
void FillComboBox(wxControlWithItems* combo, const ComboRow* rows, int count, uint32_t current);

template <std::size_t N>
void FillComboBox(wxControlWithItems* combo, const ComboRow (&rows)[N], uint32_t current)
{
    FillComboBox(combo, rows, static_cast<int>(N), current);
}

// Appends one item with its value as data; returns the index where it landed (a sorted
// combo box sorts it in).
int AddComboItem(wxControlWithItems* combo, const wchar_t* text, uint32_t value);

// The data of item index.
uint32_t GetComboItemValue(const wxControlWithItems* combo, int index);

// Whether combo has a selection; if so value receives the selected item's data.
bool GetComboSelectedValue(const wxControlWithItems* combo, uint32_t& value);

// Selects the first item whose data equals value, searching from the first item, and
// returns its index; without such an item the selection stays and wxNOT_FOUND is returned.
int SelectComboItemByValue(wxControlWithItems* combo, uint32_t value);
