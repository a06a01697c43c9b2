#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "obj/obj_line_reader.h"
#include "platform/atomic_file.h"

// The one sink of the rewriting: appends to a text (a block's converted text, a small file's).
// With a writer, it hands the text on to it whenever it holds kChunk bytes, so that a stream of
// any length holds little; flush() hands on the rest.
class TextSink : public ObjSink {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  explicit TextSink(std::string& text, AtomicFileWriter* writer = nullptr)
      : text_(text), writer_(writer) {}

  [[nodiscard]] bool write(std::string_view bytes) override {
    text_.append(bytes);
    return writer_ == nullptr || text_.size() < kChunk || flush();
  }
  // The text held to the writer (none: nothing to do).
  [[nodiscard]] bool flush() {
    if (writer_ == nullptr) return true;
    const bool ok = writer_->write(text_);
    text_.clear();
    return ok;
  }

 private:
  std::string& text_;
  AtomicFileWriter* writer_;
};
