// Dialog services for the console: options from the command line, messages on stdout,
// errors and progress on stderr.
#pragma once

#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "ui/dialog_services.h"

namespace brimsel {

class ConsoleServices final : public DialogServices {
 public:
  // `input` is the path that the file choice returns.
  ConsoleServices(std::string input, std::FILE* out, std::FILE* err);

  void SetChecked(int id, bool checked);
  void SetFieldForInput(int id, std::string text) { fields_[id] = std::move(text); }
  std::string FieldText(int id) const;
  // The last message box shown, empty when none: the console's error line.
  const std::string& LastError() const { return lastError_; }
  // Writes the empty line and the count fields, one per line: id, label, text.
  void PrintCounts();
  // Ends the progress line on a terminal.
  void EndProgress();

  bool ChooseOpenFile(const char* title) override;
  const char* CurrentFileName() const override { return fileName_; }
  void ResetDisplay() override;
  void SetStatus(bool busy, const char* text) override;
  bool IsChecked(int id) override { return checked_.count(id) != 0; }
  bool ReadNumber(int id, unsigned* value) override;
  void SetFieldText(int id, const char* text) override;
  void AddMessage(const char* line) override;
  void Repaint() override {}
  void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) override;
  void Beep() override {}

 private:
  void ShowProgress(bool force);

  std::string input_;
  char fileName_[kFileNameCapacity] = {};
  std::FILE* out_;
  std::FILE* err_;
  bool progress_;  // stderr is a terminal
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
  std::string status_;
  std::set<int> checked_;
  std::map<int, std::string> fields_;
  std::string lastError_;
};

}  // namespace brimsel
