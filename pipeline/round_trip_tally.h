#pragma once

#include <cstdint>

// How far the vertices sampled from a file came back from their input after the conversion
// and its way back (x, y horizontal, z vertical, metres in, millimetres out). Order-free:
// counts, maxima and integer sums of squares, so the tallies of a file's pieces, converted on
// any number of threads and merged in any order, give the bits of one tally of the whole file.
class RoundTripTally {
 public:
  // A vertex read as `input` that came back as `back`.
  void add(const double input[3], const double back[3]);
  // A vertex whose way back failed (off the projection, not finite): the worst case.
  void addFailed() {
    ++sampled_;
    ++failed_;
  }
  void merge(const RoundTripTally& other);

  std::uint64_t sampled() const { return sampled_; }  // failed ones included
  std::uint64_t failed() const { return failed_; }
  double maxHorizontalMm() const { return maxHorizontal_ * kMmPerM; }
  double maxVerticalMm() const { return maxVertical_ * kMmPerM; }
  // Over the vertices that came back; 0 when none did.
  double rmsHorizontalMm() const { return horizontal_.rmsMm(sampled_ - failed_); }
  double rmsVerticalMm() const { return vertical_.rmsMm(sampled_ - failed_); }
  // The largest distance, horizontal or vertical; infinite when a way back failed, 0 when
  // nothing was sampled.
  double worstMm() const;
  // worstMm() as the messages print it (four decimals, "%.4f") above `limitMm`: a round trip
  // printed equal to the limit does not exceed it. A failed way back always does.
  bool exceeds(double limitMm) const;

 private:
  static constexpr double kMmPerM = 1000.0;

  // Distances rounded to whole nanometres (and at most 2^31 nm, 2.1 m), their squares summed
  // exactly in 128 bits: integer addition does not depend on the order.
  class SquareSum {
   public:
    void add(double metres);
    void merge(const SquareSum& other);
    double rmsMm(std::uint64_t count) const;

   private:
    void addSquare(std::uint64_t square);
    std::uint64_t high_ = 0, low_ = 0;
  };

  std::uint64_t sampled_ = 0;
  std::uint64_t failed_ = 0;
  double maxHorizontal_ = 0.0;  // m
  double maxVertical_ = 0.0;    // m
  SquareSum horizontal_, vertical_;
};
