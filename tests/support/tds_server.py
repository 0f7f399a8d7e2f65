#!/usr/bin/env python3
"""A SQL Server stand-in for the tests, the demo and the benchmarks.

Speaks TDS 7.4 on 127.0.0.1 well enough for the FreeTDS ODBC driver: pre-login
without encryption, LOGIN7, SQL batches, RPC requests (sp_executesql,
sp_prepexec, sp_prepare, sp_execute, sp_unprepare) and attention. The answers
come from a JSON script, or from an SQLite database file (tds_sqlite.py says
how its statements are translated and its columns typed); every request can
be recorded as one JSON line.

Usage:
    tds_server.py --script SCRIPT.json [--record RECORD.jsonl]
                  [--mode normal|close|silent] [--lifetime SECONDS] [--latency-ms N]
    tds_server.py --sqlite FILE.db [--record RECORD.jsonl] [--lifetime SECONDS]
                  [--latency-ms N]

Prints "PORT <n>" (the port the OS chose) and serves until it is killed, its
standard input reaches end of file (its parent is gone) or the lifetime
(default 120 s, 0 for none) is over. Mode "close" accepts connections and
closes them at once; "silent" accepts them and never answers. --latency-ms
holds every answer back for N ms, as a WAN link to head office would.

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

    {"kind": "prelogin"}
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
import datetime
import decimal
import json
import re
import select
import socket
import struct
import sys
import threading
import time

import tds_sqlite

# Packet types.
PKT_SQL_BATCH = 0x01
PKT_RPC = 0x03
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12
STATUS_EOM = 0x01

# Tokens of the answer stream.
TOK_COLMETADATA = 0x81
TOK_ROW = 0xD1
TOK_RETURNSTATUS = 0x79
TOK_RETURNVALUE = 0xAC
TOK_ERROR = 0xAA
TOK_LOGINACK = 0xAD
TOK_ENVCHANGE = 0xE3
TOK_DONE = 0xFD
TOK_DONEPROC = 0xFE
TOK_DONEINPROC = 0xFF

DONE_FINAL = 0x00
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

# Chinese_PRC_CI_AS: LCID 0x0804, case-, kana- and width-insensitive, sort id 0.
CHINESE_PRC_CI_AS = struct.pack("<IB", 0x0804 | 0x00D00000, 0)
SERVER_CODEC = "gbk"
SERVER_NAME = "NBRTEST"
DEFAULT_PACKET_SIZE = 4096
PLP_NULL = 0xFFFFFFFFFFFFFFFF
PLP_UNKNOWN = 0xFFFFFFFFFFFFFFFE

# Well-known procedures a client may call by number instead of by name.
PROC_NAMES = {
    1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
    5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch",
    8: "sp_cursoroption", 9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare",
    12: "sp_execute", 13: "sp_prepexec", 14: "sp_prepexecrpc", 15: "sp_unprepare",
}

EPOCH_1900 = datetime.datetime(1900, 1, 1)


class ProtocolError(Exception):
    pass


# ---------------------------------------------------------------- encoding


def b_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<B", len(data) // 2) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def token(tok, body):
    """A token with a two-byte length in front of its body."""
    return struct.pack("<BH", tok, len(body)) + body


def done(tok, status, count=0):
    return struct.pack("<BHHQ", tok, status, 0xC1, count)


def message_token(tok, number, text, state, cls):
    body = struct.pack("<iBB", number, state, cls) + us_varchar(text)
    body += b_varchar(SERVER_NAME) + b_varchar("") + struct.pack("<i", 1)
    return token(tok, body)


def env_change(kind, new, old):
    return token(TOK_ENVCHANGE, struct.pack("<B", kind) + new + old)


def plp(data):
    """A value of a (max) type: total length, one chunk, terminator."""
    if data is None:
        return struct.pack("<Q", PLP_NULL)
    out = struct.pack("<Q", len(data))
    if data:
        out += struct.pack("<I", len(data)) + data
    return out + struct.pack("<I", 0)


# Enough digits for decimal(38, s) and money, whatever the thread's context.
DECIMALS = decimal.Context(prec=60)


def to_units(value, scale):
    """The value as a whole number of 10**-scale units, rounded half away from zero."""
    scaled = DECIMALS.scaleb(decimal.Decimal(str(value)), scale)
    return int(scaled.to_integral_value(decimal.ROUND_HALF_UP, DECIMALS))


def decimal_size(precision):
    for limit, size in ((9, 5), (19, 9), (28, 13), (38, 17)):
        if precision <= limit:
            return size
    raise ValueError("precision %d is too large" % precision)


def parse_datetime(value):
    text = str(value).strip().replace("T", " ")
    for fmt in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            return datetime.datetime.strptime(text, fmt)
        except ValueError:
            continue
    raise ValueError("not a date: %r" % value)


class ColumnType:
    """One column type of the script: its TYPE_INFO bytes and value encoder."""

    def __init__(self, definition):
        type_text = str(definition["type"]).strip().lower()
        args = []
        m = re.fullmatch(r"(\w+)\s*\(([^)]*)\)", type_text)
        if m:
            type_text = m.group(1)
            args = [a.strip() for a in m.group(2).split(",")]
        size = definition.get("size", args[0] if args else None)
        self.name = type_text
        self.is_max = str(size).lower() == "max"
        self.size = 0 if self.is_max or size is None else int(size)
        decimal_type = type_text in ("decimal", "numeric")
        self.precision = int(definition.get("precision", args[0] if decimal_type and args else 18))
        self.scale = int(definition.get("scale", args[1] if decimal_type and len(args) > 1 else 0))
        builders = {
            "nvarchar": self._nvarchar, "nchar": self._nvarchar, "varchar": self._varchar,
            "char": self._varchar, "ntext": self._text, "text": self._text,
            "tinyint": self._int, "smallint": self._int, "int": self._int, "bigint": self._int,
            "decimal": self._decimal, "numeric": self._decimal, "money": self._money,
            "smallmoney": self._money, "datetime": self._datetime,
            "smalldatetime": self._datetime, "bit": self._bit, "float": self._float,
            "real": self._float,
        }
        if type_text not in builders:
            raise ValueError("unknown column type %r" % definition["type"])
        self.type_info, self.encode = builders[type_text]()
        # Text columns carry the table they come from in their metadata.
        self.table_name = b"\x01" + us_varchar("t") if type_text in ("ntext", "text") else b""

    def _nvarchar(self):
        code = 0xE7 if self.name == "nvarchar" else 0xEF
        max_len = 0xFFFF if self.is_max else (self.size or 1) * 2
        fixed = self.name == "nchar"

        def encode(v):
            if self.is_max:
                return plp(None if v is None else str(v).encode("utf-16-le"))
            if v is None:
                return struct.pack("<H", 0xFFFF)
            text = str(v).ljust(self.size) if fixed else str(v)
            data = text.encode("utf-16-le")
            if len(data) > max_len:
                raise ValueError("%r does not fit %s(%d)" % (v, self.name, self.size))
            return struct.pack("<H", len(data)) + data

        return struct.pack("<BH", code, max_len) + CHINESE_PRC_CI_AS, encode

    def _varchar(self):
        code = 0xA7 if self.name == "varchar" else 0xAF
        max_len = 0xFFFF if self.is_max else (self.size or 1)
        fixed = self.name == "char"

        def encode(v):
            if self.is_max:
                return plp(None if v is None else str(v).encode(SERVER_CODEC))
            if v is None:
                return struct.pack("<H", 0xFFFF)
            data = str(v).encode(SERVER_CODEC)
            if fixed:
                data = data.ljust(self.size, b" ")
            if len(data) > max_len:
                raise ValueError("%r does not fit %s(%d)" % (v, self.name, self.size))
            return struct.pack("<H", len(data)) + data

        return struct.pack("<BH", code, max_len) + CHINESE_PRC_CI_AS, encode

    def _text(self):
        code, codec = (0x63, "utf-16-le") if self.name == "ntext" else (0x23, SERVER_CODEC)

        def encode(v):
            if v is None:
                return b"\x00"
            data = str(v).encode(codec)
            # Text pointer (16 bytes) and time stamp (8 bytes) before the data.
            return b"\x10" + b"\x01" * 16 + b"\x00" * 8 + struct.pack("<I", len(data)) + data

        return struct.pack("<BI", code, 0x7FFFFFFF) + CHINESE_PRC_CI_AS, encode

    def _int(self):
        size = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}[self.name]
        fmt = {1: "<B", 2: "<h", 4: "<i", 8: "<q"}[size]

        def encode(v):
            if v is None:
                return b"\x00"
            return struct.pack("<B", size) + struct.pack(fmt, int(v))

        return struct.pack("<BB", 0x26, size), encode

    def _decimal(self):
        code = 0x6A if self.name == "decimal" else 0x6C
        size = decimal_size(self.precision)

        def encode(v):
            if v is None:
                return b"\x00"
            scaled = to_units(v, self.scale)
            sign = 0 if scaled < 0 else 1
            return struct.pack("<BB", size, sign) + abs(scaled).to_bytes(size - 1, "little")

        return struct.pack("<BBBB", code, size, self.precision, self.scale), encode

    def _money(self):
        size = 8 if self.name == "money" else 4

        def encode(v):
            if v is None:
                return b"\x00"
            units = to_units(v, 4)
            if size == 4:
                return struct.pack("<Bi", 4, units)
            # Eight-byte money goes high half first.
            return struct.pack("<BiI", 8, units >> 32, units & 0xFFFFFFFF)

        return struct.pack("<BB", 0x6E, size), encode

    def _datetime(self):
        size = 8 if self.name == "datetime" else 4

        def encode(v):
            if v is None:
                return b"\x00"
            when = parse_datetime(v)
            days = (when.date() - EPOCH_1900.date()).days
            midnight = datetime.datetime.combine(when.date(), datetime.time())
            if size == 4:
                return struct.pack("<BHH", 4, days, (when - midnight).seconds // 60)
            # Time of day in 1/300 s ticks.
            micro = (when - midnight) // datetime.timedelta(microseconds=1)
            ticks = (micro * 300 + 500000) // 1000000
            return struct.pack("<BiI", 8, days, ticks)

        return struct.pack("<BB", 0x6F, size), encode

    def _bit(self):
        def encode(v):
            if v is None:
                return b"\x00"
            flag = v if isinstance(v, bool) else str(v).strip().lower() in ("1", "true", "-1")
            return struct.pack("<BB", 1, 1 if flag else 0)

        return struct.pack("<BB", 0x68, 1), encode

    def _float(self):
        size, fmt = (8, "<d") if self.name == "float" else (4, "<f")

        def encode(v):
            if v is None:
                return b"\x00"
            return struct.pack("<B", size) + struct.pack(fmt, float(v))

        return struct.pack("<BB", 0x6D, size), encode


def result_set(rule):
    columns = [ColumnType(c) for c in rule["columns"]]
    meta = struct.pack("<BH", TOK_COLMETADATA, len(columns))
    for definition, col in zip(rule["columns"], columns):
        # User type 0, flags: nullable.
        meta += struct.pack("<IH", 0, 0x0001) + col.type_info + col.table_name
        meta += b_varchar(definition["name"])
    rows = [meta]
    for row in rule.get("rows", []):
        if len(row) != len(columns):
            raise ValueError("row %r does not have %d values" % (row, len(columns)))
        rows.append(bytes([TOK_ROW]) + b"".join(c.encode(v) for c, v in zip(columns, row)))
    return b"".join(rows), len(rule.get("rows", []))


def error_tokens(error):
    errors = error if isinstance(error, list) else [error]
    return b"".join(message_token(TOK_ERROR, int(e.get("number", 50000)), str(e["message"]),
                                  int(e.get("state", 1)), int(e.get("class", 16)))
                    for e in errors)


# ---------------------------------------------------------------- decoding


class Reader:
    """Walks a request message; running off its end is a protocol error."""

    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def left(self):
        return len(self.data) - self.pos

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise ProtocolError("message ends early")
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def unpack(self, fmt):
        values = struct.unpack(fmt, self.take(struct.calcsize(fmt)))
        return values[0] if len(values) == 1 else values

    def ucs2(self, chars):
        return self.take(chars * 2).decode("utf-16-le", "replace")


def skip_all_headers(reader):
    total = reader.unpack("<I")
    if total < 4 or total - 4 > reader.left():
        raise ProtocolError("bad ALL_HEADERS length %d" % total)
    reader.take(total - 4)


def codec_of(collation):
    if collation is None:
        return SERVER_CODEC
    lcid = struct.unpack("<I", collation[:4])[0] & 0xFFFFF
    return {0x0804: "gbk", 0x0404: "big5", 0x0411: "cp932", 0x0412: "cp949"}.get(lcid, "cp1252")


FIXED_TYPES = {
    0x1F: ("null", 0), 0x30: ("tinyint", 1), 0x32: ("bit", 1), 0x34: ("smallint", 2),
    0x38: ("int", 4), 0x7F: ("bigint", 8), 0x3B: ("real", 4), 0x3E: ("float", 8),
    0x3C: ("money", 8), 0x7A: ("smallmoney", 4), 0x3D: ("datetime", 8),
    0x3A: ("smalldatetime", 4),
}
BYTELEN_TYPES = {
    0x26: "int", 0x68: "bit", 0x6D: "float", 0x6E: "money", 0x6F: "datetime",
    0x24: "uniqueidentifier", 0x6A: "decimal", 0x6C: "numeric", 0x27: "varchar", 0x2F: "char",
    0x25: "varbinary", 0x2D: "binary",
}
USHORTLEN_TYPES = {
    0xE7: "nvarchar", 0xEF: "nchar", 0xA7: "varchar", 0xAF: "char", 0xA5: "varbinary",
    0xAD: "binary",
}
LONGLEN_TYPES = {0x63: "ntext", 0x23: "text", 0x22: "image"}
COLLATED = {0xE7, 0xEF, 0xA7, 0xAF, 0x63, 0x23, 0x27, 0x2F}
UNICODE = {0xE7, 0xEF, 0x63}


def read_type_info(r):
    code = r.unpack("<B")
    info = {"code": code, "size": 0, "collation": None, "plp": False}
    if code in FIXED_TYPES:
        info["name"], info["size"] = FIXED_TYPES[code]
    elif code in BYTELEN_TYPES:
        info["name"] = BYTELEN_TYPES[code]
        info["size"] = r.unpack("<B")
        if code in (0x6A, 0x6C):
            info["precision"], info["scale"] = r.unpack("<BB")
    elif code in USHORTLEN_TYPES:
        info["name"] = USHORTLEN_TYPES[code]
        info["size"] = r.unpack("<H")
        info["plp"] = info["size"] == 0xFFFF
    elif code in LONGLEN_TYPES:
        info["name"] = LONGLEN_TYPES[code]
        info["size"] = r.unpack("<I")
    elif code == 0x28:
        info["name"] = "date"
    elif code in (0x29, 0x2A, 0x2B):
        info["name"] = {0x29: "time", 0x2A: "datetime2", 0x2B: "datetimeoffset"}[code]
        info["scale"] = r.unpack("<B")
    else:
        raise ProtocolError("parameter type 0x%02X is not supported" % code)
    if code in COLLATED:
        info["collation"] = r.take(5)
    return info


def read_plp(r):
    total = r.unpack("<Q")
    if total == PLP_NULL:
        return None
    data = b""
    for _ in range(1 << 20):
        chunk = r.unpack("<I")
        if chunk == 0:
            return data
        data += r.take(chunk)
    raise ProtocolError("too many chunks")


def read_raw_value(r, info):
    """The value bytes of one parameter, None for NULL."""
    code = info["code"]
    if code in FIXED_TYPES:
        return r.take(info["size"]) if code != 0x1F else None
    if info["plp"]:
        return read_plp(r)
    if code in USHORTLEN_TYPES:
        n = r.unpack("<H")
        return None if n == 0xFFFF else r.take(n)
    if code in LONGLEN_TYPES:
        n = r.unpack("<I")
        return None if n == 0xFFFFFFFF else r.take(n)
    n = r.unpack("<B")  # byte-length types, date and time types
    if n == 0 and code not in (0x27, 0x2F, 0x25, 0x2D):
        return None
    return r.take(n)


def ticks_text(days, ticks):
    when = EPOCH_1900 + datetime.timedelta(days=days, milliseconds=round(ticks * 10 / 3))
    return when.strftime("%Y-%m-%d %H:%M:%S.") + "%03d" % (when.microsecond // 1000)


def value_text(info, raw):
    """A parameter value as text for the record."""
    if raw is None:
        return None
    name = info["name"]
    if info["code"] in UNICODE:
        return raw.decode("utf-16-le", "replace")
    if name in ("varchar", "char", "text"):
        return raw.decode(codec_of(info["collation"]), "replace")
    if name in ("tinyint", "smallint", "int", "bigint"):
        return str(int.from_bytes(raw, "little", signed=len(raw) > 1))
    if name == "bit":
        return "1" if raw[0] else "0"
    if name in ("decimal", "numeric"):
        magnitude = DECIMALS.scaleb(decimal.Decimal(int.from_bytes(raw[1:], "little")),
                                    -info["scale"])
        return str(magnitude if raw[0] else -magnitude)
    if name in ("money", "smallmoney"):
        units = struct.unpack("<i", raw)[0] if len(raw) == 4 else \
            (struct.unpack("<i", raw[:4])[0] << 32) | struct.unpack("<I", raw[4:])[0]
        return str(DECIMALS.scaleb(decimal.Decimal(units), -4))
    if name in ("datetime", "smalldatetime"):
        if len(raw) == 4:
            days, minutes = struct.unpack("<HH", raw)
            return ticks_text(days, minutes * 60 * 300)
        return ticks_text(*struct.unpack("<iI", raw))
    if name in ("float", "real"):
        return repr(struct.unpack("<d" if len(raw) == 8 else "<f", raw)[0])
    return raw.hex()


def record_type_name(info):
    if info["name"] == "int" and info["code"] == 0x26:
        return {1: "tinyint", 2: "smallint", 4: "int", 8: "bigint"}.get(info["size"], "int")
    return info["name"]


def parse_rpc(data):
    """The calls of one RPC request: [(proc name, proc id, [parameters])]."""
    r = Reader(data)
    skip_all_headers(r)
    calls = []
    for _ in range(1000):
        if r.left() == 0:
            break
        name_len = r.unpack("<H")
        if name_len == 0xFFFF:
            proc_id = r.unpack("<H")
            proc = PROC_NAMES.get(proc_id, "proc#%d" % proc_id)
        else:
            proc_id, proc = None, r.ucs2(name_len)
        r.unpack("<H")  # option flags
        params = []
        for _ in range(10000):
            if r.left() == 0:
                break
            if r.data[r.pos] in (0x80, 0xFF):  # the next call follows
                r.take(1)
                break
            name = r.ucs2(r.unpack("<B"))
            status = r.unpack("<B")
            info = read_type_info(r)
            raw = read_raw_value(r, info)
            params.append({"name": name, "type": record_type_name(info),
                           "value": value_text(info, raw), "output": bool(status & 0x01)})
        calls.append((proc, proc_id, params))
    return calls


def parse_login(data):
    r = Reader(data)
    _, version, packet_size = r.unpack("<III")
    r.pos = 36
    fields = {}
    for key in ("host", "user", "password", "app", "server", "extension", "library",
                "language", "database"):
        fields[key] = r.unpack("<HH")

    def text(key, deobfuscate=False):
        offset, chars = fields[key]
        raw = data[offset:offset + chars * 2]
        if deobfuscate:
            # Each byte was nibble-swapped and then XORed with 0xA5.
            raw = bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in raw)
        return raw.decode("utf-16-le", "replace")

    return {"user": text("user"), "password": text("password", True),
            "database": text("database"), "app": text("app"), "host": text("host"),
            "server": text("server"), "packetSize": packet_size,
            "tdsVersion": "0x%08X" % version}


# ---------------------------------------------------------------- serving


class Recorder:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8") if path else None

    def write(self, entry):
        if self.file is None:
            return
        with self.lock:
            self.file.write(json.dumps(entry, ensure_ascii=False) + "\n")
            self.file.flush()


def load_script(path):
    with open(path, encoding="utf-8") as f:
        script = json.load(f)
    if isinstance(script, list):
        script = {"rules": script}
    return script


class Session:
    """One client connection, served request by request until it closes."""

    def __init__(self, sock, options, recorder, deadline):
        self.sock = sock
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
                chunk = self.sock.recv(n - len(data))
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
        self.sock.sendall(out)

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
        self.recorder.write({"kind": "prelogin"})
        options = [
            (0x00, struct.pack(">BBHH", 16, 0, 1000, 0)),  # version 16.0.1000
            (0x01, b"\x02"),  # encryption not supported: no TLS at all
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

    def on_login(self, payload):
        login = parse_login(payload)
        self.recorder.write(dict(kind="login", **login))
        rules = self.script.get("login", {})
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


class Cancelled(Exception):
    """The client sent an attention while a statement was running."""


def bound_values(proc, params):
    """The values a call binds to the statement's markers, [(name, value)]:
    what follows the handle, the declarations and the statement text of the
    procedure."""
    first = {"sp_executesql": 2, "sp_prepexec": 3, "sp_execute": 1}.get(proc)
    return [] if first is None else [(p["name"], p["value"]) for p in params[first:]]


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
    options = parser.parse_args()
    # Fail early on a broken script or a file that is not a database.
    if options.script:
        load_script(options.script)
    else:
        tds_sqlite.SqliteDatabase(options.sqlite)

    recorder = Recorder(options.record)
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
