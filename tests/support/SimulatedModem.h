#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/SharedRecords.h"

class PtyPair;

// A Q310D modem of our own on the far side of a pseudo-terminal. The program under test
// opens SlavePath() as its serial port; the modem holds the master side. Like a real line
// it is full duplex: one thread listens (and records every command as it arrives) while
// another answers the commands one by one, in the order they came, until Stop() (or the
// destructor) joins both.
//
// Wire behaviour
//   - A command line is every byte up to and including a "\r" (a leading "\n" is ignored
//     when the line is interpreted, never when it is recorded). Every line is recorded,
//     byte for byte with its "\r", before it is answered, silent or not.
//   - Replies are lines "\r\n" text "\r\n". Queries answer their "+..." line(s) and then
//     "OK" ("AT+GPIOC?" answers 13 "+GPIOC,<n>,<mode>,<config>" lines, GPIO 0 first);
//     settings store the value and answer "OK", or "ERROR" for a value the modem refuses
//     (out of range, not a number, wrong field count); "ATZ" answers "OK" then "+READY";
//     "AT&F" restores FactoryState(), then answers "OK" and "+READY"; "AT" answers "OK";
//     any other line answers "ERROR".
//   - Quiet mode (state.quietMode != 0): the modem carries out every command but answers
//     none, with two exceptions, so that a configurator can find out about quiet mode and
//     leave it: "AT+QM?" is answered as usual ("+QM,1", "OK"), and "AT+QM=0" is answered
//     "OK" (the modem speaks again). "AT+QM=1" is never answered: quiet mode takes effect
//     at once. A refused "AT+QM=..." is not answered while quiet.
//   - Pacing (SetBaudRate): every byte takes 10 bits of line time in either direction. A
//     command is seen complete only once its bytes would have arrived (first byte's arrival
//     plus length x byte time), and replies leave one byte per byte time. 0 = no pacing.
//     The two directions are independent: a command that arrives while a reply is still
//     going out is heard at once and answered as soon as that reply has left.
//
// Scripting (per test; scripts are looked up in the order added, the first live script whose
// prefix begins the command line is used, and its count goes down by one):
//   StaySilent / AnswerError / AnswerWith / HangUpOn, or AddScript for the general form
//   (before/after bytes around the reply, e.g. unsolicited "+READY" or "+ACTIVE,..." lines).
//   SetChunking splits every transmission into pieces of a given size with a gap between
//   them; Send puts stray bytes or unsolicited lines on the line behind any reply already
//   due; HangUp closes the master side at once (the port's next read fails). A HangUpOn
//   command closes the line once the replies before it have left; nothing after it is heard.
//
// Every public member is thread-safe.
class SimulatedModem
{
public:
    // The modem's settings as it would report them.
    struct State
    {
        InfoData info;
        NetInfo net;
        UartSettings uart;  // modem's encoding
        GpioEntry gpio[kGpioCount];
        PeriodicReport report;
        uint8_t quietMode;
        std::string version;
    };

    enum class Reply
    {
        Normal,  // what the modem would answer
        Silent,  // nothing
        Error,   // "\r\nERROR\r\n"
        Custom,  // Script::custom, as raw bytes
    };

    static constexpr int kAlways = -1;

    struct Script
    {
        std::string prefix;  // matched against the line with its "\r": "AT\r" is the ping only
        int times = kAlways;  // uses left; kAlways never runs out
        Reply reply = Reply::Normal;
        std::string custom;  // sent in place of the reply for Reply::Custom
        std::string before;  // raw bytes sent before the reply (e.g. "\r\n+READY\r\n")
        std::string after;   // raw bytes sent after the reply
        bool hangUp = false;  // close the line on receiving the command, answer nothing
    };

    SimulatedModem();
    explicit SimulatedModem(const State& state);
    ~SimulatedModem();
    SimulatedModem(const SimulatedModem&) = delete;
    SimulatedModem& operator=(const SimulatedModem&) = delete;

    // The factory settings ("AT&F" restores them).
    static State FactoryState();
    // The "\r\n"-framed reply lines the modem gives to `commandLine` in `state` (applying
    // any setting to `state`), ignoring scripts; "" when it would stay silent.
    static std::string Answer(State& state, const std::string& commandLine);

    // The path the program opens as its serial port.
    const std::string& SlavePath() const { return m_slavePath; }
    // Ends the modem's threads and joins them; idempotent.
    void Stop();

    void AddScript(Script script);
    void StaySilent(const std::string& prefix, int times = kAlways);
    void AnswerError(const std::string& prefix, int times = kAlways);
    void AnswerWith(const std::string& prefix, const std::string& bytes, int times = kAlways);
    void HangUpOn(const std::string& prefix);
    void ClearScripts();

    // Line pacing at `baud` (10 bits per byte); 0 turns pacing off.
    void SetBaudRate(uint32_t baud);
    // Splits every transmission into `chunkSize`-byte writes `gap` apart; 0 turns it off.
    void SetChunking(std::size_t chunkSize, std::chrono::microseconds gap);
    // Puts `bytes` on the line (paced and chunked like replies); returns once written.
    void Send(const std::string& bytes);
    // Closes the master side now; returns once it is closed.
    void HangUp();
    bool IsHungUp() const;

    State GetState() const;
    void SetState(const State& state);

    // Every command line received so far, in order, each with its "\r".
    std::vector<std::string> Commands() const;
    std::size_t CommandCount() const;
    void ClearCommands();
    // Waits until at least `count` lines have been received; false on time-out.
    bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    using Clock = std::chrono::steady_clock;

    // What the answering thread has to do next: answer a command line, or put bytes on the
    // line for Send.
    struct Outgoing
    {
        bool isCommand = false;
        std::string bytes;            // the command line with its "\r", or the bytes to send
        Script script;                // for a command: the script it met (Reply::Normal if none)
        Clock::time_point complete{};  // for a command: when its last byte has crossed the line
    };

    void Listen();
    void ReadFromLine();
    void QueueLine(const std::string& line, Clock::time_point firstByte);
    void CloseLine();
    void Speak();
    void AnswerCommand(const Outgoing& command);
    void Transmit(const std::string& bytes);
    void WriteAll(const char* data, std::size_t length);
    bool WaitUntil(Clock::time_point when);  // false when stopping
    void Wake();

    std::unique_ptr<PtyPair> m_pty;
    std::string m_slavePath;
    int m_masterFd = -1;  // closed (and set to -1) by the listening thread only, under m_mutex
    int m_wakeFd = -1;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;  // commands, outgoing work, requests done, stop
    State m_state;
    std::vector<Script> m_scripts;
    std::vector<std::string> m_commands;
    uint32_t m_baud = 0;
    std::size_t m_chunkSize = 0;
    std::chrono::microseconds m_chunkGap{0};
    std::deque<Outgoing> m_outgoing;  // in order of arrival, answered in that order
    uint64_t m_sendsQueued = 0;
    uint64_t m_sendsDone = 0;
    bool m_hangUpRequested = false;
    bool m_hungUp = false;
    bool m_stopping = false;

    // Listening thread only.
    std::string m_pending;  // bytes of the command line being received
    Clock::time_point m_pendingStart;
    Clock::time_point m_heardUntil;  // when the last command heard was complete
    bool m_deaf = false;  // a command that hangs up has been heard: nothing after it counts

    // Answering thread only.
    Clock::time_point m_lineFreeAt;  // when the last paced byte left

    std::thread m_listener;
    std::thread m_speaker;
};
