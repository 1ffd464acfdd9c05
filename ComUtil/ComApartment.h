// The thread's single-threaded COM apartment, entered only when something needs COM: most
// runs (a script of registry, file and program lines) never do, and entering it costs a
// hidden window and the user interface's start-up.
#pragma once

namespace ComUtil {

// Enters the apartment (CoInitialize) unless the session has already; a failure to enter
// it is logged and raised. Call it before creating a COM object or handing work to the
// shell. Outside a session (a test calling a command's code alone) it enters every time.
void EnterComApartment();

// The apartment's lifetime for one session: leaves the apartment when the session ends,
// if anything entered it.
class SessionComApartment {
 public:
  SessionComApartment();
  ~SessionComApartment();
  SessionComApartment(const SessionComApartment&) = delete;
  SessionComApartment& operator=(const SessionComApartment&) = delete;

 private:
  friend void EnterComApartment();
  SessionComApartment* outer_;
  bool entered_ = false;
};

}  // namespace ComUtil
