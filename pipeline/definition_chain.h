#pragma once

#include <optional>
#include <string>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"
#include "coordinfo/projectinfo.h"
#include "geodesy/corrections.h"
#include "geodesy/datum.h"
#include "geodesy/enu_frame.h"
#include "geodesy/gauss_kruger.h"

// The conversion chain of one projected definition between its project frame (x = easting m,
// y = northing m, z = height m) and the ENU frame of an origin (east, north, up m), set up
// once from the definition's `info` and the origin and then run once per vertex.
//
// Project frame -> ENU (toEnu):
//   remove adjust offsets, height model, plane transform; inverse Gauss-Krüger on the
//   projection ellipsoid E enlarged to the surface height; seven parameters inverted on E;
//   ellipsoid change E -> srcellipsoid; geodetic -> Earth-centred -> ENU on the origin's own
//   ellipsoid.
// ENU -> project frame (fromEnu) is the same road backwards, starting with the origin's
// closed-form (Bowring) back-conversion.
//
// Everything that depends only on the definition or the origin (the projection ellipsoid of
// each direction, the enlarged axis, the series constants, the seven-parameter matrix, the
// resolved correction types, the origin frame) is computed in the constructor; a conversion
// is straight-line arithmetic plus at most the bounded iterations of the datum steps (25 each).
// A chain built for one call gives the same bits as a chain kept for many.
//
// Accuracy: toEnu followed by fromEnu returns the project point to well under 1 mm for heights
// under 10 km, for every combination of correction records.
class DefinitionChain {
 public:
  // Copies what it needs; neither argument is referenced afterwards.
  DefinitionChain(const ProjectDefinition& definition, const EnuOrigin& origin);

  // Project frame -> ENU. False, leaving `out` untouched, when the point lies off the
  // projection (see offProjection: not finite, beyond a pole, or more than 10° from the
  // central meridian on the geodetic side of the projection step) or the result is not
  // finite; `why` (when not null) then says which.
  [[nodiscard]] bool toEnu(const Point3& in, Point3& out, std::string* why = nullptr) const;
  // ENU -> project frame. False, leaving `out` untouched, in the same cases.
  [[nodiscard]] bool fromEnu(const Point3& in, Point3& out, std::string* why = nullptr) const;

  // The halves without the origin frame, for callers that hold the frame themselves:
  // project frame -> geodetic on the ENU side's datum (lon°, lat°, h m), and back; empty
  // (with the reason in `why`) when the projection step's geodetic side is off the projection.
  // toEnu(p) is frame().ecefToEnu(frame().geodeticToEcef(*projectToGeodetic(p))) and
  // fromEnu(e) is *geodeticToProject(frame().ecefToGeodeticBowring(frame().enuToEcef(e))).
  [[nodiscard]] std::optional<Point3> projectToGeodetic(const Point3& project,
                                                        std::string* why = nullptr) const;
  [[nodiscard]] std::optional<Point3> geodeticToProject(const Point3& geodetic,
                                                        std::string* why = nullptr) const;

  // The origin set up once.
  [[nodiscard]] const EnuFrame& frame() const { return frame_; }

  // Whether the lanes forms of toEnu / fromEnu apply: the direction has no datum or ellipsoid
  // step (those iterate, point by point).
  [[nodiscard]] bool lanesToEnu() const { return !toEnuDatum_ && !toEnuChange_; }
  [[nodiscard]] bool lanesFromEnu() const { return !fromEnuDatum_ && !fromEnuChange_; }
  // toEnu and fromEnu in place, for one value (V = double, M = bool) or several points at
  // once on lanes (geodesy/lanes.h); defined in pipeline/definition_chain_steps.h. The lanes of
  // the mask returned hold the bits the one-point functions give their points; the others (a
  // point off the projection or near its edge, on the polar axis, an argument the lane
  // functions leave to the one-value code, a result not finite) hold nothing meaningful and
  // must be converted one at a time. Lanes only where lanesToEnu() / lanesFromEnu().
  template <class V, class M>
  [[nodiscard]] M toEnu(V& x, V& y, V& z) const;
  template <class V, class M>
  [[nodiscard]] M fromEnu(V& x, V& y, V& z) const;
  // geodeticToProject (lon°, lat°, h m in; x, y, z out), one value or lanes, with the
  // result's finiteness in the mask.
  template <class V, class M>
  [[nodiscard]] M geodeticToProject(V lon, V lat, V h, V& x, V& y, V& z) const;

 private:
  // The steps, in place, for one value or lanes (pipeline/definition_chain_steps.h): project
  // frame (x, y, z) -> geodetic (lon°, lat°, h m) on the ENU side's datum, and back; and
  // each with the origin frame. The mask holds the lanes converted (one value: whether it
  // was, with the reason a point is off the projection in `*why`).
  template <class V, class M>
  M projectToGeodeticSteps(V& x, V& y, V& z, std::string* why) const;
  template <class V, class M>
  M geodeticToProjectSteps(V& x, V& y, V& z, std::string* why) const;
  template <class V, class M>
  M toEnuSteps(V& x, V& y, V& z, std::string* why) const;
  template <class V, class M>
  M fromEnuSteps(V& x, V& y, V& z, std::string* why) const;

  std::optional<AdjustConv> adjust_;
  std::optional<AltCorrection> alt_;
  std::optional<PlaneCorrection> plane_;
  // Each direction projects on its own ellipsoid (they differ only for an unknown
  // desellipsoid), with the axis enlarged to the surface height.
  GaussKrugerProjection toEnuProjection_;
  GaussKrugerProjection fromEnuProjection_;
  // Seven parameters on the (unenlarged) projection ellipsoid of each direction.
  std::optional<SevenParamTransform> toEnuDatum_;
  std::optional<SevenParamTransform> fromEnuDatum_;
  // E -> srcellipsoid going to ENU; ellipsoid -> E coming from ENU.
  std::optional<EllipsoidChange> toEnuChange_;
  std::optional<EllipsoidChange> fromEnuChange_;
  EnuFrame frame_;
};
