#include "serial/EnumerateSerialPorts.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

// The first line of a sysfs attribute, up to any NUL; false when it cannot be read.
bool ReadFirstLine(const std::string& path, std::string& line)
{
    std::ifstream file(path);
    if (!file || !std::getline(file, line))
        return false;
    line.erase(std::find(line.begin(), line.end(), '\0'), line.end());
    return true;
}

// A tty that a driver published has a `device` link; virtual consoles and ptys have none.
bool HasDriver(const std::string& entryDir)
{
    struct stat info{};
    return ::lstat((entryDir + "/device").c_str(), &info) == 0;
}

// Legacy UART slots report type 0 when no UART answers behind them. Without the attribute
// (USB and other non-UART drivers) the port is real.
bool IsPlaceholder(const std::string& entryDir)
{
    std::string type;
    if (!ReadFirstLine(entryDir + "/type", type))
        return false;
    type.erase(type.find_last_not_of(" \t\r\n") + 1);
    return type == "0";
}

// The node's path below /dev: the DEVNAME the kernel announces, else the entry's own name.
std::string NodeName(const std::string& entryDir, const std::string& entryName)
{
    std::ifstream uevent(entryDir + "/uevent");
    static const std::string key = "DEVNAME=";
    for (std::string line; std::getline(uevent, line);)
    {
        if (line.compare(0, key.size(), key) == 0)
        {
            line.erase(std::find(line.begin(), line.end(), '\0'), line.end());
            return line.substr(key.size());
        }
    }
    return entryName;
}

}  // namespace

std::error_code EnumerateSerialPorts(std::vector<SerialPortEntry>& ports,
                                     const std::string& sysfsRoot, const std::string& devRoot)
{
    ports.clear();

    const std::string classDir = sysfsRoot + "/class/tty";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(classDir.c_str()), &::closedir);
    if (!dir)
    {
        if (errno == ENOENT)
            return {};  // no tty class at all: no ports
        return {errno, std::system_category()};
    }

    // A failing readdir ends the list with what was read so far.
    while (const dirent* entry = ::readdir(dir.get()))
    {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;

        const std::string entryDir = classDir + "/" + name;
        if (!HasDriver(entryDir) || IsPlaceholder(entryDir))
            continue;

        const std::string node = NodeName(entryDir, name);
        if (node.empty())
            continue;

        std::string portName = devRoot + "/" + node;
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const SerialPortEntry& e) {
            return e.portName == portName;
        });
        if (!known)
            ports.push_back({std::move(portName)});
    }
    return {};
}
