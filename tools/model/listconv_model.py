#!/usr/bin/env python3
"""Second, deliberately plain implementation of the listing converter.

It turns the three input files of a folder (kanjis.dat, words.txt, list.rec)
into the exact bytes that the converter writes to list.txt and to the console.
Every step is written out the slow, literal way so that it can serve as an
independent reference for the C++ program in randomised comparisons.

All texts are bytes objects; nothing is ever decoded.

Usage: listconv_model.py [FOLDER]
  converts the inputs in FOLDER (default: the current folder), writes what
  list.txt would hold to FOLDER/list.model.txt (nothing without list.rec,
  which leaves list.txt as it was) and prints the console output.
"""

import os
import sys

BLANK = b" "
KANJI_RECORD_SIZE = 166
LEADING_EMPTY_KANJI = 525
SOURCE_RECORD_SIZE = 666
WORDS_LINE_BUFFER = 80  # one line read takes at most 79 characters
INT32_MIN = -(2**31)
INT32_MAX = 2**31 - 1


# ---------------------------------------------------------------- text tools


def tokenize(text):
    """Splits a text into words at blanks; double-quoted groups count as one."""
    w = text + BLANK
    p = 0
    raw = []
    while True:
        if p != -1:
            q = p
            while q < len(w) and w[q] == 0x20:
                q += 1
            p = q if q < len(w) else -1
        if p != -1:
            e = p
            while e < len(w) and w[e] != 0x20 and w[e] != 0x0A:
                e += 1
            if e >= len(w):
                e = -1
        else:
            e = -1
        if e - p > 0:
            raw.append(w[p:e])
            p = e
        else:
            break

    result = []
    in_group = False
    g = b""
    for t in raw:
        opens = t[0] == 0x22
        closes = len(t) >= 2 and t[-1] == 0x22
        if in_group:
            g = g + BLANK + t
            if closes or (opens and len(t) == 1):
                result.append(g)
                in_group = False
        else:
            if opens and not closes:
                in_group = True
                g = t
            elif (opens and closes) or (not opens and not closes):
                result.append(t)
            else:
                pass  # closes without opening: dropped
    return result


def trim_trailing_blanks(text):
    """Removes the blanks (0x20 only) at the end of a text."""
    while len(text) > 0 and text[-1] == 0x20:
        text = text[:-1]
    return text


def to_upper_case(text):
    """Maps a-z to A-Z; every other byte stays."""
    return bytes(b - 32 if 0x61 <= b <= 0x7A else b for b in text)


def replace_all(text, search, replacement, length):
    """Replaces occurrences of search, restarting at position 0 each time."""
    if search in replacement:  # an empty search is in every text
        return text
    while True:
        i = text.find(search)
        if i < 0:
            return text
        text = text[:i] + replacement + text[i + length:]


# ------------------------------------------------------------- binary fields


class ByteReader:
    """A byte-at-a-time reader; reads past the end give 0xFF and set eof."""

    def __init__(self, data):
        self.data = data
        self.pos = 0
        self.eof = False

    def read_record(self, size):
        out = bytearray()
        for _ in range(size):
            if self.pos < len(self.data):
                out.append(self.data[self.pos])
                self.pos += 1
            else:
                out.append(0xFF)
                self.eof = True
        return bytes(out)


def decode_field(record, count_offset, capacity):
    """A count byte (signed 8-bit) followed by a slot of capacity bytes."""
    buf = bytearray(BLANK * (capacity + 1))
    n = record[count_offset]
    if n >= 0x80:
        n -= 256
    if n > 0:
        k = min(n, capacity)
        buf[0:k] = record[count_offset + 1:count_offset + 1 + k]
    buf[capacity] = 0
    z = buf.index(0)
    return bytes(buf[:z])


# ---------------------------------------------------------------- kanji table


def load_kanji_table(data):
    """Builds the kanji table from the bytes of kanjis.dat (None: no file)."""
    table = []
    if data is None:
        return table
    reader = ByteReader(data)
    for _ in range(LEADING_EMPTY_KANJI):
        reader.read_record(KANJI_RECORD_SIZE)
        table.append(b"")
    while True:
        record = reader.read_record(KANJI_RECORD_SIZE)
        table.append(decode_field(record, 123, 4))
        if reader.eof:
            break
    return table


def scan_decimal(text):
    """Reads an int like "%d": white space, sign, digits. None: no number."""
    ws = b" \t\n\v\f\r"
    i = 0
    while i < len(text) and text[i] in ws:
        i += 1
    sign = 1
    if i < len(text) and text[i] in b"+-":
        if text[i] == 0x2D:
            sign = -1
        i += 1
    start = i
    while i < len(text) and 0x30 <= text[i] <= 0x39:
        i += 1
    if i == start:
        return None
    return sign * int(text[start:i])


def lookup_kanji_code(code_text, table):
    """Returns the kanji text of the code that code_text holds."""
    text = replace_all(code_text, BLANK, b"", 1)
    value = scan_decimal(text)
    if value is None:
        value = 0
    if value < INT32_MIN or value > INT32_MAX:
        return b"?"  # a number that a signed 32-bit int cannot hold
    result = b"?"
    if 524 < value < len(table):
        result = table[value]
    if value == 0:
        result = b""
    if value == 3867:
        result = b"1037"
    return result


# ----------------------------------------------------------- word dictionary


def windows_text(data):
    """The bytes a text-mode read delivers: up to 0x1A, CR before LF dropped."""
    cut = data.find(b"\x1a")
    if cut >= 0:
        data = data[:cut]
    out = bytearray()
    for i, b in enumerate(data):
        if b == 0x0D and i + 1 < len(data) and data[i + 1] == 0x0A:
            continue
        out.append(b)
    return bytes(out)


def read_lines(data):
    """Lines as an 80-byte line buffer delivers them: at most 79 characters,
    a line feed included; the text of a buffer ends at its first zero byte."""
    stream = windows_text(data)
    pos = 0
    lines = []
    while pos < len(stream):
        end = pos
        while end < len(stream) and end - pos < WORDS_LINE_BUFFER - 1:
            end += 1
            if stream[end - 1] == 0x0A:
                break
        piece = stream[pos:end]
        pos = end
        z = piece.find(b"\x00")
        if z >= 0:
            piece = piece[:z]
        lines.append(piece)
    return lines


def load_word_dictionary(data, table):
    """List of (key, word, kanji list) in file order (None: no file)."""
    entries = []
    if data is None:
        return entries
    key = b""
    word = b""
    kanji = []
    for line in read_lines(data):
        key = b""
        tokens = tokenize(line)
        n = len(tokens)
        if n >= 1:
            key = tokens[0]
        if n >= 2:
            word = tokens[1]
        if n >= 3:
            kanji = []
            for code in tokens[2:]:
                kanji.append(lookup_kanji_code(code, table))
        if key != b"":
            entries.append((key, word, list(kanji)))
    return entries


# ------------------------------------------------------------ record fields

FIELDS = (
    ("entryId", 4, 8),
    ("name1", 13, 7),
    ("name2", 21, 7),
    ("name3", 29, 7),
    ("nameCode1", 37, 4),
    ("nameCode2", 42, 4),
    ("nameCode3", 47, 4),
    ("detail1", 52, 8),
    ("detail2", 61, 8),
    ("period", 70, 12),
    ("detail3", 83, 18),
    ("detail4", 102, 18),
    ("detail5", 121, 10),
    ("detail6", 132, 10),
    ("detail7", 143, 10),
    ("wordText", 154, 255),
    ("note", 410, 255),
)


def decode_source_record(record):
    """The seventeen decoded fields of one 666-byte record, by name."""
    rec = {}
    for name, offset, capacity in FIELDS:
        rec[name] = decode_field(record, offset, capacity)
    return rec


def build_name_key(name1, name2, name3):
    key = to_upper_case(name1 + name2 + name3)
    return replace_all(key, BLANK, b"", 1)


def render_word_text(word_text, name_key, nk1, nk2, nk3, dictionary, table):
    """Returns (wordLine, kanjiLine) for one record's word text."""
    word_list = tokenize(to_upper_case(trim_trailing_blanks(word_text)))
    kanji_line = b""
    shown = []
    for w in word_list:
        if w == b"(NO)":
            shown.append(w)
            continue
        comma = False
        bracket_kanji = b""
        w = replace_all(w, b"...", b"", 3)
        if w == b"":
            continue  # a word of "..." groups only is left out entirely
        if w[-1:] == b",":
            comma = True
        w = replace_all(w, b",", b" ", 1)
        w = replace_all(w, b"  ", b" ", 2)
        w = trim_trailing_blanks(w)
        p = w.find(b"[")
        if p > 0:
            b = w[p + 1:]
            b = replace_all(b, b"]", b"", 1)
            b = replace_all(b, b",", b" ", 1)
            for code in tokenize(b):
                bracket_kanji = bracket_kanji + b" " + lookup_kanji_code(code, table)
            bracket_kanji = replace_all(bracket_kanji, b"  ", b" ", 2)
            w = w[:p]
        if bracket_kanji != b"":
            kanji_line = kanji_line + bracket_kanji + b" "
        else:
            entry = None
            for e in dictionary:
                if e[0] == w:
                    entry = e
                    break
            if entry is not None:
                for k in entry[2]:
                    kanji_line = kanji_line + k + b" "
            elif w == name_key:
                kanji_line = kanji_line + nk1 + b" " + nk2 + b" " + nk3 + b" "
                kanji_line = replace_all(kanji_line, b"  ", b" ", 2)
            else:
                kanji_line = kanji_line + b"? "
        if comma:
            kanji_line = kanji_line + b","
            w = w + b","
        kanji_line = replace_all(kanji_line, b" ,", b", ", 2)
        shown.append(w)
    word_line = b"".join(w + b" " for w in shown)
    kanji_line = trim_trailing_blanks(kanji_line)
    return word_line, kanji_line


# ---------------------------------------------------------------- era table

ERA_ROWS = (
    (b"NARA", b"(645-781)"),
    (b"HEIAN", b"(782-1184)"),
    (b"KAMAKURA", b"(1185-1332)"),
    (b"NAMBOKUCHO", b"(1333-1391)"),
    (b"MUROMACHI", b"(1392-1572)"),
    (b"MOMOYAMA", b"(1573-1599)"),
    (b"EDO", b"(1600-1867)"),
    (b"CHOKUTO", b"(-900)"),
    (b"SHINTO", b"(1596-1780)"),
    (b"SHINSHINTO", b"(1780-1868)"),
    (b"KOTO", b"(900-1596)"),
    (b"GENDAITO", b"(1868-)"),
    (b"GENDAI", b"(1868-)"),
    (b"MOMMU", b"(697-700)"),
    (b"TAIHO", b"(701-703)"),
    (b"KEIUN", b"(704-707)"),
    (b"WADO", b"(708-714)"),
    (b"REIKI", b"(715-716)"),
    (b"YORO", b"(717-723)"),
    (b"JINKI", b"(724-728)"),
    (b"TENPYO", b"(729-748)"),
    (b"TENPYO-SHOHO", b"(749-756)"),
    (b"TENPYO-HOJI", b"(757-764)"),
    (b"TENPYO-JINGO", b"(765-766)"),
    (b"JINGO-KEIUN", b"(767-769)"),
    (b"HOKI", b"(770-780)"),
    (b"TENO", b"(781)"),
    (b"ENRYAKU", b"(782-805)"),
    (b"DAIDO", b"(806-809)"),
    (b"KONIN", b"(810-823)"),
    (b"TENCHO", b"(824-833)"),
    (b"JOWA", b"(834-847)"),
    (b"KASHO", b"(848-850)"),
    (b"KASHO(848-)", b"(848-850)"),
    (b"NINJU", b"(851-853)"),
    (b"SAIKO", b"(854-856)"),
    (b"TENAN", b"(857-858)"),
    (b"JOGAN", b"(859-876)"),
    (b"GANGYO", b"(877-884)"),
    (b"NINNA", b"(885-888)"),
    (b"KANPYO", b"(889-897)"),
    (b"SHOTAI", b"(898-900)"),
    (b"ENGI", b"(901-922)"),
    (b"ENCHO", b"(923-930)"),
    (b"SHOHYO", b"(931-937)"),
    (b"TENGYO", b"(938-946)"),
    (b"TENRYAKU", b"(947-956)"),
    (b"TENTOKU", b"(957-960)"),
    (b"OWA", b"(961-963)"),
    (b"KOHO", b"(964-967)"),
    (b"ANNA", b"(968-969)"),
    (b"TENROKU", b"(970-972)"),
    (b"TENEN", b"(973-975)"),
    (b"JOGEN", b"(976-977)"),
    (b"JOGEN(976-)", b"(976-977)"),
    (b"TENGEN", b"(978-982)"),
    (b"EIKAN", b"(983-984)"),
    (b"KANNA", b"(985-986)"),
    (b"EIEN", b"(987-988)"),
    (b"EISO", b"(989)"),
    (b"SHORYAKU", b"(990-994)"),
    (b"SHORYAKU(990", b"(990-994)"),
    (b"CHOTOKU", b"(995-998)"),
    (b"CHOHO", b"(999-1003)"),
    (b"KANKO", b"(1004-1011)"),
    (b"CHOWA", b"(1012-1016)"),
    (b"KANNIN", b"(1017-1020)"),
    (b"CHIAN", b"(1021-1023)"),
    (b"MANJU", b"(1024-1027)"),
    (b"CHOGEN", b"(1028-1036)"),
    (b"CHORYAKU", b"(1037-1039)"),
    (b"CHOKYU", b"(1040-1043)"),
    (b"KANTOKU", b"(1044-1045)"),
    (b"EISHO", b"(1046-1052)"),
    (b"EISHO(1046-)", b"(1046-1052)"),
    (b"TENGI", b"(1053-1057)"),
    (b"KOHEI", b"(1058-1064)"),
    (b"JIRYAKU", b"(1065-1068)"),
    (b"ENKYU", b"(1069-1073)"),
    (b"JOHO", b"(1074-1076)"),
    (b"SHORYAKU", b"(1077-1080)"),
    (b"SHORYAKU(107", b"(1077-1080)"),
    (b"EIHO", b"(1081-1083)"),
    (b"OTOKU", b"(1084-1086)"),
    (b"KANJI", b"(1087-1093)"),
    (b"KAHO", b"(1094-1095)"),
    (b"EICHO", b"(1096)"),
    (b"SHOTOKU", b"(1097-1098)"),
    (b"SHOTOKU(1097", b"(1097-1098)"),
    (b"KOWA", b"(1099-1103)"),
    (b"KOWA(1099-)", b"(1099-1103)"),
    (b"CHOJI", b"(1104-1105)"),
    (b"KASHO", b"(1106-1107)"),
    (b"KASHO(1106-)", b"(1106-1107)"),
    (b"TENNIN", b"(1108-1109)"),
    (b"TENEI", b"(1110-1112)"),
    (b"EIKYU", b"(1113-1117)"),
    (b"GENEI", b"(1118-1119)"),
    (b"HOAN", b"(1120-1123)"),
    (b"TENCHI", b"(1124-1125)"),
    (b"DAIJI", b"(1126-1130)"),
    (b"TENSHO", b"(1131)"),
    (b"TENSHO(1131)", b"(1131)"),
    (b"CHOSHO", b"(1132-1134)"),
    (b"HOEN", b"(1135-1140)"),
    (b"EIJI", b"(1141)"),
    (b"KOJI", b"(1142-1143)"),
    (b"KOJI(1142-)", b"(1142-1143)"),
    (b"TENYO", b"(1144)"),
    (b"KYUAN", b"(1145-1150)"),
    (b"NINPEI", b"(1151-1153)"),
    (b"KYUJU", b"(1154-1155)"),
    (b"HOGEN", b"(1156-1158)"),
    (b"HEIJI", b"(1159)"),
    (b"EIRYAKU", b"(1160)"),
    (b"OHO", b"(1161-1162)"),
    (b"CHOKAN", b"(1163-1164)"),
    (b"EIMAN", b"(1165)"),
    (b"NINNAN", b"(1166-1168)"),
    (b"KAO", b"(1169-1170)"),
    (b"JOAN", b"(1171-1174)"),
    (b"ANGEN", b"(1175-1176)"),
    (b"JISHO", b"(1177-1180)"),
    (b"YOWA", b"(1181)"),
    (b"JUEI", b"(1182-1184)"),
    (b"BUNJI", b"(1185-1189)"),
    (b"KENKYU", b"(1190-1198)"),
    (b"SHOJI", b"(1199-1200)"),
    (b"KENNIN", b"(1201-1203)"),
    (b"GENKYU", b"(1204-1205)"),
    (b"KENEI", b"(1206)"),
    (b"SHOGEN", b"(1207-1210)"),
    (b"SHOGEN(1207-", b"(1207-1210)"),
    (b"KENRYAKU", b"(1211-1212)"),
    (b"KENPO", b"(1213-1218)"),
    (b"SHOKYU", b"(1219-1221)"),
    (b"JOO", b"(1222-1223)"),
    (b"GENNIN", b"(1224)"),
    (b"KAROKU", b"(1225-1226)"),
    (b"ANTEI", b"(1227-1228)"),
    (b"KANKI", b"(1229-1231)"),
    (b"JOEI", b"(1232)"),
    (b"TENPUKU", b"(1233)"),
    (b"BUNRYAKU", b"(1234)"),
    (b"KATEI", b"(1235-1237)"),
    (b"RYAKUNIN", b"(1238)"),
    (b"ENO", b"(1239)"),
    (b"NINJI", b"(1240-1242)"),
    (b"KANGEN", b"(1243-1246)"),
    (b"KANGEN(1243-", b"(1243-1246)"),
    (b"HOJI", b"(1247-1248)"),
    (b"KENCHO", b"(1249-1255)"),
    (b"KOGEN", b"(1256)"),
    (b"SHOKA", b"(1257-1258)"),
    (b"SHOGEN", b"(1259)"),
    (b"SHOGEN(1259)", b"(1259)"),
    (b"BUNO", b"(1260)"),
    (b"KOCHO", b"(1261-1263)"),
    (b"BUNEI", b"(1264-1274)"),
    (b"KENJI", b"(1275-1277)"),
    (b"KOAN", b"(1278-1287)"),
    (b"SHOO", b"(1288-1292)"),
    (b"SHOO(1288-)", b"(1288-1292)"),
    (b"EININ", b"(1293-1298)"),
    (b"SHOAN", b"(1299-1301)"),
    (b"KANGEN", b"(1302)"),
    (b"KANGEN(1302)", b"(1302)"),
    (b"KAGEN", b"(1304-1305)"),
    (b"TOKUJI", b"(1306-1307)"),
    (b"ENKEI", b"(1308-1310)"),
    (b"OCHO", b"(1311)"),
    (b"BUMPO", b"(1317-1318)"),
    (b"BUNPO", b"(1317-1318)"),
    (b"GENO", b"(1319-1320)"),
    (b"GENKYO", b"(1321-1323)"),
    (b"SHOCHU", b"(1324-1325)"),
    (b"KAREKI", b"(1326-1328)"),
    (b"GENTOKU", b"(1329-1330)"),
    (b"GENKO", b"(1331-1333)"),
    (b"SHOKEI", b"(1332-1337)"),
    (b"RYAKUO", b"(1338-1341)"),
    (b"KOEI", b"(1342-1344)"),
    (b"TEIWA", b"(1345-1349)"),
    (b"KANO", b"(1350-1351)"),
    (b"BUNWA", b"(1352-1355)"),
    (b"EMBUN", b"(1356-1360)"),
    (b"ENBUN", b"(1356-1360)"),
    (b"KOAN", b"(1361)"),
    (b"JOJI", b"(1362-1367)"),
    (b"OAN", b"(1368-1374)"),
    (b"EIWA", b"(1375-1378)"),
    (b"EITOKU", b"(1381-1383)"),
    (b"KEMMU", b"(1334-1335)"),
    (b"KENMU", b"(1334-1335)"),
    (b"ENGEN", b"(1336-1339)"),
    (b"KOKOKU", b"(1340-1345)"),
    (b"SHOHEI", b"(1346-1369)"),
    (b"SHOHEI(1346-", b"(1346-1369)"),
    (b"KENTOKU", b"(1370-1371)"),
    (b"BUNCHU", b"(1372-1374)"),
    (b"TENJU", b"(1375-1380)"),
    (b"KORYAKU", b"(1379-1380)"),
    (b"KOWA", b"(1381-1383)"),
    (b"KOWA(1381-)", b"(1381-1383)"),
    (b"GENCHU", b"(1384-1393)"),
    (b"SHITOKU", b"(1384-1386)"),
    (b"KAKEI", b"(1387-1388)"),
    (b"KOO", b"(1389)"),
    (b"MEITOKU", b"(1390-1393)"),
    (b"OEI", b"(1394-1427)"),
    (b"SHOCHO", b"(1428)"),
    (b"EIKYO", b"(1429-1440)"),
    (b"KAKITSU", b"(1441-1443)"),
    (b"BUNAN", b"(1444-1448)"),
    (b"HOTOKU", b"(1449-1451)"),
    (b"KYOTOKU", b"(1452-1454)"),
    (b"KOSHO", b"(1455-1456)"),
    (b"CHOROKU", b"(1457-1459)"),
    (b"KANSHO", b"(1460-1465)"),
    (b"BUNSHO", b"(1466)"),
    (b"ONIN", b"(1467-1468)"),
    (b"BUMMEI", b"(1469-1486)"),
    (b"BUNMEI", b"(1469-1486)"),
    (b"CHOKYO", b"(1487-1488)"),
    (b"ENTOKU", b"(1489-1491)"),
    (b"MEIO", b"(1492-1500)"),
    (b"BUNKI", b"(1501-1503)"),
    (b"EISHO", b"(1504-1520)"),
    (b"EISHO(1504-)", b"(1504-1520)"),
    (b"TAIEI", b"(1521-1527)"),
    (b"KYOROKU", b"(1528-1531)"),
    (b"TEMMON", b"(1532-1554)"),
    (b"TENBUN", b"(1532-1554)"),
    (b"KOJI", b"(1555-1557)"),
    (b"KOJI(1555-)", b"(1555-1557)"),
    (b"EIROKU", b"(1558-1569)"),
    (b"GENKI", b"(1570-1572)"),
    (b"TENSHO", b"(1573-1591)"),
    (b"TENSHO(1573-", b"(1573-1591)"),
    (b"BUNROKU", b"(1592-1595)"),
    (b"KEICHO", b"(1596-1614)"),
    (b"GENNA", b"(1615-1623)"),
    (b"KANEI", b"(1624-1643)"),
    (b"SHOHO", b"(1644-1647)"),
    (b"KEIAN", b"(1648-1651)"),
    (b"SHOO", b"(1652-1654)"),
    (b"SHOO(1652-)", b"(1652-1654)"),
    (b"MEIREKI", b"(1655-1657)"),
    (b"MANJI", b"(1658-1660)"),
    (b"KAMBUN", b"(1661-1672)"),
    (b"KANBUN", b"(1661-1672)"),
    (b"EMPO", b"(1673-1680)"),
    (b"ENPO", b"(1673-1680)"),
    (b"TENNA", b"(1681-1683)"),
    (b"JOKYO", b"(1684-1687)"),
    (b"GENROKU", b"(1688-1703)"),
    (b"HOEI", b"(1704-1710)"),
    (b"SHOTOKU", b"(1711-1715)"),
    (b"SHOTOKU(1711", b"(1711-1715)"),
    (b"KYOHO", b"(1716-1735)"),
    (b"GEMBUN", b"(1736-1740)"),
    (b"GENBUN", b"(1736-1740)"),
    (b"KAMPO", b"(1741-1743)"),
    (b"KANPO", b"(1741-1743)"),
    (b"ENKYO", b"(1744-1747)"),
    (b"KANEN", b"(1748-1750)"),
    (b"HOREKI", b"(1751-1763)"),
    (b"MEIWA", b"(1764-1771)"),
    (b"ANEI", b"(1772-1780)"),
    (b"TEMMEI", b"(1781-1788)"),
    (b"TENMEI", b"(1781-1788)"),
    (b"KANSEI", b"(1789-1800)"),
    (b"KYOWA", b"(1801-1803)"),
    (b"BUNKA", b"(1804-1817)"),
    (b"BUNSEI", b"(1818-1829)"),
    (b"TEMPO", b"(1830-1843)"),
    (b"TENPO", b"(1830-1843)"),
    (b"KOKA", b"(1844-1847)"),
    (b"KAEI", b"(1848-1853)"),
    (b"ANSEI", b"(1854-1859)"),
    (b"MANEN", b"(1860)"),
    (b"BUNKYU", b"(1861-1863)"),
    (b"GENJI", b"(1864)"),
    (b"KEIO", b"(1865-1867)"),
    (b"MEIJI", b"(1868-1911)"),
    (b"TAISHO", b"(1912-1925)"),
    (b"SHOWA", b"(1926-1988)"),
    (b"SHOWA(1926-)", b"(1926-1988)"),
    (b"SHOWA", b"(1312-1316)"),
    (b"SHOWA(1312-)", b"(1312-1316)"),
    (b"HEISEI", b"(1989- )"),
)


def annotate_era(period):
    """The period text without trailing blanks, followed by its year ranges."""
    text = trim_trailing_blanks(period)
    ranges = b""
    for name, years in ERA_ROWS:
        if text == name:
            ranges = ranges + years
    return text + ranges


# ---------------------------------------------------------------- the run


def listing_block(count, rec, name_key, nk, word_line, kanji_line, note, period):
    """The seven lines of one accepted record as (what, bytes) pairs; each
    line feed is already written as a carriage return and a line feed."""
    number = b"%05d" % count  # at least five digits, zero-padded
    lines = [
        ("number/id/name key/name kanji", number + b" " + rec["entryId"] + b", " + name_key
         + b" (" + nk[0] + b" " + nk[1] + b" " + nk[2] + b")\n"),
        ("details 1-2/period/details 3-4", b", ".join(
            [rec["detail1"], rec["detail2"], period, rec["detail3"], rec["detail4"]]) + b"\n"),
        ("details 5-7", b", ".join([rec["detail5"], rec["detail6"], rec["detail7"]]) + b"\n"),
        ("word line", word_line + b"\n"),
        ("kanji line", kanji_line + b"\n"),
        ("note", note + b"\n\n"),
        ("hyphens", b"----------\n"),
    ]
    return [(what, text.replace(b"\n", b"\r\n")) for what, text in lines]


def convert_lines(kanjis, words, listrec):
    """Like convert, but list.txt comes as (block number, what, bytes) lines."""
    console = b"\n"
    table = load_kanji_table(kanjis)
    dictionary = load_word_dictionary(words, table)
    lines = []
    if listrec is None:
        return lines, console
    count = 0
    reader = ByteReader(listrec)
    while True:
        record = reader.read_record(SOURCE_RECORD_SIZE)
        rec = decode_source_record(record)
        nk = [lookup_kanji_code(rec[c], table)
              for c in ("nameCode1", "nameCode2", "nameCode3")]
        note = trim_trailing_blanks(rec["note"])
        name_key = build_name_key(rec["name1"], rec["name2"], rec["name3"])
        word_line, kanji_line = render_word_text(
            rec["wordText"], name_key, nk[0], nk[1], nk[2], dictionary, table)
        padded_key = name_key + BLANK * (21 - len(name_key))
        period = annotate_era(rec["period"])
        if rec["entryId"] != b"        ":
            count += 1
            for what, text in listing_block(count, rec, padded_key, nk, word_line,
                                            kanji_line, note, period):
                lines.append((count, what, text))
        if reader.eof:
            break
    console += b"%d records written to file LIST.TXT\n" % count
    return lines, console


def convert(kanjis, words, listrec):
    """Contents of the three inputs (None: file missing) -> (list.txt, console);
    list.txt is None when the run leaves it as it was (no list.rec)."""
    lines, console = convert_lines(kanjis, words, listrec)
    if listrec is None:
        return None, console
    return b"".join(text for _, _, text in lines), console


def messages(kanjis, words, listrec):
    """(standard error, exit status) of a run on inputs that are missing
    (None) or there and readable: a run without list.rec leaves list.txt as
    it was and fails; a missing table is told with what the listing shows
    instead."""
    if listrec is None:
        return b"listconv: no list.rec in this folder: list.txt left as it was\n", 1
    err = b""
    if kanjis is None:
        err += (b"listconv: no kanjis.dat in this folder: the listing shows ? for every kanji "
                b"code (and 1037 for code 3867)\n")
    if words is None:
        err += (b"listconv: no words.txt in this folder: words get kanji only from codes in "
                b"brackets and from the record's own name, the others show ?\n")
    return err, 0


def read_optional(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def convert_folder(folder):
    """Runs the model on the input files of a folder."""
    return convert(read_optional(os.path.join(folder, "kanjis.dat")),
                   read_optional(os.path.join(folder, "words.txt")),
                   read_optional(os.path.join(folder, "list.rec")))


def main(argv):
    folder = argv[1] if len(argv) > 1 else "."
    listing, console = convert_folder(folder)
    if listing is not None:
        with open(os.path.join(folder, "list.model.txt"), "wb") as f:
            f.write(listing)
    sys.stdout.buffer.write(console)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
