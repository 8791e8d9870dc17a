#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "device/Q310Response.h"
#include "device/SharedRecords.h"
#include "serial/CSerialportMP.h"

// The modem's AT-command client. It owns the one serial port, collects the bytes that the
// port's read completions deliver (I/O threads) and runs one command-and-reply transaction
// at a time for the command worker thread:
//
//   worker:  Transact ── Write ──────────────────────────────▶ port tx queue ──▶ modem
//            loop: FetchReceived (≤10 ms wait) ◀── m_rxStaging ◀── OnSerialRead (I/O thread)
//                  m_parseBuffer ── ExtractResponse ── ParseResponse ──▶ record
//                  accepted type? return it : drop it and go on until the time-out
//
// Open and Close belong to the UI thread; Close wakes a waiting transaction at once.
class Q310Comm
{
public:
    // One row of the AT command table: the command line (a literal, or a snprintf format
    // whose %u/%04X fields take the values), the reply types that end the wait with
    // success, and the time-out every caller passes.
    struct CommandInfo
    {
        uint32_t id;
        const char* format;
        uint32_t accepted[2];
        uint8_t acceptedCount;
        uint32_t timeoutMs;
    };

    Q310Comm();
    ~Q310Comm();
    Q310Comm(const Q310Comm&) = delete;
    Q310Comm& operator=(const Q310Comm&) = delete;

    // The row of `commandId`, or nullptr for an id that is not in the table.
    static const CommandInfo* FindCommand(uint32_t commandId);
    // The reply types that end the wait for `commandId` (none for an unknown id).
    static std::span<const uint32_t> AcceptedReplies(uint32_t commandId);
    // The time-out callers pass for `commandId` (0 for an unknown id).
    static uint32_t TimeoutMs(uint32_t commandId);

    // Opens the port (PC-side parity and stop bits); starts the I/O threads when none run.
    std::error_code Open(const std::string& portName, uint32_t baudRate, uint8_t dataBits,
                         uint8_t parity, uint8_t stopBits);
    // Closes an open port, ending a waiting transaction with PortClosed; else nothing.
    void Close();

    // Sends one command line and waits for a reply that `commandId` accepts. Never empty:
    // the accepted reply, or Timeout, PortNotOpen, PortClosed or NoResponse. Worker thread.
    Q310ResponsePtr Transact(const char* command, uint16_t length, uint32_t commandId,
                             uint32_t timeoutMs);
    // "AT+PANID=%u\r"; 0, 0xFFFE and 0xFFFF are refused with Empty (30) and not sent.
    uint32_t SetPanId(uint16_t panId);
    // "AT+GPIOC=%04X,%u,%u\r" with the entry's GPIO as a one-bit mask.
    uint32_t SetGpioConfig(const GpioEntry& entry);

    // The port's callbacks, on an I/O thread.
    void OnSerialRead(std::shared_ptr<CSerialportMP>& port, std::error_code& error,
                      const std::vector<uint8_t>& data, unsigned int size);
    void OnSerialWrite(std::shared_ptr<CSerialportMP>& port, std::error_code& error,
                       unsigned int size);

    // Moves staged bytes into the parse buffer: -1 while closing, 0 when nothing was
    // staged, else the parse buffer's size. Waits at most 10 ms for data to arrive.
    int FetchReceived();

    // Cuts at most one frame off the front of `parseBuffer` and returns it parsed.
    Q310ResponsePtr ExtractResponse(std::vector<uint8_t>& parseBuffer);
    // Classifies one frame ("\r\n" text "\r\n") and reads its fields.
    Q310ResponsePtr ParseResponse(std::vector<uint8_t> frame);

    // A zero-filled record of type Ready with room for `payloadLength` bytes.
    static Q310ResponsePtr NewResponse(uint32_t payloadLength);
    // 16 hex characters, most significant byte first, into 8 bytes, least significant
    // first. Upper-cases the letters it reads in place, so `text` must be a scratch copy.
    static void HexToExtAddress(char* text, uint8_t* address);
    // -1 when `prefix` is longer than `length`, else strncmp of the prefix's length.
    static int MatchPrefix(const char* text, size_t length, const char* prefix);

    // The serial port; never empty. The owner reads m_isOpen through it.
    std::shared_ptr<CSerialportMP> m_port;
    // Set by the owner before the first Open; called on an I/O thread on port failure.
    CommErrorCallback m_onError;

private:
    std::vector<uint8_t> m_rxStaging;    // at most kStagingLimit bytes; m_rxMutex
    std::vector<uint8_t> m_parseBuffer;  // the transacting thread's alone
    std::mutex m_rxMutex;
    std::condition_variable m_rxCondition;  // only Close notifies
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_dataArrived{false};
    std::chrono::steady_clock::time_point m_txStart;

public:
    static constexpr size_t kStagingLimit = 1024;
    static constexpr size_t kMaxFrameLength = 255;
};
