#include "serial/CSerialportMP.h"

#include "Deadline.h"
#include "support/CaseName.h"
#include "support/OrdinaryUser.h"
#include "support/PtyPair.h"

#include <asio/error.hpp>
#include <asio/executor_work_guard.hpp>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kBaud = 9600;

// Bytes 0..255 in a pattern that does not repeat every 256 bytes, so a lost or swapped
// block shows.
std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// Descriptors of this process open on `path`. Only these: other threads (the io_context's,
// a sanitizer's) open and close descriptors of their own at any time.
std::size_t PortDescriptorCount(const std::string& path)
{
    namespace fs = std::filesystem;
    std::size_t count = 0;
    std::error_code ec;
    for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec))
    {
        std::error_code gone;  // closed since the listing was read
        count += fs::read_symlink(it->path(), gone) == path && !gone ? 1 : 0;
    }
    EXPECT_FALSE(ec) << ec.message();
    return count;
}

// What the port's callbacks reported, in order.
class CallbackLog
{
public:
    struct Read
    {
        std::error_code error;
        std::size_t size;
        unsigned int count;
        bool samePort;
    };
    struct Write
    {
        std::error_code error;
        unsigned int count;
    };

    void OnRead(bool samePort, const std::error_code& error, const std::vector<unsigned char>& bytes,
                unsigned int count)
    {
        std::lock_guard lock(m_mutex);
        m_reads.push_back({error, bytes.size(), count, samePort});
        m_received.append(bytes.begin(), bytes.end());
    }
    void OnWrite(const std::error_code& error, unsigned int count)
    {
        std::lock_guard lock(m_mutex);
        m_writes.push_back({error, count});
    }

    std::string Received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    std::vector<Read> Reads()
    {
        std::lock_guard lock(m_mutex);
        return m_reads;
    }
    std::vector<Write> Writes()
    {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }
    std::size_t BytesWritten()
    {
        std::lock_guard lock(m_mutex);
        std::size_t total = 0;
        for (const Write& w : m_writes)
            total += w.count;
        return total;
    }
    std::size_t ErrorCount()
    {
        std::lock_guard lock(m_mutex);
        std::size_t errors = 0;
        for (const Read& r : m_reads)
            errors += r.error ? 1 : 0;
        for (const Write& w : m_writes)
            errors += w.error ? 1 : 0;
        return errors;
    }

private:
    std::mutex m_mutex;
    std::string m_received;
    std::vector<Read> m_reads;
    std::vector<Write> m_writes;
};

// A port on a pseudo-terminal, with an io_context of its own run by two threads.
class SerialPortTest : public testing::Test
{
protected:
    SerialPortTest()
    {
        for (int i = 0; i < 2; ++i)
            m_threads.emplace_back([this] { m_io.run(); });
        m_port = std::make_shared<CSerialportMP>(m_io);
        CSerialportMP* const self = m_port.get();
        m_port->m_onRead = [this, self](std::shared_ptr<CSerialportMP> port, std::error_code& error,
                                        const std::vector<unsigned char>& bytes, unsigned int count) {
            m_log.OnRead(port.get() == self, error, bytes, count);
        };
        m_port->m_onWrite = [this](std::shared_ptr<CSerialportMP>, std::error_code& error,
                                   unsigned int count) { m_log.OnWrite(error, count); };
    }
    ~SerialPortTest() override
    {
        m_port->Close();
        DrainIo();
    }

    std::error_code OpenPort() { return m_port->Open(m_pty.SlavePath(), kBaud, 8, 0, 0); }

    void Write(const std::string& bytes)
    {
        m_port->Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

    std::size_t Queued()
    {
        std::lock_guard lock(m_port->m_txMutex);
        return m_port->m_txQueue.size();
    }

    bool Receives(const std::string& expected)
    {
        return WaitUntil([&] { return m_log.Received().size() >= expected.size(); }, 5s) &&
               m_log.Received() == expected;
    }

    // Bytes pass both ways: `fromFarSide` reaches the read callback after what came before,
    // `toFarSide` reaches the far side.
    bool Exchange(const std::string& fromFarSide, const std::string& toFarSide)
    {
        const std::string before = m_log.Received();
        m_pty.Send(fromFarSide);
        const bool received = Receives(before + fromFarSide);
        Write(toFarSide);
        return received && m_pty.Receive(toFarSide.size(), 5s) == toFarSide;
    }

    // Everything the far side has been sent so far, until the line is quiet.
    std::string DrainFarSide()
    {
        std::string all;
        for (std::string chunk; !(chunk = m_pty.Receive(1 << 20, 200ms)).empty();)
            all += chunk;
        return all;
    }

    // Lets the io_context run out of work (every completion has run) and joins its threads.
    void DrainIo()
    {
        m_work.reset();
        for (std::thread& t : m_threads)
            if (t.joinable())
                t.join();
    }

    Deadline m_deadline{60s};  // first: outlives the teardown's joins
    asio::io_context m_io;
    asio::executor_work_guard<asio::io_context::executor_type> m_work{m_io.get_executor()};
    std::vector<std::thread> m_threads;
    PtyPair m_pty;
    CallbackLog m_log;
    std::shared_ptr<CSerialportMP> m_port;
};

// ---- opening and closing ----------------------------------------------------------------

TEST_F(SerialPortTest, OpensClosesAndReopens)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    EXPECT_TRUE(m_port->m_isOpen);
    m_pty.Send("one");
    EXPECT_TRUE(Receives("one"));

    m_port->Close();
    EXPECT_FALSE(m_port->m_isOpen);
    m_port->Close();  // nothing left to do
    EXPECT_FALSE(m_port->m_isOpen);

    ASSERT_EQ(OpenPort(), std::error_code());
    EXPECT_TRUE(m_port->m_isOpen);
    EXPECT_TRUE(Exchange("two", "back"));
}

TEST_F(SerialPortTest, OpenOfAnObjectNotOwnedBySharedPtrThrowsAndOpensNothing)
{
    const std::string expected =
        std::string("It seems like that instance is not created from shared_ptr: ") +
        std::bad_weak_ptr().what() + "\n";

    CSerialportMP onStack(m_io);
    const std::unique_ptr<CSerialportMP> plainNew(new CSerialportMP(m_io));
    for (CSerialportMP* port : {&onStack, plainNew.get()})
    {
        const std::size_t before = PortDescriptorCount(m_pty.SlavePath());
        try
        {
            port->Open(m_pty.SlavePath(), kBaud, 8, 0, 0);
            ADD_FAILURE() << "Open did not throw";
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_EQ(e.what(), expected);
        }
        EXPECT_FALSE(port->m_isOpen);
        EXPECT_EQ(PortDescriptorCount(m_pty.SlavePath()), before);
    }
}

TEST_F(SerialPortTest, SecondOpenWhileOpenIsBusyAndLeavesThePortWorking)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    const std::error_code busy = OpenPort();
    EXPECT_EQ(busy.value(), 16);
    EXPECT_EQ(&busy.category(), &std::generic_category());
    EXPECT_EQ(busy, std::errc::device_or_resource_busy);
    EXPECT_TRUE(m_port->m_isOpen);

    EXPECT_TRUE(Exchange("still here", "and back"));
}

TEST_F(SerialPortTest, OpenOfAMissingPortReturnsTheSystemErrorUnchanged)
{
    const std::error_code error = m_port->Open("/dev/q310-no-such-port", kBaud, 8, 0, 0);
    EXPECT_EQ(error.value(), ENOENT);
    EXPECT_EQ(&error.category(), &asio::error::get_system_category());
    EXPECT_FALSE(m_port->m_isOpen);
    EXPECT_EQ(OpenPort(), std::error_code());
}

TEST_F(SerialPortTest, OpenDiscardsWhatTheLineBufferedBeforehand)
{
    m_pty.Send("stale");
    // Wait until the bytes sit in the port's input queue, where the purge must find them.
    const int probe = ::open(m_pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            int pending = 0;
            return ::ioctl(probe, FIONREAD, &pending) == 0 && pending == 5;
        },
        5s));
    ::close(probe);

    ASSERT_EQ(OpenPort(), std::error_code());
    m_pty.Send("fresh");
    EXPECT_TRUE(Receives("fresh"));
}

// ---- a port in use ------------------------------------------------------------------------

// Who takes the line: this program's port, or another program that opens it and then locks it
// as serial programs do, only marks it exclusive, or (as an ordinary user) does nothing more.
enum class Opener
{
    OurPort,
    LockingProgram,
    ExclusiveProgram,
    OrdinaryUser
};

struct InUseCase
{
    const char* name;
    Opener first;
    Opener second;
    int refusal;  // errno value the second opener is refused with
};

class PortInUseTest : public SerialPortTest, public testing::WithParamInterface<InUseCase>
{
protected:
    // Anyone may open the line, so a refusal can only come from its being in use.
    PortInUseTest() { EXPECT_EQ(::chmod(m_pty.SlavePath().c_str(), 0666), 0); }
    ~PortInUseTest() override
    {
        Release(0);
        Release(1);
    }

    // Takes the line as `who` in `slot` (0 first, 1 second): 0, or the errno of the refusal.
    int Claim(Opener who, int slot)
    {
        if (who == Opener::OurPort)
        {
            const std::error_code error = m_ports[slot]->Open(m_pty.SlavePath(), kBaud, 8, 0, 0);
            EXPECT_TRUE(!error || &error.category() == &asio::error::get_system_category());
            return error.value();
        }
        if (who == Opener::OrdinaryUser)
            return RunAsOrdinaryUser([&] {
                int fd = -1;
                const int error = OpenAs(who, fd);
                if (fd >= 0)
                    ::close(fd);
                return error;
            });
        return OpenAs(who, m_fds[slot]);
    }

    int OpenAs(Opener who, int& fd)
    {
        fd = ::open(m_pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return errno;
        const int result = who == Opener::LockingProgram     ? ::flock(fd, LOCK_EX | LOCK_NB)
                           : who == Opener::ExclusiveProgram ? ::ioctl(fd, TIOCEXCL)
                                                             : 0;
        const int error = errno;
        if (result == 0)
            return 0;
        ::close(fd);
        fd = -1;
        return error;
    }

    // The line's settings, read on the far side: a pty's master reports its slave's.
    auto LineSettings()
    {
        termios tio{};
        EXPECT_EQ(::tcgetattr(m_pty.MasterFd(), &tio), 0);
        return std::make_tuple(tio.c_iflag, tio.c_oflag, tio.c_cflag, tio.c_lflag,
                               std::string(std::begin(tio.c_cc), std::end(tio.c_cc)));
    }

    void Release(int slot)
    {
        m_ports[slot]->Close();
        if (m_fds[slot] >= 0)
        {
            (void)::ioctl(m_fds[slot], TIOCNXCL);
            ::close(std::exchange(m_fds[slot], -1));
        }
    }

    std::shared_ptr<CSerialportMP> m_ports[2] = {m_port, std::make_shared<CSerialportMP>(m_io)};
    int m_fds[2] = {-1, -1};
};

TEST_P(PortInUseTest, SecondOpenerIsRefusedUntilTheFirstCloses)
{
    const InUseCase& c = GetParam();
    const auto pending = [&] {  // bytes waiting for a first opener that does not read
        int count = -1;
        return ::ioctl(m_fds[0], FIONREAD, &count) == 0 ? count : -1;
    };
    ASSERT_EQ(Claim(c.first, 0), 0);
    // Sent before the refused open, so a refused opener that flushed the line would show.
    m_pty.Send("kept");
    if (c.first != Opener::OurPort)
    {
        ASSERT_TRUE(WaitUntil([&] { return pending() == 4; }, 5s));
        // Settings of the holder's own, unlike the raw line this program would set up.
        termios tio{};
        ASSERT_EQ(::tcgetattr(m_fds[0], &tio), 0);
        tio.c_lflag |= ICANON | ECHO;
        tio.c_iflag |= ICRNL;
        ASSERT_EQ(::tcsetattr(m_fds[0], TCSANOW, &tio), 0);
    }
    const auto settings = LineSettings();  // which the refused opener must leave alone

    // Where the exclusive mark binds (not for root), a program is refused before it can lock.
    const int refusal =
        c.second == Opener::LockingProgram && ::geteuid() != 0 ? EBUSY : c.refusal;
    const std::size_t before = PortDescriptorCount(m_pty.SlavePath());
    EXPECT_EQ(Claim(c.second, 1), refusal);
    EXPECT_EQ(PortDescriptorCount(m_pty.SlavePath()), before);
    EXPECT_EQ(LineSettings(), settings);
    EXPECT_FALSE(m_ports[1]->m_isOpen);
    if (c.first == Opener::OurPort)
    {
        EXPECT_TRUE(Receives("kept") && Exchange("still here", "and back"));
    }
    else
    {
        EXPECT_EQ(pending(), 4);
    }

    Release(0);
    EXPECT_EQ(Claim(c.second, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Openers, PortInUseTest,
    testing::Values(
        InUseCase{"OurPortThenAnotherCopy", Opener::OurPort, Opener::OurPort, EBUSY},
        InUseCase{"OurPortThenALockingProgram", Opener::OurPort, Opener::LockingProgram,
                  EWOULDBLOCK},
        InUseCase{"OurPortThenAnOrdinaryUser", Opener::OurPort, Opener::OrdinaryUser, EBUSY},
        InUseCase{"ALockingProgramThenOurPort", Opener::LockingProgram, Opener::OurPort, EBUSY},
        InUseCase{"AnExclusiveProgramThenOurPort", Opener::ExclusiveProgram, Opener::OurPort,
                  EBUSY}),
    CaseName());

// ---- line options -------------------------------------------------------------------------

struct OutOfRangeCase
{
    const char* name;
    uint8_t characterSize;
    uint8_t parity;
    uint8_t stopBits;
    const char* text;
};

void PrintTo(const OutOfRangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class OutOfRangeOptionTest : public SerialPortTest,
                             public testing::WithParamInterface<OutOfRangeCase>
{
protected:
    speed_t LineSpeed()
    {
        const int fd = ::open(m_pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        const bool ok = fd >= 0 && ::tcgetattr(fd, &tio) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok ? ::cfgetospeed(&tio) : B0;
    }
};

TEST_P(OutOfRangeOptionTest, ThrowsClosesTheHandleAndAllowsALaterOpen)
{
    const OutOfRangeCase& c = GetParam();
    const std::size_t before = PortDescriptorCount(m_pty.SlavePath());
    try
    {
        m_port->Open(m_pty.SlavePath(), 19200, c.characterSize, c.parity, c.stopBits);
        ADD_FAILURE() << "Open did not throw";
    }
    catch (const std::out_of_range& e)
    {
        EXPECT_STREQ(e.what(), c.text);
    }
    EXPECT_FALSE(m_port->m_isOpen);
    EXPECT_EQ(PortDescriptorCount(m_pty.SlavePath()), before);
    EXPECT_EQ(LineSpeed(), static_cast<speed_t>(B19200));  // applied before the bad option

    ASSERT_EQ(OpenPort(), std::error_code());
    EXPECT_TRUE(m_port->m_isOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Options, OutOfRangeOptionTest,
    testing::Values(OutOfRangeCase{"CharacterSizeNine", 9, 0, 0, "invalid character_size value"},
                    OutOfRangeCase{"CharacterSizeFour", 4, 0, 0, "invalid character_size value"},
                    OutOfRangeCase{"ParityThree", 8, 3, 0, "invalid parity value"},
                    OutOfRangeCase{"Parity255", 8, 255, 0, "invalid parity value"},
                    OutOfRangeCase{"StopBitsThree", 8, 0, 3, "invalid stop_bits value"},
                    OutOfRangeCase{"StopBits255", 8, 0, 255, "invalid stop_bits value"}),
    CaseName());

struct RefusedCase
{
    const char* name;
    uint32_t baudRate;
    uint8_t stopBits;
    asio::error::basic_errors error;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedOptionTest : public SerialPortTest, public testing::WithParamInterface<RefusedCase>
{
};

TEST_P(RefusedOptionTest, ReturnsTheErrorAndLeavesThePortClosedForTheNextOpen)
{
    const RefusedCase& c = GetParam();
    const std::size_t before = PortDescriptorCount(m_pty.SlavePath());
    EXPECT_EQ(m_port->Open(m_pty.SlavePath(), c.baudRate, 8, 0, c.stopBits),
              asio::error::make_error_code(c.error));
    EXPECT_FALSE(m_port->m_isOpen);
    EXPECT_EQ(PortDescriptorCount(m_pty.SlavePath()), before);

    ASSERT_EQ(OpenPort(), std::error_code());
    EXPECT_TRUE(Exchange("ok", "AT\r"));
}

INSTANTIATE_TEST_SUITE_P(
    Options, RefusedOptionTest,
    testing::Values(RefusedCase{"NonStandardBaudRate", 12345, 0, asio::error::invalid_argument},
                    RefusedCase{"OneAndAHalfStopBits", kBaud, 1,
                                asio::error::operation_not_supported}),
    CaseName());

// ---- reading ------------------------------------------------------------------------------

TEST_F(SerialPortTest, DeliversReceivedBytesInOrderThroughTheReadCallback)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    const std::string data = Pattern(5000);
    m_pty.Send(data);
    EXPECT_TRUE(Receives(data));

    for (const CallbackLog::Read& read : m_log.Reads())
    {
        EXPECT_FALSE(read.error) << read.error.message();
        EXPECT_EQ(read.count, read.size);
        EXPECT_GE(read.count, 1u);
        EXPECT_LE(read.count, 1024u);
        EXPECT_TRUE(read.samePort);
    }
}

TEST_F(SerialPortTest, HangUpGivesOneErrorCallbackAndStopsReading)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    m_pty.Send("x");
    ASSERT_TRUE(Receives("x"));

    m_pty.HangUp();
    ASSERT_TRUE(WaitUntil([&] { return m_log.ErrorCount() > 0; }, 5s));
    std::this_thread::sleep_for(200ms);  // room for a read the chain should not start

    const std::vector<CallbackLog::Read> reads = m_log.Reads();
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_TRUE(reads[1].error);
    EXPECT_EQ(reads[1].size, 0u);
    EXPECT_EQ(reads[1].count, 0u);
    EXPECT_TRUE(reads[1].samePort);
    EXPECT_TRUE(m_port->m_isOpen);

    m_port->Close();
    EXPECT_FALSE(m_port->m_isOpen);
}

TEST_F(SerialPortTest, CloseCancelsThePendingReadWithoutACallback)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    m_pty.Send("a");
    ASSERT_TRUE(Receives("a"));

    m_port->Close();
    m_port->Close();
    DrainIo();  // every completion, the cancelled read's included, has run

    EXPECT_EQ(m_log.Reads().size(), 1u);
    EXPECT_EQ(m_log.ErrorCount(), 0u);
    EXPECT_TRUE(m_log.Writes().empty());
}

// ---- writing ------------------------------------------------------------------------------

class QueuedBytesTest : public SerialPortTest, public testing::WithParamInterface<std::size_t>
{
};

TEST_P(QueuedBytesTest, AllReachTheFarSideInOrder)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    const std::string data = Pattern(GetParam());
    Write(data);
    EXPECT_EQ(m_pty.Receive(data.size(), 20s), data);

    ASSERT_TRUE(WaitUntil([&] { return m_log.BytesWritten() == data.size(); }, 5s));
    for (const CallbackLog::Write& write : m_log.Writes())
    {
        EXPECT_FALSE(write.error) << write.error.message();
        EXPECT_LE(write.count, 1024u);
    }
    EXPECT_EQ(Queued(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, QueuedBytesTest,
                         testing::Values(1, 1024, 1025, 1500, 200000),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return "Bytes" + std::to_string(info.param);
                         });

TEST_F(SerialPortTest, WritesMadeWhileWritingAreSentInOrder)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    std::string expected;
    for (int i = 0; i < 300; ++i)
    {
        const std::string line = "AT+LINE=" + std::to_string(i) + "\r";
        expected += line;
        Write(line);
    }
    EXPECT_EQ(m_pty.Receive(expected.size(), 10s), expected);
}

TEST_F(SerialPortTest, BytesQueuedAtCloseAreNotSentAfterTheNextOpen)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    // Nobody reads the far side, so the line fills up and the rest stays queued.
    const std::size_t total = 512 * 1024;
    Write(std::string(total, 'x'));
    ASSERT_TRUE(WaitUntil([&] { return Queued() < total; }, 5s));
    std::size_t queued = Queued();
    for (;;)  // until the writes stall
    {
        std::this_thread::sleep_for(100ms);
        if (Queued() == queued)
            break;
        queued = Queued();
    }
    ASSERT_GT(queued, 0u);

    m_port->Close();
    EXPECT_EQ(DrainFarSide().find_first_not_of('x'), std::string::npos);

    ASSERT_EQ(OpenPort(), std::error_code());
    EXPECT_EQ(Queued(), 0u);
    Write("NEW");
    EXPECT_EQ(m_pty.Receive(3, 5s), "NEW");
    EXPECT_EQ(m_pty.Receive(1, 200ms), "");
}

TEST_F(SerialPortTest, ReopeningWhileAnotherThreadWritesLeavesEachConnectionClean)
{
    ASSERT_EQ(OpenPort(), std::error_code());
    std::atomic<bool> stop{false};
    std::thread farSide([&] {
        while (!stop)
            m_pty.Receive(1 << 16, 5ms);
    });
    std::thread writer([&] {
        const std::string command = "AT+PANID=1234\r";
        while (!stop)
        {
            Write(command);
            std::this_thread::sleep_for(50us);
        }
    });

    for (int cycle = 0; cycle < 50; ++cycle)
    {
        std::this_thread::sleep_for(2ms);
        m_port->Close();
        ASSERT_EQ(OpenPort(), std::error_code());
    }
    stop = true;
    writer.join();
    farSide.join();

    // A completion of an earlier connection must not reach the callbacks of a later one.
    EXPECT_EQ(m_log.ErrorCount(), 0u);
    EXPECT_TRUE(m_log.Reads().empty());

    // Nor may it leave the next connection believing a write is still in flight.
    m_port->Close();
    DrainFarSide();
    ASSERT_EQ(OpenPort(), std::error_code());
    Write("MARK");
    EXPECT_EQ(m_pty.Receive(4, 5s), "MARK");
}

}  // namespace
