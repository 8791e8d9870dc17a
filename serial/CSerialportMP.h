#pragma once

#include <asio/io_context.hpp>
#include <asio/io_context_strand.hpp>
#include <asio/serial_port.hpp>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

class CSerialportMP;

// Called on an I/O thread after each read: the port, the read's error (a copy), the bytes
// read and their count. After an error the bytes are empty and the count is 0.
using SerialReadCallback = std::function<void(std::shared_ptr<CSerialportMP>, std::error_code&,
                                              const std::vector<unsigned char>&, unsigned int)>;
// Called on an I/O thread after each write: the port, the write's error (a copy), bytes sent.
using SerialWriteCallback =
    std::function<void(std::shared_ptr<CSerialportMP>, std::error_code&, unsigned int)>;

// One serial port driven asynchronously: one read always outstanding while open, and a
// transmit queue written out at most 1024 bytes at a time until it is empty. Completions run
// on the threads of the io_context it was made on, serialised by a strand. Must live in a
// std::shared_ptr.
//
// Locks: m_rxMutex or m_txMutex first, then m_portMutex, which is held only around calls on
// m_serialPort and never while a callback runs, so a callback may call Close().
class CSerialportMP : public std::enable_shared_from_this<CSerialportMP>
{
public:
    explicit CSerialportMP(asio::io_context& ioContext);
    virtual ~CSerialportMP();
    CSerialportMP(const CSerialportMP&) = delete;
    CSerialportMP& operator=(const CSerialportMP&) = delete;

    // Opens the port with PC-side line settings (parity 0 none, 1 odd, 2 even; stop bits
    // 0 one, 1 one and a half, 2 two) and starts with an empty transmit queue. The port is
    // this object's alone until Close; one that is already in use is refused with EBUSY.
    // On failure the port is left closed. UI thread.
    std::error_code Open(const std::string& portName, uint32_t baudRate, uint8_t characterSize,
                         uint8_t parity, uint8_t stopBits);
    // Cancels pending I/O and closes the port. Never waits for m_rxMutex or m_txMutex, so a
    // callback may call it.
    void Close();
    // Appends bytes to the transmit queue and starts a write when none is in flight.
    void Write(const uint8_t* data, size_t length);

    std::atomic<bool> m_isOpen{false};

private:
    // Each handler carries the number of the connection that started it; a handler of an
    // earlier connection (one that was closed, whatever reopened since) does nothing.
    using Generation = std::uint64_t;

    void StartRead(Generation generation);
    void StartWrite();  // m_txMutex held
    void OnReadComplete(Generation generation, const std::error_code& error,
                        std::size_t bytesTransferred);
    void OnWriteComplete(Generation generation, const std::error_code& error,
                         std::size_t bytesTransferred);
    bool IsCurrent(Generation generation) const;
    // Opens the handle and claims the port; only then gives the handle to m_serialPort and sets
    // the line up (raw, flushed, the given options), so a refused open leaves the line as its
    // holder set it. Closes the handle again on failure.
    std::error_code OpenHandle(const std::string& portName, uint32_t baudRate,
                               uint8_t characterSize, uint8_t parity, uint8_t stopBits);
    // Claims the port just opened as fd for this object alone; a port that another program or
    // another copy of this one holds is refused with the system's "busy" error.
    std::error_code ClaimHandle(int fd);
    // Gives up the claim and closes the handle.
    void CloseHandle();

    std::vector<uint8_t> m_rxData;
    uint8_t m_readBuffer[1024];

public:
    std::vector<uint8_t> m_txQueue;  // guarded by m_txMutex

private:
    uint8_t m_writeBuffer[1024];
    std::atomic<bool> m_writeInProgress{false};
    std::mutex m_rxMutex;

public:
    std::mutex m_txMutex;

private:
    asio::serial_port m_serialPort;
    asio::io_context::strand m_strand;
    std::mutex m_portMutex;  // guards calls on m_serialPort
    std::atomic<Generation> m_generation{0};  // raised by every successful Open

public:
    SerialReadCallback m_onRead;
    SerialWriteCallback m_onWrite;
};
