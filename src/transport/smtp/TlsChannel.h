#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <memory>

namespace tervalo::transport {

// The TLS layer of one connected socket (OpenSSL's libssl): the handshake with the server's
// certificate verified against the system's trust store (SSL_CERT_FILE and SSL_CERT_DIR are
// honoured) plus an optional CA file, its host name or address checked, TLS 1.2 at least. The socket
// is switched to non-blocking mode so that every wait has a time limit; the caller keeps owning it.
class TlsChannel {
public:
    enum class Io { Done, Timeout, Closed, Failed };

    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    // The handshake on the connected socket `fd`, each wait for the server limited to `timeoutMs`
    // and the whole of it to `deadline`. Null on failure, with the reason in Czech words the user can
    // act on in `failure`.
    static std::unique_ptr<TlsChannel> handshake(int fd, const QString& host, const QString& caFile,
                                                 int timeoutMs, QDeadlineTimer deadline, QString& failure);

    // Some bytes into `buffer`; `received` is how many when Done.
    Io read(char* buffer, int size, int timeoutMs, int& received);
    // All of `size` bytes before `deadline`; Timeout when the peer does not take them in time.
    Io write(const char* data, std::size_t size, QDeadlineTimer deadline);
    // Sends the close notification without waiting for the server's.
    void close();

private:
    struct State;
    explicit TlsChannel(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

}  // namespace tervalo::transport
