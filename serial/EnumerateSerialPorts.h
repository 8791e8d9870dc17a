#pragma once

#include <string>
#include <system_error>
#include <vector>

// One port of the machine's port list.
struct SerialPortEntry
{
    std::string portName;  // e.g. "/dev/ttyUSB0"; no NUL inside
};

// Lists the serial ports that a driver published under <sysfsRoot>/class/tty (entries with a
// `device` link, less placeholders whose `type` reads 0), as paths under devRoot, in directory
// order, each once. Empties ports first. A machine without the directory gives success and an
// empty list; another failure to open it gives its errno (system category) and an empty list.
std::error_code EnumerateSerialPorts(std::vector<SerialPortEntry>& ports,
                                     const std::string& sysfsRoot = "/sys",
                                     const std::string& devRoot = "/dev");
