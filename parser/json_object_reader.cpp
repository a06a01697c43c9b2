#include "parser/json_object_reader.h"

#include <cmath>
#include <optional>
#include <utility>

#include "parser/lenient_number.h"

const char* jsonKindOf(const rapidjson::Value& value) {
  if (value.IsNull()) return "null";
  if (value.IsBool()) return value.GetBool() ? "true" : "false";
  if (value.IsObject()) return "an object";
  if (value.IsArray()) return "an array";
  if (value.IsString()) return "a string";
  if (value.IsNumber() && !value.IsDouble() && !value.IsInt()) {
    return "an integer beyond the 32-bit range";
  }
  return "a number";
}

JsonPath JsonPath::key(std::string_view name) const {
  JsonPath child = *this;
  if (!child.text_.empty()) child.text_ += '.';
  child.text_ += '"';
  child.text_ += name;
  child.text_ += '"';
  return child;
}

JsonPath JsonPath::index(std::size_t position) const {
  JsonPath child = *this;
  child.text_ += '[';
  child.text_ += std::to_string(position);
  child.text_ += ']';
  return child;
}

JsonObjectReader::JsonObjectReader(const rapidjson::Value& object, JsonPath path,
                                   std::string& error, std::vector<std::string>* warnings)
    : object_(&object), path_(std::move(path)), error_(&error), warnings_(warnings) {}

JsonObjectReader JsonObjectReader::child(const rapidjson::Value& object, const char* key) const {
  return JsonObjectReader(object, path_.key(key), *error_, warnings_);
}

void JsonObjectReader::warn(const char* key, std::string_view reason) const {
  if (warnings_ == nullptr) return;
  std::string text = key == nullptr ? path_.text() : path_.key(key).text();
  if (text.empty()) text = "the root";
  text += ": ";
  text += reason;
  warnings_->push_back(std::move(text));
}

void JsonObjectReader::warnUnknownKeys(std::initializer_list<std::string_view> known) const {
  for (auto member = object_->MemberBegin(); member != object_->MemberEnd(); ++member) {
    const std::string_view name(member->name.GetString(), member->name.GetStringLength());
    bool isKnown = false;
    for (const std::string_view k : known) isKnown = isKnown || k == name;
    if (!isKnown) warn(std::string(name).c_str(), "unknown key, ignored");
  }
}

std::string JsonObjectReader::keyInOtherCase(std::string_view key) const {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (auto member = object_->MemberBegin(); member != object_->MemberEnd(); ++member) {
    const std::string_view name(member->name.GetString(), member->name.GetStringLength());
    if (name.size() != key.size() || name == key) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) same = lower(name[i]) == lower(key[i]);
    if (same) return std::string(name);
  }
  return {};
}

const rapidjson::Value* JsonObjectReader::find(const char* key) const {
  // FindMember scans the members in order, so a repeated key yields its first occurrence.
  const auto member = object_->FindMember(key);
  return member == object_->MemberEnd() ? nullptr : &member->value;
}

bool JsonObjectReader::fail(const char* key, std::string_view reason) const {
  *error_ = path_.key(key).text();
  *error_ += ": ";
  *error_ += reason;
  return false;
}

bool JsonObjectReader::readString(const char* key, std::string& out) const {
  const rapidjson::Value* value = find(key);
  if (value == nullptr) return true;
  if (!value->IsString()) return fail(key, "expected a string");
  out = value->GetString();  // up to the first NUL
  return true;
}

bool JsonObjectReader::readNumber(const char* key, double& out) const {
  const rapidjson::Value* value = find(key);
  if (value == nullptr) return true;
  if (!value->IsNumber()) return fail(key, "expected a number");
  out = value->GetDouble();
  return true;
}

bool JsonObjectReader::readLenientNumber(const char* key, double& out) const {
  const rapidjson::Value* value = find(key);
  if (value == nullptr) return true;
  const LenientNumber number = lenientNumberValue(*value);
  switch (number.kind) {
    case LenientNumber::Kind::unsupported:
      // The field keeps its value, which is rarely what the file meant.
      warn(key, std::string("expected a number or a numeric string, got ") + jsonKindOf(*value) +
                    "; the value is ignored and the default kept");
      return true;
    case LenientNumber::Kind::notANumber:
      // atof would read a leading part of it, or 0: a meridian of 0 or an offset of 0 is
      // thousands of kilometres from what was meant.
      return fail(key, "the string \"" + std::string(value->GetString()) +
                           "\" is not a number (a number in a string must be all number)");
    case LenientNumber::Kind::value:
      break;
  }
  // Every later step (zone codes, projection) needs a finite value; "inf" or "nan" in a
  // string, or a number text beyond the double range, is a broken file, not a coordinate.
  if (!std::isfinite(number.value)) return fail(key, "expected a finite number");
  out = number.value;
  return true;
}

bool JsonObjectReader::readObject(const char* key, const rapidjson::Value*& out) const {
  out = find(key);
  if (out == nullptr) return true;
  if (!out->IsObject()) {
    out = nullptr;
    return fail(key, "expected an object");
  }
  return true;
}

bool JsonObjectReader::readNumberArray(const char* key, const NumberArrayShape& shape,
                                       std::vector<double>& out, bool& present) const {
  const rapidjson::Value* value = find(key);
  present = value != nullptr && value->IsArray();
  if (!present) return true;
  const std::size_t count = value->Size();
  if (count > shape.maxCount) {
    return fail(key, "expected at most " + std::to_string(shape.maxCount) + " numbers, got " +
                         std::to_string(count));
  }
  if (shape.multipleOf > 1 && count % shape.multipleOf != 0) {
    return fail(key, "expected a multiple of " + std::to_string(shape.multipleOf) +
                         " numbers, got " + std::to_string(count));
  }
  if (count < shape.minCount) {
    return fail(key, "expected at least " + std::to_string(shape.minCount) + " numbers, got " +
                         std::to_string(count));
  }
  out.clear();
  out.reserve(count);
  for (rapidjson::SizeType k = 0; k < value->Size(); ++k) {
    const rapidjson::Value& element = (*value)[k];
    if (!element.IsNumber()) {
      *error_ = path_.key(key).index(k).text() + ": expected a number";
      return false;
    }
    out.push_back(element.GetDouble());
  }
  return true;
}
