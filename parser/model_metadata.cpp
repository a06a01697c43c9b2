#include "parser/model_metadata.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cctype>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/number_text.h"

namespace {

constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The 1-based line of byte `offset` of `text`.
std::string lineOf(const std::string& text, std::ptrdiff_t offset) {
  const std::ptrdiff_t size = static_cast<std::ptrdiff_t>(text.size());
  const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, size);
  return std::to_string(1 + std::count(text.begin(), end, '\n'));
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool readOrigin(std::string_view text, Point3& origin) {
  double values[3];
  for (int k = 0; k < 3; ++k) {
    const std::size_t comma = k < 2 ? text.find(',') : std::string_view::npos;
    if (k < 2 && comma == std::string_view::npos) return false;
    const std::string_view piece = trimmed(text.substr(0, comma));
    const auto [end, error] =
        std::from_chars(piece.data(), piece.data() + piece.size(), values[k]);
    if (piece.empty() || error != std::errc() || end != piece.data() + piece.size() ||
        !std::isfinite(values[k])) {
      return false;
    }
    if (k < 2) text.remove_prefix(comma + 1);
  }
  origin = {values[0], values[1], values[2]};
  return true;
}

// The only child element `name` of `root`; null with the reason when there are several.
pugi::xml_node onlyChild(const pugi::xml_node& root, const char* name, const std::string& text,
                         std::string* why) {
  pugi::xml_node found = root.child(name);
  if (!found) return found;
  if (pugi::xml_node again = found.next_sibling(name)) {
    if (why != nullptr) {
      *why = lineOf(text, again.offset_debug()) + ": a second <" + name + ">";
    }
    return pugi::xml_node();
  }
  return found;
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, std::size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};


}  // namespace

std::optional<ModelMetadata> readModelMetadata(const std::string& text, std::string* why) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), kParseOptions);
  if (!parsed) {
    if (why != nullptr) *why = lineOf(text, parsed.offset) + ": " + parsed.description();
    return std::nullopt;
  }
  const pugi::xml_node root = document.document_element();
  if (std::strcmp(root.name(), "ModelMetadata") != 0) {
    if (why != nullptr) {
      *why = lineOf(text, root ? root.offset_debug() : 0) + ": the root element is <" +
             root.name() + ">, not <ModelMetadata>";
    }
    return std::nullopt;
  }
  std::string reason;
  const pugi::xml_node srs = onlyChild(root, "SRS", text, &reason);
  if (!reason.empty() || !srs || trimmed(srs.child_value()).empty()) {
    if (why != nullptr) {
      *why = !reason.empty() ? reason
             : srs ? lineOf(text, srs.offset_debug()) + ": <SRS> is empty"
                   : lineOf(text, root.offset_debug()) + ": <ModelMetadata> has no <SRS>";
    }
    return std::nullopt;
  }
  ModelMetadata metadata;
  metadata.srs = std::string(trimmed(srs.text().get()));
  const pugi::xml_node origin = onlyChild(root, "SRSOrigin", text, &reason);
  if (!reason.empty()) {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  }
  if (origin) {
    if (!readOrigin(origin.text().get(), metadata.origin)) {
      if (why != nullptr) {
        *why = lineOf(text, origin.offset_debug()) + ": <SRSOrigin> '" +
               std::string(trimmed(origin.text().get())) +
               "' is not three numbers x,y,z";
      }
      return std::nullopt;
    }
    metadata.originGiven = true;
  }
  return metadata;
}

std::string formatSrsOrigin(const Point3& origin) {
  return shortestText(origin.x) + "," + shortestText(origin.y) + "," + shortestText(origin.z);
}

std::string rewriteModelMetadata(const std::string& original, const std::string& srs,
                                 const Point3& origin) {
  pugi::xml_document document;
  if (original.empty() ||
      !document.load_buffer(original.data(), original.size(), kParseOptions) ||
      std::strcmp(document.document_element().name(), "ModelMetadata") != 0) {
    document.reset();
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node root = document.append_child("ModelMetadata");
    root.append_attribute("version") = "1";
    root.append_child(pugi::node_pcdata).set_value("\n  ");
    root.append_child("SRS");
    root.append_child(pugi::node_pcdata).set_value("\n  ");
    root.append_child("SRSOrigin");
    root.append_child(pugi::node_pcdata).set_value("\n");
  }
  // A UTF-16 file is read recoded to UTF-8, and written so: its declaration must say so. Any
  // other encoding (GBK, ...) is passed through byte for byte, and keeps its name.
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_declaration) continue;
    pugi::xml_attribute encoding = node.attribute("encoding");
    std::string named = encoding.value();
    std::transform(named.begin(), named.end(), named.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (named.rfind("utf-16", 0) == 0 || named == "ucs-2" || named == "unicode") {
      encoding.set_value("utf-8");
    }
  }
  pugi::xml_node root = document.document_element();
  pugi::xml_node srsNode = root.child("SRS");
  pugi::xml_node originNode = root.child("SRSOrigin");
  if (!originNode) {
    // After <SRS>, on a line of its own indented as <SRS> is (the blank before it repeated).
    const pugi::xml_node before = srsNode.previous_sibling();
    originNode = root.insert_child_after("SRSOrigin", srsNode);
    if (before.type() == pugi::node_pcdata) {
      root.insert_copy_after(before, srsNode);
    }
  }
  srsNode.text().set(srs.c_str());
  originNode.text().set(formatSrsOrigin(origin).c_str());
  // The nodes outside the root (declaration, comments) each on a line of its own: the blanks
  // between them are not kept by the parser.
  StringWriter writer;
  if (original.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    writer.text = kByteOrderMark;
  }
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    writer.text += '\n';
  }
  return writer.text;
}
