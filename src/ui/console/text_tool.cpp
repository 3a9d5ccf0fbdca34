// The part that the console's text-utility commands share: arguments, help, failures.
#include <optional>

#include "ui/commands.h"
#include "ui/console/commands.h"
#include "ui/console/stop_signal.h"
#include "ui/console/tool_args.h"

namespace brimsel::cli {

Outcome RunTextTool(const char* name, const char* usage, TextTool run,
                    const std::vector<std::string>& args, std::FILE* out) {
  ToolArgs a;
  std::string wrong = ParseToolArgs(args, a);
  if (!wrong.empty()) return {kExitUsage, std::string(name) + ": " + wrong, true};
  if (a.help) {
    std::fputs(usage, out);
    return {};
  }
  const ToolResult result = run(a.file.c_str(), a.output.c_str(), [] { return StopSignal() != 0; });
  if (result.Done()) return {};
  if (result.status == ToolStatus::kStopped) {
    return {StoppedStatus(StopSignal()), std::string(name) + ": " + StoppedLine(StopSignal())};
  }
  const std::optional<FailureBox> box = OutputFailureBox(result);
  return {kExitFailed, std::string(name) + ": " +
                           ToolFailureText(result, a.file, box ? FailureLine(*box) : "")};
}

}  // namespace brimsel::cli
