"""Builders for the binary input files of the converter (used by the tests)."""

from listconv_model import FIELDS, KANJI_RECORD_SIZE, SOURCE_RECORD_SIZE

FIELD_LAYOUT = {name: (offset, capacity) for name, offset, capacity in FIELDS}


def kanji_record(text=None, count=None, filler=b"\x00"):
    """One 166-byte kanjis.dat record whose kanji slot holds text.

    count defaults to len(text); None text leaves the slot as filler."""
    rec = bytearray(filler * KANJI_RECORD_SIZE)
    if text is not None:
        rec[123] = (len(text) if count is None else count) & 0xFF
        slot = (text + b"    ")[:4]
        rec[124:128] = slot
    elif count is not None:
        rec[123] = count & 0xFF
    return bytes(rec)


def kanji_file(entries, size=None):
    """kanjis.dat with whole records; entries maps a code to its kanji text.

    size is the number of whole records (default: one past the largest code)."""
    if size is None:
        size = max(entries) + 1 if entries else 0
    out = bytearray()
    for code in range(size):
        out += kanji_record(entries.get(code))
    return bytes(out)


def source_record(fields, filler=b"\x00"):
    """One 666-byte list.rec record.

    fields maps a field name to its text (count = its length) or to a pair
    (count byte, slot bytes); the slot bytes are cut to the field's capacity."""
    rec = bytearray(filler * SOURCE_RECORD_SIZE)
    for name, value in fields.items():
        offset, capacity = FIELD_LAYOUT[name]
        if isinstance(value, tuple):
            count, slot = value
        else:
            count, slot = len(value), value
        rec[offset] = count & 0xFF
        slot = slot[:capacity]
        rec[offset + 1:offset + 1 + len(slot)] = slot
    return bytes(rec)
