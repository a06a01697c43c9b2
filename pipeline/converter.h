#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "geodesy/control_transform.h"
#include "geodesy/enu_frame.h"
#include "geodesy/enu_frame_shift.h"
#include "geodesy/gauss_kruger.h"
#include "pipeline/boundary_selector.h"
#include "pipeline/control_step.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/definition_chain.h"
#include "pipeline/enu_frame_ellipsoid.h"
#include "pipeline/lane_kernels.h"
#include "pipeline/prepare_boundary.h"
#include "pipeline/zone_codes.h"

// What one conversion needed that a run prints once, the first time (RunState::record).
struct ConversionTrace {
  // Definitions [0, boundariesReached) the boundary selection looked at (0: no selection).
  std::size_t boundariesReached = 0;
  // The definition chosen, also when the conversion then failed; empty when none was.
  std::optional<std::size_t> chosen;
  // The conversion went through the control-point transform of `chosen`.
  bool controlTransformUsed = false;
};

// What one thread keeps between its conversions: its own GEOS context with the polygons
// built from a converter's rings, and the trace of its last conversion. Made empty; the
// first conversion through a converter builds what it needs (again when it is used with
// another converter).
class ConverterScratch {
 public:
  const ConversionTrace& trace() const { return trace_; }

 private:
  friend class Converter;
  std::uint64_t owner_ = 0;  // Converter::id_ the selector was built for; 0: none
  std::unique_ptr<BoundarySelector> selector_;
  ConversionTrace trace_;
};

// The per-vertex conversions of one run, prepared once from a parsed model and the run's ENU
// origin, and then only read: a conversion is `const` and many threads may convert through
// one converter at once, each with its own ConverterScratch.
//
// Building it prepares, per definition: the projection chain (any type but "Control
// points"); the two control-point appliers (a missing transform is fitted now, as the
// driver's first use would, its label lines and failure reason kept for RunState); the change
// from the frame a control-point definition was fitted in to the origin's (none when the two
// are the same frame, so nothing moves by a bit); the boundary rings of both frames with the
// reason a ring is unusable (prepare_boundary.h); the projection of a parsed zone code. An
// undefined definition gets none of these but its ENU ring.
//
// The ENU frame is formed on the ellipsoid the definitions end on (chooseEnuFrameEllipsoid):
// the origin's longitude, latitude and height are taken as given, its ellipsoid fields are
// that choice's.
//
// The model is copied: it may change or go away afterwards.
class Converter {
 public:
  Converter(const CoordTranslateInfo& model, const EnuOrigin& origin);

  // The same definitions about another origin, without fitting or printing anything again:
  // chains, frame shifts and ENU rings are made for `origin`; the control fits are kept, and so
  // are the project rings of the definitions `state` has seen a selection look at (they were
  // made about the old origin when they were first needed); the others are made about `origin`.
  // boundariesSeen[i]: a selection has looked at the boundary of definition i (RunState).
  [[nodiscard]] Converter withOrigin(const EnuOrigin& origin,
                                     const std::vector<bool>& boundariesSeen) const;

  // Project frame -> ENU about the origin. The definition: the only one, or the one whose
  // project-frame boundary lies nearest. A "Control points" definition applies its
  // project-to-ENU parameter set (inv_args, inv_src, inv_tar), giving ENU in the frame it was
  // fitted in, then changes that frame to the origin's when they differ; every other type
  // runs its projection chain. False, leaving `out` untouched and the reason in `*why` (when
  // not null; empty when none is known), when there are no definitions, the choice cannot be
  // made, the control-point fit failed, the point lies off the projection or the result is
  // not finite, or the definition chosen defines nothing (ProjectDefinition::isDefined).
  [[nodiscard]] bool projectToEnu(const Point3& in, Point3& out, ConverterScratch& scratch,
                                  std::string* why = nullptr) const;
  // ENU about the origin -> project frame, choosing against the ENU boundaries. A "Control
  // points" definition first takes the point into the frame it was fitted in (when that
  // differs), then applies args, src, tar; a "Custom Gauss" one runs its chain backwards; any
  // other type converts nothing.
  [[nodiscard]] bool enuToProject(const Point3& in, Point3& out, ConverterScratch& scratch,
                                  std::string* why = nullptr) const;
  // Project frame -> 3-degree Gauss-Krüger zone of the chosen definition: projectToEnu, back
  // to geodetic on the origin's ellipsoid (closed form), then the zone projection. Output
  // (easting m, northing m, ellipsoidal height m on the origin's ellipsoid). A definition
  // without a parsed zone code takes the zone `zones` holds for it, or fixes it there from
  // this point's longitude, trunc((λ − 73.5)/3 + 4534). False also when that longitude has no
  // 32-bit zone code, or the point lies off the zone (more than 10° from its meridian).
  [[nodiscard]] bool projectToZone(const Point3& in, Point3& out, ConverterScratch& scratch,
                                   ZoneCodes& zones, std::string* why = nullptr) const;

  // Converts `count` vertices (in: x, y, z each; out likewise) of one kind several at a time
  // with `kernel` (pipeline/lane_code.h) where the run allows it: one definition, either of a
  // projection type whose chain has no datum or ellipsoid step in the direction needed
  // ("Custom Gauss" for ENU -> project) or of control points whose fit of that direction
  // succeeded, and in the zone mode a zone parsed or fixed in `zones`. done[i] = 1: out holds
  // vertex i's conversion, the bits projectToEnu / enuToProject / projectToZone give it, and
  // that conversion would have succeeded without fixing anything; its trace is that of a
  // successful conversion (through the control-point transform for control points).
  // done[i] = 0: vertex i is left to those functions (a run or point the lanes do not take,
  // or a conversion that may fail). A null kernel converts none.
  void convertInLanes(LaneKernel kernel, ConversionKind kind, const ZoneCodes& zones,
                      const double* in, double* out, unsigned char* done,
                      std::size_t count) const;
  // The same through definition `index`, for vertices whose selection chose it (of several
  // definitions): done[i] = 1 gives the bits of the one-vertex conversion, which would choose
  // `index`, and whose trace is that of the choice (chooseFor).
  void convertInLanes(LaneKernel kernel, ConversionKind kind, const ZoneCodes& zones,
                      std::size_t index, const double* in, double* out, unsigned char* done,
                      std::size_t count) const;
  // The definition a conversion of `kind` chooses for `p`, without converting: the trace of
  // the choice is then scratch.trace(), as that of a conversion through it that succeeds.
  std::optional<std::size_t> chooseFor(ConversionKind kind, const Point3& p,
                                       ConverterScratch& scratch) const;
  // Whether definition `index` converts through a control-point transform: a conversion
  // through it has that in its trace.
  bool isControlPoints(std::size_t index) const;

  // The way back of a `kind` conversion that went through definition `index`, to measure the
  // round trip: ENU -> project frame for projectToEnu (every projected type, where
  // enuToProject takes "Custom Gauss" only), project frame -> ENU for enuToProject, and for
  // projectToZone zone (on `zone`) -> geodetic on the origin's ellipsoid -> project frame
  // (through ENU for "Control points"). A "Control points" definition goes through its other
  // fitted transform. False when a point lies off a projection, the fit failed or the result
  // is not finite.
  [[nodiscard]] bool convertBack(ConversionKind kind, std::size_t index,
                                 const GaussKrugerProjection* zone, const Point3& result,
                                 Point3& back) const;
  // convertBack of `count` points through definition 0 in lanes, where convertInLanes would
  // convert `kind`: done[i] = 1 where out holds the bits convertBack gives point i, 0 where
  // it is left to convertBack. A null kernel converts none.
  void convertBackInLanes(LaneKernel kernel, ConversionKind kind,
                          const GaussKrugerProjection* zone, const double* in, double* out,
                          unsigned char* done, std::size_t count) const;
  // The central meridian (degree) of definition `index`'s projection; empty for "Control
  // points" and a definition that defines nothing.
  std::optional<double> centralMeridian(std::size_t index) const;

  // The offset added to the three numbers of each vertex as read, before it is converted: a
  // production's <SRSOrigin> (in the input frame: metres of the project frame, or of ENU).
  // The conversions here take the offset numbers; the OBJ side adds it
  // (run/vertex_batch.h). Zero unless set; withOrigin keeps it.
  const Point3& inputOffset() const { return inputOffset_; }
  void setInputOffset(const Point3& offset) { inputOffset_ = offset; }

  std::size_t definitionCount() const { return definitions_.size(); }
  // The ellipsoid of the ENU frame, and the warnings of its choice (definitions on axes that
  // differ), for the run to print once.
  const EnuFrameEllipsoid& frameEllipsoid() const { return frameEllipsoid_; }
  const EnuOrigin& origin() const { return frame_.origin(); }
  // The origin set up once (ENU <-> geodetic of the run's frame).
  const EnuFrame& frame() const { return frame_; }
  // The zone code definition `index` converts on: parsed, else the one fixed in `zones`;
  // empty when neither.
  std::optional<int32_t> zoneCode(std::size_t index, const ZoneCodes& zones) const;
  // The prepared boundary rings, in definition order.
  const std::vector<PreparedBoundary>& boundaries() const { return boundaries_; }

  // What a run prints the first time a selection looks at definition `index` (the label lines
  // and failure reason of its boundary fit), and the first time its control-point transform is
  // used (those of fitting a missing transform). Empty when there is nothing to print.
  const std::string& boundaryFitOut(std::size_t index) const;
  const std::string& boundaryFitErr(std::size_t index) const;
  const std::string& transformFitOut(std::size_t index) const;
  const std::string& transformFitErr(std::size_t index) const;

 private:
  struct Prepared {
    std::optional<DefinitionChain> chain;       // every type but "Control points"
    std::optional<ControlApplier> toProject;    // args, src, tar; empty: that fit failed
    std::optional<ControlApplier> toEnu;        // inv_args, inv_src, inv_tar
    std::optional<ControlStep> control;         // "Control points", about the origin
    std::optional<BoundaryFit> boundaryFit;     // control points with source points
    std::string transformFitOut, transformFitErr;
    std::optional<GaussKrugerProjection> zone;  // of a parsed zone code
  };

  void prepareForOrigin(std::size_t index);
  // The definition converting `p`; starts the scratch's trace of this conversion and clears
  // `*why`.
  std::optional<std::size_t> choose(const Point3& p, BoundaryFrame frame,
                                    ConverterScratch& scratch, std::string* why) const;
  // True, with the reason in `*why`, when definition `index` defines nothing (it converts no
  // vertex).
  bool definesNothing(std::size_t index, std::string* why) const;
  // Through the control-point applier of definition `index` in one direction.
  bool controlApply(std::size_t index, ControlDirection direction, const Point3& in, Point3& out,
                    std::string* why) const;
  // ENU about the origin -> project frame, and back, through definition `index` as chosen.
  bool toProjectThrough(std::size_t index, const Point3& enu, Point3& out) const;
  bool toEnuThrough(std::size_t index, const Point3& project, Point3& out) const;

  std::vector<ProjectDefinition> definitions_;  // the model's, as parsed
  std::vector<Prepared> prepared_;
  std::vector<PreparedBoundary> boundaries_;
  EnuFrameEllipsoid frameEllipsoid_;
  EnuFrame frame_{EnuOrigin{}};
  std::uint64_t id_ = 0;  // tells the scratch whose rings its polygons were built from
  Point3 inputOffset_{};
};
