#include "report/batch_manifest.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cmath>

#include "platform/utf8_path.h"

namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void text(Writer& writer, const char* key, const std::string& value) {
  writer.Key(key);
  writer.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

void path(Writer& writer, const char* key, const std::string& value) {
  text(writer, key, pathToUtf8(value));
}

void textOrNull(Writer& writer, const char* key, const std::string& value) {
  if (!value.empty()) return text(writer, key, value);
  writer.Key(key);
  writer.Null();
}

void number(Writer& writer, const char* key, double value) {
  writer.Key(key);
  if (std::isfinite(value)) {
    writer.Double(value);
  } else {
    writer.Null();
  }
}

const char* statusName(ManifestFile::Status status) {
  switch (status) {
    case ManifestFile::Status::written: return "written";
    case ManifestFile::Status::failed: return "failed";
    case ManifestFile::Status::notReached: return "not reached";
  }
  return "";
}

void writeFile(Writer& writer, const ManifestFile& file) {
  writer.StartObject();
  path(writer, "input", file.input);
  writer.Key("inputBytes");
  writer.Uint64(file.inputBytes);
  text(writer, "status", statusName(file.status));
  if (file.status == ManifestFile::Status::failed) {
    text(writer, "message", file.message);
    text(writer, "detail", pathToUtf8(file.detail));
  }
  if (file.status == ManifestFile::Status::written) {
    path(writer, "output", file.output);
    writer.Key("outputBytes");
    writer.Uint64(file.outputBytes);
    textOrNull(writer, "outputSha256", file.outputSha256);  // null: not a regular file
    writer.Key("vertices");
    writer.Uint64(file.vertices);
    if (file.zone) {
      writer.Key("zone");
      writer.Int(*file.zone);
    }
    const RoundTripTally& trip = file.roundTrip;
    writer.Key("roundTripMm");
    writer.StartObject();
    number(writer, "largest", trip.worstMm());  // null: a way back failed
    number(writer, "rmsHorizontal", trip.rmsHorizontalMm());
    number(writer, "rmsVertical", trip.rmsVerticalMm());
    writer.Key("sampled");
    writer.Uint64(trip.sampled());
    writer.Key("failed");
    writer.Uint64(trip.failed());
    writer.EndObject();
  }
  writer.EndObject();
}

}  // namespace

std::string manifestJson(const Manifest& manifest) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartObject();
  text(writer, "quorvex", "manifest");
  text(writer, "version", manifest.version);
  writer.Key("flags");
  writer.StartObject();
  for (const auto& [name, value] : manifest.flags) text(writer, name.c_str(), pathToUtf8(value));
  writer.EndObject();
  writer.Key("coordinateFile");
  writer.StartObject();
  path(writer, "path", manifest.coordPath);
  textOrNull(writer, "sha256", manifest.coordSha256);
  writer.EndObject();
  text(writer, "mode", manifest.mode);
  textOrNull(writer, "shard", manifest.shard);
  writer.Key("batch");
  writer.StartObject();
  writer.Key("files");
  writer.Uint64(manifest.batchFiles);
  textOrNull(writer, "sha256", manifest.batchSha256);
  writer.EndObject();
  writer.Key("origin");
  if (manifest.origin) {
    writer.StartObject();
    number(writer, "lon", manifest.origin->lon);
    number(writer, "lat", manifest.origin->lat);
    text(writer, "source", manifest.originSource);
    writer.EndObject();
  } else {
    writer.Null();
  }
  writer.Key("zones");
  writer.StartArray();
  for (const int zone : manifest.zones) writer.Int(zone);
  writer.EndArray();
  writer.Key("outcome");
  writer.StartObject();
  text(writer, "status", manifest.succeeded ? "success" : "failed");
  text(writer, "message", manifest.message);
  text(writer, "detail", pathToUtf8(manifest.detail));
  writer.EndObject();
  writer.Key("files");
  writer.StartArray();
  for (const ManifestFile& file : manifest.files) writeFile(writer, file);
  writer.EndArray();
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}
