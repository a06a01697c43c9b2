#pragma once

#include <string>
#include <vector>

// The checks a run makes on its paths before it reads any input or writes anything, so that a
// mistake in the paths never leaves half a batch converted.
enum class RunPathStatus {
  ok,
  // Several inputs would go to one path, or an output (or the base file) is one of the inputs.
  nameConflict,
  outputFolderMissing,  // the output folder, or the folder of the output file, is no folder
  inputNotRereadable,   // an input that must be read twice is not a regular file (a FIFO)
};

struct RunPathCheck {
  RunPathStatus status = RunPathStatus::ok;
  std::string detail;  // what is wrong, naming the paths; empty when ok
};

// `output` as given to -output (empty: nothing is converted, no output is checked), `base` to
// -base (may be empty), `inputs` the input
// files found, `inputsReadTwice` when every input is read once for the base point before it is
// converted. Without inputs nothing is checked (nothing will be written). Sameness of files
// follows links and hard links (see fileIdentity).
RunPathCheck checkRunPaths(const std::string& output, const std::string& base,
                           const std::vector<std::string>& inputs, bool inputsReadTwice);
