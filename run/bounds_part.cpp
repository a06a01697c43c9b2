#include "run/bounds_part.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cmath>

namespace {

constexpr const char* kKind = "bounds";

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void writeTriple(Writer& writer, const std::array<double, 3>& values) {
  writer.StartArray();
  for (const double v : values) writer.Double(v);
  writer.EndArray();
}

bool readTriple(const rapidjson::Value& value, std::array<double, 3>& out) {
  if (!value.IsArray() || value.Size() != 3) return false;
  for (rapidjson::SizeType i = 0; i < 3; ++i) {
    if (!value[i].IsNumber()) return false;
    out[i] = value[i].GetDouble();
  }
  return true;
}

bool fail(std::string& why, std::string text) {
  why = std::move(text);
  return false;
}

}  // namespace

std::string boundsPartJson(const BoundsPart& part) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartObject();
  writer.Key("quorvex");
  writer.String(kKind);
  writer.Key("version");
  writer.String(part.version.c_str());
  writer.Key("coordinateFileSha256");
  writer.String(part.coordinateFileSha256.c_str());
  writer.Key("mode");
  writer.String(part.mode.c_str());
  writer.Key("srsOrigin");
  if (part.srsOrigin) {
    writeTriple(writer, *part.srsOrigin);
  } else {
    writer.Null();
  }
  writer.Key("batch");
  writer.StartObject();
  writer.Key("files");
  writer.Uint64(part.batchFiles);
  writer.Key("sha256");
  writer.String(part.batchSha256.c_str());
  writer.EndObject();
  writer.Key("shard");
  if (part.shard) {
    writer.String(shardText(*part.shard).c_str());
  } else {
    writer.Null();
  }
  writer.Key("files");
  writer.Uint64(part.files);
  writer.Key("vertices");
  writer.Uint64(part.vertices);
  // Empty bounds are infinite, which JSON cannot hold (nor an infinite vertex: its centre
  // cannot be converted either way).
  bool empty = part.bounds.empty();
  for (int k = 0; k < 3; ++k) {
    empty = empty || !std::isfinite(part.bounds.min[k]) || !std::isfinite(part.bounds.max[k]);
  }
  for (const auto& [key, values] : {std::pair{"min", &part.bounds.min},
                                    std::pair{"max", &part.bounds.max}}) {
    writer.Key(key);
    if (empty) {
      writer.Null();
    } else {
      writeTriple(writer, *values);
    }
  }
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

bool readBoundsPart(const std::string& text, BoundsPart& part, std::string& why) {
  rapidjson::Document document;
  // Full precision: every number reads back to the bits it was written from.
  document.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str(), text.size());
  if (document.HasParseError()) {
    return fail(why, "offset " + std::to_string(document.GetErrorOffset()) + ": " +
                         rapidjson::GetParseError_En(document.GetParseError()));
  }
  if (!document.IsObject() || !document.HasMember("quorvex") || !document["quorvex"].IsString() ||
      std::string(document["quorvex"].GetString()) != kKind) {
    return fail(why, "not a bounds file (no \"quorvex\": \"bounds\")");
  }
  const auto member = [&document](const char* key) -> const rapidjson::Value* {
    const auto it = document.FindMember(key);
    return it == document.MemberEnd() ? nullptr : &it->value;
  };
  const auto text_ = [&](const char* key, std::string& out) {
    const rapidjson::Value* v = member(key);
    if (v == nullptr || !v->IsString()) return false;
    out.assign(v->GetString(), v->GetStringLength());
    return true;
  };
  const auto count = [&](const rapidjson::Value* v, std::uint64_t& out) {
    if (v == nullptr || !v->IsUint64()) return false;
    out = v->GetUint64();
    return true;
  };
  for (const auto& [key, out] : {std::pair{"version", &part.version},
                                 std::pair{"coordinateFileSha256", &part.coordinateFileSha256},
                                 std::pair{"mode", &part.mode}}) {
    if (!text_(key, *out)) return fail(why, std::string("\"") + key + "\" is not a text");
  }
  const rapidjson::Value* srs = member("srsOrigin");
  part.srsOrigin.reset();
  if (srs != nullptr && !srs->IsNull()) {
    std::array<double, 3> origin{};
    if (!readTriple(*srs, origin)) return fail(why, "\"srsOrigin\" is not null or 3 numbers");
    part.srsOrigin = origin;
  }
  const rapidjson::Value* batch = member("batch");
  if (batch == nullptr || !batch->IsObject() || !batch->HasMember("sha256") ||
      !(*batch)["sha256"].IsString() || !count(&(*batch)["files"], part.batchFiles)) {
    return fail(why, "\"batch\" is not {\"files\": N, \"sha256\": TEXT}");
  }
  part.batchSha256 = (*batch)["sha256"].GetString();
  const rapidjson::Value* shard = member("shard");
  part.shard.reset();
  if (shard != nullptr && !shard->IsNull()) {
    if (!shard->IsString() || !(part.shard = parseShard(shard->GetString()))) {
      return fail(why, "\"shard\" is not null or \"K/N\"");
    }
  }
  if (!count(member("files"), part.files) || !count(member("vertices"), part.vertices)) {
    return fail(why, "\"files\" and \"vertices\" must be counts");
  }
  part.bounds = Bounds3{};
  const rapidjson::Value* min = member("min");
  const rapidjson::Value* max = member("max");
  if (min != nullptr && max != nullptr && min->IsNull() && max->IsNull()) return true;
  if (min == nullptr || max == nullptr || !readTriple(*min, part.bounds.min) ||
      !readTriple(*max, part.bounds.max)) {
    return fail(why, "\"min\" and \"max\" must be null or 3 numbers each");
  }
  return true;
}
