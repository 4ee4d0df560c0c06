// SVG's names for the stroke styles of the host layer, for the recording canvas alone:
// the host layer itself knows nothing of SVG.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "fsvg/paint.h"

namespace fsvg::detail {

// By TStrokeCap and TStrokeJoin. SVG's miter limit is 4, as the hosts paint it.
inline constexpr std::string_view CapNames[] = {"butt", "round", "square"};
static_assert(std::size(CapNames) == static_cast<std::size_t>(TStrokeCap::Square) + 1);
inline constexpr std::string_view JoinNames[] = {"miter", "round", "bevel"};
static_assert(std::size(JoinNames) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

/// The stroke-linecap value of Cap: "butt" for Flat, "round", "square".
constexpr std::string_view CapName(TStrokeCap Cap) { return CapNames[static_cast<std::size_t>(Cap)]; }
/// The stroke-linejoin value of Join: "miter", "round", "bevel".
constexpr std::string_view JoinName(TStrokeJoin Join) { return JoinNames[static_cast<std::size_t>(Join)]; }

}  // namespace fsvg::detail
