#include "app/AppProfile.h"

#include <fstream>

#include "support/GuiFixtures.h"

namespace {

using AppProfileTest = GuiTest;

TEST_F(AppProfileTest, MissingValuesGiveTheDefaults)
{
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port buadrate", 9600), 9600);
    EXPECT_EQ(AppProfile::GetProfileString("Default Values", "Serial port name", "COM1"), "COM1");
}

TEST_F(AppProfileTest, WritesReachTheFileAtOnceUnderTheSection)
{
    ASSERT_TRUE(AppProfile::WriteProfileInt("Default Values", "Serial port parity", 2));
    ASSERT_TRUE(AppProfile::WriteProfileString("Default Values", "Serial port name", "/dev/ttyUSB0"));
    const std::string text = m_profile.Contents();
    // wxFileConfig escapes the blanks of names.
    EXPECT_NE(text.find("[Default\\ Values]"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial\\ port\\ parity=2"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial\\ port\\ name=/dev/ttyUSB0"), std::string::npos) << text;

    // A fresh reader of the same file sees the values.
    AppProfile::UseFile(wxString::FromUTF8(m_profile.Path()));
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port parity", 0), 2);
    EXPECT_EQ(AppProfile::GetProfileString("Default Values", "Serial port name", "COM1"),
              "/dev/ttyUSB0");
}

TEST_F(AppProfileTest, ChangesMadeByAnotherCopyOfTheProgramAreSeenAndKept)
{
    ASSERT_TRUE(AppProfile::WriteProfileInt("Default Values", "Serial port parity", 1));
    // Another copy of the program changes another value in the same file.
    {
        std::ofstream other(m_profile.Path(), std::ios::app);
        other << "Serial\\ port\\ databit=7\n";
    }
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port databit", 8), 7);
    // Our next write keeps it.
    ASSERT_TRUE(AppProfile::WriteProfileInt("Default Values", "Serial port stopbit", 2));
    const std::string text = m_profile.Contents();
    EXPECT_NE(text.find("Serial\\ port\\ databit=7"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial\\ port\\ parity=1"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial\\ port\\ stopbit=2"), std::string::npos) << text;
}

TEST(AppProfile, LivesUnderTheVendorDirectory)
{
    AppProfile::UseFile(wxString());
    EXPECT_TRUE(AppProfile::GetFilePath().EndsWith("/Quorbit/LumvexQ310DConfigurator.conf"))
        << AppProfile::GetFilePath();
}

}  // namespace
