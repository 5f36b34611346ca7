// The era table and period annotation.
#include "records/era_annotation.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "textutil/textutil.h"

// Rows 1-7 are the historical periods, rows 8-13 the sword period classes and
// the rest the era names. A name may stand in two rows; a name followed by its
// first year in parentheses, cut to the 12 characters of a period, picks one
// of them.
const EraRow EraAnnotation[] = {
    {"NARA", "(645-781)"},
    {"HEIAN", "(782-1184)"},
    {"KAMAKURA", "(1185-1332)"},
    {"NAMBOKUCHO", "(1333-1391)"},
    {"MUROMACHI", "(1392-1572)"},
    {"MOMOYAMA", "(1573-1599)"},
    {"EDO", "(1600-1867)"},
    {"CHOKUTO", "(-900)"},
    {"SHINTO", "(1596-1780)"},
    {"SHINSHINTO", "(1780-1868)"},
    {"KOTO", "(900-1596)"},
    {"GENDAITO", "(1868-)"},
    {"GENDAI", "(1868-)"},
    {"MOMMU", "(697-700)"},
    {"TAIHO", "(701-703)"},
    {"KEIUN", "(704-707)"},
    {"WADO", "(708-714)"},
    {"REIKI", "(715-716)"},
    {"YORO", "(717-723)"},
    {"JINKI", "(724-728)"},
    {"TENPYO", "(729-748)"},
    {"TENPYO-SHOHO", "(749-756)"},
    {"TENPYO-HOJI", "(757-764)"},
    {"TENPYO-JINGO", "(765-766)"},
    {"JINGO-KEIUN", "(767-769)"},
    {"HOKI", "(770-780)"},
    {"TENO", "(781)"},
    {"ENRYAKU", "(782-805)"},
    {"DAIDO", "(806-809)"},
    {"KONIN", "(810-823)"},
    {"TENCHO", "(824-833)"},
    {"JOWA", "(834-847)"},
    {"KASHO", "(848-850)"},
    {"KASHO(848-)", "(848-850)"},
    {"NINJU", "(851-853)"},
    {"SAIKO", "(854-856)"},
    {"TENAN", "(857-858)"},
    {"JOGAN", "(859-876)"},
    {"GANGYO", "(877-884)"},
    {"NINNA", "(885-888)"},
    {"KANPYO", "(889-897)"},
    {"SHOTAI", "(898-900)"},
    {"ENGI", "(901-922)"},
    {"ENCHO", "(923-930)"},
    {"SHOHYO", "(931-937)"},
    {"TENGYO", "(938-946)"},
    {"TENRYAKU", "(947-956)"},
    {"TENTOKU", "(957-960)"},
    {"OWA", "(961-963)"},
    {"KOHO", "(964-967)"},
    {"ANNA", "(968-969)"},
    {"TENROKU", "(970-972)"},
    {"TENEN", "(973-975)"},
    {"JOGEN", "(976-977)"},
    {"JOGEN(976-)", "(976-977)"},
    {"TENGEN", "(978-982)"},
    {"EIKAN", "(983-984)"},
    {"KANNA", "(985-986)"},
    {"EIEN", "(987-988)"},
    {"EISO", "(989)"},
    {"SHORYAKU", "(990-994)"},
    {"SHORYAKU(990", "(990-994)"},
    {"CHOTOKU", "(995-998)"},
    {"CHOHO", "(999-1003)"},
    {"KANKO", "(1004-1011)"},
    {"CHOWA", "(1012-1016)"},
    {"KANNIN", "(1017-1020)"},
    {"CHIAN", "(1021-1023)"},
    {"MANJU", "(1024-1027)"},
    {"CHOGEN", "(1028-1036)"},
    {"CHORYAKU", "(1037-1039)"},
    {"CHOKYU", "(1040-1043)"},
    {"KANTOKU", "(1044-1045)"},
    {"EISHO", "(1046-1052)"},
    {"EISHO(1046-)", "(1046-1052)"},
    {"TENGI", "(1053-1057)"},
    {"KOHEI", "(1058-1064)"},
    {"JIRYAKU", "(1065-1068)"},
    {"ENKYU", "(1069-1073)"},
    {"JOHO", "(1074-1076)"},
    {"SHORYAKU", "(1077-1080)"},
    {"SHORYAKU(107", "(1077-1080)"},
    {"EIHO", "(1081-1083)"},
    {"OTOKU", "(1084-1086)"},
    {"KANJI", "(1087-1093)"},
    {"KAHO", "(1094-1095)"},
    {"EICHO", "(1096)"},
    {"SHOTOKU", "(1097-1098)"},
    {"SHOTOKU(1097", "(1097-1098)"},
    {"KOWA", "(1099-1103)"},
    {"KOWA(1099-)", "(1099-1103)"},
    {"CHOJI", "(1104-1105)"},
    {"KASHO", "(1106-1107)"},
    {"KASHO(1106-)", "(1106-1107)"},
    {"TENNIN", "(1108-1109)"},
    {"TENEI", "(1110-1112)"},
    {"EIKYU", "(1113-1117)"},
    {"GENEI", "(1118-1119)"},
    {"HOAN", "(1120-1123)"},
    {"TENCHI", "(1124-1125)"},
    {"DAIJI", "(1126-1130)"},
    {"TENSHO", "(1131)"},
    {"TENSHO(1131)", "(1131)"},
    {"CHOSHO", "(1132-1134)"},
    {"HOEN", "(1135-1140)"},
    {"EIJI", "(1141)"},
    {"KOJI", "(1142-1143)"},
    {"KOJI(1142-)", "(1142-1143)"},
    {"TENYO", "(1144)"},
    {"KYUAN", "(1145-1150)"},
    {"NINPEI", "(1151-1153)"},
    {"KYUJU", "(1154-1155)"},
    {"HOGEN", "(1156-1158)"},
    {"HEIJI", "(1159)"},
    {"EIRYAKU", "(1160)"},
    {"OHO", "(1161-1162)"},
    {"CHOKAN", "(1163-1164)"},
    {"EIMAN", "(1165)"},
    {"NINNAN", "(1166-1168)"},
    {"KAO", "(1169-1170)"},
    {"JOAN", "(1171-1174)"},
    {"ANGEN", "(1175-1176)"},
    {"JISHO", "(1177-1180)"},
    {"YOWA", "(1181)"},
    {"JUEI", "(1182-1184)"},
    {"BUNJI", "(1185-1189)"},
    {"KENKYU", "(1190-1198)"},
    {"SHOJI", "(1199-1200)"},
    {"KENNIN", "(1201-1203)"},
    {"GENKYU", "(1204-1205)"},
    {"KENEI", "(1206)"},
    {"SHOGEN", "(1207-1210)"},
    {"SHOGEN(1207-", "(1207-1210)"},
    {"KENRYAKU", "(1211-1212)"},
    {"KENPO", "(1213-1218)"},
    {"SHOKYU", "(1219-1221)"},
    {"JOO", "(1222-1223)"},
    {"GENNIN", "(1224)"},
    {"KAROKU", "(1225-1226)"},
    {"ANTEI", "(1227-1228)"},
    {"KANKI", "(1229-1231)"},
    {"JOEI", "(1232)"},
    {"TENPUKU", "(1233)"},
    {"BUNRYAKU", "(1234)"},
    {"KATEI", "(1235-1237)"},
    {"RYAKUNIN", "(1238)"},
    {"ENO", "(1239)"},
    {"NINJI", "(1240-1242)"},
    {"KANGEN", "(1243-1246)"},
    {"KANGEN(1243-", "(1243-1246)"},
    {"HOJI", "(1247-1248)"},
    {"KENCHO", "(1249-1255)"},
    {"KOGEN", "(1256)"},
    {"SHOKA", "(1257-1258)"},
    {"SHOGEN", "(1259)"},
    {"SHOGEN(1259)", "(1259)"},
    {"BUNO", "(1260)"},
    {"KOCHO", "(1261-1263)"},
    {"BUNEI", "(1264-1274)"},
    {"KENJI", "(1275-1277)"},
    {"KOAN", "(1278-1287)"},
    {"SHOO", "(1288-1292)"},
    {"SHOO(1288-)", "(1288-1292)"},
    {"EININ", "(1293-1298)"},
    {"SHOAN", "(1299-1301)"},
    {"KANGEN", "(1302)"},
    {"KANGEN(1302)", "(1302)"},
    {"KAGEN", "(1304-1305)"},
    {"TOKUJI", "(1306-1307)"},
    {"ENKEI", "(1308-1310)"},
    {"OCHO", "(1311)"},
    {"BUMPO", "(1317-1318)"},
    {"BUNPO", "(1317-1318)"},
    {"GENO", "(1319-1320)"},
    {"GENKYO", "(1321-1323)"},
    {"SHOCHU", "(1324-1325)"},
    {"KAREKI", "(1326-1328)"},
    {"GENTOKU", "(1329-1330)"},
    {"GENKO", "(1331-1333)"},
    {"SHOKEI", "(1332-1337)"},
    {"RYAKUO", "(1338-1341)"},
    {"KOEI", "(1342-1344)"},
    {"TEIWA", "(1345-1349)"},
    {"KANO", "(1350-1351)"},
    {"BUNWA", "(1352-1355)"},
    {"EMBUN", "(1356-1360)"},
    {"ENBUN", "(1356-1360)"},
    {"KOAN", "(1361)"},
    {"JOJI", "(1362-1367)"},
    {"OAN", "(1368-1374)"},
    {"EIWA", "(1375-1378)"},
    {"EITOKU", "(1381-1383)"},
    {"KEMMU", "(1334-1335)"},
    {"KENMU", "(1334-1335)"},
    {"ENGEN", "(1336-1339)"},
    {"KOKOKU", "(1340-1345)"},
    {"SHOHEI", "(1346-1369)"},
    {"SHOHEI(1346-", "(1346-1369)"},
    {"KENTOKU", "(1370-1371)"},
    {"BUNCHU", "(1372-1374)"},
    {"TENJU", "(1375-1380)"},
    {"KORYAKU", "(1379-1380)"},
    {"KOWA", "(1381-1383)"},
    {"KOWA(1381-)", "(1381-1383)"},
    {"GENCHU", "(1384-1393)"},
    {"SHITOKU", "(1384-1386)"},
    {"KAKEI", "(1387-1388)"},
    {"KOO", "(1389)"},
    {"MEITOKU", "(1390-1393)"},
    {"OEI", "(1394-1427)"},
    {"SHOCHO", "(1428)"},
    {"EIKYO", "(1429-1440)"},
    {"KAKITSU", "(1441-1443)"},
    {"BUNAN", "(1444-1448)"},
    {"HOTOKU", "(1449-1451)"},
    {"KYOTOKU", "(1452-1454)"},
    {"KOSHO", "(1455-1456)"},
    {"CHOROKU", "(1457-1459)"},
    {"KANSHO", "(1460-1465)"},
    {"BUNSHO", "(1466)"},
    {"ONIN", "(1467-1468)"},
    {"BUMMEI", "(1469-1486)"},
    {"BUNMEI", "(1469-1486)"},
    {"CHOKYO", "(1487-1488)"},
    {"ENTOKU", "(1489-1491)"},
    {"MEIO", "(1492-1500)"},
    {"BUNKI", "(1501-1503)"},
    {"EISHO", "(1504-1520)"},
    {"EISHO(1504-)", "(1504-1520)"},
    {"TAIEI", "(1521-1527)"},
    {"KYOROKU", "(1528-1531)"},
    {"TEMMON", "(1532-1554)"},
    {"TENBUN", "(1532-1554)"},
    {"KOJI", "(1555-1557)"},
    {"KOJI(1555-)", "(1555-1557)"},
    {"EIROKU", "(1558-1569)"},
    {"GENKI", "(1570-1572)"},
    {"TENSHO", "(1573-1591)"},
    {"TENSHO(1573-", "(1573-1591)"},
    {"BUNROKU", "(1592-1595)"},
    {"KEICHO", "(1596-1614)"},
    {"GENNA", "(1615-1623)"},
    {"KANEI", "(1624-1643)"},
    {"SHOHO", "(1644-1647)"},
    {"KEIAN", "(1648-1651)"},
    {"SHOO", "(1652-1654)"},
    {"SHOO(1652-)", "(1652-1654)"},
    {"MEIREKI", "(1655-1657)"},
    {"MANJI", "(1658-1660)"},
    {"KAMBUN", "(1661-1672)"},
    {"KANBUN", "(1661-1672)"},
    {"EMPO", "(1673-1680)"},
    {"ENPO", "(1673-1680)"},
    {"TENNA", "(1681-1683)"},
    {"JOKYO", "(1684-1687)"},
    {"GENROKU", "(1688-1703)"},
    {"HOEI", "(1704-1710)"},
    {"SHOTOKU", "(1711-1715)"},
    {"SHOTOKU(1711", "(1711-1715)"},
    {"KYOHO", "(1716-1735)"},
    {"GEMBUN", "(1736-1740)"},
    {"GENBUN", "(1736-1740)"},
    {"KAMPO", "(1741-1743)"},
    {"KANPO", "(1741-1743)"},
    {"ENKYO", "(1744-1747)"},
    {"KANEN", "(1748-1750)"},
    {"HOREKI", "(1751-1763)"},
    {"MEIWA", "(1764-1771)"},
    {"ANEI", "(1772-1780)"},
    {"TEMMEI", "(1781-1788)"},
    {"TENMEI", "(1781-1788)"},
    {"KANSEI", "(1789-1800)"},
    {"KYOWA", "(1801-1803)"},
    {"BUNKA", "(1804-1817)"},
    {"BUNSEI", "(1818-1829)"},
    {"TEMPO", "(1830-1843)"},
    {"TENPO", "(1830-1843)"},
    {"KOKA", "(1844-1847)"},
    {"KAEI", "(1848-1853)"},
    {"ANSEI", "(1854-1859)"},
    {"MANEN", "(1860)"},
    {"BUNKYU", "(1861-1863)"},
    {"GENJI", "(1864)"},
    {"KEIO", "(1865-1867)"},
    {"MEIJI", "(1868-1911)"},
    {"TAISHO", "(1912-1925)"},
    {"SHOWA", "(1926-1988)"},
    {"SHOWA(1926-)", "(1926-1988)"},
    {"SHOWA", "(1312-1316)"},
    {"SHOWA(1312-)", "(1312-1316)"},
    {"HEISEI", "(1989- )"},
};
const size_t kEraRowCount = sizeof(EraAnnotation) / sizeof(EraAnnotation[0]);

namespace {

// One distinct era name with the ranges of all its rows, joined in table order.
struct EraIndexEntry {
  std::string_view name;
  std::string ranges;
};

// Every distinct name once, placed by the hash of its name in a table of
// kEraSlots slots (open addressing, probing forward).
struct EraIndex {
  std::vector<EraIndexEntry> entries;
  std::vector<int> slots;  // an index into `entries`, or -1 for a free slot
};

// A power of two well above twice the number of distinct names.
const size_t kEraSlots = 1024;

// FNV-1a over the name's bytes; era names are short.
size_t hashEraName(std::string_view name) {
  uint32_t h = 2166136261u;
  for (const char c : name) {
    h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  return h;
}

EraIndex buildEraIndex() {
  std::map<std::string_view, std::string> byName;
  for (size_t i = 0; i < kEraRowCount; ++i) {
    byName[EraAnnotation[i].name] += EraAnnotation[i].range;
  }
  EraIndex index;
  index.slots.assign(kEraSlots, -1);
  for (auto& [name, ranges] : byName) {
    size_t slot = hashEraName(name) & (kEraSlots - 1);
    while (index.slots[slot] != -1) {
      slot = (slot + 1) & (kEraSlots - 1);
    }
    index.slots[slot] = static_cast<int>(index.entries.size());
    index.entries.push_back({name, std::move(ranges)});
  }
  return index;
}

// The index, built on first use (safely, should several threads ask at once).
const EraIndex& eraIndex() {
  static const EraIndex index = buildEraIndex();
  return index;
}

// The joined ranges of the rows named `text`, or null when no row has that name.
const std::string* rangesOf(std::string_view text) {
  const EraIndex& index = eraIndex();
  for (size_t slot = hashEraName(text) & (kEraSlots - 1);; slot = (slot + 1) & (kEraSlots - 1)) {
    const int at = index.slots[slot];
    if (at == -1) {
      return nullptr;
    }
    if (index.entries[at].name == text) {
      return &index.entries[at].ranges;
    }
  }
}

}  // namespace

std::string_view eraRangesOf(std::string_view period) {
  const std::string* ranges = rangesOf(period);
  return ranges == nullptr ? std::string_view() : std::string_view(*ranges);
}

std::string annotateEra(std::string period) {
  trimTrailingBlanks(period);
  period += eraRangesOf(period);
  return period;
}
