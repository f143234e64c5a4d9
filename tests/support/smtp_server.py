"""A real SMTP server for the transport tests: aiosmtpd on 127.0.0.1 with LOGIN (aiosmtpd's own)
and CRAM-MD5 (added here) checked against one account. Each accepted message is stored as
NNN.eml with its envelope in NNN.json (and whether the TLS session was a resumed one; with --discard
nothing is stored). --refuse ADDRESS answers
550 to that recipient, as a server does for a mailbox it does not know. With --certificate and --key
it speaks TLS: STARTTLS (--tls starttls, required before anything but EHLO, and before AUTH) or TLS
from the first byte (--tls implicit). --reply-delay-ms makes it take that long to answer each
recipient and each message, as a slow server does: it reads the next command only after it answered.
It offers PIPELINING (RFC 2920) unless --no-pipelining. --latency-ms puts a relay in front of it that
hands each piece of the server's replies to the client that long after it came, while the server goes
on reading: a server that far away, and the port printed is the relay's. --close-after N turns the next
message of a connection after its N-th away with 421 and closes the connection, as servers with a limit
of messages per connection do. Prints "READY <port>" when it
listens and stops when its standard input closes or after --lifetime seconds."""
import argparse
import hashlib
import hmac
import json
import logging
import os
import socket
import ssl
import sys
import threading
import time
import warnings

import asyncio

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler:
    def __init__(self, maildir, user, password, refused=(), discard=False, delay=0.0, pipelining=True,
                 close_after=0):
        self.maildir = maildir
        self.user = user.encode()
        self.password = password.encode()
        self.refused = {address.lower() for address in refused}
        self.discard = discard
        self.delay = delay
        self.pipelining = pipelining
        self.close_after = close_after
        self.count = 0

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if self.pipelining:
            responses.insert(-1, "250-PIPELINING")
        return responses

    def check_login(self, server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == self.user \
            and auth_data.password == self.password
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)

    async def auth_CRAM__MD5(self, server, args):
        challenge = "<%d.%d@127.0.0.1>" % (os.getpid(), time.time_ns())
        response = await server.challenge_auth(challenge)
        if not isinstance(response, bytes) or b" " not in response:
            return AuthResult(success=False, handled=False)
        user, digest = response.rsplit(b" ", 1)
        expected = hmac.new(self.password, challenge.encode(), hashlib.md5).hexdigest().encode()
        ok = user == self.user and hmac.compare_digest(digest, expected)
        return AuthResult(success=ok, handled=False, auth_data=LoginPassword(user, b"") if ok else None)

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.close_after and getattr(session, "messages", 0) >= self.close_after:
            asyncio.get_running_loop().call_later(0.01, server.transport.close)
            return "421 4.7.0 Too many messages on this connection, closing"
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.delay:
            await asyncio.sleep(self.delay)
        if address.lower() in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        self.count += 1
        session.messages = getattr(session, "messages", 0) + 1
        if self.discard:
            return "250 OK"
        base = os.path.join(self.maildir, "%03d" % self.count)
        tls = server.transport.get_extra_info("ssl_object")
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".json", "w") as f:
            json.dump({
                "mail_from": envelope.mail_from,
                "mail_options": envelope.mail_options,
                "rcpt_tos": envelope.rcpt_tos,
                "login": session.login_data.decode() if isinstance(session.login_data, bytes) else None,
                "tls_resumed": tls.session_reused if tls else None,
                "connection": session.peer[1] if session.peer else None,
            }, f)
        return "250 OK"


async def relay_with_latency(server_port, latency, client_reader, client_writer):
    """Carries one connection to the server: commands at once, each piece of the replies `latency`
    seconds after it arrived, in order."""
    loop = asyncio.get_running_loop()
    server_reader, server_writer = await asyncio.open_connection("127.0.0.1", server_port)
    replies = asyncio.Queue()

    async def commands():
        while data := await client_reader.read(65536):
            server_writer.write(data)
            await server_writer.drain()
        server_writer.close()

    async def receive_replies():
        while data := await server_reader.read(65536):
            replies.put_nowait((loop.time() + latency, data))
        replies.put_nowait((loop.time() + latency, b""))

    async def deliver_replies():
        while True:
            due, data = await replies.get()
            await asyncio.sleep(max(0.0, due - loop.time()))
            if not data:
                break
            client_writer.write(data)
            await client_writer.drain()
        client_writer.close()

    try:
        await asyncio.gather(commands(), receive_replies(), deliver_replies())
    except (ConnectionError, OSError):
        client_writer.close()
        server_writer.close()


def start_relay(loop, server_port, latency):
    """A relay on a free port of 127.0.0.1 in `loop` (the server's), returns its port."""
    async def start():
        relay = await asyncio.start_server(
            lambda r, w: relay_with_latency(server_port, latency, r, w), "127.0.0.1", 0)
        return relay.sockets[0].getsockname()[1]
    return asyncio.run_coroutine_threadsafe(start(), loop).result()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    # Plain-text AUTH without TLS is what the tests exercise; the server's warnings about it are noise.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    parser = argparse.ArgumentParser()
    parser.add_argument("--maildir", required=True)
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--require-auth", action="store_true")
    parser.add_argument("--exclude", action="append", default=[], help="AUTH mechanism not to offer")
    parser.add_argument("--refuse", action="append", default=[], help="recipient to answer with 550")
    parser.add_argument("--discard", action="store_true", help="accept messages without storing them")
    parser.add_argument("--lifetime", type=float, default=120)
    parser.add_argument("--tls", choices=["starttls", "implicit"])
    parser.add_argument("--reply-delay-ms", type=float, default=0)
    parser.add_argument("--latency-ms", type=float, default=0)
    parser.add_argument("--no-pipelining", action="store_true")
    parser.add_argument("--certificate", help="PEM certificate of the server")
    parser.add_argument("--key", help="PEM key of the certificate")
    parser.add_argument("--close-after", type=int, default=0, help="messages per connection")
    args = parser.parse_args()

    handler = Handler(args.maildir, args.user, args.password, args.refuse, args.discard,
                      args.reply_delay_ms / 1000, not args.no_pipelining, args.close_after)
    port = free_port()
    tls = {}
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.certificate, args.key)
        if args.tls == "starttls":
            tls = {"tls_context": context, "require_starttls": True}
        else:
            tls = {"ssl_context": context}
    controller = Controller(handler, hostname="127.0.0.1", port=port,
                            auth_require_tls=args.tls == "starttls",
                            auth_required=args.require_auth, authenticator=handler.check_login,
                            auth_exclude_mechanism=args.exclude, data_size_limit=10_000_000, **tls)
    controller.start()
    if args.latency_ms:
        port = start_relay(controller.loop, port, args.latency_ms / 1000)
    print("READY %d" % port, flush=True)
    stdin_closed = threading.Event()
    threading.Thread(target=lambda: (sys.stdin.read(), stdin_closed.set()), daemon=True).start()
    stdin_closed.wait(args.lifetime)
    controller.stop()


if __name__ == "__main__":
    main()
