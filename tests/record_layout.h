// The layout of the data files' records, as the tests and the fuzz targets
// write and check them, apart from the program's own.
#pragma once

#include <cstddef>

namespace fixtures {

// Where a listing record field lies: its count byte and its capacity.
struct Field {
  size_t countOffset;
  size_t capacity;
};

const Field kEntryId{4, 8};
const Field kName1{13, 7};
const Field kName2{21, 7};
const Field kName3{29, 7};
const Field kNameCode1{37, 4};
const Field kNameCode2{42, 4};
const Field kNameCode3{47, 4};
const Field kDetail1{52, 8};
const Field kDetail2{61, 8};
const Field kPeriod{70, 12};
const Field kDetail3{83, 18};
const Field kDetail4{102, 18};
const Field kDetail5{121, 10};
const Field kDetail6{132, 10};
const Field kDetail7{143, 10};
const Field kWordText{154, 255};
const Field kNote{410, 255};

// Every field, in record order.
const Field kAllFields[] = {kEntryId,   kName1,   kName2,   kName3,    kNameCode1, kNameCode2,
                            kNameCode3, kDetail1, kDetail2, kPeriod,   kDetail3,   kDetail4,
                            kDetail5,   kDetail6, kDetail7, kWordText, kNote};

const size_t kRecordSize = 666;
const size_t kKanjiRecordSize = 166;

}  // namespace fixtures
