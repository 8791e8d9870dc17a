#include "app/FillComboBox.h"

#include <wx/ctrlsub.h>

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
