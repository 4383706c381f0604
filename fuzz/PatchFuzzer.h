#pragma once

#include <cstddef>
#include <cstdint>

// The patch fuzz target's one input (patch_fuzzer.cpp), for the test suite to replay its corpus.
int fuzzPatch(const std::uint8_t* data, std::size_t size);
