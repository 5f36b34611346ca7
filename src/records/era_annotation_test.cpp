// Tests of the era table and period annotation.
#include "records/era_annotation.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isCapital(char c) {
  return c >= 'A' && c <= 'Z';
}

// The number of digits at `pos` in `text`.
size_t digitsAt(const std::string& text, size_t pos) {
  size_t n = 0;
  while (pos + n < text.size() && isDigit(text[pos + n])) {
    ++n;
  }
  return n;
}

// A range of one of the forms "(781)", "(782-805)", "(-900)" or "(1868-)":
// years of 3 or 4 digits, at least one of them present.
bool isWellFormedRange(const std::string& range) {
  if (range.size() < 3 || range.front() != '(' || range.back() != ')') {
    return false;
  }
  const std::string inner = range.substr(1, range.size() - 2);
  const size_t first = digitsAt(inner, 0);
  if (first == inner.size()) {
    return first == 3 || first == 4;
  }
  if (inner[first] != '-') {
    return false;
  }
  const size_t last = digitsAt(inner, first + 1);
  if (first + 1 + last != inner.size()) {
    return false;
  }
  const bool firstOk = first == 0 || first == 3 || first == 4;
  const bool lastOk = last == 0 || last == 3 || last == 4;
  return firstOk && lastOk && first + last > 0;
}

// A plain name: capitals with single hyphens between them.
bool isPlainName(const std::string& name) {
  if (name.empty() || name.front() == '-' || name.back() == '-') {
    return false;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    const bool hyphenOk = name[i] == '-' && name[i - 1] != '-';
    if (!isCapital(name[i]) && !hyphenOk) {
      return false;
    }
  }
  return true;
}

// The first year of a range, or -1 for an open start such as "(-900)".
int firstYearOf(const std::string& range) {
  const size_t n = digitsAt(range, 1);
  return n == 0 ? -1 : std::stoi(range.substr(1, n));
}

// The annotation by a straight pass over every row of the table.
std::string annotateByScan(std::string period) {
  while (!period.empty() && period.back() == ' ') {
    period.pop_back();
  }
  std::string ranges;
  for (size_t i = 0; i < kEraRowCount; ++i) {
    if (period == EraAnnotation[i].name) {
      ranges += EraAnnotation[i].range;
    }
  }
  return period + ranges;
}

// The index of the first row named `name`, or kEraRowCount.
size_t rowNamed(const std::string& name, size_t from = 0) {
  size_t i = from;
  while (i < kEraRowCount && name != EraAnnotation[i].name) {
    ++i;
  }
  return i;
}

TEST(EraTable, HasTheRowsAndNamesOfTheConverter) {
  std::map<std::string, int> rowsOfName;
  for (size_t i = 0; i < kEraRowCount; ++i) {
    ++rowsOfName[EraAnnotation[i].name];
  }
  std::set<std::string> twice;
  for (const auto& [name, rows] : rowsOfName) {
    EXPECT_LE(rows, 2) << name;
    if (rows == 2) {
      twice.insert(name);
    }
  }
  const std::set<std::string> expected = {"KASHO",  "SHORYAKU", "EISHO", "SHOTOKU",
                                          "KOWA",   "TENSHO",   "KOJI",  "SHOGEN",
                                          "KANGEN", "KOAN",     "SHOO",  "SHOWA"};
  EXPECT_EQ(twice, expected);
  // The periods and sword classes come before the eras, which start with MOMMU.
  ASSERT_GT(kEraRowCount, 0u);
  EXPECT_STREQ(EraAnnotation[0].name, "NARA");
  EXPECT_LT(rowNamed("CHOKUTO"), rowNamed("MOMMU"));
  EXPECT_LT(rowNamed("MOMMU"), kEraRowCount);
  EXPECT_STREQ(EraAnnotation[kEraRowCount - 1].name, "HEISEI");
}

TEST(EraTable, EveryRangeIsWellFormed) {
  for (size_t i = 0; i < kEraRowCount; ++i) {
    const std::string name = EraAnnotation[i].name;
    const std::string range = EraAnnotation[i].range;
    if (name == "HEISEI") {
      EXPECT_EQ(range, "(1989- )");  // the one range with a blank
      continue;
    }
    EXPECT_TRUE(isWellFormedRange(range)) << "row " << i + 1 << " " << name << " " << range;
  }
  EXPECT_EQ(annotateEra("MOMMU"), "MOMMU(697-700)");
}

// A year-qualified name is the name of the row in front of it, "(", the first
// year and "-)" (or ")" for a single year), cut to 12 characters; it carries
// that row's range.
TEST(EraTable, NamesArePlainOrQualifyTheRowBefore) {
  for (size_t i = 0; i < kEraRowCount; ++i) {
    const std::string name = EraAnnotation[i].name;
    const std::string range = EraAnnotation[i].range;
    EXPECT_GE(name.size(), 3u) << name;
    EXPECT_LE(name.size(), 12u) << name;
    const size_t paren = name.find('(');
    if (paren == std::string::npos) {
      EXPECT_TRUE(isPlainName(name)) << name;
      continue;
    }
    ASSERT_GT(i, 0u);
    const std::string before = EraAnnotation[i - 1].name;
    EXPECT_EQ(name.substr(0, paren), before) << name;
    EXPECT_EQ(range, EraAnnotation[i - 1].range) << name;
    const bool singleYear = range.find('-') == std::string::npos;
    const std::string whole =
        before + "(" + std::to_string(firstYearOf(range)) + (singleYear ? ")" : "-)");
    EXPECT_EQ(name, whole.substr(0, 12)) << name;
  }
}

// Era rows run by first year, save the second run from KEMMU to GENCHU after
// EITOKU and the SHOWA of 1312 near the end.
TEST(EraTable, EraNamesRunInOrderOfTheirFirstYear) {
  const size_t mommu = rowNamed("MOMMU");
  const size_t kemmu = rowNamed("KEMMU");
  const size_t genchu = rowNamed("GENCHU", kemmu);
  const size_t lateShowa = rowNamed("SHOWA", rowNamed("SHOWA") + 1);
  ASSERT_LT(mommu, kemmu);
  ASSERT_LT(genchu, lateShowa);
  ASSERT_LT(lateShowa, kEraRowCount);
  EXPECT_LT(rowNamed("EITOKU"), kemmu);
  EXPECT_STREQ(EraAnnotation[lateShowa].range, "(1312-1316)");
  const size_t runs[][2] = {{mommu, kemmu}, {kemmu, lateShowa}};
  for (const auto& run : runs) {
    for (size_t row = run[0] + 1; row < run[1]; ++row) {
      EXPECT_LE(firstYearOf(EraAnnotation[row - 1].range), firstYearOf(EraAnnotation[row].range))
          << "row " << row + 1 << " " << EraAnnotation[row].name;
    }
  }
}

struct AnnotateCase {
  const char* what;
  std::string period;
  std::string want;
};

TEST(AnnotateEra, AppendsTheRangesOfTheNamedRows) {
  const std::string blanks8(8, ' ');
  const AnnotateCase cases[] = {
      {"period", "NARA" + blanks8, "NARA(645-781)"},
      {"sword class, open start", "CHOKUTO     ", "CHOKUTO(-900)"},
      {"open end", "GENDAI", "GENDAI(1868-)"},
      {"blank inside the range", "HEISEI      ", "HEISEI(1989- )"},
      {"two rows, 1926 first", "SHOWA       ", "SHOWA(1926-1988)(1312-1316)"},
      {"qualified 1926", "SHOWA(1926-)", "SHOWA(1926-)(1926-1988)"},
      {"qualified 1312", "SHOWA(1312-)", "SHOWA(1312-)(1312-1316)"},
      {"two rows", "KASHO", "KASHO(848-850)(1106-1107)"},
      {"first of two", "KASHO(848-) ", "KASHO(848-)(848-850)"},
      {"second of two", "KASHO(1106-)", "KASHO(1106-)(1106-1107)"},
      {"two rows, none qualified", "KOAN", "KOAN(1278-1287)(1361)"},
      {"cut qualified name", "SHORYAKU(990", "SHORYAKU(990(990-994)"},
      {"single-year qualified", "TENSHO(1131)", "TENSHO(1131)(1131)"},
      {"qualified, plain in one row", "JOGEN(976-) ", "JOGEN(976-)(976-977)"},
      {"spelling variants", "KAMBUN", "KAMBUN(1661-1672)"},
      {"spelling variants", "KANBUN", "KANBUN(1661-1672)"},
      {"shorter name", "TENPYO      ", "TENPYO(729-748)"},
      {"longer name", "TENPYO-SHOHO", "TENPYO-SHOHO(749-756)"},
      {"prefix of a name", "TENPYO-SHO  ", "TENPYO-SHO"},
      {"longest result", "SHOTOKU     ", "SHOTOKU(1097-1098)(1711-1715)"},
      {"leading blank", " NARA       ", " NARA"},
      {"blank inside", "TENPYO SHOHO", "TENPYO SHOHO"},
      {"tab is not a blank", "NARA\t       ", "NARA\t"},
      {"small letters", "nara        ", "nara"},
      {"mixed case", "Showa       ", "Showa"},
      {"blanks only", std::string(12, ' '), ""},
      {"empty", "", ""},
      {"zero byte after the name", std::string("NARA\0       ", 12), std::string("NARA\0", 5)},
      {"zero byte first", std::string("\0NARA", 5), std::string("\0NARA", 5)},
      {"high bytes", "\x82\xa0\xff" + blanks8, "\x82\xa0\xff"},
      {"high byte after the name", "EDO\x80", "EDO\x80"},
      {"already annotated", "NARA(645-781)", "NARA(645-781)"},
  };
  for (const AnnotateCase& c : cases) {
    EXPECT_EQ(annotateEra(c.period), c.want) << c.what << ": '" << c.period << "'";
  }
  EXPECT_EQ(annotateEra("SHOTOKU").size(), 29u);
}

// Texts around the names: prefixes (some of them names too) and near misses
// of every name, blanks and zero bytes in odd places, and texts that sort
// before or after every name.
std::vector<std::string> textsAroundTheNames() {
  std::vector<std::string> texts = {"",     " ",    "A",    "ZZZZZZZZZZZZ", "(",
                                    ")",    "-",    "AAA",  "ZZZ",          std::string(1, '\0'),
                                    "\xff", " EDO", "E DO", "EDO\t",        "SHOWA(1926-1"};
  for (size_t i = 0; i < kEraRowCount; ++i) {
    const std::string name = EraAnnotation[i].name;
    for (size_t n = 0; n < name.size(); ++n) {
      texts.push_back(name.substr(0, n));
    }
    texts.push_back(name + "A");
    texts.push_back(name + std::string(1, '\0'));
    std::string low = name;
    low.back() = static_cast<char>(low.back() - 1);
    texts.push_back(low);
    std::string high = name;
    high.back() = static_cast<char>(high.back() + 1);
    texts.push_back(high);
  }
  return texts;
}

TEST(AnnotateEra, GivesWhatAStraightPassOverTheTableGives) {
  for (size_t i = 0; i < kEraRowCount; ++i) {
    const std::string name = EraAnnotation[i].name;
    EXPECT_EQ(annotateEra(name), annotateByScan(name)) << name;
    const std::string padded = name + std::string(12 - name.size(), ' ');
    EXPECT_EQ(annotateEra(padded), annotateByScan(padded)) << name;
    EXPECT_NE(annotateEra(name), name) << name;
  }
  for (const std::string& text : textsAroundTheNames()) {
    EXPECT_EQ(annotateEra(text), annotateByScan(text)) << "'" << text << "'";
  }
}

}  // namespace
