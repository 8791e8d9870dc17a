#include "support/PtyPair.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

void MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        throw std::system_error(errno, std::system_category(), "tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        throw std::system_error(errno, std::system_category(), "tcsetattr");
}

}  // namespace

PtyPair::PtyPair()
{
    char name[256] = {};
    int slave = -1;
    if (openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
        throw std::system_error(errno, std::system_category(), "openpty");
    m_slaveKeep = slave;
    m_slavePath = name;
    MakeRaw(m_master);
    MakeRaw(m_slaveKeep);
}

PtyPair::~PtyPair()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
}

void PtyPair::Send(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n < 0)
        {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw std::system_error(errno, std::system_category(), "write to pty master");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPair::Receive(std::size_t count, std::chrono::milliseconds timeout)
{
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count && m_master >= 0)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd{m_master, POLLIN, 0};
        const int r = ::poll(&pfd, 1, static_cast<int>(left.count()));
        if (r <= 0 || !(pfd.revents & POLLIN))
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, std::min(sizeof buf, count - out.size()));
        if (n > 0)
            out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

std::string PtyPair::ReceiveUntil(const std::string& text, std::chrono::milliseconds timeout)
{
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.find(text) == std::string::npos)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        out += Receive(1, left);
    }
    return out;
}

void PtyPair::HangUp()
{
    if (m_master >= 0)
    {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slaveKeep >= 0)
    {
        ::close(m_slaveKeep);
        m_slaveKeep = -1;
    }
}
