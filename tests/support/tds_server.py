#!/usr/bin/env python3
"""A SQL Server stand-in for the tests, the demo and the benchmarks.

Speaks TDS 7.4 on 127.0.0.1 well enough for the FreeTDS ODBC driver: pre-login
(and TLS, tds_tls.py), LOGIN7, SQL batches, RPC requests (sp_executesql,
sp_prepexec, sp_prepare, sp_execute, sp_unprepare) and attention. The answers
come from a JSON script, or from an SQLite database file (tds_sqlite.py says
how its statements are translated and its columns typed); every request can
be recorded as one JSON line.

Usage:
    tds_server.py --script SCRIPT.json [--record RECORD.jsonl]
                  [--mode normal|close|silent] [--lifetime SECONDS] [--latency-ms N]
    tds_server.py --sqlite FILE.db [--record RECORD.jsonl] [--lifetime SECONDS]
                  [--latency-ms N]
  either with [--login USER:PASSWORD] [--tls [force|offer]] [--certificate FILE.pem]
             [--capture FILE.bin]

Prints "PORT <n>" (the port the OS chose) and serves until it is killed, its
standard input reaches end of file (its parent is gone) or the lifetime
(default 120 s, 0 for none) is over. Mode "close" accepts connections and
closes them at once; "silent" accepts them and never answers. --latency-ms
holds every answer back for N ms, as a WAN link to head office would.
--login refuses other log-ins with error 18456. --tls gives the server a
certificate (openssl makes it at start; --certificate says where it goes):
"force" (the default) answers each client that can encrypt with "encryption
on", as a server that forces encryption does; "offer" answers a client's
"off" with "off" (TLS for the login packet alone) and its "on" with "on".
--capture appends every byte clients send, before decryption, to a file.

Script (re-read at every new connection, so a test may change it between
connections):

    {
      "login": {"reject": false, "user": "sa", "password": "pw",
                "database": "db", "message": "..."},
      "rules": [
        {"match": "(?i)select .* from 部门",
         "columns": [{"name": "名称", "type": "nvarchar", "size": 50},
                     {"name": "金额", "type": "decimal(18,2)"}],
         "rows": [["总部", "12.50"], [null, null]]},
        {"match": "不存在的表",
         "error": {"number": 208, "message": "对象名 'x' 无效。",
                   "state": 1, "class": 16}}
      ]
    }

  login     optional. "reject": true refuses every log-in; "user",
            "password" and "database" (each optional) refuse log-ins with
            other values. A refusal is error 18456 "Login failed for user
            '<user>'." unless "message" says otherwise.
  rules     tried in order against the statement text (Python re.search,
            dot matches newline); the first match answers. Statements no rule
            matches (the driver's own SET statements, say) get an empty DONE.
            For sp_executesql and the prepare procedures the statement text is
            the @stmt parameter, i.e. with "?" already replaced by @P1, @P2...
  params    optional: the rule answers only a statement whose bound values
            (as recorded, after the statement text and its declarations) are
            exactly these, e.g. ["D01", "202601"]; a batch has none. Lets one
            statement text get a different answer per department.
  columns   name, type and its arguments, either as "size" / "precision" /
            "scale" keys or in the type: "nvarchar(50)", "decimal(18,3)".
            Types: nvarchar(n|max), nchar(n), varchar(n|max), char(n) (single
            byte text in code page 936, the collation is Chinese_PRC_CI_AS),
            ntext, text, tinyint, smallint, int, bigint, decimal(p,s),
            numeric(p,s), money, smallmoney, datetime, smalldatetime, bit,
            float, real.
  rows      one list per row; null is NULL. Decimals, money and dates are
            best given as text ("1234.50", "2026-03-05 14:30:00.123").
  error     one object or a list of them (several diagnostic records);
            "state" defaults to 1 and "class" to 16. With "columns" the
            error follows the rows, as when a statement fails half-way.
  rowcount  optional, for rules without columns: the count in the DONE.
  delay     optional: seconds to wait before answering (a slow statement).

Record (one JSON object per line, written before the answer is sent):

    {"kind": "prelogin", "encryption": n}   (the client's byte: 0 off, 1 on, 2 none)
    {"kind": "login", "user": .., "password": .., "database": .., "app": ..,
     "host": .., "server": .., "packetSize": n, "tdsVersion": "0x74000004"}
    {"kind": "batch", "sql": ".."}
    {"kind": "rpc", "proc": "sp_executesql", "procId": 10, "sql": "..",
     "params": [{"name": "@P1", "type": "nvarchar", "value": "..", "output": false}]}
    {"kind": "attention"}

Parameter values are recorded as text (null for NULL): numbers in decimal,
dates as "yyyy-mm-dd hh:mm:ss.fff", binary as hex.
"""

import argparse
import decimal
import os
import re
import select
import socket
import struct
import sys
import tempfile
import threading
import time

import tds_sqlite
import tds_tls
from tds_requests import (
    Reader, Recorder, bound_values, load_script, parse_login, parse_rpc, skip_all_headers)
from tds_tokens import (
    CHINESE_PRC_CI_AS, DEFAULT_PACKET_SIZE, DONE_ATTN, DONE_COUNT, DONE_ERROR, DONE_FINAL,
    DONE_MORE, PKT_ATTENTION, PKT_LOGIN7, PKT_PRELOGIN, PKT_REPLY, PKT_RPC, PKT_SQL_BATCH,
    STATUS_EOM, TOK_DONE, TOK_DONEINPROC, TOK_DONEPROC, TOK_ERROR, TOK_LOGINACK,
    TOK_RETURNSTATUS, TOK_RETURNVALUE, ProtocolError, b_varchar, done, env_change, error_tokens,
    message_token, result_set, token)


class Session:
    """One client connection, served request by request until it closes."""

    def __init__(self, sock, options, recorder, deadline):
        self.sock = sock
        self.channel = tds_tls.Channel(sock, options.capture)
        self.login_only_tls = False
        self.options = options
        self.recorder = recorder
        self.deadline = deadline
        self.script = load_script(options.script) if options.script else {}
        self.database = tds_sqlite.SqliteDatabase(options.sqlite) if options.sqlite else None
        self.packet_size = DEFAULT_PACKET_SIZE
        self.prepared = {}

    def recv_exact(self, n):
        data = b""
        while len(data) < n:
            if time.monotonic() > self.deadline:
                raise ConnectionError("server lifetime is over")
            try:
                chunk = self.channel.recv(n - len(data))
            except socket.timeout:
                continue
            if not chunk:
                raise ConnectionError("client closed the connection")
            data += chunk
        return data

    def read_message(self):
        """One request message, reassembled from its packets."""
        payload = b""
        for _ in range(100000):
            header = self.recv_exact(8)
            kind, status, length = struct.unpack(">BBH", header[:4])
            if length < 8:
                raise ProtocolError("bad packet length %d" % length)
            payload += self.recv_exact(length - 8)
            if status & STATUS_EOM:
                return kind, payload
        raise ProtocolError("message too long")

    def send(self, kind, data):
        room = self.packet_size - 8
        chunks = [data[i:i + room] for i in range(0, len(data), room)] or [b""]
        if self.options.latency_ms > 0:
            time.sleep(self.options.latency_ms / 1000.0)
        out = b""
        for i, chunk in enumerate(chunks):
            status = STATUS_EOM if i == len(chunks) - 1 else 0
            out += struct.pack(">BBHHBB", kind, status, len(chunk) + 8, 51, (i + 1) % 256, 0)
            out += chunk
        self.channel.sendall(out)

    def serve(self):
        for _ in range(1000000):
            kind, payload = self.read_message()
            handler = {PKT_PRELOGIN: self.on_prelogin, PKT_LOGIN7: self.on_login,
                       PKT_SQL_BATCH: self.on_batch, PKT_RPC: self.on_rpc,
                       PKT_ATTENTION: self.on_attention}.get(kind)
            if handler is None:
                raise ProtocolError("packet type 0x%02X is not supported" % kind)
            if handler(payload) is False:
                return

    def on_prelogin(self, payload):
        offered = client_encryption(payload)
        self.recorder.write({"kind": "prelogin", "encryption": offered})
        answer = self.encryption_answer(offered)
        options = [
            (0x00, struct.pack(">BBHH", 16, 0, 1000, 0)),  # version 16.0.1000
            (0x01, bytes([answer])),
            (0x02, b"\x00"),  # instance: accepted
            (0x03, b""),  # thread id
            (0x04, b"\x00"),  # no MARS
        ]
        offset = 5 * len(options) + 1
        head, body = b"", b""
        for option, value in options:
            head += struct.pack(">BHH", option, offset + len(body), len(value))
            body += value
        self.send(PKT_REPLY, head + b"\xFF" + body)
        if answer == tds_tls.ENCRYPT_REQ:
            return False  # the client cannot encrypt: the server hangs up
        if answer in (tds_tls.ENCRYPT_ON, tds_tls.ENCRYPT_OFF):
            self.channel.start_tls(self.options.tls_context, self.read_message)
            self.login_only_tls = answer == tds_tls.ENCRYPT_OFF
        return None

    def encryption_answer(self, offered):
        """What SQL Server answers to the client's encryption byte."""
        if self.options.tls is None:
            return tds_tls.ENCRYPT_NOT_SUP
        if offered == tds_tls.ENCRYPT_NOT_SUP:
            return tds_tls.ENCRYPT_REQ if self.options.tls == "force" else tds_tls.ENCRYPT_NOT_SUP
        if self.options.tls == "force":
            return tds_tls.ENCRYPT_ON
        return offered

    def on_login(self, payload):
        if self.login_only_tls:
            self.channel.tls = None  # the answer and all after it go in clear
        login = parse_login(payload)
        self.recorder.write(dict(kind="login", **login))
        rules = dict(self.script.get("login", {}))
        if self.options.login is not None:
            rules["user"], _, rules["password"] = self.options.login.partition(":")
        refused = bool(rules.get("reject")) or any(
            key in rules and rules[key] != login[key] for key in ("user", "password", "database"))
        if refused:
            message = rules.get("message", "Login failed for user '%s'." % login["user"])
            self.send(PKT_REPLY, message_token(TOK_ERROR, 18456, message, 1, 14) +
                      done(TOK_DONE, DONE_ERROR))
            return False
        if login["packetSize"] >= 512:
            self.packet_size = min(login["packetSize"], 32767)
        database = login["database"] or "master"
        out = env_change(1, b_varchar(database), b_varchar("master"))
        out += env_change(7, struct.pack("<B", 5) + CHINESE_PRC_CI_AS, b"\x00")
        out += env_change(2, b_varchar("简体中文"), b_varchar(""))
        ack = struct.pack("<B", 1) + bytes([0x74, 0x00, 0x00, 0x04])
        ack += b_varchar("Microsoft SQL Server") + bytes([16, 0, 0x03, 0xE8])
        out += token(TOK_LOGINACK, ack)
        out += env_change(4, b_varchar(str(self.packet_size)), b_varchar(str(DEFAULT_PACKET_SIZE)))
        self.send(PKT_REPLY, out + done(TOK_DONE, DONE_FINAL))

    def find_rule(self, sql, values):
        for rule in self.script.get("rules", []):
            if "params" in rule and rule["params"] != values:
                continue
            if re.search(rule["match"], sql, re.S):
                return rule
        return None

    def answer(self, sql, bound, done_token, more):
        """The tokens that answer one statement with its bound values
        [(name, value)], ending in done_token, and whether the statement failed."""
        flags = DONE_MORE if more else DONE_FINAL
        if self.database is not None:
            return self.answer_from_database(sql, bound, done_token, flags)
        rule = self.find_rule(sql, [v for _, v in bound]) if sql is not None else None
        if rule is None:
            return done(done_token, flags), False
        # A slow statement: bounded by the server's own lifetime, and cut short
        # by the client's attention (a cancel or a query time-out).
        self.wait_unless_cancelled(
            max(0.0, min(float(rule.get("delay", 0)), self.deadline - time.monotonic())))
        tokens, count = b"", int(rule.get("rowcount", 0))
        if "columns" in rule:
            try:
                tokens, count = result_set(rule)
            except (ValueError, TypeError, KeyError, decimal.InvalidOperation) as e:
                # A fault in the script: tell the test instead of hanging up.
                fault = {"number": 50000, "message": "tds_server script: %s" % e}
                return error_tokens(fault) + done(done_token, flags | DONE_ERROR), True
        if "error" in rule:
            # After the rows, if any: a statement can fail half-way through its result.
            return tokens + error_tokens(rule["error"]) + done(done_token, flags | DONE_ERROR), True
        counted = DONE_COUNT if "columns" in rule or "rowcount" in rule else 0
        return tokens + done(done_token, flags | counted, count), False

    def answer_from_database(self, sql, bound, done_token, flags):
        if sql is None:
            return done(done_token, flags), False
        # The driver names the values @P1, @P2 ... in the order it binds them.
        params = {(name.lstrip("@") or "P%d" % (k + 1)): value
                  for k, (name, value) in enumerate(bound)}
        try:
            columns, rows = self.database.run(sql, params)
            if columns is None:
                return done(done_token, flags), False
            try:
                tokens, count = result_set({"columns": columns, "rows": rows})
            except (ValueError, TypeError, decimal.InvalidOperation, OverflowError) as e:
                raise tds_sqlite.SqlServerError(245, "转换数据类型时失败：%s" % e)
        except tds_sqlite.SqlServerError as e:
            fault = {"number": e.number, "message": e.message, "class": e.severity}
            return error_tokens(fault) + done(done_token, flags | DONE_ERROR), True
        return tokens + done(done_token, flags | DONE_COUNT, count), False

    def wait_unless_cancelled(self, seconds):
        """Waits, unless an attention arrives first: then raises Cancelled."""
        end = time.monotonic() + seconds
        for _ in range(100000):
            left = end - time.monotonic()
            if left <= 0:
                return
            readable, _, _ = select.select([self.sock], [], [], min(left, 0.1))
            if readable:
                kind, _ = self.read_message()
                if kind == PKT_ATTENTION:
                    raise Cancelled()
                raise ProtocolError("a request arrived while a statement was running")

    def on_batch(self, payload):
        r = Reader(payload)
        skip_all_headers(r)
        sql = r.take(r.left()).decode("utf-16-le", "replace")
        self.recorder.write({"kind": "batch", "sql": sql})
        try:
            self.send(PKT_REPLY, self.answer(sql, [], TOK_DONE, False)[0])
        except Cancelled:
            self.on_attention(b"")

    def on_rpc(self, payload):
        calls = parse_rpc(payload)
        out = b""
        try:
            for i, (proc, proc_id, params) in enumerate(calls):
                sql, handle = self.statement_of(proc, params)
                self.recorder.write({"kind": "rpc", "proc": proc, "procId": proc_id, "sql": sql,
                                     "params": params})
                out += self.call_result(proc, sql, bound_values(proc, params), handle,
                                        i < len(calls) - 1)
        except Cancelled:
            # The statement was abandoned: only the attention's acknowledgement goes back.
            self.on_attention(b"")
            return
        self.send(PKT_REPLY, out)

    def statement_of(self, proc, params):
        """The statement text a call runs and its prepared handle, if any."""
        values = [p["value"] for p in params]
        if proc == "sp_executesql":
            return (values[0] if values else None), None
        if proc in ("sp_prepare", "sp_prepexec"):
            handle = len(self.prepared) + 1
            self.prepared[handle] = values[2] if len(values) > 2 else None
            return self.prepared[handle], handle
        if proc == "sp_execute":
            return self.prepared.get(int(values[0] or 0)) if values else None, None
        if proc == "sp_unprepare":
            return None, None
        return proc, None

    def call_result(self, proc, sql, values, handle, more):
        flags = DONE_MORE if more else DONE_FINAL
        out, failed = b"", False
        if proc != "sp_prepare":
            out, failed = self.answer(sql, values, TOK_DONEINPROC, True)
        out += struct.pack("<Bi", TOK_RETURNSTATUS, 1 if failed else 0)
        if handle is not None:
            # The new handle goes back in the first (output) parameter.
            body = struct.pack("<H", 0) + b_varchar("@handle") + struct.pack("<BIH", 1, 0, 0)
            body += struct.pack("<BB", 0x26, 4) + struct.pack("<Bi", 4, handle)
            out += bytes([TOK_RETURNVALUE]) + body
        return out + done(TOK_DONEPROC, flags | (DONE_ERROR if failed else 0))

    def on_attention(self, payload):
        self.recorder.write({"kind": "attention"})
        self.send(PKT_REPLY, done(TOK_DONE, DONE_ATTN))


def client_encryption(payload):
    """The encryption byte of a client's pre-login (2, none, when absent)."""
    for i in range(0, len(payload) - 4, 5):
        option, offset, length = struct.unpack(">BHH", payload[i:i + 5])
        if option == 0xFF:
            break
        if option == 0x01 and length >= 1 and offset < len(payload):
            return payload[offset]
    return tds_tls.ENCRYPT_NOT_SUP


class Cancelled(Exception):
    """The client sent an attention while a statement was running."""


def handle_client(sock, options, recorder, deadline):
    try:
        sock.settimeout(0.5)
        if options.mode == "close":
            return
        if options.mode == "silent":
            for _ in range(1000000):
                if time.monotonic() > deadline:
                    return
                try:
                    if not sock.recv(4096):
                        return
                except socket.timeout:
                    continue
            return
        Session(sock, options, recorder, deadline).serve()
    except (ConnectionError, OSError):
        pass
    except Exception as e:  # a fault of ours or of the script: say so and drop the client
        print("tds_server: %s: %s" % (type(e).__name__, e), file=sys.stderr, flush=True)
    finally:
        sock.close()


def watch_stdin(stop):
    """Ends the server when its parent goes away and our standard input closes."""
    try:
        while sys.stdin.buffer.read(4096):
            pass
    except (OSError, ValueError):
        pass
    stop.set()


def main():
    parser = argparse.ArgumentParser(description="A SQL Server stand-in speaking TDS 7.4.")
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--script")
    source.add_argument("--sqlite")
    parser.add_argument("--record")
    parser.add_argument("--mode", choices=("normal", "close", "silent"), default="normal")
    parser.add_argument("--lifetime", type=float, default=120.0)
    parser.add_argument("--latency-ms", type=float, default=0.0)
    parser.add_argument("--login")
    parser.add_argument("--tls", nargs="?", const="force", choices=("force", "offer"))
    parser.add_argument("--certificate")
    parser.add_argument("--capture")
    options = parser.parse_args()
    # Fail early on a broken script or a file that is not a database.
    if options.script:
        load_script(options.script)
    else:
        tds_sqlite.SqliteDatabase(options.sqlite)

    recorder = Recorder(options.record)
    options.capture = tds_tls.Capture(options.capture)
    key_folder = tempfile.TemporaryDirectory()
    if options.tls:
        options.tls_context = tds_tls.server_context(
            key_folder.name, options.certificate or os.path.join(key_folder.name, "cert.pem"))
    deadline = time.monotonic() + (options.lifetime if options.lifetime > 0 else float("inf"))
    stop = threading.Event()
    threading.Thread(target=watch_stdin, args=(stop,), daemon=True).start()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    listener.settimeout(0.2)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    while not stop.is_set() and time.monotonic() < deadline:
        try:
            sock, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=handle_client, args=(sock, options, recorder, deadline),
                         daemon=True).start()
    listener.close()


if __name__ == "__main__":
    main()
