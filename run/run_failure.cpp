#include "run/run_failure.h"

const char* fixedMessageText(RunMessage message) {
  switch (message) {
    case RunMessage::none: return "";
    case RunMessage::coordfileSet: return "coordfile set error!!";
    case RunMessage::coordfileEmpty: return "coordfile is empty!!";
    case RunMessage::parseCoordTranslateInfo: return "parseCoordTranslateInfo error!!";
    case RunMessage::outputSet: return "output set error!!";
    case RunMessage::outputNameConflict: return "output name conflict!!";
    case RunMessage::inputbaseSet: return "inputbase set error!!";
    case RunMessage::threadsSet: return "threads set error!!";
    case RunMessage::baseonlySet: return "baseonly set error!!";
    case RunMessage::maxresidualSet: return "maxresidual set error!!";
    case RunMessage::treeSet: return "tree set error!!";
    case RunMessage::materialsSet: return "materials set error!!";
    case RunMessage::maxclosureSet: return "maxclosure set error!!";
    case RunMessage::bENUSet: return "bENU set error!!";
    case RunMessage::metadataSet: return "metadata set error!!";
    case RunMessage::openObj: return "open obj error!!";
    case RunMessage::vertexLine: return "vertex line error!!";
    case RunMessage::convertVertex: return "convert vertex error!!";
    case RunMessage::writeFile: return "write file error!!";
    case RunMessage::filesfromSet: return "filesfrom set error!!";
    case RunMessage::shardSet: return "shard set error!!";
    case RunMessage::boundsonlySet: return "boundsonly set error!!";
    case RunMessage::mergeboundsSet: return "mergebounds set error!!";
    case RunMessage::manifestSet: return "manifest set error!!";
  }
  return "";
}
