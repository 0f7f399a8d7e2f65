"""Answers SQL Server statements from an SQLite database file.

The statements arrive in SQL Server's dialect. A small, explicit translation
turns the few SQL Server constructs the program uses into SQLite:

    CONVERT(char(6), x, 112)         strftime('%Y%m', x)
    LEN(x)                           length(rtrim(x))
    N'text'                          'text'
    @P1, @P2 ...                     :P1, :P2 ... (bound by name)
    [name]                           "name"
    (VALUES (a, b), ...) AS t(x, y)  (SELECT column1 AS x, column2 AS y
                                      FROM (VALUES (a, b), ...)) AS t

Anything else that SQLite would accept but SQL Server would not (an SQLite
function, LIMIT, ||, a common table expression made of VALUES, a derived
table without column names) is refused with a SQL Server-style error, so a
statement that only SQLite understands cannot pass.

Result columns carry the SQL Server types a real schema would give them,
derived from the SQLite declared types: (n)varchar(n) and (n)char(n) as
declared (char and nchar padded with blanks on output), datetime, bit,
decimal(p,s), money, int; TEXT as nvarchar(max) and REAL as float for loose
declarations. Expressions take SQL Server's type rules: SUM of money is
money, of decimal(p,s) decimal(38,s), LEN is int, CONVERT(char(6), ...) is
char(6). Comparison rules (case, trailing blanks) stay SQLite's: values are
padded on output only.
"""

import os
import pathlib
import re
import sqlite3

from tds_sqltext import (
    KEYWORDS, SqlServerError, at, cast_parts, check, is_op, matching, split_top, sqlite_text,
    tokenize)


# ---------------------------------------------------------------- types


class SqlType:
    """A SQL Server type: name, length (None for max) or precision and scale."""

    RANK = ["char", "varchar", "nchar", "nvarchar", "bit", "tinyint", "smallint", "int",
            "bigint", "smallmoney", "money", "decimal", "real", "float", "datetime"]
    DIGITS = {"bit": 1, "tinyint": 3, "smallint": 5, "int": 10, "bigint": 19}

    def __init__(self, name, size=0, precision=18, scale=0):
        self.name, self.size, self.precision, self.scale = name, size, precision, scale

    def text(self):
        if self.name in ("char", "varchar", "nchar", "nvarchar"):
            return "%s(%s)" % (self.name, "max" if self.size is None else self.size)
        if self.name == "decimal":
            return "decimal(%d,%d)" % (self.precision, self.scale)
        return self.name

    def rank(self):
        return self.RANK.index(self.name)

    def digits(self):
        """(precision, scale) of a decimal or whole-number type."""
        if self.name == "decimal":
            return self.precision, self.scale
        return self.DIGITS.get(self.name, 18), 0


def declared_type(declared):
    """The SQL Server type of a column declared so in SQLite."""
    m = re.fullmatch(r"\s*(\w+)\s*(?:\(\s*(\w+)\s*(?:,\s*(\d+)\s*)?\))?.*", declared or "", re.S)
    name = m.group(1).lower() if m else ""
    size = m.group(2) if m else None
    if name in ("char", "varchar", "nchar", "nvarchar"):
        return SqlType(name, None if size is None or size.lower() == "max" else int(size))
    if name in ("decimal", "numeric"):
        return SqlType("decimal", precision=int(size or 18), scale=int(m.group(3) or 0))
    simple = {"integer": "int", "int": "int", "bigint": "bigint", "smallint": "smallint",
              "tinyint": "tinyint", "real": "float", "float": "float", "double": "float",
              "money": "money", "smallmoney": "smallmoney", "datetime": "datetime",
              "smalldatetime": "datetime", "date": "datetime", "bit": "bit", "boolean": "bit"}
    return SqlType(simple[name]) if name in simple else SqlType("nvarchar", None)


def wider(a, b, add=False):
    """The type of a + b (add) or of COALESCE(a, b): the type of higher precedence."""
    high = a if a.rank() >= b.rank() else b
    if high.name != "decimal" or "char" in a.name or "char" in b.name:
        return high
    (p1, s1), (p2, s2) = a.digits(), b.digits()
    scale = max(s1, s2)
    return SqlType("decimal", precision=min(38, scale + max(p1 - s1, p2 - s2) + add), scale=scale)


def sum_type(t):
    if t.name in ("bit", "tinyint", "smallint", "int"):
        return SqlType("int")
    if t.name in ("smallmoney", "money"):
        return SqlType("money")
    if t.name == "real":
        return SqlType("float")
    if t.name == "decimal":
        return SqlType("decimal", precision=38, scale=t.scale)
    return t


class Untyped(Exception):
    pass


class Typer:
    """Types the result columns of a statement from the schema of the file."""

    def __init__(self, db):
        self.tables = {}
        for (table,) in db.execute("SELECT name FROM sqlite_master WHERE type IN"
                                   " ('table', 'view')"):
            columns = db.execute('PRAGMA table_info("%s")' % table.replace('"', '""'))
            self.tables[table.upper()] = [(c[1], declared_type(c[2])) for c in columns]

    def columns(self, tokens):
        """[(name, SqlType)] of the statement's result."""
        select = self.main_select(tokens)
        end = self.clause_end(tokens, select + 1, ("FROM",))
        sources = self.sources(tokens, end)
        start = select + 1
        while at(tokens, start).up in ("DISTINCT", "ALL"):
            start += 1
        result = []
        for item in split_top(tokens[start:end]):
            result.extend(self.item(item, sources))
        return result

    @staticmethod
    def main_select(tokens):
        depth = 0
        for i, t in enumerate(tokens):
            depth += is_op(t, "(") - is_op(t, ")")
            if depth == 0 and t.up == "SELECT":
                return i
        raise Untyped()

    @staticmethod
    def clause_end(tokens, start, words):
        depth = 0
        for i in range(start, len(tokens)):
            depth += is_op(tokens[i], "(") - is_op(tokens[i], ")")
            if depth == 0 and tokens[i].up in words:
                return i
        return len(tokens)

    def sources(self, tokens, from_index):
        """[(names, [(column, SqlType)])] of the FROM clause, in order: each
        table or derived table under its name and alias."""
        end = self.clause_end(tokens, from_index + 1, ("WHERE", "GROUP", "ORDER", "HAVING",
                                                       "UNION"))
        sources, i, expect_source = [], from_index + 1, True
        while i < end:
            t = tokens[i]
            if expect_source and is_op(t, "("):
                # A derived table: (VALUES (...), ...) AS alias (names).
                close = matching(tokens, i)
                alias, columns, after = tokens[close + 2], [], close + 3
                if is_op(at(tokens, after), "("):
                    end_names = matching(tokens, after)
                    if tokens[i + 1].up == "VALUES":
                        names = split_top(tokens[close + 4:end_names])
                        first_row = split_top(tokens[i + 3:matching(tokens, i + 2)])
                        columns = [(n[0].text, self.expr(e, [])) for n, e in zip(names, first_row)]
                    after = end_names + 1
                sources.append(({alias.text.upper()}, columns))
                i, expect_source = after, False
            elif expect_source and t.kind in ("word", "bracket", "quoted"):
                name = t.text.strip('[]"').upper()
                names, i = {name}, i + 1
                if at(tokens, i).up == "AS":
                    i += 1
                alias = at(tokens, i)
                if alias.kind == "word" and alias.up not in KEYWORDS:
                    names.add(alias.up)
                    i += 1
                sources.append((names, self.tables.get(name, [])))
                expect_source = False
            else:
                expect_source = t.up == "JOIN" or is_op(t, ",")
                i = matching(tokens, i) + 1 if is_op(t, "(") else i + 1
        return sources

    def item(self, tokens, sources):
        if len(tokens) == 1 and is_op(tokens[0], "*"):
            return [c for _, columns in sources for c in columns]
        name = ""
        if len(tokens) > 2 and tokens[-2].up == "AS":
            name, tokens = tokens[-1].text.strip('[]"'), tokens[:-2]
        elif tokens[-1].kind in ("word", "bracket", "quoted") and \
                (len(tokens) == 1 or (len(tokens) == 3 and is_op(tokens[1], "."))):
            name = tokens[-1].text.strip('[]"')
        return [(name, self.expr(tokens, sources))]

    def expr(self, tokens, sources):
        operands, ops, current, depth = [], [], [], 0
        for t in tokens:
            depth += is_op(t, "(") - is_op(t, ")")
            binary = depth == 0 and is_op(t, "+", "-", "*", "/", "%") and current
            if binary:
                operands.append(current)
                ops.append(t.text)
                current = []
            else:
                current.append(t)
        operands.append(current)
        result = self.term(operands[0], sources)
        for op, operand in zip(ops, operands[1:]):
            result = wider(result, self.term(operand, sources), add=op in "+-")
        return result

    def term(self, tokens, sources):
        while tokens and is_op(tokens[0], "-", "+"):
            tokens = tokens[1:]
        if not tokens:
            raise Untyped()
        first = tokens[0]
        if is_op(first, "(") and matching(tokens, 0) == len(tokens) - 1:
            return self.expr(tokens[1:-1], sources)
        if len(tokens) == 1:
            return self.single(first, sources)
        if len(tokens) == 3 and is_op(tokens[1], "."):
            return self.column(first.text, tokens[2].text, sources)
        if first.kind == "word" and is_op(tokens[1], "(") and matching(tokens, 1) == len(tokens) - 1:
            return self.function(first.up, split_top(tokens[2:-1]), sources)
        raise Untyped()

    def single(self, t, sources):
        if t.kind == "num":
            if "." in t.text:
                whole, _, frac = t.text.partition(".")
                return SqlType("decimal", precision=max(1, len(whole + frac)), scale=len(frac))
            return SqlType("int")
        if t.kind == "str":
            national = t.text[0] in "Nn"
            return SqlType("nvarchar" if national else "varchar", max(1, len(t.text) - 2))
        if t.kind == "param":
            return SqlType("nvarchar", 4000)
        if t.up == "NULL":
            return SqlType("int")
        return self.column(None, t.text, sources)

    def column(self, table, name, sources):
        table = table.strip('[]"').upper() if table else None
        for names, columns in sources:
            if table and table not in names:
                continue
            for column, sql_type in columns:
                if column.upper() == name.strip('[]"').upper():
                    return sql_type
        raise Untyped()

    def function(self, name, args, sources):
        if name == "COUNT":
            return SqlType("int")
        if name == "LEN":
            return SqlType("int")
        if name == "CONVERT":
            return declared_type("".join(t.text for t in args[0]))
        if name == "CAST":
            return declared_type("".join(t.text for t in cast_parts(args)[1]))
        if args and args[0] and args[0][0].up == "DISTINCT":
            args[0] = args[0][1:]
        types = [self.expr(a, sources) for a in args]
        if name == "COALESCE":
            result = types[0]
            for t in types[1:]:
                result = wider(result, t)
            return result
        if name == "SUM":
            return sum_type(types[0])
        if name == "AVG":
            t = sum_type(types[0])
            return SqlType("decimal", precision=38, scale=max(6, t.scale)) \
                if t.name == "decimal" else t
        return types[0]  # MIN, MAX


def value_type(values):
    """The type of a column no rule could type, from its values."""
    present = [v for v in values if v is not None]
    if all(isinstance(v, int) for v in present):
        return SqlType("int" if all(-2**31 <= v < 2**31 for v in present) else "bigint")
    if all(isinstance(v, (int, float)) for v in present):
        return SqlType("float")
    return SqlType("nvarchar", None)


# ---------------------------------------------------------------- the database


def sqlite_error(error):
    """SQLite's error as SQL Server would word it."""
    text = str(error)
    patterns = [
        (r"no such table: (?:\w+\.)?(.*)", 208, "对象名 '%s' 无效。"),
        (r"no such column: (.*)", 207, "列名 '%s' 无效。"),
        (r"ambiguous column name: (.*)", 209, "列名 '%s' 不明确。"),
        (r'near "(.*)": syntax error', 102, "'%s' 附近有语法错误。"),
        (r"no such function: (.*)", 195, "'%s' 不是可以识别的 内置函数名称。"),
    ]
    for pattern, number, message in patterns:
        m = re.fullmatch(pattern, text)
        if m:
            return SqlServerError(number, message % m.group(1))
    return SqlServerError(50000, "tds_server (SQLite): " + text)


class SqliteDatabase:
    """One client's read-only view of the file."""

    def __init__(self, path):
        uri = pathlib.Path(os.path.abspath(path)).as_uri() + "?mode=ro"
        self.db = sqlite3.connect(uri, uri=True, check_same_thread=False)
        self.typer = Typer(self.db)

    def run(self, sql, params):
        """(columns [{"name", "type"}], rows) of one statement with its named
        parameters; raises SqlServerError."""
        if len(params) > 2100:
            raise SqlServerError(8003, "传入的请求具有过多的参数。该服务器支持最多 2100 个参数。"
                                       "请减少参数的数目，然后重新发送该请求。")
        tokens = tokenize(sql)
        if tokens and tokens[0].up == "SET":
            return None, []  # the driver's session options: nothing to do
        check(tokens)
        try:
            cursor = self.db.execute(sqlite_text(tokens), params)
            rows = cursor.fetchall()
        except sqlite3.Error as e:
            raise sqlite_error(e) from None
        count = len(cursor.description or ())
        try:
            typed = self.typer.columns(tokens)
        except (Untyped, IndexError, KeyError, StopIteration, SqlServerError, ValueError):
            typed = []
        if len(typed) != count:
            names = [d[0] for d in cursor.description]
            typed = [(n, value_type([r[k] for r in rows])) for k, n in enumerate(names)]
        columns = [{"name": n, "type": t.text()} for n, t in typed]
        return columns, [list(r) for r in rows]
