#include "serial/EnumerateSerialPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "support/CaseName.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const std::string kDevRoot = "/q310-dev";

// A sysfs tree of the test's own under a fresh temporary directory.
class SysfsTree : public testing::Test
{
protected:
    fs::path ClassDir() const { return m_root / "class" / "tty"; }

    // One tty entry: `device` whether a driver stands behind it, `type` the contents of its
    // `type` attribute, `ueventName` the DEVNAME of its `uevent`.
    void Add(const std::string& name, bool device = true,
             const std::optional<std::string>& type = std::nullopt,
             const std::optional<std::string>& ueventName = std::nullopt)
    {
        const fs::path entry = ClassDir() / name;
        fs::create_directories(entry);
        if (device)
        {
            const fs::path target = m_root / "devices" / ("port-" + name);
            fs::create_directories(target);
            fs::create_directory_symlink(target, entry / "device");
        }
        if (type)
            std::ofstream(entry / "type") << *type;
        std::ofstream uevent(entry / "uevent");
        uevent << "MAJOR=188\nMINOR=0\n";
        if (ueventName)
            uevent << "DEVNAME=" << *ueventName << "\n";
    }

    // The listed names of `wanted`, in the order the directory gives its entries.
    std::vector<std::string> InDirectoryOrder(const std::set<std::string>& wanted) const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(ClassDir()))
        {
            const std::string name = e.path().filename().string();
            if (wanted.count(name))
                names.push_back(kDevRoot + "/" + name);
        }
        return names;
    }

    std::vector<std::string> List(std::error_code& error) const
    {
        std::vector<SerialPortEntry> ports{{"left over"}};
        error = EnumerateSerialPorts(ports, m_root.Path().string(), kDevRoot);
        std::vector<std::string> names;
        for (const SerialPortEntry& p : ports)
            names.push_back(p.portName);
        return names;
    }

    TempDir m_root{"q310-sysfs"};
};

TEST_F(SysfsTree, NoTtyClassGivesSuccessAndAnEmptyList)
{
    std::error_code error = std::make_error_code(std::errc::io_error);
    EXPECT_TRUE(List(error).empty());
    EXPECT_EQ(error.value(), 0);
    EXPECT_EQ(&error.category(), &std::system_category());
}

TEST_F(SysfsTree, ListsTtysWithADriverButNotPlaceholdersInDirectoryOrder)
{
    Add("ttyUSB0");                             // USB: no `type` attribute
    Add("ttyS0", true, "0\n");                  // legacy slot without a UART
    Add("ttyS1", true, "4\n");                  // a 16550A
    Add("ttyACM0");
    Add("tty1", false);                         // virtual console
    Add("ptmx", false);
    Add("ttyAMA0", true, "0");                  // placeholder, no newline
    Add("ttyS2", true, "\n");                   // empty: not a placeholder

    std::error_code error;
    const std::vector<std::string> names = List(error);
    EXPECT_EQ(error, std::error_code());
    EXPECT_EQ(names, InDirectoryOrder({"ttyUSB0", "ttyS1", "ttyACM0", "ttyS2"}));
}

TEST_F(SysfsTree, NamesFollowTheKernelsDevnameOnceEachAndNeverEmpty)
{
    Add("ttyUSB0", true, std::nullopt, "ttyUSB0");
    Add("ttyUSB0-alias", true, std::nullopt, "ttyUSB0");  // same node again
    Add("ttyX", true, std::nullopt, "");                  // no node name
    Add("ttyGS0", true, std::nullopt, "usb/ttyGS0");

    std::error_code error;
    const std::vector<std::string> names = List(error);
    EXPECT_EQ(error, std::error_code());
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(std::count(names.begin(), names.end(), kDevRoot + "/ttyUSB0"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), kDevRoot + "/usb/ttyGS0"), 1);
    for (const std::string& name : names)
        EXPECT_EQ(name.find('\0'), std::string::npos);
}

struct UnreadableCase
{
    const char* name;
    void (*make)(const fs::path& classDir);
    int error;
};

class UnreadableClassDir : public SysfsTree, public testing::WithParamInterface<UnreadableCase>
{
};

TEST_P(UnreadableClassDir, GivesItsErrnoAndAnEmptyList)
{
    fs::create_directories(ClassDir().parent_path());
    GetParam().make(ClassDir());

    std::error_code error;
    EXPECT_TRUE(List(error).empty());
    EXPECT_EQ(error.value(), GetParam().error);
    EXPECT_EQ(&error.category(), &std::system_category());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, UnreadableClassDir,
    testing::Values(
        UnreadableCase{"NotADirectory",
                       [](const fs::path& dir) { std::ofstream(dir) << "not a directory"; },
                       ENOTDIR},
        UnreadableCase{"SymlinkLoop",
                       [](const fs::path& dir) { fs::create_symlink(dir.filename(), dir); },
                       ELOOP}),
    CaseName());

TEST(EnumerateSerialPorts, ListsThisMachinesPortsUnderDev)
{
    std::vector<SerialPortEntry> ports{{"left over"}};
    EXPECT_EQ(EnumerateSerialPorts(ports), std::error_code());
    for (const SerialPortEntry& port : ports)
        EXPECT_EQ(port.portName.rfind("/dev/", 0), 0u) << port.portName;
}

}  // namespace
