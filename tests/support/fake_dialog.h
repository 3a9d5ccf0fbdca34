// A recording stand-in for the control panel: keeps every message, field text, status change,
// message box and beep, and answers the file choice and the options as a test sets them.
#pragma once

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/dialog_services.h"

namespace brimsel::test {

class FakeDialog : public DialogServices {
 public:
  struct Status {
    bool busy;
    std::string text;
  };
  struct Box {
    std::string text, caption;
    MessageIcon icon;
  };

  FakeDialog() { checked.insert(ctl::kProperNames); }

  // Makes the next file choice return `path` (or be cancelled when `accept` is false).
  void WillChoose(const std::string& path, bool accept = true) {
    nextPath = path;
    acceptChoice = accept;
  }
  void Check(int id, bool on = true) {
    if (on) {
      checked.insert(id);
    } else {
      checked.erase(id);
    }
  }
  std::string Field(int id) const {
    auto it = fields.find(id);
    return it == fields.end() ? std::string() : it->second;
  }

  bool ChooseOpenFile(const char* title) override {
    titles.emplace_back(title);
    if (!acceptChoice) return false;
    std::strncpy(fileName, nextPath.c_str(), kFileNameCapacity - 1);
    return true;
  }
  const char* CurrentFileName() const override { return fileName; }
  void ResetDisplay() override {
    ++resets;
    messages.clear();
    fields.erase(ctl::kFileLabel);
    for (int id : {520, 510, 513, 537, 511, 512, 508, 509, 515, 516, 519, 518, 521, 522, 523, 524,
                   550, 540, 552, 543}) {
      fields[id] = "";
    }
  }
  void SetStatus(bool busy, const char* text) override {
    statuses.push_back({busy, text ? text : ""});
  }
  bool IsChecked(int id) override { return checked.count(id) != 0; }
  bool ReadNumber(int id, unsigned* value) override {
    return ParseFieldNumber(Field(id).c_str(), value);
  }
  void SetFieldText(int id, const char* text) override {
    fields[id] = text;
    fieldHistory.emplace_back(id, text);
  }
  void AddMessage(const char* line) override { messages.emplace_back(line); }
  void Repaint() override { ++repaints; }
  void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
  }
  void Beep() override { ++beeps; }

  std::string nextPath;
  bool acceptChoice = true;
  char fileName[kFileNameCapacity] = {};
  std::set<int> checked;
  std::map<int, std::string> fields{{ctl::kIndiBase, "1"}, {ctl::kFamBase, "1"}};
  std::vector<std::pair<int, std::string>> fieldHistory;
  std::vector<std::string> messages;
  std::vector<std::string> titles;
  std::vector<Status> statuses;
  std::vector<Box> boxes;
  int resets = 0;
  int repaints = 0;
  int beeps = 0;
};

}  // namespace brimsel::test
