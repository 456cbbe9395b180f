// The hourglass cursor for the length of a scope: set when the object is
// made, put back as it was when it goes, also when an error ends the scope.
#pragma once

#include "mapper/engine/person.h"

namespace zv {

class BusyCursor {
 public:
  explicit BusyCursor(Person& person) : person_(person), was_(person.SetBusy(true)) {}
  ~BusyCursor() { person_.SetBusy(was_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Person& person_;
  bool was_;
};

}  // namespace zv
