// Rows formatted in blocks by helper threads and written in file order by the calling thread.
#include "export/row_writer.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace brimsel {

namespace {

// Blocks a helper may have formatted and not yet handed over.
constexpr std::size_t kBlocksAhead = 2;

// Appends what a TableFile writes to a helper's block.
class BlockSink final : public ByteSink {
 public:
  explicit BlockSink(std::string& block) : block_(block) {}
  bool Write(const char* data, std::size_t size) override {
    block_.append(data, size);
    return true;
  }
  bool Close(std::string* = nullptr) override { return true; }

 private:
  std::string& block_;
};

// One helper and the blocks it hands over, in order.
struct Helper {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> blocks;
  bool stop = false;    // the writing has ended: no more blocks are wanted
  bool failed = false;  // memory ran out: no more blocks will come
  bool absent = false;  // no thread could be started: its blocks are written without it
};

// Formats blocks `first`, first + step, ... into memory and hands them over.
void Help(Helper& h, std::size_t count, std::size_t rowsPerBlock, std::size_t first,
          std::size_t step, const std::function<void(TableFile&, std::size_t)>& writeRow) noexcept {
  try {
    TableFile f;
    for (std::size_t b = first; b * rowsPerBlock < count; b += step) {
      {
        std::unique_lock lock(h.mutex);
        h.changed.wait(lock, [&] { return h.stop || h.blocks.size() < kBlocksAhead; });
        if (h.stop) return;
      }
      std::string block;
      f.Open(std::make_unique<BlockSink>(block));
      const std::size_t end = std::min(count, (b + 1) * rowsPerBlock);
      for (std::size_t row = b * rowsPerBlock; row < end; ++row) writeRow(f, row);
      f.Close();
      std::lock_guard lock(h.mutex);
      h.blocks.push_back(std::move(block));
      h.changed.notify_all();
    }
  } catch (const std::bad_alloc&) {
    std::lock_guard lock(h.mutex);
    h.failed = true;
    h.changed.notify_all();
  }
}

// Tells every helper to stop, so that their threads can be joined.
struct StopHelpers {
  std::vector<std::unique_ptr<Helper>>& helpers;
  ~StopHelpers() {
    for (auto& h : helpers) {
      std::lock_guard lock(h->mutex);
      h->stop = true;
      h->changed.notify_all();
    }
  }
};

}  // namespace

bool WriteRows(TableFile& file, std::size_t count, int threads,
               const std::function<void(TableFile&, std::size_t)>& writeRow,
               std::size_t rowsPerBlock) {
  rowsPerBlock = std::max<std::size_t>(rowsPerBlock, 1);
  const std::size_t blocks = (count + rowsPerBlock - 1) / rowsPerBlock;
  const std::size_t step = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), blocks);
  const auto writeBlock = [&](std::size_t b) {
    const std::size_t end = std::min(count, (b + 1) * rowsPerBlock);
    for (std::size_t row = b * rowsPerBlock; row < end && !file.Failed(); ++row) writeRow(file, row);
  };
  if (step <= 1) {
    for (std::size_t b = 0; b < blocks && !file.Failed(); ++b) writeBlock(b);
    return !file.Failed();
  }
  std::vector<std::unique_ptr<Helper>> helpers;
  std::vector<std::jthread> threadsRunning;
  helpers.reserve(step - 1);
  threadsRunning.reserve(step - 1);
  StopHelpers stopper{helpers};  // destroyed before the threads: they are told, then joined
  for (std::size_t k = 1; k < step; ++k) {
    helpers.push_back(std::make_unique<Helper>());
    try {
      threadsRunning.emplace_back(Help, std::ref(*helpers.back()), count, rowsPerBlock, k, step,
                                  std::cref(writeRow));
    } catch (const std::system_error&) {
      helpers.back()->absent = true;
    }
  }
  for (std::size_t b = 0; b < blocks && !file.Failed(); ++b) {
    if (b % step == 0 || helpers[b % step - 1]->absent) {
      writeBlock(b);
      continue;
    }
    Helper& h = *helpers[b % step - 1];
    std::string block;
    {
      std::unique_lock lock(h.mutex);
      h.changed.wait(lock, [&] { return !h.blocks.empty() || h.failed; });
      if (h.blocks.empty()) {
        file.Fail();  // memory ran out while the block was formatted
        break;
      }
      block = std::move(h.blocks.front());
      h.blocks.pop_front();
      h.changed.notify_all();
    }
    file.Formatted(block);
  }
  return !file.Failed();
}

}  // namespace brimsel
