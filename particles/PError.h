#pragma once
// Errors of the particle library: a message text, thrown by value. The kinds
// add nothing; they let a caller catch one family of faults.
#include <string>

namespace PSim {

struct PError_t {
  std::string message;
  explicit PError_t(std::string text) : message(std::move(text)) {}
};

// An operation refused while a list is being recorded (or EndActionList
// while none is).
struct PErrInNewActionList : PError_t {
  using PError_t::PError_t;
};
// A bad particle group number or count.
struct PErrParticleGroup : PError_t {
  using PError_t::PError_t;
};
// A bad action list number.
struct PErrActionList : PError_t {
  using PError_t::PError_t;
};
struct PErrInvalidValue : PError_t {
  using PError_t::PError_t;
};
struct PErrInternalError : PError_t {
  using PError_t::PError_t;
};
struct PErrNotImplemented : PError_t {
  using PError_t::PError_t;
};

}  // namespace PSim
