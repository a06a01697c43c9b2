#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "run/run_failure.h"
#include "run/run_options.h"
#include "run/written_paths.h"

// One file a converted OBJ needs beside its output: a material library or a texture map,
// brought from `source` to `destination` once the input `afterInput` has been converted.
struct MaterialCopy {
  std::string source;
  std::string destination;
  std::size_t afterInput = 0;
};

struct MaterialPlan {
  std::vector<MaterialCopy> copies;   // each destination once, in the order they are needed
  std::vector<std::string> warnings;  // said after the conversion, one line each
};

// The folders a -tree=1 run searches and writes into: names in its OBJ and MTL files may then
// leave their tile's folder, as long as they stay inside the -input folder.
struct MaterialTree {
  std::string inputFolder;   // -input ("": the current folder)
  std::string outputFolder;  // -output
};

// The material files of a run whose inputs[i] is written to outputs[i], for each input
// written into another folder than its own. Its "mtllib" names are read by a light scan now
// (an input that is not a regular file, or cannot be read, is left to its conversion).
// - MaterialsChoice::none: nothing (no input is read twice: see MissingLibraries).
// - copy / link: each library, and each map it names, at the same path relative to the OBJ's
//   folder beside the output (the map relative to its library's folder); with `tree`, at the
//   same path below tree->outputFolder as below tree->inputFolder. A name that leaves the OBJ's
//   folder (with `tree`: the input folder; a leading "..", absolute, a drive letter), or a file
//   that is not a regular file (missing, a folder, a FIFO...), is a warning and not copied,
//   unless its destination is one another input brings already. A destination that is its
//   source is left alone, as is an existing one with the same bytes; one with other bytes, or
//   two sources with different bytes for one destination, is outputNameConflict. Every source
//   is added to `written` as read, and every destination as written (checked against every
//   path of the run: outputNameConflict; its missing folders are created).
std::optional<RunFailure> planMaterials(const std::vector<std::string>& inputs,
                                        const std::vector<std::string>& outputs,
                                        MaterialsChoice choice,
                                        const std::optional<MaterialTree>& tree,
                                        WrittenPaths& written, MaterialPlan& plan);

// With MaterialsChoice::none, the libraries the converted files name (as their conversion
// found them) that do not resolve from the folder of the outputs naming them.
class MissingLibraries {
 public:
  // After `input` has been converted into `output`, its "mtllib" lines naming `libraries`
  // (ConvertOutcome::materialLibraries); an input written into its own folder is left alone.
  void note(const std::string& input, const std::string& output,
            const std::vector<std::string>& libraries);
  // One warning per library, with the count of files naming it, in the order first named;
  // it says to give -materials=copy or link when the library is beside an input naming it,
  // and that it is beside none of them otherwise.
  std::vector<std::string> warnings() const;

 private:
  struct Missing {
    std::string name;
    std::size_t files = 0;
    bool besideAnInput = false;
  };
  std::vector<Missing> missing_;  // in the order first named
};
