#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal pair standing in for a serial line: the program under test opens
// SlavePath() as its port; the test (or the simulated modem) holds the master side.
// Both sides are raw: no echo, no line editing, no CR/LF translation.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

    // Writes all bytes to the master side (what the far end sends).
    void Send(const std::string& bytes);
    // Reads what arrived on the master side until `count` bytes came or the time ran out.
    std::string Receive(std::size_t count, std::chrono::milliseconds timeout);
    // Reads until `text` has been seen (returns everything read) or the time ran out.
    std::string ReceiveUntil(const std::string& text, std::chrono::milliseconds timeout);
    // Closes the master side: the port's next read fails as after a hang-up.
    void HangUp();

private:
    int m_master = -1;
    int m_slaveKeep = -1;  // keeps the slave alive between opens so the path stays valid
    std::string m_slavePath;
};
