// The console's subcommands. Each returns its exit status and, on failure, one error line;
// main alone prints errors and exits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/tool_files.h"

namespace brimsel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Outcome {
  int status = kExitOk;
  std::string error;  // UTF-8, without the program name
  bool showUsage = false;
};

extern const char kMainUsage[];
extern const char kConvertUsage[];
extern const char kStripUsage[];
extern const char kCapitalUsage[];

Outcome RunConvert(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
// A text utility: transforms the file `input` into `output` (input + ".txt" when empty).
using TextTool = ToolResult (*)(const char* input, const char* output, const StopRequest& stop);
// Runs a text utility from its arguments "[-o PATH] FILE" or "--help".
Outcome RunTextTool(const char* name, const char* usage, TextTool run,
                    const std::vector<std::string>& args, std::FILE* out);

Outcome RunStrip(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
Outcome RunCapital(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace brimsel::cli
