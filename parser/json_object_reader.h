#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <rapidjson/document.h>

// A place in the coordinate file, written as error texts name it: keys in double quotes
// joined by '.', array positions in brackets, e.g. `"define"."basepoint"` or
// `[2]."boundary"[5]`. The root is the empty path.
class JsonPath {
 public:
  JsonPath() = default;
  [[nodiscard]] JsonPath key(std::string_view name) const;
  [[nodiscard]] JsonPath index(std::size_t position) const;
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// What kind of JSON value `value` is, for messages: "null", "true", "an object", "an array",
// "a string", "a number", or "an integer beyond the 32-bit range".
const char* jsonKindOf(const rapidjson::Value& value);

// How many numbers a flat number array may hold: at least `minCount`, at most `maxCount`,
// and a multiple of `multipleOf` (points are stored as flat triples or pairs).
struct NumberArrayShape {
  std::size_t minCount = 0;
  std::size_t maxCount = static_cast<std::size_t>(-1);
  std::size_t multipleOf = 1;
};

// Reads the members of one JSON object of the coordinate file by the format's rules:
//   - an absent key leaves the destination as it is;
//   - when an object holds a key twice the first occurrence counts;
//   - strings are copied up to their first NUL;
//   - a present value of a type outside the format makes the read fail: it returns false and
//     sets the reason, naming the key path, into the error text given at construction.
// Reading never throws and never triggers RapidJSON's assertions (types are tested first).
class JsonObjectReader {
 public:
  // `object` must be a JSON object and outlive the reader; so must `error` and `warnings`
  // (null: warnings are dropped).
  JsonObjectReader(const rapidjson::Value& object, JsonPath path, std::string& error,
                   std::vector<std::string>* warnings = nullptr);

  // A reader of the object member `key` (which must hold an object), sharing the error text
  // and the warnings.
  [[nodiscard]] JsonObjectReader child(const rapidjson::Value& object, const char* key) const;

  // The value of `key`, or null when absent.
  const rapidjson::Value* find(const char* key) const;
  bool has(const char* key) const { return find(key) != nullptr; }
  // The name of a member that is `key` in another letter case ("Define" for "define"), for a
  // message about a key that is missing; empty when there is none.
  std::string keyInOtherCase(std::string_view key) const;

  // A string member into `out`.
  [[nodiscard]] bool readString(const char* key, std::string& out) const;
  // A plain number (any JSON number, as a double) into `out`.
  [[nodiscard]] bool readNumber(const char* key, double& out) const;
  // A lenient number (parser/lenient_number.h) into `out`. An unsupported value leaves
  // `out` as it is, with a warning; a non-finite one (a string holding "inf" or "nan", or a number text
  // beyond the double range) fails.
  [[nodiscard]] bool readLenientNumber(const char* key, double& out) const;
  // An object member: `out` is a reader for it, or null when absent; not an object fails.
  [[nodiscard]] bool readObject(const char* key, const rapidjson::Value*& out) const;
  // A flat array of plain numbers. `present` tells whether the key holds an array: a member
  // that is not an array is ignored (`present` false, true returned). Elements that are not
  // numbers and counts outside `shape` fail; on success `out` holds the numbers.
  [[nodiscard]] bool readNumberArray(const char* key, const NumberArrayShape& shape,
                                     std::vector<double>& out, bool& present) const;

  // Sets the error text to `<path of key>: <reason>` and returns false, for the checks that
  // need the values themselves (a zone code out of range).
  [[nodiscard]] bool fail(const char* key, std::string_view reason) const;

  // Adds the warning `<path of key>: <reason>` (key may be null: the object's own path).
  void warn(const char* key, std::string_view reason) const;
  // Warns of every member whose name is not in `known`: a misspelt key is otherwise silently
  // ignored and its default used.
  void warnUnknownKeys(std::initializer_list<std::string_view> known) const;

  const JsonPath& path() const { return path_; }
  std::string& error() const { return *error_; }
  std::vector<std::string>* warnings() const { return warnings_; }

 private:
  const rapidjson::Value* object_;
  JsonPath path_;
  std::string* error_;
  std::vector<std::string>* warnings_;
};
