#include "transport/smtp/TlsChannel.h"

#include "transport/smtp/WaitLimit.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <QDateTime>
#include <QFileInfo>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>

namespace tervalo::transport {

namespace {

constexpr int kWritePiece = 16384;  // one TLS record

// libssl writes to a socket with write(), which raises SIGPIPE when the server has gone away; this
// BIO sends with MSG_NOSIGNAL instead, so a vanished server is an error like on the plain socket.
int bioWrite(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent =
        ::send(int(reinterpret_cast<intptr_t>(BIO_get_data(bio))), data, std::size_t(size), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        BIO_set_retry_write(bio);
    }
    return int(sent);
}

int bioRead(BIO* bio, char* buffer, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t got =
        ::recv(int(reinterpret_cast<intptr_t>(BIO_get_data(bio))), buffer, std::size_t(size), 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        BIO_set_retry_read(bio);
    }
    return int(got);
}

long bioControl(BIO*, int command, long, void*) {
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD* socketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tervalo socket");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioControl);
        BIO_meth_set_create(m, bioCreate);
        return m;
    }();
    return method;
}

// 1 ready, 0 timeout, -1 error.
int waitFor(int fd, short events, int timeoutMs) {
    pollfd watch{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&watch, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 ? 1 : ready;
}

QString certificateDate(const ASN1_TIME* time) {
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1) {
        return {};
    }
    return QStringLiteral("%1. %2. %3").arg(parts.tm_mday).arg(parts.tm_mon + 1).arg(parts.tm_year + 1900);
}

// The validity of the certificate that failed verification: a refused handshake keeps no peer
// certificate, so the verification callback notes it while it is at hand.
struct RefusedValidity {
    QString notBefore;
    QString notAfter;
};

// What the libssl callbacks of one connection need, hung on the connection as its ex data 0.
struct ConnectionNotes {
    RefusedValidity refused;
    QString sessionKey;  // trust key and host name
};

int noteRefusedValidity(int ok, X509_STORE_CTX* store) {
    if (!ok) {
        auto* ssl =
            static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* notes = ssl ? static_cast<ConnectionNotes*>(SSL_get_ex_data(ssl, 0)) : nullptr;
        RefusedValidity* validity = notes ? &notes->refused : nullptr;
        const X509* certificate = X509_STORE_CTX_get_current_cert(store);
        if (validity && certificate && validity->notAfter.isEmpty()) {
            validity->notBefore = certificateDate(X509_get0_notBefore(certificate));
            validity->notAfter = certificateDate(X509_get0_notAfter(certificate));
        }
    }
    return ok;
}

QString verificationFailure(long result, const RefusedValidity& validity, const QString& host) {
    switch (result) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return QStringLiteral(
                       "platnost certifikátu serveru skončila %1. Certifikát musí obnovit správce "
                       "serveru; zkontrolujte také datum a čas tohoto počítače.")
                .arg(validity.notAfter);
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return QStringLiteral(
                       "certifikát serveru platí až od %1. Zkontrolujte datum a čas tohoto počítače.")
                .arg(validity.notBefore);
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return QStringLiteral(
                       "certifikát serveru nepatří k adrese „%1“. Zadejte adresu serveru přesně tak, "
                       "jak ji uvádí poskytovatel pošty.")
                .arg(host);
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return QStringLiteral(
                "certifikát serveru vydala neznámá certifikační autorita, nebo si jej server "
                "podepsal sám. Používá-li firma vlastní certifikační autoritu, zadejte v "
                "nastavení soubor s jejím certifikátem.");
        default:
            return QStringLiteral("certifikát serveru nelze ověřit (%1).")
                .arg(QString::fromUtf8(X509_verify_cert_error_string(result)));
    }
}

QString handshakeFailure(SSL* ssl, int sslError, const RefusedValidity& validity, const QString& host) {
    if (const long result = SSL_get_verify_result(ssl); result != X509_V_OK) {
        return verificationFailure(result, validity, host);
    }
    const unsigned long error = ERR_peek_error();
    const int reason = ERR_GET_REASON(error);
    if ((sslError == SSL_ERROR_SYSCALL && error == 0) || sslError == SSL_ERROR_ZERO_RETURN ||
        reason == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
        return QStringLiteral("server ukončil spojení během navazování šifrovaného spojení.");
    }
    switch (reason) {
        case SSL_R_UNSUPPORTED_PROTOCOL:
        case SSL_R_NO_PROTOCOLS_AVAILABLE:
        case SSL_R_TLSV1_ALERT_PROTOCOL_VERSION:
        case SSL_R_VERSION_TOO_LOW:
        case SSL_R_NO_SHARED_CIPHER:
        case SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE:
            return QStringLiteral(
                "server a tento program nemají žádný společný šifrovací protokol (program "
                "vyžaduje alespoň TLS 1.2). Server je zastaralý; obraťte se na jeho správce.");
        case SSL_R_WRONG_VERSION_NUMBER:
        case SSL_R_PACKET_LENGTH_TOO_LONG:
            return QStringLiteral(
                "server na tomto portu nezačíná šifrované spojení. Zvolte zabezpečení "
                "STARTTLS, nebo port, na kterém server šifruje od začátku (obvykle 465).");
        default:
            break;
    }
    char text[256] = {};
    ERR_error_string_n(error, text, sizeof text);
    return QStringLiteral("šifrované spojení se nepodařilo navázat (%1).").arg(QString::fromUtf8(text));
}

// What a client context is built from: the CA file (and its age) and the trust-store environment.
QString trustKey(const QString& caFile) {
    const QFileInfo caInfo(caFile);
    return caFile + QLatin1Char('\n') + caInfo.lastModified().toString(Qt::ISODateWithMs) +
           QLatin1Char('\n') + QString::fromLocal8Bit(qgetenv("SSL_CERT_FILE")) + QLatin1Char('\n') +
           QString::fromLocal8Bit(qgetenv("SSL_CERT_DIR"));
}

// The last session each server (by host name and trust) handed out, so the next connection to it (the
// next single reminder, or a bulk run's new connection after the server closed one at its limit of
// messages) resumes it instead of a full handshake with certificate checks: a bulk run to a server
// that closes after 10 messages sends about a sixth more reminders a second (bench_transport). A
// resumed session is only accepted by the server that issued it, which the full handshake verified.
// Kept for the whole process, like the contexts.
std::mutex sessionGuard;
std::map<QString, SSL_SESSION*>& resumableSessions() {
    static auto& sessions = *new std::map<QString, SSL_SESSION*>;
    return sessions;
}

SSL_SESSION* takeSession(const QString& key) {
    const std::lock_guard lock(sessionGuard);
    const auto found = resumableSessions().find(key);
    if (found == resumableSessions().end()) {
        return nullptr;
    }
    SSL_SESSION* session = found->second;
    // TLS 1.3 tickets are meant for one use; the server hands out fresh ones on every connection.
    resumableSessions().erase(found);
    return session;
}

void keepSession(const QString& key, SSL_SESSION* session) {
    const std::lock_guard lock(sessionGuard);
    SSL_SESSION*& kept = resumableSessions()[key];
    SSL_SESSION_free(kept);
    kept = session;
}

// Called by libssl for every session the server hands out (after the handshake in TLS 1.3).
int keepNewSession(SSL* ssl, SSL_SESSION* session) {
    const auto* notes = static_cast<const ConnectionNotes*>(SSL_get_ex_data(ssl, 0));
    if (!notes || !SSL_SESSION_is_resumable(session)) {
        return 0;
    }
    keepSession(notes->sessionKey, session);
    return 1;  // the reference is ours now
}

// A client context with its trust store, built once per trust key and then shared: parsing the
// system's store for every reminder would cost more than the handshake itself. The caller owns one
// reference. Null with the reason in `failure`.
SSL_CTX* sharedContext(const QString& caFile, const QString& key, QString& failure) {
    static std::mutex guard;
    // Kept for the whole process and never destroyed, so the contexts stay reachable at exit.
    static auto& contexts = *new std::map<QString, SSL_CTX*>;
    const std::lock_guard lock(guard);
    SSL_CTX*& shared = contexts[key];
    if (!shared) {
        SSL_CTX* context = SSL_CTX_new(TLS_client_method());
        if (!context) {
            failure = QStringLiteral("knihovnu pro šifrování (OpenSSL) nelze použít.");
            return nullptr;
        }
        SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
        SSL_CTX_set_verify(context, SSL_VERIFY_PEER, noteRefusedValidity);
        // A server that drops the connection without its close notification has still sent the whole
        // reply, which the session judges by itself.
        SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
        SSL_CTX_set_default_verify_paths(context);
        SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(context, keepNewSession);
        if (!caFile.isEmpty() &&
            SSL_CTX_load_verify_locations(context, caFile.toLocal8Bit().constData(), nullptr) != 1) {
            SSL_CTX_free(context);
            failure =
                QStringLiteral(
                    "soubor certifikátů certifikační autority „%1“ nelze načíst. Zkontrolujte v nastavení "
                    "jeho umístění; musí obsahovat certifikáty ve formátu PEM.")
                    .arg(caFile);
            return nullptr;
        }
        shared = context;
    }
    SSL_CTX_up_ref(shared);
    return shared;
}

}  // namespace

struct TlsChannel::State {
    int fd = -1;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    ConnectionNotes notes;

    ~State() {
        SSL_free(ssl);
        SSL_CTX_free(context);
    }
};

TlsChannel::TlsChannel(std::unique_ptr<State> state) : m_state(std::move(state)) {}

TlsChannel::~TlsChannel() = default;

std::unique_ptr<TlsChannel> TlsChannel::handshake(int fd, const QString& host, const QString& caFile,
                                                  int timeoutMs, QDeadlineTimer deadline, QString& failure) {
    ERR_clear_error();
    auto state = std::make_unique<State>();
    state->fd = fd;
    const QString trust = trustKey(caFile);
    state->notes.sessionKey = trust + QLatin1Char('\n') + host;
    state->context = sharedContext(caFile, trust, failure);
    if (!state->context) {
        return nullptr;
    }
    state->ssl = SSL_new(state->context);
    BIO* bio = BIO_new(socketMethod());
    BIO_set_data(bio, reinterpret_cast<void*>(intptr_t(fd)));
    SSL_set_bio(state->ssl, bio, bio);
    SSL_set_ex_data(state->ssl, 0, &state->notes);
    if (SSL_SESSION* earlier = takeSession(state->notes.sessionKey)) {
        SSL_set_session(state->ssl, earlier);
        SSL_SESSION_free(earlier);
    }

    const QByteArray hostBytes = host.toUtf8();
    unsigned char address[16];
    const bool numeric = inet_pton(AF_INET, hostBytes.constData(), address) == 1 ||
                         inet_pton(AF_INET6, hostBytes.constData(), address) == 1;
    if (numeric) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(state->ssl), hostBytes.constData());
    } else {
        // SSL_set_tlsext_host_name without its C cast: the name the server picks its certificate by.
        SSL_ctrl(state->ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 const_cast<char*>(hostBytes.constData()));
        SSL_set1_host(state->ssl, hostBytes.constData());
    }

    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    for (;;) {
        const int done = SSL_connect(state->ssl);
        if (done == 1) {
            return std::unique_ptr<TlsChannel>(new TlsChannel(std::move(state)));
        }
        const int error = SSL_get_error(state->ssl, done);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            const int ready =
                waitFor(fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, waitLimit(timeoutMs, deadline));
            if (ready == 0) {
                failure = QStringLiteral("server přestal odpovídat během navazování šifrovaného spojení.");
                return nullptr;
            }
            if (ready > 0) {
                continue;
            }
        }
        failure = handshakeFailure(state->ssl, error, state->notes.refused, host);
        ERR_clear_error();
        return nullptr;
    }
}

TlsChannel::Io TlsChannel::read(char* buffer, int size, int timeoutMs, int& received) {
    for (;;) {
        const int got = SSL_read(m_state->ssl, buffer, size);
        if (got > 0) {
            received = got;
            return Io::Done;
        }
        const int error = SSL_get_error(m_state->ssl, got);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            const int ready =
                waitFor(m_state->fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, timeoutMs);
            if (ready == 0) {
                return Io::Timeout;
            }
            if (ready > 0) {
                continue;
            }
        }
        ERR_clear_error();
        return error == SSL_ERROR_ZERO_RETURN ? Io::Closed : Io::Failed;
    }
}

TlsChannel::Io TlsChannel::write(const char* data, std::size_t size, QDeadlineTimer deadline) {
    while (size > 0) {
        const int piece = int(std::min<std::size_t>(size, kWritePiece));
        const int sent = SSL_write(m_state->ssl, data, piece);
        if (sent > 0) {
            data += sent;
            size -= std::size_t(sent);
            continue;
        }
        const int error = SSL_get_error(m_state->ssl, sent);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            const int ready = waitFor(m_state->fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT,
                                      waitLimit(-1, deadline));
            if (ready == 0) {
                return Io::Timeout;
            }
            if (ready > 0) {
                continue;
            }
        }
        ERR_clear_error();
        return Io::Failed;
    }
    return Io::Done;
}

void TlsChannel::close() {
    SSL_shutdown(m_state->ssl);
    ERR_clear_error();
}

}  // namespace tervalo::transport
