// Fuzzes the whole conversion and export of an arbitrary byte string read as a GEDCOM file,
// with the options drawn from the first byte; checks the model's invariants after each run, and
// that reading the file in parts side by side gives exactly what one reader gives.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/conversion.h"
#include "engine/invariants.h"
#include "export/export.h"
#include "platform/byte_source.h"
#include "support/fake_dialog.h"
#include "support/model_dump.h"
#include "support/recording_progress.h"
#include "ui/commands.h"

namespace {

// One temporary folder for the whole run; each input's tables overwrite the last ones. libFuzzer
// ends without running exit handlers, so scripts/fuzz removes the folder afterwards.
const std::string& Folder() {
  static const std::string folder = [] {
    // A memory file system where there is one: the tables are written on every input.
    char shm[] = "/dev/shm/brimsel-fuzz-XXXXXX";
    char tmp[] = "/tmp/brimsel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(shm);
    if (made == nullptr) made = ::mkdtemp(tmp);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return folder;
}

// The model and message lines of one conversion of `text` with `threads` threads.
std::string ConvertWith(const std::string& text, brimsel::ConversionOptions options, int threads) {
  brimsel::GedcomModel model;
  brimsel::test::RecordingProgress progress;
  brimsel::StringSource source(text);
  options.threads = threads;
  const brimsel::ConversionResult r = brimsel::ConvertSource(model, source, "/x.ged", options, progress);
  std::string s = brimsel::test::DumpModel(model, r);
  for (const std::string& line : progress.messages) s += line + '\n';
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  brimsel::test::FakeDialog dialog;
  dialog.checked.clear();
  const int boxes[] = {brimsel::ctl::kIncludeNotes, brimsel::ctl::kOem, brimsel::ctl::kProperNames,
                       brimsel::ctl::kRefCounts};
  for (int k = 0; k < 4; ++k) {
    if (options & (1 << k)) dialog.checked.insert(boxes[k]);
  }
  dialog.fields[brimsel::ctl::kIndiBase] = (options & 16) ? "1000" : "1";
  dialog.fields[brimsel::ctl::kFamBase] = (options & 32) ? "x" : "0";

  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  {
    const brimsel::ConversionOptions chosen = brimsel::ReadConversionOptions(dialog);
    if (ConvertWith(text, chosen, 1) != ConvertWith(text, chosen, (options & 128) ? 5 : 2)) std::abort();
  }
  brimsel::GedcomModel model;
  brimsel::StringSource source(text);
  std::string path = Folder() + "/fuzz.ged";
  brimsel::ConversionResult result = brimsel::ConvertChosenSource(model, dialog, source, path.c_str());
  if (!result.Completed()) {
    if (model.sourcePath.has_value()) std::abort();
    return 0;
  }
  if (!brimsel::CheckModel(model).empty()) std::abort();
  brimsel::ExportOptions where;
  where.outputDir = Folder();
  brimsel::NumberingBases bases;
  if (brimsel::ExportTablesCommand(model, dialog, bases, where.outputDir) != 1) std::abort();
  if (options & 64) {
    // A second export of the same conversion writes what the first one wrote.
    if (brimsel::ExportTablesCommand(model, dialog, bases, where.outputDir) != 1) std::abort();
  }
  return 0;
}
