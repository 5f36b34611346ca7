// Tests of the export's rows: which value goes where, CSV quoting, JSON that
// reads back, and the listing's blocks.
#include "formats/export_rows.h"

#include <gtest/gtest.h>

#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cp932/cp932.h"

namespace {

using namespace std::string_view_literals;

// U+FFFD in UTF-8.
#define BAD "\xEF\xBF\xBD"

TEST(ExportRow, EveryFieldComesFromTheBlockOrItsRecordWithoutTrailingBlanks) {
  SourceRecord r;
  ListingBlock b;
  b.record = &r;
  b.number = 42;
  // Every text, in export order, is set to its field's name and up to two
  // blanks, which the row leaves out.
  std::string* const texts[] = {
      &r.entryId,   &r.name1,     &r.name2,        &r.name3,        &b.nameKey,      &r.nameCode1,
      &r.nameCode2, &r.nameCode3, &b.nameKanji[0], &b.nameKanji[1], &b.nameKanji[2], &r.detail1,
      &r.detail2,   &b.period,    &r.detail3,      &r.detail4,      &r.detail5,      &r.detail6,
      &r.detail7,   &r.wordText,  &b.wordLine,     &b.kanjiLine,    &r.note};
  ASSERT_EQ(std::size(texts), kExportFieldCount - 1);
  for (size_t i = 0; i < std::size(texts); ++i) {
    *texts[i] = std::string(kExportFields[i + 1]) + std::string(i % 3, ' ');
  }
  r.period = "the record's own period";  // the block's, with its years, is shown

  ExportRow row;
  fillExportRow(b, row);
  EXPECT_EQ(row.number, 42);
  for (size_t i = 0; i < row.texts.size(); ++i) {
    EXPECT_EQ(row.texts[i], kExportFields[i + 1]);
  }
}

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBeAndTranscodedWhole) {
  struct Case {
    std::string_view text;
    bool utf8;
    std::string_view written;
    size_t undecodable;
  };
  const Case cases[] = {
      {"plain text", false, "plain text", 0},
      {"", false, "", 0},
      {"  leading", false, "  leading", 0},
      {"a,b", false, "\"a,b\"", 0},
      {"say \"hi\"", false, "\"say \"\"hi\"\"\"", 0},
      {"\"", false, "\"\"\"\"", 0},
      {"a\nb", false, "\"a\nb\"", 0},
      {"a\rb", false, "\"a\rb\"", 0},
      {"tab\there;semi", false, "tab\there;semi", 0},
      {"\x82\xA0\xFF,", false, "\"\x82\xA0\xFF,\"", 0},  // CP932 bytes stay as they are
      {"\x82\xA0,\"", true, "\"\xE3\x81\x82,\"\"\"", 0},
      // A lead byte before a quote is no character; the quote is still doubled.
      {"\x82\"x", true, "\"" BAD "\"\"x\"", 1},
      {"\xFF\x82", true, BAD BAD, 2},
      {"\0"sv, true, "\0"sv, 0},
  };
  for (const Case& c : cases) {
    TextEncoding encoding;
    encoding.utf8 = c.utf8;
    std::string out = "x";
    appendCsvField(out, c.text, encoding, false);
    EXPECT_EQ(out, "x" + std::string(c.written)) << c.text;
    EXPECT_EQ(encoding.undecodable, c.undecodable) << c.text;
  }
}

TEST(Csv, ValuesThatStartLikeAFormulaGetAQuoteMarkBeforeTheyAreQuoted) {
  struct Case {
    std::string_view text;
    std::string_view plain;    // as written without --escape-formulas
    std::string_view escaped;  // as written with it
  };
  const Case cases[] = {
      {"=1+1", "=1+1", "'=1+1"},
      {"+81 3", "+81 3", "'+81 3"},
      {"-5", "-5", "'-5"},
      {"-", "-", "'-"},
      {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
      {"\tx", "\tx", "'\tx"},
      {"\rx", "\"\rx\"", "\"'\rx\""},
      {"=a,b", "\"=a,b\"", "\"'=a,b\""},
      {"=HYPERLINK(\"u\",\"v\")", "\"=HYPERLINK(\"\"u\"\",\"\"v\"\")\"",
       "\"'=HYPERLINK(\"\"u\"\",\"\"v\"\")\""},
      // Only the first character counts.
      {"", "", ""},
      {"a=b", "a=b", "a=b"},
      {" =1", " =1", " =1"},
      {"'=1", "'=1", "'=1"},
      {"\n=1", "\"\n=1\"", "\"\n=1\""},
  };
  for (const Case& c : cases) {
    for (const bool utf8 : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.text << (utf8 ? " utf-8" : " cp932"));
      TextEncoding encoding;
      encoding.utf8 = utf8;
      std::string plain;
      appendCsvField(plain, c.text, encoding, false);
      EXPECT_EQ(plain, c.plain);
      std::string escaped;
      appendCsvField(escaped, c.text, encoding, true);
      EXPECT_EQ(escaped, c.escaped);
    }
  }

  // A '@' that is the second byte of a character (an ideographic blank) is
  // not the first character.
  EXPECT_FALSE(startsLikeFormula("\x81\x40=1"));

  // In a row only the texts can start like a formula.
  ExportRow row;
  row.number = 1;
  row.texts.fill("");
  row.texts[0] = "-X";
  row.texts[22] = "=1";
  TextEncoding encoding;
  std::string out;
  appendCsvRow(out, row, encoding, true);
  EXPECT_EQ(out, "1,'-X,,,,,,,,,,,,,,,,,,,,,,'=1\r\n");
}

TEST(Csv, HeaderNamesTheFieldsAndRowsStartWithAPlainNumber) {
  std::string header;
  appendCsvHeader(header, kExportFields, kExportFieldCount);
  EXPECT_EQ(header,
            "number,entryId,name1,name2,name3,nameKey,nameCode1,nameCode2,nameCode3,nameKanji1,"
            "nameKanji2,nameKanji3,detail1,detail2,period,detail3,detail4,detail5,detail6,"
            "detail7,wordText,wordLine,kanjiLine,note\r\n");

  ExportRow row;
  row.number = 7;
  row.texts.fill("v");
  row.texts[2] = "x,y";
  TextEncoding encoding;
  std::string out;
  appendCsvRow(out, row, encoding, false);
  EXPECT_EQ(out, "7,v,v,\"x,y\",v,v,v,v,v,v,v,v,v,v,v,v,v,v,v,v,v,v,v,v\r\n");
}

TEST(JsonLines, OneObjectPerLineThatReadsBackExactly) {
  ExportRow row;
  row.number = 100000;
  const std::string_view odd[] = {"quote \" backslash \\ slash /", "line\nfeed\r\tand\x01",
                                  "</script><!--&", "\x82\xA0\x93\xFA", "\xFF"};
  for (size_t i = 0; i < row.texts.size(); ++i) {
    row.texts[i] = odd[i % 5];
  }
  TextEncoding encoding;
  std::string out;
  appendJsonLine(out, row, encoding);
  ASSERT_EQ(out.find('\n'), out.size() - 1);

  const nlohmann::ordered_json back = nlohmann::ordered_json::parse(out);
  ASSERT_EQ(back.size(), kExportFieldCount);
  size_t i = 0;
  for (const auto& [key, value] : back.items()) {
    EXPECT_EQ(key, kExportFields[i]);
    if (i == 0) {
      EXPECT_TRUE(value.is_number_integer());
      EXPECT_EQ(value.get<int64_t>(), 100000);
    } else {
      const std::string_view want[] = {"quote \" backslash \\ slash /", "line\nfeed\r\tand\x01",
                                       "</script><!--&", "\xE3\x81\x82\xE6\x97\xA5", BAD};
      EXPECT_EQ(value.get<std::string>(), want[(i - 1) % 5]) << key;
    }
    ++i;
  }
  EXPECT_EQ(encoding.undecodable, (kExportFieldCount - 1) / 5);
}

// Texts for a JSON writer to get wrong: every byte below 0x80 alone, after
// plain text and before a multi-byte character, at each place of a longer
// text, all of them together, and quotes and backslashes among other text.
std::vector<std::string> asciiTroubles() {
  std::vector<std::string> texts = {"",         "plain", "a\"b\\c/d",
                                    "\\\\\"\"", "end\\", "a plain text, longer than a word or two"};
  std::string all;
  for (int c = 0; c < 0x80; ++c) {
    const char byte = static_cast<char>(c);
    texts.push_back(std::string(1, byte));
    texts.push_back("x" + std::string(1, byte) + "\xE6\x97\xA5");
    texts.push_back(std::string(c % 19, '~') + std::string(1, byte) + "\xE6\x97\xA5 plain");
    all += byte;
  }
  texts.push_back(all);
  return texts;
}

TEST(Json, StringsAreWrittenByteForByteAsNlohmannJsonDumpsThem) {
  std::vector<std::string> texts = asciiTroubles();
  for (const char* utf8 : {BAD, "\xF0\x9F\x98\x80\"\xF4\x8F\xBF\xBF\\",
                           "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\x7F\x1F",
                           "\xE6\x97\xA5\xF0\x9F\x98\x80\xC2\xA0" BAD "\xF4\x8F\xBF\xBF",
                           "\xE6\x97\xA5\xF0\x9F\x98\x80\xC2\xA0" BAD "\xF4\x8F\xBF\xBF\n"}) {
    texts.push_back(utf8);
  }
  for (const std::string& text : texts) {
    std::string out = "{";
    appendJsonString(out, text);
    EXPECT_EQ(out, "{" + nlohmann::json(text).dump()) << nlohmann::json(text).dump();
  }
}

TEST(Json, TextsOfTheDataFilesAreWrittenAsTheDumpOfTheirUtf8) {
  // CP932: besides the ASCII troubles, every byte alone (some undecodable)
  // and at each place of a longer text,
  // a pair whose second byte is a backslash, and lead bytes before a quote,
  // a backslash, a control character or the end.
  std::vector<std::string> texts = asciiTroubles();
  for (int c = 0x80; c < 0x100; ++c) {
    texts.push_back(std::string(1, static_cast<char>(c)));
    texts.push_back(std::string(c % 19, 'a') + static_cast<char>(c) + "\xA0 plain text \" after");
  }
  for (const char* cp932 : {"\x95\x5C", "\x95\x5C\x95\x5C\"", "\x82\"", "\x82\\", "\x82\x01",
                            "\x82\n\x82\xA0\x82", "\xFF\\\xFF"}) {
    texts.push_back(cp932);
  }
  for (const std::string& text : texts) {
    std::string utf8;
    size_t undecodable = 0;
    appendCp932AsUtf8(utf8, text, undecodable);
    TextEncoding encoding;
    std::string out = "{";
    appendJsonText(out, text, encoding);
    EXPECT_EQ(out, "{" + nlohmann::json(utf8).dump()) << nlohmann::json(utf8).dump();
    EXPECT_EQ(encoding.undecodable, undecodable);
  }
}

TEST(JsonLines, ALineIsWhatADumpOfTheRecordAsAnObjectWouldBe) {
  const std::vector<std::string> texts = asciiTroubles();
  size_t next = 0;
  for (const int64_t number : {int64_t{1}, int64_t{99999}, int64_t{1234567890123}}) {
    ExportRow row;
    row.number = number;
    nlohmann::ordered_json object = {{kExportFields[0], number}};
    for (size_t i = 0; i < row.texts.size(); ++i, next = (next + 1) % texts.size()) {
      row.texts[i] = texts[next];
      std::string utf8;
      size_t undecodable = 0;
      appendCp932AsUtf8(utf8, texts[next], undecodable);
      object[kExportFields[i + 1]] = utf8;
    }
    TextEncoding encoding;
    std::string out = "x";
    appendJsonLine(out, row, encoding);
    EXPECT_EQ(out, "x" + object.dump() + "\n");
  }
}

TEST(Listing, BlocksAreWrittenAsListTxtHoldsThemThroughTheFileLayersLineEnds) {
  SourceRecord record;
  record.entryId = "ID      ";
  record.detail3 = "two\nlines";
  record.note = "note";
  ListingBlock block;
  block.record = &record;
  block.number = 3;
  block.nameKey = "AB                   ";
  block.nameKanji[0] = "\x88\x9F";
  block.kanjiLine = "\x82";  // a lead byte that ends its line
  const std::string lines = formatListingBlock(block);

  TextEncoding stored;
  stored.utf8 = false;
  std::string out;
  appendListingBlock(out, block, stored);
  EXPECT_EQ(out, lines);

  TextEncoding utf8;
  out.clear();
  appendListingBlock(out, block, utf8);
  EXPECT_EQ(utf8.undecodable, 1u);
  EXPECT_EQ(out.substr(0, 42), "00003 ID      , AB                    (\xE4\xBA\x9C");
  EXPECT_NE(out.find(", two\nlines, "), std::string::npos);
  EXPECT_NE(out.find("\n" BAD "\nnote\n\n----------\n"), std::string::npos);
}

}  // namespace
