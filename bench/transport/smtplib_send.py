"""Sends every message file of a folder with Python's smtplib, one connection each, and prints
the elapsed seconds. The baseline the SMTP benchmarks compare themselves with. With "--starttls CAFILE"
each connection is encrypted by starttls(), the server's certificate verified against CAFILE; with
"--one-connection" all messages go over a single connection, as a bulk run sends them."""
import os
import smtplib
import ssl
import sys
import time


def main(folder, host, port, mode=None, cafile=None):
    context = ssl.create_default_context(cafile=cafile) if mode == "--starttls" else None
    names = sorted(os.listdir(folder))
    messages = []
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            messages.append(f.read())
    start = time.perf_counter()
    if mode == "--one-connection":
        with smtplib.SMTP(host, int(port)) as smtp:
            for message in messages:
                smtp.sendmail("upominky@dodavatel.cz", ["odberatel@firma.cz"], message)
        print("%.6f" % (time.perf_counter() - start))
        return
    for message in messages:
        with smtplib.SMTP(host, int(port)) as smtp:
            if context:
                smtp.starttls(context=context)
            smtp.sendmail("upominky@dodavatel.cz", ["odberatel@firma.cz"], message)
    print("%.6f" % (time.perf_counter() - start))


if __name__ == "__main__":
    main(*sys.argv[1:])
