// A recording stand-in for the control panel: keeps every message, field text, status change,
// message box and beep, and answers the file choice and the options as a test sets them.
#pragma once

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/count_fields.h"
#include "ui/dialog_services.h"

namespace brimsel::test {

class FakeDialog : public DialogServices {
 public:
  struct Box {
    std::string text, caption;
    MessageIcon icon;
  };

  // Makes the next file choice return `path` (or be cancelled when `accept` is false).
  void WillChoose(const std::string& path, bool accept = true) {
    nextPath = path;
    acceptChoice = accept;
  }
  std::string Field(int id) const {
    auto it = fields.find(id);
    return it == fields.end() ? "<unset>" : it->second;
  }

  bool ChooseOpenFile(const char* title) override {
    titles.emplace_back(title);
    if (acceptChoice) std::strncpy(fileName, nextPath.c_str(), kFileNameCapacity - 1);
    return acceptChoice;
  }
  const char* CurrentFileName() const override { return fileName; }
  void ResetDisplay() override {
    ++resets;
    messages.clear();
    fields.erase(ctl::kFileLabel);
    for (const CountField& f : kCountFields) fields[f.id] = "";
  }
  void SetStatus(bool busy, const char* text) override {
    statuses.push_back(busy ? std::string(text ? text : "<null>") : text ? "<idle>" + std::string(text) : "<idle>");
  }
  bool IsChecked(int id) override { return checked.count(id) != 0; }
  bool ReadNumber(int id, unsigned* value) override { return ParseFieldNumber(Field(id).c_str(), value); }
  void SetFieldText(int id, const char* text) override {
    fields[id] = text;
    fieldHistory.emplace_back(id, text);
  }
  void AddMessage(const char* line) override { messages.emplace_back(line); }
  void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
  }
  void Beep() override { ++beeps; }

  std::string nextPath;
  bool acceptChoice = true;
  char fileName[kFileNameCapacity] = {};
  std::set<int> checked{ctl::kProperNames};
  std::map<int, std::string> fields{{ctl::kIndiBase, "1"}, {ctl::kFamBase, "1"}};
  std::vector<std::pair<int, std::string>> fieldHistory;
  std::vector<std::string> messages, titles;
  std::vector<std::string> statuses;  // the busy texts, "<idle>" (with the text given, if any)
  std::vector<Box> boxes;
  int resets = 0, beeps = 0;
};

}  // namespace brimsel::test
