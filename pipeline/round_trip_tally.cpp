#include "pipeline/round_trip_tally.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr double kNanometresPerMetre = 1e9;
constexpr double kLargestNanometres = 2147483648.0;  // 2^31: its square fits 64 bits
constexpr double kTwoTo64 = 18446744073709551616.0;

}  // namespace

void RoundTripTally::SquareSum::addSquare(std::uint64_t square) {
  low_ += square;
  if (low_ < square) ++high_;  // the carry
}

void RoundTripTally::SquareSum::add(double metres) {
  const double nm = std::min(std::round(metres * kNanometresPerMetre), kLargestNanometres);
  const auto n = static_cast<std::uint64_t>(nm);
  addSquare(n * n);
}

void RoundTripTally::SquareSum::merge(const SquareSum& other) {
  high_ += other.high_;
  addSquare(other.low_);
}

double RoundTripTally::SquareSum::rmsMm(std::uint64_t count) const {
  if (count == 0) return 0.0;
  const double squares = static_cast<double>(high_) * kTwoTo64 + static_cast<double>(low_);
  return std::sqrt(squares / static_cast<double>(count)) / kNanometresPerMetre * kMmPerM;
}

void RoundTripTally::add(const double input[3], const double back[3]) {
  const double dx = back[0] - input[0];
  const double dy = back[1] - input[1];
  const double horizontal = std::sqrt(dx * dx + dy * dy);  // IEEE sqrt: the same bits everywhere
  const double vertical = std::fabs(back[2] - input[2]);
  if (!std::isfinite(horizontal) || !std::isfinite(vertical)) {
    addFailed();
    return;
  }
  ++sampled_;
  maxHorizontal_ = std::max(maxHorizontal_, horizontal);
  maxVertical_ = std::max(maxVertical_, vertical);
  horizontal_.add(horizontal);
  vertical_.add(vertical);
}

void RoundTripTally::merge(const RoundTripTally& other) {
  sampled_ += other.sampled_;
  failed_ += other.failed_;
  maxHorizontal_ = std::max(maxHorizontal_, other.maxHorizontal_);
  maxVertical_ = std::max(maxVertical_, other.maxVertical_);
  horizontal_.merge(other.horizontal_);
  vertical_.merge(other.vertical_);
}

double RoundTripTally::worstMm() const {
  if (failed_ > 0) return std::numeric_limits<double>::infinity();
  return std::max(maxHorizontal_, maxVertical_) * kMmPerM;
}

bool RoundTripTally::exceeds(double limitMm) const {
  const double worst = worstMm();
  if (!std::isfinite(worst)) return true;
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.4f", worst);
  return std::strtod(printed, nullptr) > limitMm;
}
