"""TLS for the SQL Server stand-in, as SQL Server speaks it: the handshake
travels inside TDS pre-login packets, then TLS records flow straight over the
socket, for the whole session or (when both sides said "encryption off") for
the login packet alone. What clients send can be captured before decryption.
"""

import os
import ssl
import struct
import subprocess
import threading

from tds_tokens import PKT_PRELOGIN, STATUS_EOM

# The encryption byte of the pre-login exchange.
ENCRYPT_OFF, ENCRYPT_ON, ENCRYPT_NOT_SUP, ENCRYPT_REQ = 0, 1, 2, 3


def server_context(folder, certificate):
    """A server context with a certificate for 127.0.0.1 that openssl makes
    (its key in folder, the certificate in the file certificate)."""
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", certificate],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    # SQL Server wraps at most TLS 1.2 in its pre-login packets, and FreeTDS
    # 1.3 would not send the last flight of a TLS 1.3 handshake wrapped.
    context.maximum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(certificate, key)
    return context


class Capture:
    """Appends the raw bytes clients send to a file (none: keeps nothing)."""

    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "ab") if path else None

    def write(self, data):
        if self.file is not None:
            with self.lock:
                self.file.write(data)
                self.file.flush()


class Channel:
    """recv and sendall over a client's socket, in clear or through TLS."""

    def __init__(self, sock, capture):
        self.sock, self.capture, self.tls = sock, capture, None

    def raw_recv(self, n):
        data = self.sock.recv(n)
        self.capture.write(data)
        return data

    def recv(self, n):
        while self.tls is not None:
            try:
                return self.tls.read(n)
            except ssl.SSLWantReadError:
                data = self.raw_recv(16384)
                if not data:
                    return b""
                self.incoming.write(data)
        return self.raw_recv(n)

    def sendall(self, data):
        if self.tls is None:
            self.sock.sendall(data)
        else:
            self.tls.write(data)
            self.sock.sendall(self.outgoing.read())

    def start_tls(self, context, read_message):
        """The server's side of the handshake; read_message() reads one TDS
        message in clear."""
        self.incoming, self.outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)
        while True:
            try:
                tls.do_handshake()
                break
            except ssl.SSLWantReadError:
                self.send_prelogin(self.outgoing.read())
                kind, payload = read_message()
                if kind != PKT_PRELOGIN:
                    raise ConnectionError("TLS handshake: packet type 0x%02X" % kind)
                self.incoming.write(payload)
        self.send_prelogin(self.outgoing.read())
        self.tls = tls

    def send_prelogin(self, data):
        if data:
            self.sock.sendall(
                struct.pack(">BBHHBB", PKT_PRELOGIN, STATUS_EOM, len(data) + 8, 0, 0, 0) + data)
