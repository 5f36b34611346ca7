// Tests of the catalogue page: its heading and the rows of its data.
#include "formats/catalogue_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "formats/catalogue_template.h"
#include "cp932/cp932.h"

namespace {

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

TEST(Html, ARowIsTheDumpOfAJsonArrayWithItsMarkupHidden) {
  // The row's values in the order of the page's fields, as a JSON array.
  const size_t fields[] = {1, 5, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};
  const std::string_view odd[] = {"</script><!--&>", "quote \" backslash \\ \x01\x1F\x7F",
                                  "\x95\x5C\x82\xA0", "\xFF<\x82&", ""};
  ExportRow row;
  row.number = 4321;
  for (size_t i = 0; i < row.texts.size(); ++i) {
    row.texts[i] = odd[i % std::size(odd)];
  }
  nlohmann::json values = nlohmann::json::array({row.number});
  for (const size_t field : fields) {
    std::string utf8;
    size_t undecodable = 0;
    appendCp932AsUtf8(utf8, row.texts[field - 1], undecodable);
    values.push_back(utf8);
  }
  std::string want;
  for (const char c : values.dump()) {
    want += c == '<' ? "\\u003c" : c == '>' ? "\\u003e" : c == '&' ? "\\u0026" : std::string(1, c);
  }
  TextEncoding encoding;
  std::string out;
  appendCatalogueRow(out, row, encoding, 1, CatalogueHeading{});
  EXPECT_EQ(out, want);
  out.clear();
  appendCatalogueRow(out, row, encoding, 2, CatalogueHeading{});
  EXPECT_EQ(out, ",\n" + want);
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
