#pragma once

#include <cstdint>
#include <functional>

namespace byteloom {

// Told how far long work has come (done out of total); returning false stops the work.
using ProgressCallback = std::function<bool(std::int64_t done, std::int64_t total)>;

} // namespace byteloom
