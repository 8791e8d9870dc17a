#pragma once

// The records that the serial layer, the AT client, the configuration file and the
// user interface hand to one another. Their sizes and layouts are fixed: replies are
// copied into them byte by byte and configuration items carry them as 8-byte values.

#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "serial/EnumerateSerialPorts.h"  // SerialPortEntry

class Q310Comm;

// What the modem reports of itself in its "+INFO," line.
struct InfoData
{
    uint8_t extAddress[8];  // least significant byte first
    uint8_t opMode;         // 1 P2P, 2 P2PCMD, 3 MULTI, 4 MULTICMD
    uint8_t netRole;        // 1 COORD, 2 DEV
    uint8_t state;          // 0 ACT, 1 INACT
    uint8_t modeFlag;       // 0 while the modem is in setting mode
};

// The "+NETINFO," line.
struct NetInfo
{
    uint8_t phyId;      // 1 to 13
    uint8_t rfChannel;  // 0 to 128
    uint16_t panId;
    uint8_t bcFh;  // 0 BC, 1 FH
    uint8_t pad;
};

// The modem's own UART, always in the modem's encoding:
// parity 0 none, 1 even, 2 odd; stop bits 0 one, 1 two.
struct UartSettings
{
    uint32_t baud;
    uint8_t parity;
    uint8_t stopBits;
    uint8_t dataBits;
    uint8_t pad;
};

// One GPIO's I/O mode (0 input, 1 output, 2 alternate function) and configuration.
struct GpioEntry
{
    uint8_t gpio;  // 0 to 12
    uint8_t ioMode;
    uint8_t config;
};

struct PeriodicReport
{
    uint32_t reportInterval;  // milliseconds
    uint8_t sendRemote;       // 0 or 1
    uint8_t pad[3];
};

constexpr int kGpioCount = 13;

// The general page's state.
struct GeneralInfoValues
{
    InfoData info;
    NetInfo net;
    UartSettings uart;
    uint8_t quietMode;  // 1: the modem does not answer commands
};

// The GPIO page's state: entry i describes GPIO i.
struct GpioSettings
{
    GpioEntry gpio[kGpioCount];
    PeriodicReport report;
};

// What the last device read returned (the firmware version text is kept beside it).
struct DeviceInfo
{
    InfoData info;
    NetInfo net;
    GpioEntry gpio[kGpioCount];
    PeriodicReport report;
    uint8_t quietMode;
};

// One setting of a configuration: kind is the CommandId of the AT command that applies it.
struct ConfigItem
{
    uint32_t kind;
    union Value
    {
        UartSettings uart;       // kind 7
        uint16_t panId;          // kind 9
        uint8_t netRole;         // kind 11
        uint8_t rfChannel;       // kind 13
        GpioEntry gpio;          // kind 15
        PeriodicReport report;   // kind 17
        uint8_t opMode;          // kind 18
        uint8_t quietMode;       // kind 29
        uint8_t bytes[8];
    } value;
};

// The COM settings dialog's result, in the PC's encoding:
// parity 0 none, 1 odd, 2 even; stop bits 0 one, 2 two.
struct SerialPortSettings
{
    std::wstring portName = L"COM1";
    uint32_t baudRate = 9600;
    uint8_t dataBits = 8;
    uint8_t parity = 0;
    uint8_t stopBits = 0;
};

// Set by the main dialog; runs on an I/O thread when the port fails.
using CommErrorCallback = std::function<void(Q310Comm*, std::error_code&)>;

// The command worker's queue codes. The numbers are posted with results and must not change.
// (Namespaced plain enums: the values are compared and stored as numbers.)
namespace WorkerCommand {
enum Value : int
{
    Quit = 1,
    ReadDeviceInfo = 3,
    ApplyGeneral = 4,
    ApplyGpio = 5,
    ApplyConfigFile = 7,
    RestartDevice = 8,
    FactoryReset = 9,
};
}  // namespace WorkerCommand

// The number of each AT command; also the kind of a ConfigItem. The numbers must not change.
namespace CommandId {
enum Value : uint32_t
{
    Ping = 2,
    QueryInfo = 3,
    QueryNetInfo = 4,
    QueryVersion = 5,
    SetUart = 7,
    SetPanId = 9,
    SetNetRole = 11,
    SetRfChannel = 13,
    QueryGpioConfig = 14,
    SetGpioConfig = 15,
    QueryGpioPeriodic = 16,
    SetGpioPeriodic = 17,
    SetOpMode = 18,
    Restart = 19,
    FactoryReset = 20,
    SetPhyId = 27,
    QueryQuietMode = 28,
    SetQuietMode = 29,
};
}  // namespace CommandId

// Reply kinds and transaction outcomes share one number space. The numbers must not change.
namespace ResponseType {
enum Value : uint32_t
{
    Ready = 0,
    Ok = 1,
    Error = 2,
    Version = 5,
    Active = 6,
    Inactive = 7,
    Info = 8,
    NetInfo = 9,
    PanId = 10,
    RfChannel = 11,
    GpioConfig = 13,
    GpioPeriodic = 14,
    Timeout = 19,
    BadFrame = 22,
    PortNotOpen = 23,
    BadActiveAddress = 25,
    PortClosed = 26,
    NoResponse = 27,
    FrameTooLong = 28,
    BadInactiveAddress = 29,
    Empty = 30,
    Rssi = 32,
    PhyId = 33,
    QuietMode = 34,
};
}  // namespace ResponseType

static_assert(sizeof(InfoData) == 12);
static_assert(sizeof(NetInfo) == 6);
static_assert(sizeof(UartSettings) == 8);
static_assert(sizeof(GpioEntry) == 3);
static_assert(sizeof(PeriodicReport) == 8);
static_assert(sizeof(GeneralInfoValues) == 32);
static_assert(sizeof(ConfigItem) == 12);
