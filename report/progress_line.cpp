#include "report/progress_line.h"

#include <algorithm>

namespace {

// At most this many redraws a second: a terminal write per block of a fast disk would cost
// more than the conversion's own output.
constexpr std::chrono::milliseconds kRedrawInterval{100};
constexpr double kBytesPerMB = 1e6;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string clock(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

ProgressLine::ProgressLine(std::FILE* out, bool enabled, std::uint64_t totalBytes,
                           std::size_t fileCount)
    : out_(out),
      enabled_(enabled),
      totalBytes_(totalBytes),
      fileCount_(fileCount),
      start_(Clock::now()),
      lastDraw_(start_) {}

void ProgressLine::startFile(std::size_t index, const std::string& name, std::uint64_t bytes) {
  index_ = index;
  name_ = name;
  fileBytes_ = bytes;
  fileRead_ = 0;
  // The first file shows at once; later ones within the rate like any other update.
  draw(!everDrawn_);
}

void ProgressLine::advanced(std::uint64_t bytesRead) {
  fileRead_ = bytesRead;
  draw(false);
}

void ProgressLine::finishFile(std::uint64_t vertices, const RoundTripTally& roundTrip) {
  roundTrip_.merge(roundTrip);
  const std::uint64_t bytes = std::max(fileBytes_, fileRead_);
  doneBytes_ += bytes;
  Pass& pass = scanning_ ? scanned_ : converted_;
  ++pass.files;
  pass.vertices += vertices;
  pass.bytes += bytes;
  fileRead_ = 0;
  fileBytes_ = 0;
}

void ProgressLine::draw(bool force) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (!force && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  const double seconds = secondsSince(start_);
  const std::uint64_t read = doneBytes_ + fileRead_;
  const double rate = seconds > 0.0 ? static_cast<double>(read) / seconds : 0.0;
  const int percent =
      fileBytes_ > 0 ? static_cast<int>(100.0 * static_cast<double>(fileRead_) /
                                        static_cast<double>(fileBytes_))
                     : 0;
  std::string left = "";
  if (rate > 0.0 && totalBytes_ > read) {
    left = "  " + clock(static_cast<double>(totalBytes_ - read) / rate) + " left";
  }
  // Long names keep their end, where tiles differ.
  std::string name = name_;
  if (name.size() > 40) name = "..." + name.substr(name.size() - 37);
  std::fprintf(out_, "\r[%zu/%zu] %s%s  %d%%  %.1f MB/s%s\x1b[K", index_, fileCount_,
               scanning_ ? "base point: " : "", name.c_str(), std::min(percent, 100),
               rate / kBytesPerMB, left.c_str());
  std::fflush(out_);
  drawn_ = true;
  everDrawn_ = true;
}

void ProgressLine::erase() {
  if (!enabled_ || !drawn_) return;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
  drawn_ = false;
}

void ProgressLine::summary() {
  if (!enabled_) return;
  erase();
  const double seconds = secondsSince(start_);
  // The whole run's time: a scan before the conversion is part of it.
  const std::string text =
      converted_.files == 0 && scanned_.files > 0
          ? scanSummaryText(scanned_.files, scanned_.vertices, scanned_.bytes, seconds)
          : summaryText(converted_.files, converted_.vertices, converted_.bytes, seconds,
                        roundTrip_);
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

std::string ProgressLine::summaryText(std::size_t files, std::uint64_t vertices,
                                      std::uint64_t bytes, double seconds,
                                      const RoundTripTally& roundTrip) {
  const double perSecond = seconds > 0.0 ? static_cast<double>(vertices) / seconds : 0.0;
  char closure[100];
  if (roundTrip.failed() > 0) {
    std::snprintf(closure, sizeof closure, "round trip failed for %llu vertices",
                  static_cast<unsigned long long>(roundTrip.failed()));
  } else if (roundTrip.sampled() == 0) {
    std::snprintf(closure, sizeof closure, "no vertex sampled");
  } else {
    std::snprintf(closure, sizeof closure, "largest round trip %.4f mm", roundTrip.worstMm());
  }
  char text[300];
  std::snprintf(text, sizeof text,
                "quorvex: %zu file%s, %llu vertices, %.1f MB, %.2f s, %.0f vertices/s, %s", files,
                files == 1 ? "" : "s", static_cast<unsigned long long>(vertices),
                static_cast<double>(bytes) / kBytesPerMB, seconds, perSecond, closure);
  return text;
}

std::string ProgressLine::scanSummaryText(std::size_t files, std::uint64_t vertices,
                                          std::uint64_t bytes, double seconds) {
  const double perSecond = seconds > 0.0 ? static_cast<double>(vertices) / seconds : 0.0;
  char text[300];
  std::snprintf(text, sizeof text,
                "quorvex: base point of %zu file%s, %llu vertices, %.1f MB, %.2f s, %.0f "
                "vertices/s",
                files, files == 1 ? "" : "s", static_cast<unsigned long long>(vertices),
                static_cast<double>(bytes) / kBytesPerMB, seconds, perSecond);
  return text;
}
