"""Sends every message file of a folder with Python's smtplib, one connection each, and prints
the elapsed seconds. The baseline the SMTP benchmark compares itself with."""
import os
import smtplib
import sys
import time


def main(folder, host, port):
    names = sorted(os.listdir(folder))
    messages = []
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            messages.append(f.read())
    start = time.perf_counter()
    for message in messages:
        with smtplib.SMTP(host, int(port)) as smtp:
            smtp.sendmail("upominky@dodavatel.cz", ["odberatel@firma.cz"], message)
    print("%.6f" % (time.perf_counter() - start))


if __name__ == "__main__":
    main(*sys.argv[1:])
