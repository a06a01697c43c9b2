#include "pipeline/pipeline_cache.h"

#include "pipeline/boundary_selector.h"

void PipelineCacheDeleter::operator()(PipelineCache* cache) const { delete cache; }

PipelineCache& pipelineCacheOf(CoordTranslateInfo& info) {
  if (info.cache.get() == nullptr) info.cache.reset(new PipelineCache());
  return *info.cache.get();
}

PipelineCache& preparedCacheOf(CoordTranslateInfo& info) {
  PipelineCache& cache = pipelineCacheOf(info);
  if (cache.definitions.size() != info.projects.size() ||
      cache.definitionsData != info.projects.data()) {
    cache.definitions.clear();
    cache.definitions.resize(info.projects.size());
    cache.definitionsData = info.projects.data();
  }
  // A NaN in the origin never compares equal: everything is then rebuilt per point, which is
  // slow but still right.
  if (!cache.originFrame || !(cache.frameOrigin == *info.origin)) {
    for (PreparedDefinition& prepared : cache.definitions) {
      prepared.chain.reset();
      prepared.shift.reset();
      prepared.shiftPrepared = false;
    }
    cache.frameOrigin = *info.origin;
    cache.originFrame.emplace(cache.frameOrigin);
  }
  return cache;
}

const DefinitionChain& definitionChainOf(CoordTranslateInfo& info, PipelineCache& cache,
                                         std::size_t index) {
  PreparedDefinition& prepared = cache.definitions[index];
  if (!prepared.chain) prepared.chain.emplace(info.projects[index], cache.frameOrigin);
  return *prepared.chain;
}

const std::optional<ControlApplier>& controlApplierOf(CoordTranslateInfo& info,
                                                       PipelineCache& cache, std::size_t index,
                                                       ControlDirection direction) {
  PreparedDefinition& prepared = cache.definitions[index];
  const bool toProject = direction == ControlDirection::enuToProject;
  bool& done = toProject ? prepared.toProjectPrepared : prepared.toEnuPrepared;
  std::optional<ControlApplier>& applier = toProject ? prepared.toProject : prepared.toEnu;
  if (!done) {
    applier = prepareControlApplier(info.projects[index], direction);
    done = true;
  }
  return applier;
}

const std::optional<EnuFrameShift>& controlShiftOf(CoordTranslateInfo& info, PipelineCache& cache,
                                                   std::size_t index) {
  PreparedDefinition& prepared = cache.definitions[index];
  if (!prepared.shiftPrepared) {
    const ProjectDefinition& definition = info.projects[index];
    const EnuOrigin fitted = definition.fittedFrame.value_or(cache.frameOrigin);
    if (!sameEnuFrame(fitted, cache.frameOrigin)) prepared.shift.emplace(fitted, cache.frameOrigin);
    prepared.shiftPrepared = true;
  }
  return prepared.shift;
}

std::optional<std::size_t> chooseDefinition(CoordTranslateInfo& info, const Point3& p,
                                            BoundaryFrame frame) {
  if (info.origin == nullptr || info.projects.empty()) return std::nullopt;
  // A single definition converts every point; its boundary is never looked at.
  if (info.projects.size() == 1) return std::size_t{0};
  return info.selectDefinition(p, frame);
}
