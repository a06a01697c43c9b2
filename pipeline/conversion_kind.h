#pragma once

// The three conversions a run makes of every vertex.
enum class ConversionKind { projectToEnu, enuToProject, projectToZone };
