#pragma once

#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

// A non-owning reference to the per-vertex conversion of a run: given the three numbers of a
// vertex line, it fills `out` (which the caller has set to 0, 0, 0) and returns false when
// the vertex cannot be converted. The OBJ layer knows nothing of frames: these are just
// three numbers in and three out.
//
// It may also refer to a conversion of many vertices at once (in: x, y, z of `count` vertices
// one after the other, out likewise), which returns how many of them, from the first, it
// converted: all, or up to the first that cannot be converted (whose reason, if any, it keeps
// as the one-vertex conversion would), or up to and including the first whose result is not
// finite (the OBJ rewriting stops there, as it does converting one vertex at a time). Each
// vertex must come out as the one-vertex conversion gives it.
// The three numbers are finite (the OBJ rewriting refuses any other result).
inline bool finiteVertex(const double v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

class VertexConversion {
 public:
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, VertexConversion>)
  VertexConversion(F& f)  // NOLINT: implicit by design, like std::function_ref
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, const double* in, double* out) {
          return (*static_cast<F*>(o))(in, out);
        }) {}

  template <typename F, typename B>
  VertexConversion(F& f, B& batch) : VertexConversion(f) {
    batchObject_ = const_cast<void*>(static_cast<const void*>(&batch));
    batchCall_ = [](void* o, const double* in, double* out, std::size_t count) {
      return (*static_cast<B*>(o))(in, out, count);
    };
  }

  bool operator()(const double in[3], double out[3]) const { return call_(object_, in, out); }

  // Whether it converts many vertices at once faster than one by one.
  bool batched() const { return batchCall_ != nullptr; }
  // `count` vertices; out is set to 0 by the caller.
  std::size_t convertMany(const double* in, double* out, std::size_t count) const {
    if (batchCall_ != nullptr) return batchCall_(batchObject_, in, out, count);
    for (std::size_t i = 0; i < count; ++i) {
      if (!call_(object_, in + 3 * i, out + 3 * i)) return i;
      if (!finiteVertex(out + 3 * i)) return i + 1;
    }
    return count;
  }

 private:
  void* object_;
  bool (*call_)(void*, const double*, double*);
  void* batchObject_ = nullptr;
  std::size_t (*batchCall_)(void*, const double*, double*, std::size_t) = nullptr;
};
