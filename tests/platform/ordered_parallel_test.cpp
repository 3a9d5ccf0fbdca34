// RunOrdered: parts consumed in order whatever the threads, the bound on parts ahead, stops and
// exceptions carried to the caller.
#include "platform/ordered_parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace brimsel {
namespace {

// Parts of uneven cost, so that later parts often finish first.
void Work(std::size_t k) {
  volatile std::size_t sink = 0;
  for (std::size_t i = 0; i < (k * 7919) % 50000; ++i) sink = sink + i;
}

TEST(RunOrdered, ConsumesEveryPartInOrderWithinTheBound) {
  struct Case {
    std::size_t parts;
    int threads;
    std::size_t ahead;
  };
  for (const Case c : {Case{0, 4, 0}, Case{1, 4, 0}, Case{7, 1, 0}, Case{100, 2, 0},
                       Case{100, 3, 1}, Case{257, 8, 5}, Case{64, 64, 0}}) {
    std::atomic<std::size_t> started{0};
    std::vector<std::size_t> order;
    std::size_t worstAhead = 0;
    const std::size_t n = RunOrdered(
        c.parts, {.threads = c.threads, .ahead = c.ahead},
        [&](std::size_t k) {
          ++started;
          Work(k);
          return std::to_string(k);
        },
        [&](std::size_t k, std::string text) {
          EXPECT_EQ(text, std::to_string(k));
          worstAhead = std::max(worstAhead, started.load() - order.size());
          order.push_back(k);
          return true;
        });
    EXPECT_EQ(n, c.parts);
    ASSERT_EQ(order.size(), c.parts);
    for (std::size_t k = 0; k < order.size(); ++k) EXPECT_EQ(order[k], k);
    const std::size_t window = c.ahead != 0 ? c.ahead : 2 * static_cast<std::size_t>(c.threads);
    if (c.threads > 1) {
      EXPECT_LE(worstAhead, window + 1) << c.parts << " parts";
    }
  }
}

// What the caller sees when part `failing` fails or the consumer stops there.
struct Ending {
  const char* name;
  int threads;
  bool produceThrows;
  bool consumeThrows;
  bool consumeStops;
};

TEST(RunOrdered, AFailureOrAStopEndsTheRunAtItsPart) {
  constexpr std::size_t kParts = 200, kFailing = 37;
  for (const Ending e : {Ending{"produce throws, threads", 3, true, false, false},
                         Ending{"produce throws, one thread", 1, true, false, false},
                         Ending{"consume throws, threads", 3, false, true, false},
                         Ending{"consume stops, threads", 4, false, false, true},
                         Ending{"consume stops, one thread", 1, false, false, true}}) {
    std::atomic<std::size_t> produced{0};
    std::size_t consumed = 0;
    std::string caught;
    std::size_t returned = 0;
    try {
      returned = RunOrdered(
          kParts, {.threads = e.threads},
          [&](std::size_t k) {
            ++produced;
            // Not an allocation failure: any exception must reach the caller.
            if (e.produceThrows && k == kFailing) throw std::runtime_error("part failed");
            return k;
          },
          [&](std::size_t k, std::size_t) {
            if (k == kFailing && e.consumeThrows) throw std::logic_error("consumer failed");
            ++consumed;
            return !(k == kFailing && e.consumeStops);
          });
    } catch (const std::exception& error) {
      caught = error.what();
    }
    const char* expected = e.produceThrows ? "part failed" : e.consumeThrows ? "consumer failed" : "";
    EXPECT_EQ(caught, expected) << e.name;
    if (e.consumeStops) {
      EXPECT_EQ(returned, kFailing + 1) << e.name;
    }
    EXPECT_EQ(consumed, kFailing + (e.consumeStops ? 1 : 0)) << e.name;
    // The parts after the failing one are not all computed: the run stopped.
    EXPECT_LT(produced.load(), kParts) << e.name;
  }
}

TEST(RunOrdered, TheCallerIsCalledWhileItWaits) {
  std::atomic<bool> release{false};
  int calls = 0;
  RunOrdered(
      2, {.threads = 2, .whileWaiting = [&] {
            if (++calls == 3) release = true;
          },
          .tick = std::chrono::milliseconds(1)},
      [&](std::size_t k) {
        while (k == 0 && !release) std::this_thread::yield();
        return k;
      },
      [](std::size_t, std::size_t) { return true; });
  EXPECT_GE(calls, 3);
}

}  // namespace
}  // namespace brimsel
