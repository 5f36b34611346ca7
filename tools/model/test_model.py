#!/usr/bin/env python3
"""Checks the reference model against the worked examples of the converter."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import listconv_model as m  # noqa: E402
from inputs import kanji_file, kanji_record, source_record  # noqa: E402

Q = b'"'


class TextToolsTest(unittest.TestCase):
    def test_tokenize(self):
        cases = [
            (b"", []),
            (b"    ", []),
            (b"  a   b  ", [b"a", b"b"]),
            (b"a\tb", [b"a\tb"]),
            (b"a b\r", [b"a", b"b\r"]),
            (b"a b\nc d", [b"a", b"b"]),
            (b"\na b", []),
            (b"x " + Q + b"New York" + Q + b" y", [b"x", Q + b"New York" + Q, b"y"]),
            (b"x " + Q + b"New   York" + Q + b" y", [b"x", Q + b"New York" + Q, b"y"]),
            (Q + b"abc" + Q, [Q + b"abc" + Q]),
            (b"a" + Q + b" b", [b"b"]),
            (Q + b" a " + Q, [Q + b" a " + Q]),
            (b"x " + Q + b"open ended", [b"x"]),
            (Q + b"a " + Q + b"b c" + Q, [Q + b"a " + Q + b"b c" + Q]),
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(m.tokenize(text), expected)

    def test_trim_and_case(self):
        self.assertEqual(m.trim_trailing_blanks(b"  a b  "), b"  a b")
        self.assertEqual(m.trim_trailing_blanks(b"   "), b"")
        self.assertEqual(m.trim_trailing_blanks(b"a \n"), b"a \n")
        self.assertEqual(m.to_upper_case(b"(no) ab"), b"(NO) AB")
        high = bytes(range(0x80, 0x100)) + b"0123456789"
        self.assertEqual(m.to_upper_case(high), high)

    def test_replace_all(self):
        cases = [
            (b"a     b", b"  ", b" ", 2, b"a b"),
            (b" a b ", b" ", b"", 1, b"ab"),
            (b"xabx", b"ab", b"xaby", 2, b"xabx"),
            (b"abc", b"", b"z", 0, b"abc"),
            (b"a ,b ,c", b" ,", b", ", 2, b"a, b, c"),
            (b"aabb", b"ab", b"a", 2, b"aa"),
        ]
        for text, search, repl, length, expected in cases:
            with self.subTest(text=text, search=search):
                self.assertEqual(m.replace_all(text, search, repl, length), expected)


class KanjiTableTest(unittest.TestCase):
    def test_table_of_600_records(self):
        table = m.load_kanji_table(kanji_file({599: b"K599"}, size=600))
        self.assertEqual(len(table), 601)
        self.assertEqual(m.lookup_kanji_code(b"599", table), b"K599")
        self.assertEqual(m.lookup_kanji_code(b"600", table), b"    ")
        self.assertEqual(m.lookup_kanji_code(b"601", table), b"?")

    def test_short_and_partial_files(self):
        table = m.load_kanji_table(kanji_file({}, size=100))
        self.assertEqual(len(table), 526)
        self.assertEqual(m.lookup_kanji_code(b"525", table), b"    ")
        # A partial record after 530 whole ones: its slot runs past the end.
        data = kanji_file({}, size=530) + kanji_record(b"AB", count=4)[:126]
        table = m.load_kanji_table(data)
        self.assertEqual(len(table), 531)
        self.assertEqual(table[530], b"AB\xff\xff")
        self.assertEqual(m.load_kanji_table(None), [])
        self.assertEqual(m.load_kanji_table(b""), [b""] * 525 + [b"    "])

    def test_lookup(self):
        table = m.load_kanji_table(kanji_file(
            {525: b"F525", 526: b"F526", 527: b"A", 528: b"Z\x00Y"}, size=600))
        table[527] = m.decode_field(kanji_record(b"A", count=1), 123, 4)
        cases = [
            (b" 5 2 6", b"F526"), (b"0525", b"F525"), (b"524", b"?"), (b"-7", b"?"),
            (b"0000", b""), (b"", b""), (b"    ", b""), (b"abcd", b""),
            (b"12ab", b"?"), (b"3867", b"1037"), (b"527", b"A   "), (b"528", b"Z"),
            (b"\t526", b"F526"), (b"+526", b"F526"), (b"+-5", b""),
            (b"99999999999", b"?"), (b"4294967822", b"?"),
        ]
        for code, expected in cases:
            with self.subTest(code=code):
                self.assertEqual(m.lookup_kanji_code(code, table), expected)
        self.assertEqual(m.lookup_kanji_code(b"3867", []), b"1037")
        self.assertEqual(m.lookup_kanji_code(b"600", []), b"?")


class WordDictionaryTest(unittest.TestCase):
    def setUp(self):
        self.table = m.load_kanji_table(
            kanji_file({600: b"K600", 601: b"K601", 700: b"K700"}, size=800))

    def load(self, data):
        return m.load_word_dictionary(data, self.table)

    def test_entries_and_carry_over(self):
        self.assertEqual(self.load(b""), [])
        self.assertEqual(self.load(b"AAA X 600 601"), [(b"AAA", b"X", [b"K600", b"K601"])])
        self.assertEqual(self.load(b"BBB Y 700\r\nCCC\r\n")[1], (b"CCC", b"Y", [b"K700"]))
        self.assertEqual(self.load(b"BBB Y 700\nCCC Z\n")[1], (b"CCC", b"Z", [b"K700"]))
        self.assertEqual(self.load(b"   AAA   X    600  \n"), self.load(b"AAA X 600\n"))
        self.assertEqual(self.load(b"K " + Q + b"a b" + Q + b" 600\n"),
                         [(b"K", Q + b"a b" + Q, [b"K600"])])
        self.assertEqual(self.load(b"K W 3867 12 abc\n"), [(b"K", b"W", [b"1037", b"?", b""])])

    def test_line_pieces_and_text_mode(self):
        line = b"0123456789" * 10
        self.assertEqual([e[0] for e in self.load(line + b"\r\n")], [line[:79], line[79:]])
        # A line of 78 characters plus its line feed is read whole.
        self.assertEqual([len(e[0]) for e in self.load(b"A" * 78 + b"\nB\n")], [78, 1])
        # A lone carriage return is an ordinary character inside the line.
        self.assertEqual(self.load(b"A X 600\rB Y 601\n"),
                         [(b"A", b"X", [b"K600", b"", b"K601"])])
        self.assertEqual(self.load(b"A X 600\r\r\n")[0][2], [b"K600"])
        self.assertEqual([e[0] for e in self.load(b"A\r\nB\x1aC\r\nD\n")], [b"A", b"B"])


class RenderWordTextTest(unittest.TestCase):
    def setUp(self):
        self.table = [b""] * 600 + [b"P", b"Q"]
        self.dictionary = [(b"GH", b"", []), (b"AB", b"", [b"X", b"Y"]), (b"CD", b"", [b"Z"])]

    def render(self, text, key=b"EF", nk=(b"N1", b"N2", b"N3")):
        return m.render_word_text(text, key, nk[0], nk[1], nk[2], self.dictionary, self.table)

    def test_examples(self):
        cases = [
            (b"ab cd,", b"AB CD, ", b"X Y Z,"),
            (b"ab, cd", b"AB, CD ", b"X Y, Z"),
            (b"zz", b"ZZ ", b"?"),
            (b"gh ab", b"GH AB ", b"X Y"),
            (b"(no) ab", b"(NO) AB ", b"X Y"),
            (b"ab...", b"AB ", b"X Y"),
            (b"ab,cd", b"AB CD ", b"?"),
            (b"ab[600,601]", b"AB ", b" P Q"),
            (b"ab[600],", b"AB, ", b" P,"),
            (b"[600] ab", b"[600] AB ", b"? X Y"),
            (b"ab[] cd", b"AB CD ", b"X Y Z"),
            (b"ef", b"EF ", b"N1 N2 N3"),
            (b"       ", b"", b""),
            # Words made of "..." groups only are left out entirely.
            (b"ab ... ...... cd", b"AB CD ", b"X Y Z"),
        ]
        for text, word_line, kanji_line in cases:
            with self.subTest(text=text):
                self.assertEqual(self.render(text), (word_line, kanji_line))
        self.assertEqual(self.render(b"ef", nk=(b"N1", b"", b"N3")), (b"EF ", b"N1 N3"))
        key = m.build_name_key(b"E      ", b"f      ", b"       ")
        self.assertEqual(key, b"EF")
        self.assertEqual(self.render(b"xy ab[600] ef", key, (b"N1", b"", b"N3")),
                         (b"XY AB EF ", b"? P N1 N3"))
        self.assertEqual(m.build_name_key(b"ab c   ", b"       ", b"       "), b"ABC")


class EraTest(unittest.TestCase):
    def test_table_shape(self):
        names = [n for n, _ in m.ERA_ROWS]
        self.assertEqual(len(names), 291)
        self.assertEqual(len(set(names)), 279)
        self.assertEqual(sum(1 for n in names if b"(" in n), 24)
        self.assertEqual(sum(1 for _, r in m.ERA_ROWS if b"-" not in r), 31)
        twice = sorted({n for n in names if names.count(n) == 2})
        self.assertEqual(twice, sorted([b"KASHO", b"SHORYAKU", b"EISHO", b"SHOTOKU", b"KOWA",
                                        b"TENSHO", b"KOJI", b"SHOGEN", b"KANGEN", b"KOAN",
                                        b"SHOO", b"SHOWA"]))
        self.assertEqual(m.ERA_ROWS[13], (b"MOMMU", b"(697-700)"))
        self.assertEqual(m.ERA_ROWS[192], (b"KEMMU", b"(1334-1335)"))

    def test_examples(self):
        cases = [
            (b"NARA", b"NARA(645-781)"), (b"EDO", b"EDO(1600-1867)"),
            (b"KOTO", b"KOTO(900-1596)"), (b"CHOKUTO", b"CHOKUTO(-900)"),
            (b"GENDAITO", b"GENDAITO(1868-)"), (b"GENDAI", b"GENDAI(1868-)"),
            (b"HEISEI", b"HEISEI(1989- )"),
            (b"SHOWA", b"SHOWA(1926-1988)(1312-1316)"),
            (b"SHOWA(1926-)", b"SHOWA(1926-)(1926-1988)"),
            (b"SHOWA(1312-)", b"SHOWA(1312-)(1312-1316)"),
            (b"KASHO", b"KASHO(848-850)(1106-1107)"),
            (b"KASHO(848-)", b"KASHO(848-)(848-850)"),
            (b"KOAN", b"KOAN(1278-1287)(1361)"),
            (b"SHORYAKU(990", b"SHORYAKU(990(990-994)"),
            (b"KAMBUN", b"KAMBUN(1661-1672)"), (b"KANBUN", b"KANBUN(1661-1672)"),
            (b"TENPYO", b"TENPYO(729-748)"), (b"TENPYO-SHOHO", b"TENPYO-SHOHO(749-756)"),
            (b"NARA        ", b"NARA(645-781)"), (b" NARA       ", b" NARA"),
            (b"Nara", b"Nara"), (b"", b""), (b" " * 12, b""),
            (b"SHOTOKU", b"SHOTOKU(1097-1098)(1711-1715)"),
        ]
        for period, expected in cases:
            with self.subTest(period=period):
                self.assertEqual(m.annotate_era(period), expected)


class RunTest(unittest.TestCase):
    def test_first_line_and_line_ends(self):
        kanjis = kanji_file({600: b"X\x00", 601: b"Y\x00", 602: b"Z\x00"})
        rec = source_record({"entryId": b"A1", "name1": b"ABCD", "nameCode1": b"600",
                             "nameCode2": b"601", "nameCode3": b"602",
                             "note": b"see list    "})
        listing, console = m.convert(kanjis, None, rec)
        lines = listing.split(b"\r\n")
        self.assertEqual(lines[0], b"00001 A1      , ABCD                  (X Y Z)")
        self.assertEqual(lines[5:8], [b"see list", b"", b"----------"])
        self.assertEqual(console, b"\n1 records written to file LIST.TXT\n")
        self.assertNotIn(b"\n", listing.replace(b"\r\n", b""))

    def test_acceptance_and_file_ends(self):
        blank = source_record({"entryId": (0, b"")})
        empty_id = source_record({"entryId": (8, b"\x00")})
        named = source_record({"entryId": b"B"})
        listing, console = m.convert(None, None, blank + empty_id + named)
        blocks = listing.split(b"----------\r\n")
        self.assertTrue(blocks[0].startswith(b"00001 , "))
        self.assertTrue(blocks[1].startswith(b"00002 B       , "))
        self.assertIn(b"(  )", blocks[0])
        self.assertEqual(console, b"\n2 records written to file LIST.TXT\n")
        self.assertEqual(m.convert(None, None, b""), (b"", b"\n0 records written to file LIST.TXT\n"))
        self.assertEqual(m.convert(None, None, None), (None, b"\n"))
        # The second record is cut short after the fifth slot byte of its id.
        partial = named + source_record({"entryId": b"ABCDEFGH"})[:10]
        listing, _ = m.convert(None, None, partial)
        self.assertIn(b"00002 ABCDE\xff\xff\xff, ", listing)


if __name__ == "__main__":
    unittest.main()
