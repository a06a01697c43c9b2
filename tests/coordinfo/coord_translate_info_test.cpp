// The records of the coordinate translation info: defaults, copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"
#include "coordinfo/project_definition.h"
#include "coordinfo/projectinfo.h"
#include "coordinfo/transform_info.h"

namespace {

TEST(ModelDefaults, EnuOriginIsWgs84AtZero) {
  const EnuOrigin origin;
  EXPECT_EQ(origin.lon, 0.0);
  EXPECT_EQ(origin.lat, 0.0);
  EXPECT_EQ(origin.height, 0.0);
  EXPECT_EQ(origin.spare1, 0.0);
  EXPECT_EQ(origin.spare2, 0.0);
  // The stored WGS84 values, bit for bit (converted files depend on them).
  EXPECT_EQ(origin.a, 6378137.0);
  EXPECT_EQ(origin.b, 6356752.3142);
  EXPECT_EQ(origin.f, 0.003352810664747481);
  // f lies within two units in the last place of 1/298.257223563 (EPSG 7030).
  EXPECT_NEAR(origin.f, 1 / 298.257223563, 2 * std::numeric_limits<double>::epsilon() * 0.004);
}

TEST(ModelDefaults, ProjectDefinitionAndProjectinfo) {
  const ProjectDefinition definition;
  EXPECT_TRUE(definition.projectid.empty());
  EXPECT_TRUE(definition.type.empty());
  EXPECT_TRUE(definition.srcpoints.empty());
  EXPECT_TRUE(definition.srcpointsenu.empty());
  EXPECT_TRUE(definition.despoints.empty());
  EXPECT_TRUE(definition.boundary.empty());
  EXPECT_FALSE(definition.transform.has_value());
  EXPECT_EQ(definition.origin, nullptr);
  EXPECT_EQ(definition.zonecode, -1);
  EXPECT_FALSE(definition.isCustomGauss());
  EXPECT_FALSE(definition.isControlPoints());

  const projectinfo& info = definition.info;
  EXPECT_EQ(info.centralMeridianLongitude, 0.0);
  EXPECT_EQ(info.centralOriginLatitude, 0.0);
  EXPECT_EQ(info.ellipsoid, "CGCS2000");
  EXPECT_EQ(info.surfaceheight, 0.0);
  EXPECT_EQ(info.xoffset, 500000.0);
  EXPECT_EQ(info.yoffset, 0.0);
  EXPECT_FALSE(info.planeparam || info.altparam || info.baseconv || info.ellipsoidconv ||
               info.adjustconv);
}

TEST(ModelDefaults, SubRecordsAndTransform) {
  const PlaneParam plane;
  EXPECT_EQ(plane.type, PlaneType::tgo);
  EXPECT_EQ(plane, (PlaneParam{PlaneType::tgo, 0, 0, 0, 0, 0, 0}));
  const AltParam alt;
  EXPECT_EQ(alt.type, AltType::tilt);
  EXPECT_EQ(alt, (AltParam{AltType::tilt, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BaseConv{}, (BaseConv{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EllipsoidConv{}, (EllipsoidConv{"", ""}));
  EXPECT_EQ(AdjustConv{}, (AdjustConv{0, 0, 0}));
  const TransformInfo transform;
  for (const double v : transform.args) EXPECT_EQ(v, 0.0);
  for (const double v : transform.inv_args) EXPECT_EQ(v, 0.0);
  for (const auto* centroid : {&transform.src, &transform.inv_src, &transform.tar,
                               &transform.inv_tar}) {
    for (const double v : *centroid) EXPECT_EQ(v, 0.0);
  }
  EXPECT_FALSE(transform.argsFailed || transform.invArgsFailed);
}

// Zone codes: EPSG numbers the CGCS2000 3-degree Gauss-Krüger zones by central meridian,
// 4534 = 75° E, 4548 = 117° E, 4554 = 135° E; a zone reaches 1.5° either side of its
// meridian, and the code is truncated toward zero (so −10° gives 4506, not 4505).
ProjectDefinition fullDefinition(EnuOrigin* origin) {
  ProjectDefinition d;
  d.projectid = "p1";
  d.type = "Custom Gauss";
  d.srcpoints = {{114, 30, 10}};
  d.srcpointsenu = {{1, 2, 3}};
  d.despoints = {{500000, 3300000, 12}};
  d.boundary = {{114, 30, 0}, {115, 30, 0}};
  d.transform.emplace();
  d.transform->args = {1, 2, 3, 4, 5, 6, 7};
  d.transform->inv_tar = {8, 9, 10};
  d.info.centralMeridianLongitude = 117;
  d.info.planeparam = PlaneParam{PlaneType::fourParam, 1, 2, 3, 4, 5, 6};
  d.info.altparam = AltParam{AltType::plane, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  d.info.baseconv = BaseConv{1, 2, 3, 4, 5, 6, 7};
  d.info.ellipsoidconv = EllipsoidConv{"BJ54", "CGCS2000"};
  d.info.adjustconv = AdjustConv{0.1, 0.2, 0.3};
  d.origin = origin;
  d.zonecode = 4548;
  return d;
}

// A copy owns its transform and sub-records (a change to the copy leaves the source as it
// was) and refers to the same EnuOrigin.
TEST(ModelCopy, DefinitionIsDeepExceptTheSharedOrigin) {
  EnuOrigin origin;
  const ProjectDefinition source = fullDefinition(&origin);
  ProjectDefinition copy = source;

  EXPECT_EQ(copy.projectid, source.projectid);
  EXPECT_EQ(copy.srcpoints, source.srcpoints);
  EXPECT_EQ(copy.boundary, source.boundary);
  EXPECT_EQ(copy.transform, source.transform);
  EXPECT_EQ(copy.info, source.info);
  EXPECT_EQ(copy.zonecode, 4548);
  EXPECT_EQ(copy.origin, &origin);

  EXPECT_NE(&*copy.transform, &*source.transform);
  EXPECT_NE(&*copy.info.planeparam, &*source.info.planeparam);
  copy.transform->args[0] = -1;
  copy.info.planeparam->rotate = -1;
  copy.info.altparam->F = -1;
  copy.info.baseconv->ppmscale = -1;
  copy.info.ellipsoidconv->desellipsoid = "WGS84";
  copy.info.adjustconv->altoffset = -1;
  const ProjectDefinition pristine = fullDefinition(&origin);
  EXPECT_EQ(source.transform, pristine.transform);
  EXPECT_EQ(source.info, pristine.info);

  // Assignment over a definition with other sub-records replaces them all.
  ProjectDefinition assigned;
  assigned.info.planeparam.emplace();
  assigned = source;
  EXPECT_EQ(assigned.info, source.info);
  EXPECT_EQ(assigned.transform, source.transform);

  // Absent stays absent.
  ProjectDefinition bare;
  bare.origin = &origin;
  const ProjectDefinition bareCopy = bare;
  EXPECT_FALSE(bareCopy.transform.has_value());
  EXPECT_FALSE(bareCopy.info.planeparam.has_value());
  EXPECT_FALSE(bareCopy.info.adjustconv.has_value());
}

TEST(ModelCopy, AppendedDefinitionsReferToTheInfoOrigin) {
  EnuOrigin origin;
  CoordTranslateInfo info;
  info.origin = &origin;
  for (int k = 0; k < 100; ++k) info.appendDefinition();  // relocates several times
  for (const ProjectDefinition& d : info.projects) ASSERT_EQ(d.origin, &origin);
  info.projects.front().origin->lon = 121.5;
  EXPECT_EQ(info.projects.back().origin->lon, 121.5);
}

}  // namespace
