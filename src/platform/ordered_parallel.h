// Parts of a job computed by several threads and consumed one by one, in order, by the caller.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace brimsel {

// How RunOrdered runs.
struct OrderedRun {
  // Threads that compute parts; 1 or less computes each part on the calling thread, just
  // before it is consumed.
  int threads = 1;
  // Parts computed and not yet consumed, at most; 0: twice the threads. This bounds the memory
  // that finished parts hold while the caller is busy.
  std::size_t ahead = 0;
  // Called on the calling thread every `tick` while it waits for the next part, so that it can
  // show progress or notice a request to stop while the threads work.
  std::function<void()> whileWaiting;
  std::chrono::milliseconds tick{100};
};

// Computes produce(k) for k = 0 .. parts - 1 on the threads of `run` and calls consume(k,
// result) on the calling thread for k = 0, 1, 2 ... in that order. Each part's state belongs
// to produce while it runs and to consume afterwards; produce must touch only what is its
// part's or what no thread changes while the run lasts.
//
// consume returning false ends the run: no further part is started, and those computed are
// dropped. An exception thrown by produce(k) or by consume ends the run the same way, and is
// rethrown here once every thread has ended: the one of the lowest part (a part's exception
// reaches the caller when that part's turn comes). When no thread can be started, the parts
// are computed on the calling thread. Returns the number of parts consumed.
template <class Produce, class Consume>
std::size_t RunOrdered(std::size_t parts, const OrderedRun& run, Produce&& produce,
                       Consume&& consume) {
  using Result = std::invoke_result_t<Produce&, std::size_t>;
  static_assert(!std::is_void_v<Result>, "produce must return the part's result");

  std::size_t consumed = 0;
  if (run.threads <= 1 || parts <= 1) {
    for (; consumed < parts; ++consumed) {
      if (!consume(consumed, produce(consumed))) return consumed + 1;
    }
    return consumed;
  }

  const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(run.threads), parts);
  const std::size_t window = run.ahead != 0 ? run.ahead : 2 * threads;
  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool done = false;
  };
  struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Slot> slots;   // part k in slots[k % window]
    std::size_t nextPart = 0;  // the next part a thread takes
    std::size_t nextToConsume = 0;
    bool stop = false;
  } shared;
  shared.slots.resize(window);

  const auto work = [&] {
    for (;;) {
      std::size_t k;
      {
        std::unique_lock hold(shared.lock);
        shared.changed.wait(hold, [&] {
          return shared.stop || shared.nextPart >= parts ||
                 shared.nextPart < shared.nextToConsume + window;
        });
        if (shared.stop || shared.nextPart >= parts) return;
        k = shared.nextPart++;
      }
      std::optional<Result> result;
      std::exception_ptr error;
      try {
        result.emplace(produce(k));
      } catch (...) {
        error = std::current_exception();
      }
      std::lock_guard hold(shared.lock);
      Slot& slot = shared.slots[k % window];
      slot.result = std::move(result);
      slot.error = error;
      slot.done = true;
      shared.changed.notify_all();
    }
  };

  std::vector<std::thread> workers;
  // However the run ends, the threads are told to stop and waited for before the shared state
  // goes.
  struct Join {
    Shared& shared;
    std::vector<std::thread>& workers;
    ~Join() {
      {
        std::lock_guard hold(shared.lock);
        shared.stop = true;
        shared.changed.notify_all();
      }
      for (std::thread& t : workers) t.join();
    }
  } join{shared, workers};
  workers.reserve(threads);
  for (std::size_t t = 0; t < threads; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  if (workers.empty()) {
    for (; consumed < parts; ++consumed) {
      if (!consume(consumed, produce(consumed))) return consumed + 1;
    }
    return consumed;
  }

  for (; consumed < parts; ++consumed) {
    Slot taken;
    {
      std::unique_lock hold(shared.lock);
      Slot& slot = shared.slots[consumed % window];
      for (;;) {
        if (slot.done) break;
        if (run.whileWaiting) {
          if (shared.changed.wait_for(hold, run.tick, [&] { return slot.done; })) break;
          hold.unlock();
          run.whileWaiting();
          hold.lock();
        } else {
          shared.changed.wait(hold, [&] { return slot.done; });
        }
      }
      taken = std::move(slot);
      slot = Slot{};
      ++shared.nextToConsume;
      shared.changed.notify_all();
    }
    if (taken.error) std::rethrow_exception(taken.error);
    if (!consume(consumed, std::move(*taken.result))) return consumed + 1;
  }
  return consumed;
}

}  // namespace brimsel
