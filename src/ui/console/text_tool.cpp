// The part that the console's text-utility commands share: arguments, help, failures.
#include "ui/console/tool_args.h"
#include "ui/commands.h"
#include "ui/console/commands.h"
#include "ui/console/console_services.h"

namespace brimsel::cli {

Outcome RunTextTool(const char* name, const char* usage, TextTool run,
                    const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  ToolArgs a;
  std::string wrong = ParseToolArgs(args, a);
  if (!wrong.empty()) return {kExitUsage, std::string(name) + ": " + wrong, true};
  if (a.help) {
    std::fputs(usage, out);
    return {};
  }
  ConsoleServices services(a.file, out, err);
  ToolResult result = run(a.file.c_str(), a.output.c_str(), {});
  if (result.Done()) return {};
  ReportOutputFailure(result, services);
  return {kExitFailed,
          std::string(name) + ": " + ToolFailureText(result, a.file, services.LastError())};
}

}  // namespace brimsel::cli
