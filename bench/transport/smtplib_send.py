"""Sends every message file of a folder with Python's smtplib, one connection each, and prints
the elapsed seconds. The baseline the SMTP benchmark compares itself with. With "--starttls CAFILE"
each connection is encrypted by starttls(), the server's certificate verified against CAFILE."""
import os
import smtplib
import ssl
import sys
import time


def main(folder, host, port, tls=None, cafile=None):
    context = ssl.create_default_context(cafile=cafile) if tls == "--starttls" else None
    names = sorted(os.listdir(folder))
    messages = []
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            messages.append(f.read())
    start = time.perf_counter()
    for message in messages:
        with smtplib.SMTP(host, int(port)) as smtp:
            if context:
                smtp.starttls(context=context)
            smtp.sendmail("upominky@dodavatel.cz", ["odberatel@firma.cz"], message)
    print("%.6f" % (time.perf_counter() - start))


if __name__ == "__main__":
    main(*sys.argv[1:])
