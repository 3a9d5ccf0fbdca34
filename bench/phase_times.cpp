// Prints how long each phase of a conversion and of its export takes, in one process:
//   phase_times [--threads N] FILE.ged OUTPUT_DIR
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/conversion.h"
#include "export/export.h"

namespace {

using Clock = std::chrono::steady_clock;

// Prints the time since the previous phase began each time a new one begins.
class PhaseClock final : public brimsel::ProgressSink {
 public:
  void Phase(std::string_view name) override { Next(name.empty() ? "(idle)" : std::string(name)); }
  void LineCount(int) override {}
  void Message(std::string_view) override {}
  void Next(std::string name) {
    const Clock::time_point now = Clock::now();
    if (!current_.empty()) {
      std::printf("%-22s %7.1f ms\n", current_.c_str(),
                  std::chrono::duration<double, std::milli>(now - since_).count());
    }
    current_ = std::move(name);
    since_ = now;
  }

 private:
  std::string current_;
  Clock::time_point since_;
};

}  // namespace

int main(int argc, char** argv) {
  int threads = 0;
  int arg = 1;
  if (argc > 2 && std::strcmp(argv[1], "--threads") == 0) {
    threads = std::atoi(argv[2]);
    arg = 3;
  }
  if (argc - arg != 2) {
    std::fprintf(stderr, "usage: phase_times [--threads N] FILE.ged OUTPUT_DIR\n");
    return 2;
  }
  const Clock::time_point start = Clock::now();
  PhaseClock clock;
  brimsel::GedcomModel model;
  brimsel::ConversionOptions options;
  options.notes = true;
  options.threads = threads;
  const brimsel::ConversionResult r = brimsel::ConvertFile(model, argv[arg], options, clock);
  if (!r.Completed()) return 1;
  clock.Next("code lists");
  brimsel::ExportOptions where;
  where.outputDir = argv[arg + 1];
  where.threads = threads;
  const bool written = brimsel::Export(model, where, clock).Written();
  clock.Next("");
  std::printf("%-22s %7.1f ms (%d parts)\n", "total",
              std::chrono::duration<double, std::milli>(Clock::now() - start).count(), r.parts);
  return written ? 0 : 1;
}
