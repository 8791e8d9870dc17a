#include "app/FillComboBox.h"

#include <wx/choice.h>
#include <wx/frame.h>

#include "support/GuiFixtures.h"

namespace {

const ComboRow kRows[] = {{L"None", 0}, {L"Odd", 2}, {L"Even", 1}, {L"Again", 2}};

class FillComboBoxTest : public GuiTest
{
protected:
    FillComboBoxTest()
        : m_frame(new wxFrame(nullptr, wxID_ANY, "combo")), m_combo(new wxChoice(m_frame, 1))
    {
    }
    ~FillComboBoxTest() override { m_frame->Destroy(); }

    wxFrame* m_frame;
    wxChoice* m_combo;
};

TEST_F(FillComboBoxTest, AddsRowsInOrderWithTheirValues)
{
    FillComboBox(m_combo, kRows, 3, 1);
    ASSERT_EQ(m_combo->GetCount(), 3u);
    EXPECT_EQ(m_combo->GetString(1), "Odd");
    EXPECT_EQ(GetComboItemValue(m_combo, 1), 2u);
    EXPECT_EQ(m_combo->GetSelection(), 2);
}

TEST_F(FillComboBoxTest, SelectsTheLastRowOfAValueAndNothingForAnUnknownValue)
{
    FillComboBox(m_combo, kRows, 2);
    EXPECT_EQ(m_combo->GetSelection(), 3);
    FillComboBox(m_combo, kRows, 7);
    EXPECT_EQ(m_combo->GetSelection(), wxNOT_FOUND);
    uint32_t value = 99;
    EXPECT_FALSE(GetComboSelectedValue(m_combo, value));
    EXPECT_EQ(value, 99u);
}

TEST_F(FillComboBoxTest, ACountOfZeroOnlyEmptiesAndANullComboIsIgnored)
{
    FillComboBox(m_combo, kRows, 0);
    FillComboBox(m_combo, kRows, 0, 0);
    EXPECT_EQ(m_combo->GetCount(), 0u);
    FillComboBox(nullptr, kRows, 4, 0);
}

TEST_F(FillComboBoxTest, SelectByValueSearchesFromTheFirstItemAndKeepsTheSelectionOnAMiss)
{
    FillComboBox(m_combo, kRows, 0);
    EXPECT_EQ(SelectComboItemByValue(m_combo, 2), 1);
    EXPECT_EQ(SelectComboItemByValue(m_combo, 5), wxNOT_FOUND);
    EXPECT_EQ(m_combo->GetSelection(), 1);
}

TEST_F(FillComboBoxTest, ASortedComboSortsWhatIsAdded)
{
    auto* sorted = new wxChoice(m_frame, 2, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_SORT);
    EXPECT_EQ(AddComboItem(sorted, L"COM3", 3), 0);
    EXPECT_EQ(AddComboItem(sorted, L"COM10", 10), 0);
    EXPECT_EQ(GetComboItemValue(sorted, 1), 3u);
}

}  // namespace
