#pragma once

#include "coordinfo/enu_origin.h"
#include "parser/json_object_reader.h"

// Writes the "basepoint" member of `object`, at most three plain numbers, into lon (degree),
// lat (degree) and height (m) of `origin`: element k into the k-th, so two numbers leave the
// height as it was. A member that is not an array is ignored. Fails on more than three
// elements or an element that is not a number. `origin` may be null (a definition without a
// record): the member is then checked but written nowhere. `given` is set when the member is
// an array that was read. `also` (when not null) receives the same numbers.
[[nodiscard]] bool readBasepoint(const JsonObjectReader& object, EnuOrigin* origin, bool& given,
                                 EnuOrigin* also = nullptr);
