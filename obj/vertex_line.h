#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "obj/obj_line_reader.h"
#include "platform/number_text.h"

// The reason given for a vertex line whose `position`-th number (1-based) is not wholly a
// number, naming the token as read, e.g. `number 1 of the v line is not a number: "1,5"`.
std::string notANumberDetail(std::size_t position, std::string_view token);

// The three numbers of the vertex line `reader` has just found (isVertexLine()): each token
// after "v" must be wholly a number as strtod reads it (parseWholeNumber: "1,5", "12abc",
// "#10" are not; "1e3", "0x1p3", "inf", "nan" are, the last two failing later as any
// non-finite coordinate). True with the numbers in `xyz`; false, with the reason of the vertex
// line error in `why`, when the line has fewer than three numbers, a NUL byte in one of them,
// or one that is not wholly a number.
[[nodiscard]] inline bool readVertexNumbers(ObjLineReader& reader, double xyz[3],
                                            std::string& why) {
  const std::size_t count = reader.readNumbers();
  if (count < 3) {
    why = shortVertexLineDetail(count);
    return false;
  }
  if (reader.numberWithNul() != 0) {
    why = nulInVertexLineDetail(reader.numberWithNul());
    return false;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (!parseWholeNumber(reader.number(i), xyz[i])) {
      why = notANumberDetail(i + 1, reader.number(i));
      return false;
    }
  }
  return true;
}
