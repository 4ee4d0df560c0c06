// Stand-ins for the library's argument and host errors, for as long as fsvg/errors.h
// does not declare them on this branch; the Cairo host and its tests throw and catch
// these names only.
#pragma once

#include "fsvg/streams.h"

namespace fsvg {

/// A value a call cannot take.
class EArgumentError : public Exception {
 public:
  using Exception::Exception;
};

/// Cairo failed.
class EHostError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace fsvg
