#!/usr/bin/env python3
"""Creates the test mailbox's users by logging in as each, as a new user would, and leaves the
sysop's message for M0ABC. Run by fbb_peer.sh while the mailbox lets 127.0.0.1 in without a
password: a first login answers the mailbox's questions about the user, then NP sets the
password."""

import re
import socket
import sys
import time

PROMPT = rb"\(\d+\) GB7BBS BBS \(H for help\) >\r\n"
# The questions of a first login, and the answers.
QUESTIONS = {
    rb"first name :": "name",
    rb"City \(without ZIP code !\)\s*:": "city",
    rb"HomeBBS\s*:": "GB7BBS",
    rb"ZIP code\s*:": "00000",
}


class Session:
    def __init__(self, port, call):
        self.call = call
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.received = b""

    def expect(self, *patterns, seconds=10):
        """Waits for the first of the patterns; returns it and drops what came up to its end."""
        end = time.monotonic() + seconds
        while True:
            for pattern in patterns:
                found = re.search(pattern, self.received)
                if found:
                    self.received = self.received[found.end():]
                    return pattern
            left = end - time.monotonic()
            if left <= 0:
                sys.exit(f"{self.call}: no {patterns!r} in {self.received!r}")
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(4096)
            except socket.timeout:
                continue
            if not data:
                sys.exit(f"{self.call}: closed after {self.received!r}")
            self.received += data

    def send(self, *lines):
        for line in lines:
            self.sock.sendall(line.encode() + b"\r\n")

    def log_in(self, name, city):
        self.expect(rb"Callsign : ")
        self.send(self.call)
        answers = {**QUESTIONS, rb"first name :": name, rb"City \(without ZIP code !\)\s*:": city}
        while (asked := self.expect(PROMPT, *answers)) != PROMPT:
            self.send(answers[asked])

    def set_password(self, password):
        self.send("NP")
        self.expect(rb"old password :")
        self.send("")
        self.expect(rb"new password :")
        self.send(password)
        self.expect(rb"Once more :")
        self.send(password)
        self.expect(PROMPT)

    def send_private(self, to, title, lines):
        self.send(f"SP {to}")
        self.expect(rb"title for this message.*\r\n")
        self.send(title)
        self.expect(rb"end with Ctrl-Z or /EX.*\r\n")
        self.send(*lines, "/EX")
        self.expect(PROMPT)

    def leave(self):
        self.send("B")
        try:
            self.expect(rb"welcome back\.\r\n", seconds=5)
        except SystemExit:
            pass
        self.sock.close()


def main():
    port = int(sys.argv[1])
    # The sysop first, so that the message is number 101.
    sysop = Session(port, "G7SYS")
    sysop.log_in("Sam", "London")
    sysop.set_password("SYS123")
    sysop.send_private("M0ABC", "Sysop notice", ["Hello Alice,", "the BBS is open for tests.", "73 Sam"])
    sysop.leave()
    user = Session(port, "M0ABC")
    user.log_in("Alice", "London")
    user.set_password("ABC123")
    user.leave()
    print("created G7SYS and M0ABC")


main()
