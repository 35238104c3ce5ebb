// The byte pipe to a device: a serial line (termios) or a TCP connection, with the instrument's framing
// and time-outs. Every failure throws CPortException.
#pragma once

#include <atomic>
#include <string>

#include "PortException.h"

namespace fl {

// The model of the connected instrument; "Quarn1" changes the serial framing.
extern std::string s_strConnectedModel;

// The line settings a serial open uses: unsupported values fall back to 57600 baud, 8 data bits, no
// parity and one stop bit.
struct SerialLineSettings {
    int baud, dataBits, parity, stopBits;
    bool operator==(const SerialLineSettings&) const = default;
};
SerialLineSettings NormaliseLineSettings(int baud, int dataBits, int parity, int stopBits);

class CPort {
  public:
    CPort();
    ~CPort();
    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;

    // COM port number through the port map, or a device path directly.
    int OpenSerial(int port, int baud, int dataBits, int parity, int stopBits);
    int OpenSerialDevice(const std::string& device, int baud, int dataBits, int parity, int stopBits);
    int SetTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                    int writeTotalMultiplier, int writeTotalConstant);
    int OpenTcp(const std::string& host, int port);
    int Send(const std::string& text);
    int Receive(std::string& reply);
    int Close();
    // The serial device hung up (cable pulled, adapter gone) during the last read.
    bool HungUp() const { return m_bHungUp; }
    // The link is gone for good: the peer reset or closed the connection, a write found the pipe broken,
    // or the serial device hung up. Cleared by the next open.
    bool LinkLost() const { return m_bLinkLost; }
    // Without reading anything: has the peer closed the connection or the device hung up while idle?
    bool PeerGone() const;
    // Waits until the serial output queue is empty, at most `maxMs`.
    void DrainOutput(int maxMs);
    int SettleDelay();

    // Wakes a pending read or write from another thread; it then fails with "Interrupted" until cleared.
    void Interrupt();
    void ClearInterrupt();
    bool Interrupted() const { return m_bInterrupted; }
    // Reads and discards whatever arrives until the line has been quiet for `quietMs`.
    void Drain(int quietMs);

    bool m_bPaced = false;
    bool m_bLineMode = false;
    int LinkKind() const { return m_nLinkKind; }
    bool IsOpen() const { return m_fd >= 0 || m_sock >= 0; }

    // Reply cap: a reply that never ends fails once it is this long.
    static constexpr size_t kMaxReply = 1u << 20;
    // Over a serial line no reply of the instrument comes near this (a trace data line is about 3 KB):
    // an endless or garbage stream ends here within seconds rather than after minutes at 1 MiB.
    static constexpr size_t kMaxSerialReply = 16u << 10;
    // TCP waits; the instrument's are 1 s for sending and 7 s for replies.
    int m_nTcpSendWaitMs = 1000;
    int m_nTcpReceiveWaitMs = 7000;
    int m_nTcpConnectWaitMs = 15000;
    // One reply may take this long from its first byte (1 s on a serial line, like a read's own total
    // time-out; 5 s over TCP), plus 5 ms per byte or, on a slow serial line, ten times a byte's wire time:
    // a crawling instrument fails its first reply within seconds instead of holding a command for minutes.
    int m_nReplyBoundMs = 5000;
    int m_nSerialReplyBoundMs = 1000;
    // How long closing a serial line waits for the output queue ("SYST:COMM:LOC") to leave.
    int m_nCloseDrainMs = 500;

  private:
    // poll() on fd for events, also waking on the interrupt pipe. Returns >0 ready, 0 time-out.
    int Wait(int fd, short events, int timeoutMs);
    // One read call with the emulated serial time-outs; returns the bytes read (possibly 0).
    size_t SerialRead(char* buf, size_t n);
    void SerialWrite(const char* data, size_t n);
    void CheckInterrupt();
    [[noreturn]] void Lost(const char* text, int error, const char* detail = nullptr);
    long ReplyAllowanceMs(size_t bytes) const;

    int m_fd = -1;
    int m_sock = -1;
    int m_nLinkKind = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_bInterrupted{false};
    int m_nReadInterval = 0;
    int m_nReadTotalMultiplier = 0;
    int m_nReadTotalConstant = 0;
    int m_nWriteTotalMultiplier = 0;
    int m_nWriteTotalConstant = 0;
    bool m_bHungUp = false;
    bool m_bLinkLost = false;
    int m_nBaud = 57600;
    std::string m_rx;  // bytes read ahead in byte-by-byte framing
    size_t m_rxPos = 0;
};

}  // namespace fl
