#pragma once

// Reads the committed PROJ `cct` reference files of tests/geodesy/data/ (made by
// make_cct_reference.py there; each block carries the cct command that produced it).

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "coordinfo/point3.h"

struct ReferenceRow {
  int line = 0;                     // 1-based line in the file, for failure messages
  std::vector<std::string> fields;  // whitespace-separated columns

  double number(std::size_t i) const { return std::stod(fields.at(i)); }
  Point3 point(std::size_t first) const { return {number(first), number(first + 1),
                                                  number(first + 2)}; }
};

// The data rows of tests/geodesy/data/<name>; comment lines ("#") and blank lines skipped.
// Empty when the file cannot be read (the callers assert a minimum count).
inline std::vector<ReferenceRow> readReferenceRows(const std::string& name) {
  std::ifstream in(std::string(QUORVEX_SOURCE_DIR) + "/tests/geodesy/data/" + name);
  std::vector<ReferenceRow> rows;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (text.empty() || text[0] == '#') continue;
    ReferenceRow row;
    row.line = line;
    std::istringstream fields(text);
    for (std::string field; fields >> field;) row.fields.push_back(field);
    rows.push_back(row);
  }
  return rows;
}
