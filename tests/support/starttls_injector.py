"""A man in the middle of STARTTLS on 127.0.0.1, for one connection: it answers STARTTLS with "220"
and, in the same packet, with the replies to everything a client sends next (EHLO, MAIL, RCPT, DATA
and the message's end), each a success. If the client then starts the TLS handshake, it completes it
with --certificate and --key, as the real server behind it would, and refuses every command inside the
encryption with 554. Prints "READY <port>" when it listens, and last "AFTER220 <n>": the number of
bytes the client sent after the 220 before it closed."""
import argparse
import socket
import ssl
import sys

INJECTED = (b"220 2.0.0 Ready to start TLS\r\n"
            b"250-injected\r\n250 SIZE 1000000\r\n"
            b"250 2.1.0 sender ok\r\n"
            b"250 2.1.5 recipient ok\r\n"
            b"354 go ahead\r\n"
            b"250 2.0.0 queued as INJECTED\r\n")


def read_line(stream):
    line = b""
    while not line.endswith(b"\r\n"):
        c = stream.recv(1)
        if not c:
            return None
        line += c
    return line[:-2]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--certificate", required=True)
    parser.add_argument("--key", required=True)
    args = parser.parse_args()

    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(20)
    print("READY %d" % listener.getsockname()[1], flush=True)
    connection, _ = listener.accept()
    connection.settimeout(10)
    connection.sendall(b"220 injector ESMTP\r\n")
    while True:
        line = read_line(connection)
        if line is None:
            print("AFTER220 none", flush=True)
            return
        if line.upper() == b"STARTTLS":
            break
        connection.sendall(b"250-injector\r\n250 STARTTLS\r\n" if line.upper().startswith(b"EHLO")
                           else b"250 OK\r\n")
    connection.sendall(INJECTED)

    # Whatever the client sends now is either its TLS handshake or nothing at all.
    try:
        first = connection.recv(1, socket.MSG_PEEK)
    except socket.timeout:
        first = b""
    if not first:
        print("AFTER220 0", flush=True)
        return
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.certificate, args.key)
    received = 0
    try:
        encrypted = context.wrap_socket(connection, server_side=True)
        received = 1
        while True:
            line = read_line(encrypted)
            if line is None:
                break
            received += len(line) + 2
            encrypted.sendall(b"221 bye\r\n" if line.upper() == b"QUIT" else b"554 5.7.1 refused\r\n")
            if line.upper() == b"QUIT":
                break
    except (ssl.SSLError, OSError):
        received = max(received, 1)
    print("AFTER220 %d" % received, flush=True)


if __name__ == "__main__":
    sys.exit(main())
