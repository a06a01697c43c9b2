#pragma once

#include <string>

// The fixed message a failed run ends with (printed by the program on standard output, each
// followed by a newline). `none`: nothing can be printed there (standard output itself failed).
enum class RunMessage {
  none,
  coordfileSet,             // "coordfile set error!!"
  coordfileEmpty,           // "coordfile is empty!!"
  parseCoordTranslateInfo,  // "parseCoordTranslateInfo error!!"
  outputSet,                // "output set error!!"
  outputNameConflict,       // "output name conflict!!"
  inputbaseSet,             // "inputbase set error!!"
  threadsSet,               // "threads set error!!"
  baseonlySet,              // "baseonly set error!!"
  maxresidualSet,           // "maxresidual set error!!"
  treeSet,                  // "tree set error!!"
  materialsSet,             // "materials set error!!"
  maxclosureSet,            // "maxclosure set error!!"
  bENUSet,                  // "bENU set error!!"
  metadataSet,              // "metadata set error!!"
  openObj,                  // "open obj error!!"
  vertexLine,               // "vertex line error!!"
  convertVertex,            // "convert vertex error!!"
  writeFile,                // "write file error!!"
  // Batches shared by many processes.
  filesfromSet,             // "filesfrom set error!!"
  shardSet,                 // "shard set error!!"
  boundsonlySet,            // "boundsonly set error!!"
  mergeboundsSet,           // "mergebounds set error!!"
  manifestSet,              // "manifest set error!!"
};

// The fixed text of `message` (as in the comments above, without a line end); "" for none.
const char* fixedMessageText(RunMessage message);

// Why a run stopped: its fixed message and one detail line for standard error, naming the
// file, line, key or flag and the reason.
struct RunFailure {
  RunMessage message = RunMessage::none;
  std::string detail;
};
