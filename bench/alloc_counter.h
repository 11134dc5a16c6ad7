#pragma once

// Bytes allocated and not yet freed by the calling thread, and their peak since the last reset. The counting
// operator new and delete live in alloc_counter.cpp; a program that links it counts every allocation.
#include <cstddef>

namespace kestra::bench {

std::size_t live_bytes();
std::size_t peak_bytes();
// Starts a new peak at the current live figure.
void reset_peak();

}  // namespace kestra::bench
