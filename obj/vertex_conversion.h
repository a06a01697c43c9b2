#pragma once

#include <type_traits>
#include <utility>

// A non-owning reference to the per-vertex conversion of a run: given the three numbers of a
// vertex line, it fills `out` (which the caller has set to 0, 0, 0) and returns false when
// the vertex cannot be converted. The OBJ layer knows nothing of frames: these are just
// three numbers in and three out.
class VertexConversion {
 public:
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, VertexConversion>)
  VertexConversion(F& f)  // NOLINT: implicit by design, like std::function_ref
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, const double* in, double* out) {
          return (*static_cast<F*>(o))(in, out);
        }) {}

  bool operator()(const double in[3], double out[3]) const { return call_(object_, in, out); }

 private:
  void* object_;
  bool (*call_)(void*, const double*, double*);
};
