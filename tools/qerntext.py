"""Helpers shared by the data scripts: Windows-1252 text and safe file writing."""

import os
import tempfile
import unicodedata

# Letters that NFKD does not reduce to a Windows-1252 base letter.
_FALLBACK = {
    "ı": "i", "İ": "I", "ł": "l", "Ł": "L", "đ": "d", "Đ": "D",
    "ħ": "h", "Ħ": "H", "ŋ": "n", "Ŋ": "N", "ŀ": "l", "Ŀ": "L",
    "ʻ": "'", "ʼ": "'", "‐": "-", "‑": "-", "‒": "-", "―": "-",
}


def to_cp1252(text):
    """Text as Windows-1252 bytes; letters outside it lose their accents."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode("cp1252")
            continue
        except UnicodeEncodeError:
            pass
        if ch in _FALLBACK:
            out += _FALLBACK[ch].encode("cp1252")
            continue
        base = "".join(c for c in unicodedata.normalize("NFKD", ch)
                       if not unicodedata.combining(c))
        try:
            out += base.encode("cp1252")
        except UnicodeEncodeError:
            raise ValueError("no Windows-1252 form for %r (U+%04X) in %r"
                             % (ch, ord(ch), text)) from None
        if not base:
            raise ValueError("character %r vanished in %r" % (ch, text))
    return bytes(out)


def csv_line(fields):
    """One CR LF line of comma-separated fields; str fields are quoted, numbers are not."""
    parts = []
    for f in fields:
        if isinstance(f, bytes):
            if b'"' in f:
                # A quoted field of these tables ends at the next quote: none may hold one.
                raise ValueError("double quote inside field %r" % f)
            parts.append(b'"' + f + b'"')
        else:
            parts.append(str(f).encode("ascii"))
    return b",".join(parts) + b"\r\n"


def write_atomic(path, data):
    """Write the whole file beside its final name, then rename it over."""
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    fd, tmp = tempfile.mkstemp(prefix=".tmp-", dir=folder)
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.chmod(tmp, 0o644)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise
