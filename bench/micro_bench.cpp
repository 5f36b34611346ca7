// Micro-benchmarks of the converter's per-record work, on synthetic data of
// the same make as the benchmark data set (7000 kanji, 30000 dictionary lines).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/run.h"
#include "io/input_file.h"
#include "io/output_file.h"
#include "records/era_annotation.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "synthetic.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "textutil/core.h"

namespace {

const int64_t kKanjiCount = 7000;
const int64_t kWordCount = 30000;
const size_t kSampleRecords = 1024;  // cycled through; a power of two

// Records of the listing, raw and at each stage of their conversion.
struct Samples {
  std::vector<RecordBytes> bytes;
  std::vector<SourceRecord> decoded;                    // as decoded, name codes not yet resolved
  std::vector<SourceRecord> resolved;                   // note trimmed, as listed records are
  std::vector<NameKanji> nameKanji;                     // the kanji of the name codes
  std::vector<SourceRecord> listed;                     // the listed records, as converted
  std::vector<ListingBlock> blocks;                     // their blocks, each referring to one
  TextList nameKeys;                                    // name keys before their padding
  TextList upperWordTexts;                              // word texts trimmed and upper-cased
  TextList dictionaryLines;                             // dictionary lines as the loader reads them
  std::string recordFile = "listconv-micro-bench.rec";  // the records, as list.rec
};

Samples gSamples;
RunTables gTables;

// Fills the tables as the loaders would from the data set, and prepares the
// sample records.
void setUp() {
  KanjiTable& kanji = gTables.kanji;
  kanji.assign(synthetic::kFirstKanjiCode, std::string());
  for (int64_t code = synthetic::kFirstKanjiCode; code < kKanjiCount; ++code) {
    kanji.push_back(synthetic::kanjiOf(code) + "  ");
  }
  synthetic::Rng rng{1};
  std::vector<std::string> keys;
  for (int64_t i = 0; i < kWordCount; ++i) {
    const synthetic::DictionaryLine line = synthetic::randomDictionaryLine(rng, kKanjiCount);
    WordEntry entry{line.key, line.word, {}};
    for (int64_t code : line.codes) {
      entry.kanji.push_back(kanji[static_cast<size_t>(code)]);
    }
    addWordEntry(gTables.words, entry);
    keys.push_back(line.key);
    if (gSamples.dictionaryLines.size() < kSampleRecords) {
      std::string text = synthetic::formatDictionaryLine(line);
      text.erase(text.size() - 2, 1);  // the loader drops the CR before the LF
      gSamples.dictionaryLines.push_back(text);
    }
  }
  std::string file;
  for (size_t i = 0; i < kSampleRecords; ++i) {
    const std::string record =
        synthetic::randomListingRecord(rng, static_cast<int64_t>(i), keys, kKanjiCount);
    RecordBytes bytes;
    std::copy(record.begin(), record.end(), bytes.begin());
    gSamples.bytes.push_back(bytes);
    file += record;
  }
  std::FILE* f = std::fopen(gSamples.recordFile.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  // The blocks and resolved records as the record path leaves them.
  InputFile in;
  openInput(in, gSamples.recordFile.c_str(), false);
  RecordWork work;
  int64_t recordCount = 0;
  for (size_t i = 0; i < kSampleRecords; ++i) {
    decodeSourceRecord(gSamples.bytes[i], work.record);
    gSamples.decoded.push_back(work.record);
    gSamples.nameKanji.emplace_back();
    resolveNameCodes(work.record, kanji, gSamples.nameKanji.back());
    if (convertNextRecord(in, gTables, work, recordCount)) {
      gSamples.listed.push_back(work.record);
      gSamples.blocks.push_back(work.block);
    }
    gSamples.resolved.push_back(work.record);
    gSamples.nameKeys.emplace_back(withoutTrailingBlanks(work.block.nameKey));
    std::string text(withoutTrailingBlanks(work.record.wordText));
    toUpperCase(text);
    gSamples.upperWordTexts.push_back(text);
  }
  closeInput(in);
  for (size_t i = 0; i < gSamples.blocks.size(); ++i) {
    gSamples.blocks[i].record = &gSamples.listed[i];
  }
}

// The next sample to use: cycles through all of them, one per iteration.
size_t nextSample(size_t& counter) {
  return counter++ & (kSampleRecords - 1);
}

void BM_TokenizeWordText(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tokenize(gSamples.upperWordTexts[nextSample(n)]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TokenizeWordText);

void BM_TokenizeDictionaryLine(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tokenize(gSamples.dictionaryLines[nextSample(n)]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TokenizeDictionaryLine);

// replaceAll on a fixed text; the text is copied afresh for every call.
void BM_ReplaceAll(benchmark::State& state, std::string text, std::string search,
                   std::string replacement) {
  const int32_t length = static_cast<int32_t>(search.size());
  for (auto _ : state) {
    std::string t = text;
    replaceAll(t, search, replacement, length);
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations());
}
// The calls the conversion makes most: blanks out of a code and a name key,
// blank runs and ellipses out of one word, " ," on the kanji line.
BENCHMARK_CAPTURE(BM_ReplaceAll, remove_blanks_code, std::string("0612"), " ", "");
BENCHMARK_CAPTURE(BM_ReplaceAll, remove_blanks_name, std::string("MASA   MUNE   NOBU   "), " ", "");
BENCHMARK_CAPTURE(BM_ReplaceAll, collapse_runs_word, std::string("KATANA"), "  ", " ");
BENCHMARK_CAPTURE(BM_ReplaceAll, remove_ellipsis_word, std::string("KATANA..."), "...", "");
BENCHMARK_CAPTURE(BM_ReplaceAll, comma_on_kanji_line,
                  std::string("\x88\x9f   \x88\xa0   \x88\xa1   ?  \x88\xa2   \x88\xa3   "
                              "\x88\xa4   \x88\xa5   \x88\xa6   ? \x88\xa7   ,"),
                  " ,", ", ");
BENCHMARK_CAPTURE(BM_ReplaceAll, collapse_runs_line,
                  std::string("A  B   C    D     E") + std::string(100, ' ') + "F  G", "  ", " ");

void BM_LookupKanjiCode(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    std::string code = gSamples.decoded[nextSample(n)].nameCode1;
    lookupKanjiCode(gTables.kanji, code);
    benchmark::DoNotOptimize(code);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupKanjiCode);

void BM_BuildNameKey(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    const SourceRecord& r = gSamples.decoded[nextSample(n)];
    benchmark::DoNotOptimize(buildNameKey(r.name1, r.name2, r.name3));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildNameKey);

void BM_RenderWordText(benchmark::State& state) {
  RenderScratch scratch;
  std::string wordLine;
  std::string kanjiLine;
  size_t n = 0;
  for (auto _ : state) {
    const size_t i = nextSample(n);
    const SourceRecord& r = gSamples.resolved[i];
    const NameKanji& kanji = gSamples.nameKanji[i];
    const WordRendering rendering{
        gTables.words, gTables.kanji, {gSamples.nameKeys[i], kanji[0], kanji[1], kanji[2]}};
    renderWordText(r.wordText, rendering, scratch, wordLine, kanjiLine);
    benchmark::DoNotOptimize(kanjiLine);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderWordText);

void BM_AnnotateEraMixed(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(annotateEra(gSamples.decoded[nextSample(n)].period));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnnotateEraMixed);

// One period, as decoded: 12 characters, blank-padded.
void BM_AnnotateEra(benchmark::State& state, std::string period) {
  period.resize(12, ' ');
  for (auto _ : state) {
    benchmark::DoNotOptimize(annotateEra(period));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_AnnotateEra, first_row, std::string("NARA"));
BENCHMARK_CAPTURE(BM_AnnotateEra, last_row, std::string("HEISEI"));
BENCHMARK_CAPTURE(BM_AnnotateEra, no_row, std::string("C.1650"));
BENCHMARK_CAPTURE(BM_AnnotateEra, blank, std::string());

// As the record loop decodes: into one record whose storage is reused.
void BM_DecodeSourceRecord(benchmark::State& state) {
  SourceRecord record;
  size_t n = 0;
  for (auto _ : state) {
    decodeSourceRecord(gSamples.bytes[nextSample(n)], record);
    benchmark::DoNotOptimize(record);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeSourceRecord);

// Opens /dev/null as list.txt is opened; fails the benchmark when it cannot.
bool openNullListing(benchmark::State& state, OutputFile& out) {
  if (!openOutput(out, "/dev/null", kListingLinesEndInCrLf)) {
    state.SkipWithError("cannot open /dev/null");
    return false;
  }
  return true;
}

void BM_WriteListingBlock(benchmark::State& state) {
  OutputFile out;
  if (!openNullListing(state, out)) {
    return;
  }
  size_t n = 0;
  for (auto _ : state) {
    writeListingBlock(out, gSamples.blocks[nextSample(n) % gSamples.blocks.size()]);
  }
  closeOutput(out);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteListingBlock);

// The whole record path, from list.rec to the block written, record by record.
void BM_ConvertRecord(benchmark::State& state) {
  OutputFile out;
  if (!openNullListing(state, out)) {
    return;
  }
  InputFile in;
  openInput(in, gSamples.recordFile.c_str(), false);
  RecordWork work;
  int64_t recordCount = 0;
  for (auto _ : state) {
    if (convertNextRecord(in, gTables, work, recordCount)) {
      writeListingBlock(out, work.block);
    }
    if (in.atEnd) {
      closeInput(in);
      openInput(in, gSamples.recordFile.c_str(), false);
    }
  }
  closeInput(in);
  closeOutput(out);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertRecord);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  setUp();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(gSamples.recordFile.c_str());
  return 0;
}
