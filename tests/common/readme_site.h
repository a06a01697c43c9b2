#pragma once

// The README's example site: four control points about (117°, 30°) inside a wider
// "Custom Gauss" region (CGCS2000, central meridian 117°, false easting 500000 m). The
// despoints are the points' GK coordinates shifted by (12.5, −8.25, 0.4) m; the site's fitted
// frame is ENU about the centre of its source points, (117°, 30°, 0 m). An array element with
// its boundary; its transform is fitted on first use.
namespace testdocs {

inline constexpr char kReadmeSite[] = R"({ "projectid": "site", "type": "Control points",
    "define": {
      "srcpoints": [116.90, 29.95, 30.1, 117.10, 29.95, 31.4, 117.10, 30.05, 29.8,
                    116.90, 30.05, 30.6],
      "despoints": [490359.036, 3314566.753, 30.5, 509665.964, 3314566.753, 31.8,
                    509656.290, 3325652.005, 30.2, 490368.710, 3325652.005, 31.0]},
    "boundary": [116.9, 29.95, 117.1, 29.95, 117.1, 30.05, 116.9, 30.05] })";

}  // namespace testdocs
