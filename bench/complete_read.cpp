// Reads a file into the complete database's rows without writing them, and prints the rows of
// each table, the time and the peak memory of the process:
//   complete_read [--threads N] [--charset NAME] [--part-bytes N] FILE.ged
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "records/complete_reader.h"

namespace {

// Counts what it is given, as a writer would receive it.
class CountingSink final : public brimsel::CompleteRowSink {
 public:
  bool Take(const brimsel::RowBlock& rows) override {
    bytes += rows.Bytes();
    ++blocks;
    return true;
  }
  std::size_t bytes = 0;
  std::size_t blocks = 0;
};

}  // namespace

int main(int argc, char** argv) {
  brimsel::CompleteReadOptions options;
  options.charset = brimsel::Charset::kWindows1252;
  int arg = 1;
  for (; arg + 1 < argc && argv[arg][0] == '-'; arg += 2) {
    if (std::strcmp(argv[arg], "--threads") == 0) {
      options.threads = std::atoi(argv[arg + 1]);
    } else if (std::strcmp(argv[arg], "--part-bytes") == 0) {
      options.partBytes = std::atoll(argv[arg + 1]);
    } else if (std::strcmp(argv[arg], "--charset") == 0) {
      const std::optional<brimsel::Charset> set = brimsel::CharsetFromOption(argv[arg + 1]);
      if (!set) {
        std::fprintf(stderr, "unknown character set %s\n", argv[arg + 1]);
        return 2;
      }
      options.charset = *set;
    } else {
      break;
    }
  }
  if (argc - arg != 1) {
    std::fprintf(stderr,
                 "usage: complete_read [--threads N] [--charset NAME] [--part-bytes N] FILE.ged\n");
    return 2;
  }
  std::string error;
  auto source = brimsel::FileSource::Open(argv[arg], &error);
  if (!source) {
    std::fprintf(stderr, "%s: %s\n", argv[arg], error.c_str());
    return 1;
  }
  CountingSink sink;
  const auto start = std::chrono::steady_clock::now();
  const brimsel::CompleteReadResult r = brimsel::ReadCompleteFile(*source, options, sink);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!r.Read()) {
    std::fprintf(stderr, "not read: %s\n", r.detail.c_str());
    return 1;
  }
  for (std::size_t t = 0; t < brimsel::kCompleteTableCount; ++t) {
    std::printf("%-18s %10lld\n", brimsel::CompleteTables()[t].name,
                static_cast<long long>(r.rows[t]));
  }
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("lines %lld, %zu blocks, %.1f MB of rows\n", static_cast<long long>(r.lines),
              sink.blocks, static_cast<double>(sink.bytes) / 1e6);
  std::printf("%.3f s, peak RSS %.1f MB\n", seconds, static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
