// A smoke check of the byte sinks the benchmarks lean on: every fragment length a
// copy can take, at every offset a buffer or a growing block can be at.
#pragma once

#include <filesystem>
#include <string>

namespace fsvg::bench {

/// Writes fragments of every length from 0 to 40 through a growing TMemoryStream and
/// through TFileStreams with small line, full and reserving buffers (a file in Directory), and
/// compares the bytes. Returns "" when all match, else what differed.
std::string CheckStreamsKeepEveryByte(const std::filesystem::path& Directory);

}  // namespace fsvg::bench
