#include "pipeline/pipeline_cache.h"

#include "pipeline/boundary_selector.h"

void PipelineCacheDeleter::operator()(PipelineCache* cache) const { delete cache; }

PipelineCache& pipelineCacheOf(CoordTranslateInfo& info) {
  if (info.cache.get() == nullptr) info.cache.reset(new PipelineCache());
  return *info.cache.get();
}
