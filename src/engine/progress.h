// What a running operation tells its front-end: the phase, the lines read, the message lines.
#pragma once

#include <cstdint>
#include <string_view>

namespace brimsel {

// Receives an operation's progress as it happens. Texts are Windows-1252 bytes. The front-ends
// turn these into their status line, line counter and message list; the tests record them.
class ProgressSink {
 public:
  // LineCount's value that empties the counter.
  static constexpr int kNoLineCount = -1;

  virtual ~ProgressSink() = default;
  // A phase of the work begins ("Passe 1", "Conversion en cours!"); an empty name: the work
  // is over and the front-end goes back to idle.
  virtual void Phase(std::string_view name) = 0;
  // Lines read so far in the current pass, or kNoLineCount.
  virtual void LineCount(int lines) = 0;
  // One line of the message list.
  virtual void Message(std::string_view line) = 0;
  // How far the current phase is: `done` of `total` units (bytes of the file for the readings,
  // rows for the tables and the database). Called on the operation's own thread, as the others.
  virtual void Advance(std::int64_t /*done*/, std::int64_t /*total*/) {}
  // True once the user has asked the operation to stop. May be called from any thread the
  // operation runs; an operation that sees it ends with its "stopped" outcome, leaving every
  // earlier output and the model of the previous reading as they were.
  virtual bool StopRequested() const { return false; }
};

// A sink that drops everything, for callers that want only the result.
class NullProgress final : public ProgressSink {
 public:
  void Phase(std::string_view) override {}
  void LineCount(int) override {}
  void Message(std::string_view) override {}
};

}  // namespace brimsel
