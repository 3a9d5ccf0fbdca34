// The console's subcommands. Each returns its exit status and, on failure, one error line;
// main alone prints errors and exits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

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
Outcome RunStrip(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
Outcome RunCapital(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace brimsel::cli
