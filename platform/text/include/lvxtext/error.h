#pragma once
// The one error type of the hosts' and tools' own code: what went wrong, in
// words for the person who ran the program, and the exit status the program
// ends with because of it. Functions that can fail take an `Error*` (which
// may be null when the caller only needs the outcome) and return false;
// build tools, which stop at their first problem, throw it to their main.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace lvxtext {

struct Error {
  std::string message; // empty while nothing went wrong
  int status = 1;      // the exit status, for programs that distinguish them

  // Whether an error has been recorded.
  bool Failed() const { return !message.empty(); }

  // Records `why` unless an earlier error was recorded; the first problem
  // found is the one reported.
  void Keep(std::string why, int exitStatus = 1)
  {
    if (message.empty()) {
      message = std::move(why);
      status = exitStatus;
    }
  }
};

// Stores `why` in `*error` (when there is one) and returns false, so that a
// failing function can `return Fail(error, "...")`.
inline bool Fail(Error* error, std::string why, int exitStatus = 1)
{
  if (error) {
    error->message = std::move(why);
    error->status = exitStatus;
  }
  return false;
}

// `text` as a message quotes it: a NUL byte, which would cut the message
// short where it is printed, is shown as the two characters \0.
inline std::string Printable(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\0')
      out += "\\0";
    else
      out += c;
  }
  return out;
}

// The last resort of a program's main, called in its catch (...): reports
// the exception being handled as "PROGRAM: internal error: WHAT; the run
// was stopped" on stderr and returns `status`, so that no exception ends a
// program unreported (and the stack, with the temporary files it owned, is
// unwound before).
inline int ReportUncaught(const char* program, int status)
{
  try {
    throw;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: internal error: %s; the run was stopped\n", program, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: internal error; the run was stopped\n", program);
  }
  return status;
}

// Ends a build tool's work with `why`; its main catches the Error, prints
// the message and returns the status.
[[noreturn]] inline void Throw(std::string why, int exitStatus = 1) { throw Error{std::move(why), exitStatus}; }

} // namespace lvxtext
