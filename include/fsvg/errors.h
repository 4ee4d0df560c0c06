// Every error the library and its hosts raise, in one hierarchy under Exception, so that
// one catch is enough. Each class says when it is thrown; the message says what was
// wrong with which call or which file.
/// @file
/// Exception and every library error: one catch of `const fsvg::Exception&` takes them all.
#pragma once

#include <stdexcept>

#include "fsvg/export.h"

namespace fsvg {

/// The base of every error this library raises; a std::runtime_error.
///
///     try { fsvg::TSvgCanvas Canvas("/no/such/dir/a.svg", &Host); }
///     catch (const fsvg::Exception& Error) { std::puts(Error.what()); }
class FSVG_API Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Thrown when a call is given a value it cannot take: a coordinate, size, angle or opacity
/// that is not finite, a negative canvas size, a scale that is not positive.
class FSVG_API EArgumentError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a call comes out of order: EndScene with no scene open, RestoreState of a
/// state that is not live, CommitBuffer of more room than was acquired.
class FSVG_API EMisuseError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a count or a size would grow beyond what can be held.
class FSVG_API EOverflowError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown by a host canvas when the drawing library beneath it fails, and by the
/// recording canvas when a host answers what no document can hold (a layout that is not
/// finite, lines that overlap).
class FSVG_API EHostError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown by a TSvgCanvas constructor whose precondition fails ("Canvas parameter is required").
class FSVG_API ESvgError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a stream fails to take bytes or cannot be set up; the base of the two below.
class FSVG_API EStreamError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a file cannot be created or opened; the message names the path and the reason.
class FSVG_API EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

/// Thrown when a write fails; the message names the target and the reason.
class FSVG_API EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

}  // namespace fsvg
