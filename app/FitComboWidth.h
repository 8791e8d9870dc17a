#pragma once

class wxControlWithItems;

// Makes a drop list show its widest item whole, together with the lists that stand in one
// column with it (so the column keeps one left edge and one width): first with the narrow
// style, then by widening into the free room beside the column, then by moving what stands
// to its right, widening the group box around it and the window where they run out of room.
// (GTK's arrow and padding, and in some locales its fonts, take more of the width than the
// dialog templates allow for.)
void FitComboWidth(wxControlWithItems* combo);
