#include "serial/CSerialportMP.h"

#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <asio/post.hpp>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using LineOption = asio::serial_port_base;

// The failed call's errno, in the category asio reports its own system errors in.
std::error_code LastError()
{
    return std::error_code(errno, asio::error::get_system_category());
}

// The raw line asio's own open sets up: no echo, no line editing, no CR/NL translation,
// each byte passed on as it arrives.
std::error_code MakeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return LastError();
    ::cfmakeraw(&tio);
    tio.c_iflag |= IGNPAR;
    tio.c_cflag |= CREAD | CLOCAL;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? std::error_code() : LastError();
}

// asio checks these ranges itself, but only after the value has become its enum; an out-of-range
// enum value is undefined, so the check comes first here, with asio's own text.
LineOption::parity::type ToParity(uint8_t value)
{
    if (value > LineOption::parity::even)
        throw std::out_of_range("invalid parity value");
    return static_cast<LineOption::parity::type>(value);
}

LineOption::stop_bits::type ToStopBits(uint8_t value)
{
    if (value > LineOption::stop_bits::two)
        throw std::out_of_range("invalid stop_bits value");
    return static_cast<LineOption::stop_bits::type>(value);
}

}  // namespace

CSerialportMP::CSerialportMP(asio::io_context& ioContext)
    : m_serialPort(ioContext), m_strand(ioContext)
{
}

CSerialportMP::~CSerialportMP()
{
    Close();
}

std::error_code CSerialportMP::Open(const std::string& portName, uint32_t baudRate,
                                    uint8_t characterSize, uint8_t parity, uint8_t stopBits)
{
    try
    {
        (void)shared_from_this();
    }
    catch (const std::exception& e)
    {
        std::ostringstream text;
        text << "It seems like that instance is not created from shared_ptr: " << e.what()
             << std::endl;
        throw std::runtime_error(text.str());
    }

    Generation generation = 0;
    {
        // m_txMutex keeps Write out until the new connection's queue is empty; m_portMutex
        // waits for a StartRead or StartWrite of the previous connection to finish.
        std::lock_guard txLock(m_txMutex);
        std::lock_guard portLock(m_portMutex);
        if (m_isOpen)
            return std::make_error_code(std::errc::device_or_resource_busy);

        if (const std::error_code ec =
                OpenHandle(portName, baudRate, characterSize, parity, stopBits))
            return ec;

        // Bytes left over from the previous connection are not meant for this one.
        m_txQueue.clear();
        m_writeInProgress = false;
        generation = ++m_generation;
        m_isOpen = true;
    }

    auto self = shared_from_this();
    asio::post(m_serialPort.get_executor(), [self, generation] { self->StartRead(generation); });
    asio::post(m_serialPort.get_executor(), [self] {
        std::lock_guard txLock(self->m_txMutex);
        self->StartWrite();
    });
    return {};
}

std::error_code CSerialportMP::OpenHandle(const std::string& portName, uint32_t baudRate,
                                          uint8_t characterSize, uint8_t parity, uint8_t stopBits)
{
    // Not asio's open: that sets the line up before the port could be claimed. Non-blocking as
    // asio's open leaves it.
    const int fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return LastError();

    std::error_code ec = ClaimHandle(fd);
    if (ec)
    {
        // The port belongs to someone else: leave it exactly as they have it.
        ::close(fd);
        return ec;
    }

    m_serialPort.assign(fd, ec);
    if (ec)
    {
        // asio did not take the handle, so CloseHandle cannot give the claim up.
        (void)::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return ec;
    }

    if ((ec = MakeRaw(fd)))
    {
        CloseHandle();
        return ec;
    }

    try
    {
        // Drop whatever the line buffered before we took it; a failure here does no harm.
        (void)::tcflush(fd, TCIOFLUSH);

        m_serialPort.set_option(LineOption::baud_rate(baudRate), ec);
        if (!ec)
            m_serialPort.set_option(LineOption::character_size(characterSize), ec);
        if (!ec)
            m_serialPort.set_option(LineOption::parity(ToParity(parity)), ec);
        if (!ec)
            m_serialPort.set_option(LineOption::stop_bits(ToStopBits(stopBits)), ec);
        if (!ec)
            m_serialPort.set_option(LineOption::flow_control(LineOption::flow_control::none), ec);
    }
    catch (...)
    {
        CloseHandle();
        throw;
    }

    if (ec)
    {
        // A port left open but not marked open could never be opened again by this object.
        CloseHandle();
    }
    return ec;
}

std::error_code CSerialportMP::ClaimHandle(int fd)
{
    const std::error_code busy(EBUSY, asio::error::get_system_category());

    // The lock serial programs take on Linux; it binds root as well, so it also keeps out a
    // second copy of this program run as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        const std::error_code error = LastError();
        return error.value() == EWOULDBLOCK ? busy : error;
    }

    // A program that marked the port exclusive holds it even though root could still open it;
    // taking it over would also clear its mark when this port closes.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0)
        return busy;

    // Refuses every later open of the port by an ordinary user, whether they lock it or not.
    if (::ioctl(fd, TIOCEXCL) != 0)
        return LastError();
    return {};
}

void CSerialportMP::CloseHandle()
{
    // The exclusive mark belongs to the terminal, not to this handle: it outlives the close
    // while anyone else still has the port open. The lock goes with the handle.
    (void)::ioctl(m_serialPort.native_handle(), TIOCNXCL);
    std::error_code ignored;
    m_serialPort.close(ignored);
}

void CSerialportMP::Close()
{
    std::lock_guard portLock(m_portMutex);
    if (!m_isOpen)
        return;

    // The flags fall first: a cancelled operation may complete on an I/O thread before
    // close() returns, and it must already find the port closed.
    m_isOpen = false;
    m_writeInProgress = false;
    std::error_code ignored;
    m_serialPort.cancel(ignored);
    CloseHandle();
}

void CSerialportMP::Write(const uint8_t* data, size_t length)
{
    if (data == nullptr || length == 0)
        return;

    std::lock_guard txLock(m_txMutex);
    m_txQueue.insert(m_txQueue.end(), data, data + length);
    StartWrite();
}

bool CSerialportMP::IsCurrent(Generation generation) const
{
    // m_isOpen first: Open raises the generation before it sets m_isOpen.
    return m_isOpen && m_generation == generation;
}

void CSerialportMP::StartRead(Generation generation)
{
    std::lock_guard portLock(m_portMutex);
    if (!IsCurrent(generation))
        return;

    m_serialPort.async_read_some(
        asio::buffer(m_readBuffer),
        m_strand.wrap([self = shared_from_this(), generation](const std::error_code& error,
                                                             std::size_t bytesTransferred) {
            self->OnReadComplete(generation, error, bytesTransferred);
        }));
}

void CSerialportMP::OnReadComplete(Generation generation, const std::error_code& error,
                                   std::size_t bytesTransferred)
{
    std::lock_guard rxLock(m_rxMutex);
    // A read cancelled by Close ends here, without a callback.
    if (!IsCurrent(generation))
        return;

    if (error.value() == 0)
        m_rxData.insert(m_rxData.end(), m_readBuffer, m_readBuffer + bytesTransferred);

    if (m_onRead)
    {
        std::error_code errorCopy = error;
        m_onRead(shared_from_this(), errorCopy, m_rxData, static_cast<unsigned int>(m_rxData.size()));
    }
    m_rxData.clear();

    // After an error the chain stops; the owner is told and closes the port.
    if (error.value() == 0)
        StartRead(generation);
}

void CSerialportMP::StartWrite()
{
    std::lock_guard portLock(m_portMutex);
    if (!m_isOpen || m_writeInProgress)
        return;

    const std::size_t count = std::min(m_txQueue.size(), sizeof m_writeBuffer);
    if (count == 0)
        return;

    std::copy_n(m_txQueue.begin(), count, m_writeBuffer);
    m_serialPort.async_write_some(
        asio::buffer(m_writeBuffer, count),
        m_strand.wrap([self = shared_from_this(), generation = m_generation.load()](
                          const std::error_code& error, std::size_t bytesTransferred) {
            self->OnWriteComplete(generation, error, bytesTransferred);
        }));
    m_writeInProgress = true;
}

void CSerialportMP::OnWriteComplete(Generation generation, const std::error_code& error,
                                    std::size_t bytesTransferred)
{
    std::lock_guard txLock(m_txMutex);
    if (!IsCurrent(generation))
        return;

    if (m_onWrite)
    {
        std::error_code errorCopy = error;
        m_onWrite(shared_from_this(), errorCopy, static_cast<unsigned int>(bytesTransferred));
    }

    if (bytesTransferred != 0 && m_txQueue.size() >= bytesTransferred)
        m_txQueue.erase(m_txQueue.begin(),
                        m_txQueue.begin() + static_cast<std::ptrdiff_t>(bytesTransferred));
    m_writeInProgress = false;

    // Whatever is still queued (the rest of a short write, bytes beyond the first 1024, bytes
    // added meanwhile) goes out now rather than waiting for the next Write.
    if (error.value() == 0 && !m_txQueue.empty())
        StartWrite();
}
