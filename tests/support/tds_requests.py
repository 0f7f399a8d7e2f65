"""The requests to the SQL Server stand-in in TDS 7.4: reading LOGIN7, SQL
batches and RPC calls with their typed parameters, every value as text;
recording them, and the script that answers them.
"""

import datetime
import decimal
import json
import struct
import threading

from tds_tokens import DECIMALS, EPOCH_1900, PLP_NULL, PROC_NAMES, SERVER_CODEC, ProtocolError


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


class Recorder:
    """Writes every request as one JSON line to the --record file."""

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
    """The script of rules and log-in settings; a bare list is the rules alone."""
    with open(path, encoding="utf-8") as f:
        script = json.load(f)
    if isinstance(script, list):
        script = {"rules": script}
    return script


def bound_values(proc, params):
    """The values a call binds to the statement's markers, [(name, value)]:
    what follows the handle, the declarations and the statement text of the
    procedure."""
    first = {"sp_executesql": 2, "sp_prepexec": 3, "sp_execute": 1}.get(proc)
    return [] if first is None else [(p["name"], p["value"]) for p in params[first:]]
