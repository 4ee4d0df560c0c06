// SVG's names for the host layer's stroke styles, by table: the recorder's vocabulary,
// kept out of the public host layer.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

inline constexpr std::string_view CapNames[] = {"butt", "round"};
static_assert(std::size(CapNames) == static_cast<std::size_t>(TStrokeCap::Round) + 1);
inline constexpr std::string_view JoinNames[] = {"miter", "round", "bevel"};
static_assert(std::size(JoinNames) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

// stroke-linecap's value for Cap: "butt" for Flat, "round".
inline std::string_view CapName(TStrokeCap Cap) { return CapNames[static_cast<std::size_t>(Cap)]; }
// stroke-linejoin's value for Join: "miter" (SVG's limit 4), "round", "bevel".
inline std::string_view JoinName(TStrokeJoin Join) { return JoinNames[static_cast<std::size_t>(Join)]; }

}  // namespace fsvg::detail
