#!/usr/bin/env python3
"""Writes the bundled sample data set (kanjis.dat, words.txt, list.rec) into a folder.

The data is fixed, so every run writes the same bytes. Kanji are Shift-JIS.
Usage: make_sample.py [folder]   (default: sample/ beside this script's parent)
"""
import os
import sys

KANJI_RECORD = 166
LIST_RECORD = 666
FIRST_CODE = 525

# Kanji codes from 525 on, in order.
KANJI = "山田川中本刀鉄作太郎江戸国光正長谷守定宗"

# words.txt: key, word, codes. Lines with fewer tokens carry word and kanji over.
WORDS = [
    "KATANA katana 530",
    "TACHI tachi 533 530",
    "WAKIZASHI wakizashi 533 530 545",
    "TANTO tanto 533 530",
    "SIGNED signed 537",
    "BLADE blade 530",
    "STEEL steel 531",
    "IRON iron 531",
    "MOUNTAIN yama 525",
    "RIVER kawa 527",
    "FIELD ta 526",
    "CENTER naka 528",
    "BOOK hon 529",
    "SMITH kaji 531 532",
    "EDO edo 535 536",
    "PROVINCE kuni 537",
    "LIGHT hikari 538",
    "TRUE masa 539",
    "LONG naga 540",
    "VALLEY tani 541",
    "GUARD mamori 542",
    "FIXED sada 543",
    "SCHOOL mune 544",
    "GREAT futo 533",
    "SON ro 534",
    "MASAMUNE masamune 539 544",
    "SADAMUNE sadamune 543 544",
    "KUNIMITSU kunimitsu 537 538",
    "NAGAMITSU nagamitsu 540 538",
    "HOLDER",
    "KOSHIRAE \"ko shirae\" 530 0525",
    "YEAR nen 3867",
    "KATANA duplicate 525",
    "MISSING unknown 999",
]

# Listing records: (entry id, name parts, name codes,
#   (detail1, detail2, period, detail3 .. detail7), words, note).
RECORDS = [
    ("A-0001", ("Masa", "mune", ""), ("539", "544", ""),
     ("tanto", "signed", "EDO", "hira-zukuri", "22.5 cm", "shirasaya", "papers", "good"),
     "masamune tanto, signed... steel", "A fine blade by a famous smith."),
    ("A-0002", ("Sada", "mune", ""), ("543", "544", ""),
     ("katana", "mumei", "KAMAKURA", "shinogi-zukuri", "70.1 cm", "koshirae", "", "fair"),
     "sadamune katana blade,iron (no) koshirae", "Attributed."),
    ("", ("", "", ""), ("", "", ""),
     ("", "", "", "", "", "", "", ""), "this record has a blank id", "never listed"),
    ("A-0003", ("Kuni", "mitsu", ""), ("537", "538", ""),
     ("tachi", "signed", "SHOWA", "", "", "", "", ""),
     "tachi kunimitsu[537,538] river[527]", "Showa era mount."),
    ("A-0004", ("Naga", "mitsu", ""), ("540", "538", ""),
     ("katana", "gimei", "KASHO", "", "", "", "", ""),
     "nagamitsu, smith,of  edo... unknownword", "Two Kasho eras."),
    ("A-0005", ("Yama", "da", "Taro"), ("525", "526", "533 534"),
     ("wakizashi", "signed", "HEISEI", "", "", "", "", ""),
     "yamadataro wakizashi year", "Modern work."),
    ("A-0006", ("Ta", "ni", ""), ("", "541", "0"),
     ("tanto", "", "TENPYO", "", "", "", "", ""),
     "tani [525] valley[] long[540],", "Bracket at the start of a word."),
    ("A-0007", ("Mori", "", ""), ("3867", "12", "abcd"),
     ("yari", "", "TENPYO-SHOHO", "", "", "", "", ""),
     "guard, holder, missing mori", "Odd codes in the name."),
    ("", ("skip", "", ""), ("", "", ""),
     ("", "", "", "", "", "", "", ""), "also unlisted", ""),
    ("A-0008", ("Kosh", "irae", ""), ("530", "", ""),
     ("mounts", "", "shoryaku(990", "", "", "", "", ""),
     "koshirae katana", "Lower-case period: no range."),
    ("A-0009", ("Edo", "", ""), ("535", "536", ""),
     ("tsuba", "iron", "SHORYAKU(990", "", "", "", "", ""),
     "edo iron, light, true...", ""),
    ("A-0010", ("Koan", "", ""), ("", "", ""),
     ("menuki", "", "KOAN", "", "", "", "", ""),
     "(no)", "Koan stands twice in the table."),
    ("A-0011", ("Sho", "toku", ""), ("", "", ""),
     ("kozuka", "", "SHOTOKU", "", "", "", "", ""),
     "center,book field mountain", "Longest annotation."),
    ("A-0012", ("Heian", "", ""), ("600", "", ""),
     ("tachi", "", "HEIAN", "", "", "", "", ""),
     "great son... school", "Code beyond the table."),
]

FIELDS = [  # count byte offset, capacity
    (4, 8), (13, 7), (21, 7), (29, 7), (37, 4), (42, 4), (47, 4), (52, 8), (61, 8),
    (70, 12), (83, 18), (102, 18), (121, 10), (132, 10), (143, 10), (154, 255), (410, 255),
]


def kanji_file():
    data = bytearray()
    for code in range(FIRST_CODE + len(KANJI)):
        record = bytearray(b"\0" * KANJI_RECORD)
        label = ("entry %d" % code).encode()
        record[77] = len(label)
        record[78:78 + len(label)] = label
        if code >= FIRST_CODE:
            kanji = KANJI[code - FIRST_CODE].encode("shift_jis")
            record[123] = len(kanji)
            record[124:124 + len(kanji)] = kanji
        data += record
    return bytes(data)


def list_record(values):
    record = bytearray(b"\0" * LIST_RECORD)
    for (offset, capacity), text in zip(FIELDS, values):
        raw = text.encode("ascii")[:min(capacity, 127)]
        record[offset] = len(raw)
        record[offset + 1:offset + 1 + len(raw)] = raw
    return bytes(record)


def list_file():
    data = bytearray()
    for entry_id, names, codes, details, words, note in RECORDS:
        data += list_record([entry_id, *names, *codes, *details, words, note])
    return bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "sample")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "kanjis.dat"), "wb") as f:
        f.write(kanji_file())
    with open(os.path.join(folder, "words.txt"), "wb") as f:
        f.write("".join(line + "\r\n" for line in WORDS).encode("ascii"))
    with open(os.path.join(folder, "list.rec"), "wb") as f:
        f.write(list_file())


if __name__ == "__main__":
    main()
