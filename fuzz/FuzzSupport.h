#pragma once
// Helpers shared by the fuzz targets.
#include <cstddef>
#include <cstdint>
#include <string>

// A private scratch folder for this process, made the working directory on
// first use; returns its path.
const std::string& FuzzScratchDir();

// Writes bytes to a file in the scratch folder; returns its path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);

// Creates the engine's log manager quietly (no console output) once.
void QuietEngineLog();
