// Tests of the export formats: which value goes where, CSV quoting, JSON
// that reads back, the listing's line ends, the report of unknowns and the
// catalogue page's data.
#include "export_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "catalogue_template.h"

namespace {

using namespace std::string_view_literals;

// U+FFFD in UTF-8.
#define BAD "\xEF\xBF\xBD"

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

  // In a row only the texts can start like a formula; in the report of
  // unknowns, only the text column.
  ExportRow row;
  row.number = 1;
  row.texts.fill("");
  row.texts[0] = "-X";
  row.texts[22] = "=1";
  TextEncoding encoding;
  std::string out;
  appendCsvRow(out, row, encoding, true);
  EXPECT_EQ(out, "1,'-X,,,,,,,,,,,,,,,,,,,,,,'=1\r\n");

  UnknownReport report;
  UnknownWords unknown;
  unknown.words = {"+A", "B"};
  unknown.codes = {"-1"};
  noteUnknowns(report, 3, unknown);
  out.clear();
  appendUnknownReport(out, report, encoding, true);
  EXPECT_EQ(out, "kind,text,count,first\r\nword,'+A,1,3\r\ncode,'-1,1,3\r\nword,B,1,3\r\n");
}

TEST(Csv, HeaderNamesTheFieldsAndRowsStartWithAPlainNumber) {
  std::string header;
  appendCsvHeader(header);
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

TEST(Listing, BlocksAreWrittenAsListTxtHoldsThemThroughTheFileLayersLineEnds) {
  ListingBlock block;
  block.number = 3;
  block.entryId = "ID      ";
  block.nameKey = "AB                   ";
  block.nameKanji1 = "\x88\x9F";
  block.detail3 = "two\nlines";
  block.kanjiLine = "\x82";  // a lead byte that ends its line
  block.note = "note";
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

  // The CRs of list.txt's CR LF line ends come from the file layer, as
  // listconv's own do; no other format is written so.
  for (const ExportFormat& format : kExportFormats) {
    EXPECT_EQ(format.crLf, std::string_view(format.name) == "listing") << format.name;
  }
}

TEST(UnknownReport, CountsWhatGaveQuestionMarksAndSortsItByCountTextAndKind) {
  UnknownReport report;
  UnknownWords unknown;

  // Block 1: code 99 noted twice counts twice.
  unknown.words = {"ZZ", "ZZ", "A,B"};
  unknown.codes = {"99", "77", "99"};
  noteUnknowns(report, 1, unknown);

  // Block 2: new texts, one of them a word and a code.
  unknown.words = {"X", "\xFF", "B"};
  unknown.codes = {"X"};
  noteUnknowns(report, 2, unknown);

  unknown.words = {"ZZ"};
  unknown.codes = {};
  noteUnknowns(report, 5, unknown);

  TextEncoding stored;
  stored.utf8 = false;
  std::string out;
  appendUnknownReport(out, report, stored, false);
  EXPECT_EQ(out,
            "kind,text,count,first\r\n"
            "word,ZZ,3,1\r\n"
            "code,99,2,1\r\n"
            "code,77,1,1\r\n"
            "word,\"A,B\",1,1\r\n"
            "word,B,1,2\r\n"
            "code,X,1,2\r\n"
            "word,X,1,2\r\n"
            "word,\xFF,1,2\r\n");

  TextEncoding utf8;
  out.clear();
  appendUnknownReport(out, UnknownReport(), utf8, false);
  EXPECT_EQ(out, "kind,text,count,first\r\n");
}

TEST(Html, TextsAreEscaped) {
  std::string out;
  appendHtmlEscaped(out, "a & b < c > d \"e\" 'f' \x82\xA0");
  EXPECT_EQ(out, "a &amp; b &lt; c &gt; d &quot;e&quot; &#39;f&#39; \x82\xA0");
}

// The page's data blocks (the first page's rows, then the others) and the
// text before and between them.
struct PageParts {
  std::string head;
  std::string data;
  std::string between;
  std::string more;
};

// The text of the <script> element opened by `open` at or after `from`, and
// where that element ends; empty and npos when there is none.
std::pair<std::string, size_t> scriptText(const std::string& page, const std::string& open,
                                          size_t from) {
  const size_t start = page.find(open, from);
  const size_t end = start == std::string::npos ? start : page.find("</script>", start);
  if (end == std::string::npos) {
    return {"", end};
  }
  return {page.substr(start + open.size(), end - start - open.size()), end + 9};
}

PageParts splitPage(const std::string& page) {
  const std::string open = "<script type=\"application/json\" id=\"catalogue-data\">";
  const std::string openMore = "<script type=\"application/json\" id=\"catalogue-more\">";
  const auto [data, dataEnd] = scriptText(page, open, 0);
  const auto [more, moreEnd] = scriptText(page, openMore, dataEnd);
  if (moreEnd == std::string::npos) {
    return {};
  }
  const size_t moreStart = page.find(openMore, dataEnd);
  return {page.substr(0, page.find(open)), data, page.substr(dataEnd, moreStart - dataEnd), more};
}

TEST(Html, ThePageCarriesItsHeadingAndRowsThatReadBack) {
  CatalogueHeading heading;
  heading.title = "Swords & <Fittings> \"1\" 'A' @SOURCES@";
  heading.sources = "kanjis.dat, list.rec";
  ExportRow row;
  row.texts.fill("");
  TextEncoding encoding;
  std::string page;
  appendCatalogueStart(page, heading);
  row.number = 1;
  row.texts[0] = "A1";                                   // entryId
  row.texts[22] = "</script><script>alert(1)</script>";  // note
  appendCatalogueRow(page, row, encoding, 1, heading);
  row.number = 2;
  row.texts[0] = "A2";
  row.texts[22] = "<!-- & -->";
  row.texts[8] = "\x93\xFA";  // nameKanji1
  appendCatalogueRow(page, row, encoding, 2, heading);
  appendCatalogueEnd(page, heading, 2);

  for (const char* marker : {">@TITLE@<", "from @SOURCES@<", "@FIRST_ROWS@", "@MORE_ROWS@"}) {
    EXPECT_EQ(page.find(marker), std::string::npos) << marker;
  }
  const std::string title = "Swords &amp; &lt;Fittings&gt; &quot;1&quot; &#39;A&#39; @SOURCES@";
  EXPECT_NE(page.find("<title>" + title + "</title>"), std::string::npos);
  EXPECT_NE(page.find("<h1>" + title + "</h1>"), std::string::npos);
  // The page counts its records itself: they are written as they are read.
  EXPECT_NE(page.find(">Counting records&hellip;</span> &middot; from kanjis.dat, list.rec</p>"),
            std::string::npos);

  const PageParts parts = splitPage(page);
  ASSERT_FALSE(parts.data.empty());
  EXPECT_EQ(parts.data.find_first_of("<>&"), std::string::npos);
  const nlohmann::json data = nlohmann::json::parse(parts.data);
  EXPECT_EQ(data["fields"],
            nlohmann::json::parse(R"(["number","entryId","nameKey","nameKanji1","nameKanji2",
              "nameKanji3","detail1","detail2","period","detail3","detail4","detail5","detail6",
              "detail7","wordLine","kanjiLine","note"])"));
  ASSERT_EQ(data["rows"].size(), 2u);
  EXPECT_EQ(data["rows"][0][0], 1);
  EXPECT_EQ(data["rows"][0][1], "A1");
  EXPECT_EQ(data["rows"][0][16], "</script><script>alert(1)</script>");
  EXPECT_EQ(data["rows"][1][3], "\xE6\x97\xA5");
  EXPECT_EQ(data["rows"][1][16], "<!-- & -->");
}

TEST(Html, APageWithoutRowsIsStillAWholePage) {
  CatalogueHeading heading;
  heading.title = "Listing";
  heading.sources = "no data files";
  std::string page;
  appendCatalogueStart(page, heading);
  appendCatalogueEnd(page, heading, 0);
  const PageParts parts = splitPage(page);
  EXPECT_TRUE(nlohmann::json::parse(parts.data)["rows"].empty());
  EXPECT_TRUE(nlohmann::json::parse(parts.more)["rows"].empty());
  EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
}

TEST(Html, TheFirstPageOfRowsComesBeforeThePageScriptAndTheOthersAfterIt) {
  CatalogueHeading heading;
  heading.title = "Listing";
  ExportRow row;
  row.texts.fill("");
  TextEncoding encoding;
  for (const int64_t rows : {int64_t{1}, kCatalogueFirstRows - 1, kCatalogueFirstRows,
                             kCatalogueFirstRows + 1, 2 * kCatalogueFirstRows + 50}) {
    SCOPED_TRACE(rows);
    std::string page;
    appendCatalogueStart(page, heading);
    for (int64_t n = 1; n <= rows; ++n) {
      row.number = n;
      appendCatalogueRow(page, row, encoding, n, heading);
    }
    appendCatalogueEnd(page, heading, rows);

    const PageParts parts = splitPage(page);
    ASSERT_FALSE(parts.more.empty());
    // The page's own script, and nothing else, stands between the blocks.
    EXPECT_EQ(parts.between.find("<script>"), 1u);
    EXPECT_EQ(parts.between.find("</script>"), parts.between.size() - 10);
    const nlohmann::json first = nlohmann::json::parse(parts.data);
    const nlohmann::json more = nlohmann::json::parse(parts.more);
    EXPECT_EQ(first["fields"].size(), 17u);
    ASSERT_EQ(int64_t(first["rows"].size()), std::min(rows, kCatalogueFirstRows));
    ASSERT_EQ(int64_t(first["rows"].size() + more["rows"].size()), rows);
    int64_t n = 0;
    for (const nlohmann::json* block : {&first, &more}) {
      for (const nlohmann::json& r : (*block)["rows"]) {
        EXPECT_EQ(r[0], ++n);
      }
    }
  }
}

TEST(Html, TheFirstRowsAreOnePageOfTheTable) {
  const std::string_view page = catalogueTemplate();
  EXPECT_NE(page.find("var PAGE_SIZE = " + std::to_string(kCatalogueFirstRows) + ";"),
            std::string_view::npos);
}

}  // namespace
