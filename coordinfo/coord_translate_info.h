#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// Prepared state of the per-vertex conversions (pipeline/pipeline_cache.h): chains set up
// once per definition and origin, boundary polygons, the geometry context. It is a cache:
// a copy of a CoordTranslateInfo starts without one.
struct PipelineCache;
struct PipelineCacheDeleter {
  void operator()(PipelineCache* cache) const;
};
class PipelineCacheHandle {
 public:
  PipelineCacheHandle() = default;
  PipelineCacheHandle(const PipelineCacheHandle&) noexcept {}
  PipelineCacheHandle& operator=(const PipelineCacheHandle&) noexcept {
    cache_.reset();
    return *this;
  }
  PipelineCacheHandle(PipelineCacheHandle&&) noexcept = default;
  PipelineCacheHandle& operator=(PipelineCacheHandle&&) noexcept = default;

  PipelineCache* get() const { return cache_.get(); }
  void reset(PipelineCache* cache = nullptr) { cache_.reset(cache); }

 private:
  std::unique_ptr<PipelineCache, PipelineCacheDeleter> cache_;
};

// Which cached boundary polygon a selection measures against.
enum class BoundaryFrame { project, enu };

// A parsed coordinate translation info: its definitions in file order and the ENU origin
// they all refer to.
struct CoordTranslateInfo {
  std::vector<ProjectDefinition> projects;
  EnuOrigin* origin = nullptr;           // not owned; set before parsing
  std::optional<std::size_t> current;    // index of the definition chosen last by projectToEnu
  // A "basepoint" member was read into `origin` (the ENU origin then comes from the file).
  bool basepointGiven = false;
  // Why the last conversion that returned false failed, for the user; empty when no reason
  // is known.
  std::string lastFailure;

  // Appends a default definition that refers to this info's origin; the parser's only way to
  // create definitions.
  ProjectDefinition& appendDefinition();
  ProjectDefinition* currentDefinition();

  // The three per-vertex conversions (pipeline/). Each returns false and leaves `out`
  // untouched when no definition converts the point; they fill caches, so calls on one info
  // must not overlap.
  [[nodiscard]] bool projectToEnu(const Point3& in, Point3& out);
  [[nodiscard]] bool enuToProject(const Point3& in, Point3& out);
  [[nodiscard]] bool projectToZone(const Point3& in, Point3& out);

  // The definition whose boundary polygon (in the given frame) lies nearest to `p`; ties go to
  // the earlier one. Empty when there are no definitions, or when a definition the choice
  // depends on has no polygon in the project frame (lastFailure says which and why).
  std::optional<std::size_t> selectDefinition(const Point3& p, BoundaryFrame frame);

  PipelineCacheHandle cache;
};
