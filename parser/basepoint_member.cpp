#include "parser/basepoint_member.h"

#include <cstddef>
#include <vector>

bool readBasepoint(const JsonObjectReader& object, EnuOrigin* origin, bool& given,
                   EnuOrigin* also) {
  std::vector<double> values;
  bool present = false;
  if (!object.readNumberArray("basepoint", {.maxCount = 3}, values, present)) return false;
  if (!present) return true;
  given = true;
  for (EnuOrigin* record : {origin, also}) {
    if (record == nullptr) continue;
    double* const fields[] = {&record->lon, &record->lat, &record->height};
    for (std::size_t k = 0; k < values.size(); ++k) *fields[k] = values[k];
  }
  return true;
}
