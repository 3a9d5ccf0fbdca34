// The worker thread of the panel and the progress it shares with the window's thread.
#include "ui/qt/background_work.h"

#include <exception>
#include <system_error>
#include <utility>

namespace brimsel::qt {

void WorkProgress::Phase(std::string_view name) {
  const std::lock_guard lock(mutex_);
  state_.phase.assign(name);
  state_.advancing = false;
}

void WorkProgress::LineCount(int lines) {
  const std::lock_guard lock(mutex_);
  state_.lines = lines;
}

void WorkProgress::Message(std::string_view line) {
  const std::lock_guard lock(mutex_);
  state_.messages.emplace_back(line);
}

void WorkProgress::Advance(std::int64_t done, std::int64_t total) {
  const std::lock_guard lock(mutex_);
  state_.done = done;
  state_.total = total;
  state_.advancedPhase = state_.phase;
  state_.advancing = !state_.phase.empty();
}

ProgressSnapshot WorkProgress::Take() {
  const std::lock_guard lock(mutex_);
  std::vector<std::string> messages;
  messages.swap(state_.messages);
  ProgressSnapshot snapshot = state_;
  snapshot.messages = std::move(messages);
  return snapshot;
}

BackgroundWork::~BackgroundWork() {
  if (!Running()) return;
  RequestStop();
  thread_.join();
}

bool BackgroundWork::Start(Operation operation) {
  if (Running()) return false;
  progress_ = std::make_unique<WorkProgress>();
  ended_.store(false, std::memory_order_relaxed);
  threw_ = false;
  try {
    thread_ = std::thread([this, run = std::move(operation)] {
      try {
        run(*progress_);
      } catch (...) {
        threw_ = true;
      }
      ended_.store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

bool BackgroundWork::Collect() {
  if (!Running()) return true;
  thread_.join();
  return !threw_;
}

void BackgroundWork::RequestStop() {
  if (progress_) progress_->RequestStop();
}

}  // namespace brimsel::qt
