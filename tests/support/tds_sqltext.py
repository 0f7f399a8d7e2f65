"""SQL Server statements as the SQLite stand-in reads them: tokens, the check
that refuses what SQL Server would not run, and the translation of the few
SQL Server constructs the program uses into SQLite (tds_sqlite.py lists
them).
"""

import re


class SqlServerError(Exception):
    """An error as SQL Server reports it: number, message, severity."""

    def __init__(self, number, message, severity=16):
        super().__init__(message)
        self.number = number
        self.message = message
        self.severity = severity


def syntax_error(near):
    if near.upper() in KEYWORDS:
        return SqlServerError(156, "关键字 '%s' 附近有语法错误。" % near, 15)
    return SqlServerError(102, "'%s' 附近有语法错误。" % near, 15)


def not_translated(what):
    return SqlServerError(50000, "tds_server: %s 不在 SQLite 翻译范围内" % what)


# ---------------------------------------------------------------- tokens

TOKEN = re.compile(r"""
    (?P<space>\s+|--[^\n]*|/\*.*?\*/)
  | (?P<str>[Nn]?'(?:[^']|'')*')
  | (?P<bracket>\[[^\]]*\])
  | (?P<quoted>"[^"]*")
  | (?P<num>\d+(?:\.\d*)?(?:[eE][+-]?\d+)?|\.\d+)
  | (?P<param>@\w+)
  | (?P<word>[^\W\d]\w*)
  | (?P<op><=|>=|<>|!=|==|\|\||[=<>+\-*/%(),.;])
  | (?P<other>.)
""", re.X | re.S)


class Token:
    __slots__ = ("kind", "text", "space", "up")

    def __init__(self, kind, text, space):
        self.kind, self.text, self.space = kind, text, space
        self.up = text.upper() if kind == "word" else text

    def __repr__(self):
        return "Token(%s %r)" % (self.kind, self.text)


def tokenize(sql):
    tokens, space = [], ""
    for m in TOKEN.finditer(sql):
        kind = m.lastgroup
        if kind == "space":
            space += " " if m.group().startswith(("--", "/*")) else m.group()
            continue
        tokens.append(Token(kind, m.group(), space))
        space = ""
    return tokens


def is_op(token, *texts):
    return token.kind == "op" and token.text in texts


def matching(tokens, open_index):
    """The index of the ")" that closes the "(" at open_index."""
    depth = 0
    for i in range(open_index, len(tokens)):
        if is_op(tokens[i], "("):
            depth += 1
        elif is_op(tokens[i], ")"):
            depth -= 1
            if depth == 0:
                return i
    raise SqlServerError(102, "')' 附近有语法错误。", 15)


def split_top(tokens):
    """Splits a token list at the commas outside parentheses."""
    parts, current, depth = [], [], 0
    for t in tokens:
        if is_op(t, "("):
            depth += 1
        elif is_op(t, ")"):
            depth -= 1
        if depth == 0 and is_op(t, ","):
            parts.append(current)
            current = []
        else:
            current.append(t)
    parts.append(current)
    return parts


NOTHING = Token("end", "", "")


def at(tokens, i):
    """The token at i, or NOTHING before the first and after the last."""
    return tokens[i] if 0 <= i < len(tokens) else NOTHING


# ---------------------------------------------------------------- checks

# Functions both engines read alike, and the two that are translated.
FUNCTIONS = {"SUM", "COUNT", "MIN", "MAX", "AVG", "COALESCE", "CONVERT", "CAST", "LEN"}
# SQL Server functions this server does not translate.
UNTRANSLATED = {"ISNULL", "SUBSTRING", "LEFT", "RIGHT", "RTRIM", "LTRIM", "UPPER",
                "LOWER", "YEAR", "MONTH", "DAY", "DATEPART", "DATEADD", "DATEDIFF", "GETDATE",
                "REPLACE", "CHARINDEX", "ROUND", "ABS", "STR", "CONCAT", "FORMAT", "TRY_CONVERT"}
KEYWORDS = {"SELECT", "DISTINCT", "ALL", "TOP", "FROM", "WHERE", "AND", "OR", "NOT", "IN", "IS",
            "NULL", "AS", "ON", "INNER", "LEFT", "RIGHT", "FULL", "OUTER", "CROSS", "JOIN",
            "GROUP", "BY", "ORDER", "HAVING", "BETWEEN", "LIKE", "ASC", "DESC", "VALUES", "CASE",
            "WHEN", "THEN", "ELSE", "END", "UNION", "EXISTS", "WITH", "ANY", "SOME"}
# Words SQLite knows and SQL Server does not.
SQLITE_ONLY = {"LIMIT", "OFFSET", "GLOB", "REGEXP", "PRAGMA", "ATTACH", "DETACH", "VACUUM",
               "NOTNULL", "COLLATE", "ESCAPE", "INDEXED", "RAISE", "MATCH"}
CONVERT_TYPES = {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR"}


def check(tokens):
    """Refuses what SQL Server would refuse, or what SQLite would read otherwise."""
    if not tokens:
        raise SqlServerError(102, "语句为空。", 15)
    if tokens[0].up not in ("SELECT", "WITH"):
        raise not_translated("只有 SELECT 语句")
    for i, t in enumerate(tokens):
        prev, nxt = at(tokens, i - 1), at(tokens, i + 1)
        if t.kind == "other" or is_op(t, "==", "||") or (is_op(t, ";") and nxt is not NOTHING):
            raise syntax_error(t.text)
        if t.kind == "word" and t.up in SQLITE_ONLY:
            raise syntax_error(t.text)
        if t.kind == "word" and t.up == "VALUES":
            if not is_op(prev, "("):
                raise syntax_error(t.text)
            if at(tokens, i - 2).up == "AS":
                raise syntax_error(t.text)  # a common table expression of VALUES
            close = matching(tokens, i - 1)
            alias = at(tokens, close + 2)
            if at(tokens, close + 1).up != "AS" or not is_op(at(tokens, close + 3), "("):
                raise SqlServerError(8155, "没有为 '%s' 的列 1 指定任何列名称。" % alias.text)
        if t.kind == "word" and is_op(nxt, "(") and t.up not in KEYWORDS:
            named_list = prev.up in ("AS", "WITH")
            convert_type = t.up in CONVERT_TYPES and is_op(prev, "(") and \
                at(tokens, i - 2).up == "CONVERT"
            if named_list or convert_type or t.up in FUNCTIONS:
                continue
            if t.up in UNTRANSLATED:
                raise not_translated(t.text)
            raise SqlServerError(195, "'%s' 不是可以识别的 内置函数名称。" % t.text, 15)


# ---------------------------------------------------------------- translation


def sqlite_text(tokens):
    """The SQLite text of a checked SQL Server token list."""
    out, i = [], 0
    while i < len(tokens):
        t = tokens[i]
        if t.kind == "word" and t.up in ("CONVERT", "CAST", "LEN") and \
                is_op(at(tokens, i + 1), "("):
            close = matching(tokens, i + 1)
            args = split_top(tokens[i + 2:close])
            out.append(t.space + function_text(t.up, args))
            i = close + 1
        elif is_op(t, "(") and at(tokens, i + 1).up == "VALUES":
            close = matching(tokens, i)
            alias = tokens[close + 2]
            end = matching(tokens, close + 3)
            names = [p[0].text for p in split_top(tokens[close + 4:end])]
            columns = ", ".join("column%d AS %s" % (k + 1, n) for k, n in enumerate(names))
            out.append("%s(SELECT %s FROM (%s)) AS %s" % (
                t.space, columns, sqlite_text(tokens[i + 1:close]), alias.text))
            i = end + 1
        else:
            out.append(t.space + token_text(t))
            i += 1
    return "".join(out)


def cast_parts(args):
    """The value and the target type of CAST(value AS type); only text types are translated."""
    words = [t.up for t in args[0]] if len(args) == 1 else []
    as_index = len(words) - 1 - words[::-1].index("AS") if "AS" in words else -1
    target = args[0][as_index + 1:] if as_index > 0 else []
    if not target or target[0].up not in CONVERT_TYPES:
        raise not_translated("CAST(%s)" % "".join(t.text for a in args for t in a))
    return args[0][:as_index], target


def function_text(name, args):
    if name == "CAST":
        value, _ = cast_parts(args)
        return "CAST(%s AS TEXT)" % sqlite_text(value)
    if name == "LEN":
        if len(args) != 1:
            raise SqlServerError(174, "len 函数要求有 1 个参数。", 15)
        return "length(rtrim(%s))" % sqlite_text(args[0])
    style = [t.text for t in args[2]] if len(args) == 3 else []
    target = "".join(t.up for t in args[0]) if args else ""
    if style != ["112"] or target not in ("CHAR(6)", "VARCHAR(6)", "NCHAR(6)", "NVARCHAR(6)"):
        raise not_translated("CONVERT(%s)" % ", ".join(
            "".join(t.text for t in a) for a in args))
    return "strftime('%%Y%%m', %s)" % sqlite_text(args[1])


def token_text(t):
    if t.kind == "str":
        return t.text[1:] if t.text[0] in "Nn" else t.text
    if t.kind == "param":
        return ":" + t.text[1:]
    if t.kind == "bracket":
        return '"' + t.text[1:-1].replace('"', '""') + '"'
    if is_op(t, ";"):
        return ""
    return t.text
