// One operation at a time on a worker thread, and the progress it reports, kept for the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/progress.h"

namespace brimsel::qt {

// What the operation has reported since the window last looked.
struct ProgressSnapshot {
  std::string phase;           // the current phase; empty before the first and once over
  std::optional<int> lines;    // the line counter's last value, none before any
  // The last Advance, and the phase it was reported in: how far that phase went.
  std::string advancedPhase;
  std::int64_t done = 0;
  std::int64_t total = 0;
  bool advancing = false;  // the current phase has reported how far it is, since it began
  std::vector<std::string> messages;  // message lines reported since the last snapshot
};

// The sink the operation writes to on its threads; the window's thread takes snapshots of it.
// Every member is under one lock but the stop request, which operations poll from any thread.
class WorkProgress final : public ProgressSink {
 public:
  void Phase(std::string_view name) override;
  void LineCount(int lines) override;
  void Message(std::string_view line) override;
  void Advance(std::int64_t done, std::int64_t total) override;
  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }

  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  // The state now, handing over the message lines reported since the last call.
  ProgressSnapshot Take();

 private:
  std::mutex mutex_;
  ProgressSnapshot state_;
  std::atomic<bool> stop_{false};
};

// Owns the worker thread: runs one operation on it, lets the window's thread ask it to stop,
// watch its progress and collect its end. Nothing here touches a widget; the caller polls.
class BackgroundWork {
 public:
  using Operation = std::function<void(ProgressSink& progress)>;

  BackgroundWork() = default;
  // Asks a running operation to stop and waits for it.
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // Starts `operation` on a new thread with a fresh progress. False, starting nothing, when an
  // operation has not been collected yet or no thread can be made.
  bool Start(Operation operation);
  // Started and not yet collected.
  bool Running() const { return thread_.joinable(); }
  // The operation has returned: Collect will not wait.
  bool Ended() const { return ended_.load(std::memory_order_acquire); }
  // Waits for the operation to return and ends the thread. False when the operation threw
  // (an operation reports by its result; this only keeps the program alive).
  bool Collect();

  void RequestStop();
  bool StopRequested() const { return progress_ && progress_->StopRequested(); }
  ProgressSnapshot TakeProgress() { return progress_ ? progress_->Take() : ProgressSnapshot(); }

 private:
  std::unique_ptr<WorkProgress> progress_;
  std::atomic<bool> ended_{false};
  bool threw_ = false;  // written by the worker before `ended_`, read after the join
  std::thread thread_;
};

}  // namespace brimsel::qt
