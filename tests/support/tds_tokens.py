"""The answers of the SQL Server stand-in in TDS 7.4: packet, token and
status numbers, and the tokens of a reply (log-in acknowledgement, result
sets with their column types and values, errors, DONE).
"""

import datetime
import decimal
import re
import struct

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
