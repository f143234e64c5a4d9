#pragma once

#include "transport/smtp/TlsChannel.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <memory>

namespace tervalo::transport {

// A blocking TCP client socket that records its last error instead of raising it.
//
// Plain POSIX rather than QTcpSocket: the session needs a half-close before draining, service-name
// ports ("smtp"), IPv4 preferred over IPv6, and "readable but no data" read as a closed peer, and
// it runs inside callers that have no event loop. TLS (TlsChannel, OpenSSL) is layered on the same
// socket: STARTTLS needs the plain connection first, and every timeout and line rule stays one code.
class TTCPBlockSocket {
public:
    // Not an errno value: the peer closed the connection while a reply was awaited.
    static constexpr int kConnectionClosed = -1;
    // Not an errno value: the host or the service name could not be resolved.
    static constexpr int kLookupFailed = -2;
    // Not an errno value: a line ran past kMaxLineLength without its terminator.
    static constexpr int kLineTooLong = -3;
    // Not an errno value: the TLS handshake or the encrypted connection failed (TlsFailure says why).
    static constexpr int kTlsFailed = -4;
    // Not an errno value: the deadline passed while the peer was still sending, or a piece of data
    // to send was not taken by the peer in time.
    static constexpr int kDeadlinePassed = -5;
    // Far above the 512 bytes RFC 5321 allows a reply line, yet a bound on what a peer that never
    // ends its line can make the program hold.
    static constexpr qsizetype kMaxLineLength = 65536;

    TTCPBlockSocket() = default;
    TTCPBlockSocket(const TTCPBlockSocket&) = delete;
    TTCPBlockSocket& operator=(const TTCPBlockSocket&) = delete;
    ~TTCPBlockSocket();

    // A numeric address is used as it is; a name is resolved, its IPv4 addresses tried first and
    // IPv6 ones only when it has none. `port` is a number or a service name.
    bool Connect(const QString& host, const QString& port);

    // The TLS handshake on the open connection, each wait up to `timeoutMs`, all of it before
    // `deadline`; from then on everything sent and received is encrypted, and reading starts afresh:
    // nothing received in plain text is ever read as if it had come through the encryption. False
    // with LastError kTlsFailed and the reason in TlsFailure.
    bool StartTLS(const QString& host, const QString& caFile, int timeoutMs,
                  QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    bool Encrypted() const { return m_tls != nullptr; }
    // Data received beyond the last line read: in the buffer, or already waiting on the socket.
    // Reads nothing but the second half of the last line's terminator.
    bool HasUnreadData();
    // Czech words for the user, empty unless the last TLS step failed.
    const QString& TlsFailure() const { return m_tlsFailure; }

    // Everything, in pieces of at most 64 KiB, each of which the peer must take within `timeoutMs`
    // and before `deadline` (kDeadlinePassed otherwise): a peer that stops reading cannot hold the
    // program. A negative `timeoutMs` waits without limit.
    bool SendString(const QByteArray& data, int timeoutMs = -1,
                    QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // One line without its terminator (CR LF, LF, CR or LF CR). Each wait for data may take up to
    // `timeoutMs`, and the line must be complete before `deadline`. A timeout (ETIMEDOUT: nothing
    // arrived within a whole wait), the deadline (kDeadlinePassed), a closed peer, a line longer than
    // kMaxLineLength or an error returns an empty line and sets LastError.
    QByteArray RecvString(int timeoutMs, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // Stops sending, discards what the peer still has waiting (up to kMaxDiscard: a peer that sends
    // without end cannot keep the close going), closes.
    void CloseSocket();
    static constexpr qsizetype kMaxDiscard = 1024 * 1024;

    int LastError() const { return m_lastError; }

private:
    bool takeLine(QByteArray& line);
    // Waits up to `timeoutMs` for data and appends what arrived to m_buffer; false with LastError set.
    bool receive(int timeoutMs);
    bool sendPiece(const char* data, std::size_t size, QDeadlineTimer pieceDeadline);

    int m_fd = -1;
    int m_lastError = 0;
    std::unique_ptr<TlsChannel> m_tls;
    QString m_tlsFailure;
    QByteArray m_buffer;
    qsizetype m_scanned = 0;  // bytes at the front of m_buffer already known to hold no line end
    char m_swallow = 0;       // the second byte of a CR LF or LF CR that may arrive with the next data
};

}  // namespace tervalo::transport
