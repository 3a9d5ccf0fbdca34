// The command line shared by the console commands of the text utilities: [-o PATH] FILE.
#pragma once

#include <string>
#include <vector>

namespace brimsel {

struct ToolArgs {
  std::string file;
  std::string output;  // empty: FILE.txt
  bool help = false;
};

// Reads `args` into `parsed`. Returns an empty text, or the reason the command line is wrong.
inline std::string ParseToolArgs(const std::vector<std::string>& args, ToolArgs& parsed) {
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      parsed.help = true;
      return {};
    }
  }
  bool outputGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o" || a == "--output" || a.rfind("--output=", 0) == 0) {
      if (outputGiven) return "only one output may be given";
      if (a.size() > 9 && a[8] == '=') {
        parsed.output = a.substr(9);
      } else if (i + 1 < args.size() && a.find('=') == std::string::npos) {
        parsed.output = args[++i];
      } else {
        return "option '" + a + "' needs a PATH";
      }
      if (parsed.output.empty()) return "the output PATH is empty";
      outputGiven = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else if (parsed.file.empty()) {
      parsed.file = a;
    } else {
      return "only one FILE may be given";
    }
  }
  if (parsed.file.empty()) return "no FILE given";
  return {};
}

}  // namespace brimsel
