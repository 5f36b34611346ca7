// The era table and period annotation.
#include "records/era_annotation.h"

#include "textutil/textutil.h"

const EraRow EraAnnotation[] = {
    {"NARA", "(645-781)"},
};
const size_t kEraRowCount = sizeof(EraAnnotation) / sizeof(EraAnnotation[0]);

std::string annotateEra(std::string period) {
  trimTrailingBlanks(period);
  std::string ranges;
  for (size_t i = 0; i < kEraRowCount; ++i) {
    if (period == EraAnnotation[i].name) {
      ranges += EraAnnotation[i].range;
    }
  }
  return period + ranges;
}
