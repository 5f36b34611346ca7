// Stand-ins for characters that CP932 cannot hold. Most come from the other
// mapping of Shift-JIS (JIS's own, that of macOS and of EUC-JP texts), which
// gives some codes other characters than Windows does: a text made there
// holds 〜 U+301C where Windows has ～ U+FF5E, for the same code 81 60.
#include <algorithm>
#include <iterator>

#include "cp932/cp932_encode.h"

namespace {

// A character and what to write instead.
struct Advice {
  uint32_t codePoint;
  std::string_view text;
};

// By code point, for the binary search.
const Advice kAdvice[] = {
    {0x00A0, "use a space \" \" (U+0020)"},  // no-break space
    {0x00A2, "use \"\xEF\xBF\xA0\" (U+FFE0)"},
    {0x00A3, "use \"\xEF\xBF\xA1\" (U+FFE1)"},
    {0x00A5,
     "use \"\\\" (0x5C, which Japanese fonts show as \xC2\xA5) or \"\xEF\xBF\xA5\" (U+FFE5)"},
    {0x00A6, "use \"\xEF\xBF\xA4\" (U+FFE4)"},
    {0x00AC, "use \"\xEF\xBF\xA2\" (U+FFE2)"},
    {0x2014, "use \"\xE2\x80\x95\" (U+2015)"},  // em dash
    {0x2016, "use \"\xE2\x88\xA5\" (U+2225)"},  // double vertical line
    {0x203E,
     "use \"~\" (0x7E, which Japanese fonts show as \xE2\x80\xBE) or \"\xEF\xBF\xA3\" (U+FFE3)"},
    {0x2212, "use \"\xEF\xBC\x8D\" (U+FF0D)"},  // minus sign
    {0x301C, "use \"\xEF\xBD\x9E\" (U+FF5E)"},  // wave dash
};

}  // namespace

std::string_view cp932Advice(uint32_t codePoint) {
  const Advice* const end = std::end(kAdvice);
  const Advice* const found =
      std::lower_bound(std::begin(kAdvice), end, codePoint,
                       [](const Advice& a, uint32_t cp) { return a.codePoint < cp; });
  return found != end && found->codePoint == codePoint ? found->text : std::string_view();
}
