#include "parser/srs_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/number_text.h"

namespace {

constexpr std::size_t kMaxWktDepth = 32;  // PROJCS nests four deep; anything deeper is wrong
// The longitudes an ENU origin may have, as -inputbase takes them: west negative, or 0..360.
constexpr double kMinLongitude = -180.0;  // degree
constexpr double kMaxLongitude = 360.0;   // degree

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

bool wholeNumber(std::string_view text, double& value) {
  text = trimmed(text);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
         std::isfinite(value);
}

// One WKT node: KEYWORD[value, value, ...], each value a quoted text, a number or a node.
struct WktNode {
  std::string keyword;
  std::vector<std::string> texts;     // the quoted values and bare words, in order
  std::vector<double> numbers;        // the numbers, in order
  std::vector<std::unique_ptr<WktNode>> children;

  const WktNode* child(std::string_view name, std::size_t skip = 0) const {
    for (const auto& c : children) {
      if (startsWithNoCase(c->keyword, name) && c->keyword.size() == name.size() &&
          skip-- == 0) {
        return c.get();
      }
    }
    return nullptr;
  }
};

class WktReader {
 public:
  explicit WktReader(std::string_view text) : text_(text) {}

  std::unique_ptr<WktNode> read(std::string* why) {
    auto node = readNode(0);
    skipBlanks();
    if (node && at_ != text_.size()) fail("text after the closing ']'");
    if (!node && why != nullptr) *why = why_;
    return node;
  }

 private:
  void skipBlanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  std::nullptr_t fail(const std::string& reason) {
    if (why_.empty()) why_ = "WKT at character " + std::to_string(at_ + 1) + ": " + reason;
    return nullptr;
  }

  std::unique_ptr<WktNode> readNode(std::size_t depth) {
    if (depth > kMaxWktDepth) return fail("nested too deep");
    skipBlanks();
    auto node = std::make_unique<WktNode>();
    while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                  text_[at_] == '_')) {
      node->keyword += text_[at_++];
    }
    skipBlanks();
    if (node->keyword.empty()) return fail("a keyword expected");
    if (at_ >= text_.size() || (text_[at_] != '[' && text_[at_] != '(')) {
      return fail("'[' expected after " + node->keyword);
    }
    const char close = text_[at_++] == '[' ? ']' : ')';
    for (;;) {
      skipBlanks();
      if (at_ >= text_.size()) return fail("']' missing");
      const char c = text_[at_];
      if (c == '"') {
        const std::size_t end = text_.find('"', at_ + 1);
        if (end == std::string_view::npos) return fail("a quote is not closed");
        node->texts.emplace_back(text_.substr(at_ + 1, end - at_ - 1));
        at_ = end + 1;
      } else if (c == '-' || c == '+' || c == '.' || std::isdigit(static_cast<unsigned char>(c))) {
        const std::size_t end = text_.find_first_of(",])", at_);
        double value = 0.0;
        if (end == std::string_view::npos || !wholeNumber(text_.substr(at_, end - at_), value)) {
          return fail("a number expected");
        }
        node->numbers.push_back(value);
        at_ = end;
      } else {
        auto child = readNode(depth + 1);
        if (!child) return nullptr;
        node->children.push_back(std::move(child));
      }
      skipBlanks();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == close) {
        ++at_;
        return node;
      }
      return fail("',' or ']' expected");
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string why_;
};

// AXIS["Easting",EAST]: the bare direction words are turned into quoted ones first, so that
// every value is a text, a number or a node.
std::string quoteAxisWords(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && c == ',') {
      std::size_t j = i + 1;
      while (j < text.size() && text[j] == ' ') ++j;
      std::size_t k = j;
      while (k < text.size() && std::isalpha(static_cast<unsigned char>(text[k]))) ++k;
      if (k > j && k < text.size() && (text[k] == ']' || text[k] == ')')) {
        out += ",\"";
        out.append(text.substr(j, k - j));
        out += '"';
        i = k - 1;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::optional<double> parameter(const WktNode& projcs, std::string_view name) {
  for (const auto& c : projcs.children) {
    if (c->keyword != "PARAMETER" || c->texts.empty() || c->numbers.empty()) continue;
    if (startsWithNoCase(c->texts[0], name) && c->texts[0].size() == name.size()) {
      return c->numbers[0];
    }
  }
  return std::nullopt;
}

std::optional<SrsText> readWkt(std::string_view text, SrsText srs, std::string* why) {
  const std::string quotedText = quoteAxisWords(text);
  WktReader reader(quotedText);
  const std::unique_ptr<WktNode> root = reader.read(why);
  if (!root) return std::nullopt;
  srs.kind = SrsText::Kind::wkt;
  if (!root->texts.empty()) srs.name = root->texts[0];
  if (const WktNode* authority = root->child("AUTHORITY");
      authority != nullptr && authority->texts.size() >= 2 &&
      startsWithNoCase(authority->texts[0], "EPSG")) {
    double code = 0.0;
    if (wholeNumber(authority->texts[1], code)) srs.code = static_cast<int>(code);
  }
  if (const WktNode* projection = root->child("PROJECTION");
      projection != nullptr && !projection->texts.empty()) {
    srs.projection = projection->texts[0];
  }
  if (srs.projection != "Transverse_Mercator") return srs;
  const WktNode* geogcs = root->child("GEOGCS");
  const WktNode* datum = geogcs != nullptr ? geogcs->child("DATUM") : nullptr;
  const WktNode* spheroid = datum != nullptr ? datum->child("SPHEROID") : nullptr;
  if (spheroid == nullptr || spheroid->numbers.size() < 2 || !(spheroid->numbers[0] > 0.0)) {
    if (why != nullptr) *why = "the Transverse_Mercator WKT states no SPHEROID[name, a, rf]";
    return std::nullopt;
  }
  ProjectedFrame frame;
  frame.ellipsoid.a = spheroid->numbers[0];
  frame.ellipsoid.f = spheroid->numbers[1] == 0.0 ? 0.0 : 1.0 / spheroid->numbers[1];
  struct Wanted {
    const char* name;
    double* value;
  };
  const Wanted wanted[] = {{"central_meridian", &frame.centralMeridian},
                           {"latitude_of_origin", &frame.originLatitude},
                           {"scale_factor", &frame.scale},
                           {"false_easting", &frame.falseEasting},
                           {"false_northing", &frame.falseNorthing}};
  for (const Wanted& w : wanted) {
    const std::optional<double> value = parameter(*root, w.name);
    if (!value) {
      if (why != nullptr) *why = std::string("the WKT states no PARAMETER[\"") + w.name + "\"]";
      return std::nullopt;
    }
    *w.value = *value;
  }
  srs.frame = frame;
  return srs;
}


}  // namespace

std::optional<SrsText> readSrsText(std::string_view given, std::string* why) {
  const std::string_view text = trimmed(given);
  SrsText srs;
  srs.text = std::string(text);
  if (startsWithNoCase(text, "ENU:")) {
    const std::string_view numbers = text.substr(4);
    const std::size_t comma = numbers.find(',');
    double lat = 0.0, lon = 0.0;
    if (comma == std::string_view::npos || !wholeNumber(numbers.substr(0, comma), lat) ||
        !wholeNumber(numbers.substr(comma + 1), lon) || std::fabs(lat) > 90.0 ||
        lon < kMinLongitude || lon > kMaxLongitude) {
      if (why != nullptr) {
        *why = "'" + srs.text + "' is not ENU:LAT,LON (latitude within ±90°, longitude "
               "within -180°..360°)";
      }
      return std::nullopt;
    }
    srs.kind = SrsText::Kind::enu;
    srs.latitude = lat;
    srs.longitude = lon;
    return srs;
  }
  if (startsWithNoCase(text, "EPSG:")) {
    const std::string_view digits = trimmed(text.substr(5));
    int code = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code <= 0) {
      if (why != nullptr) *why = "'" + srs.text + "' is not EPSG:CODE with a whole number";
      return std::nullopt;
    }
    srs.kind = SrsText::Kind::epsg;
    srs.code = code;
    return srs;
  }
  if (startsWithNoCase(text, "PROJCS")) return readWkt(text, srs, why);
  return srs;
}

std::string formatWktProjcs(const ProjectedFrame& frame, const std::string& name, int code) {
  const EllipsoidNames names = ellipsoidNames(frame.ellipsoid);
  std::string wkt = "PROJCS[\"" + name + "\",GEOGCS[\"" + names.datum + "\",DATUM[\"" +
                    names.datum + "\",SPHEROID[\"" + names.ellipsoid + "\"," +
                    shortestText(frame.ellipsoid.a) + "," + names.inverseFlattening +
                    "]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
                    "PROJECTION[\"Transverse_Mercator\"]";
  const std::pair<const char*, double> parameters[] = {
      {"latitude_of_origin", frame.originLatitude}, {"central_meridian", frame.centralMeridian},
      {"scale_factor", frame.scale},                {"false_easting", frame.falseEasting},
      {"false_northing", frame.falseNorthing}};
  for (const auto& [key, value] : parameters) {
    wkt += ",PARAMETER[\"" + std::string(key) + "\"," + shortestText(value) + "]";
  }
  wkt += ",UNIT[\"metre\",1]";
  if (code != 0) wkt += ",AUTHORITY[\"EPSG\",\"" + std::to_string(code) + "\"]";
  return wkt + "]";
}
