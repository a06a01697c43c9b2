#pragma once

// A coordinate file shared by the end-to-end and the threaded-conversion tests: three
// "Custom Gauss" areas 3° apart (central meridians 111°, 114°, 117°, false eastings 37500000,
// 38500000, 39500000), each with a boundary of 0.2° about (meridian, 30°); ENU about
// (114°, 30°).
namespace testdocs {

inline constexpr char kThreeAreas[] = R"([
  {"projectid": "west", "type": "Custom Gauss",
   "define": {"centralMeridianLongitude": 111, "xoffset": 37500000, "basepoint": [114, 30]},
   "boundary": [110.9, 29.9, 111.1, 29.9, 111.1, 30.1, 110.9, 30.1]},
  {"projectid": "middle", "type": "Custom Gauss",
   "define": {"centralMeridianLongitude": 114, "xoffset": 38500000},
   "boundary": [113.9, 29.9, 114.1, 29.9, 114.1, 30.1, 113.9, 30.1]},
  {"projectid": "east", "type": "Custom Gauss",
   "define": {"centralMeridianLongitude": 117, "xoffset": 39500000},
   "boundary": [116.9, 29.9, 117.1, 29.9, 117.1, 30.1, 116.9, 30.1]}
])";

}  // namespace testdocs
