#include "app/FillComboBox.h"

#include <wx/ctrlsub.h>

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
