// Console implementation of the dialog services.
#include "ui/console/console_services.h"

#include <unistd.h>

#include <cstring>

#include "platform/code_page.h"
#include "ui/count_fields.h"

namespace brimsel {

ConsoleServices::ConsoleServices(std::string input, std::FILE* out, std::FILE* err)
    : input_(std::move(input)), out_(out), err_(err), progress_(::isatty(::fileno(err)) != 0) {}

void ConsoleServices::SetChecked(int id, bool checked) {
  if (checked) {
    checked_.insert(id);
  } else {
    checked_.erase(id);
  }
}

std::string ConsoleServices::FieldText(int id) const {
  auto it = fields_.find(id);
  return it == fields_.end() ? std::string() : it->second;
}

bool ConsoleServices::ChooseOpenFile(const char*) {
  // A path that does not fit the shared buffer cannot be chosen; cutting it would name
  // another file.
  if (input_.empty() || input_.size() >= kFileNameCapacity) return false;
  std::memcpy(fileName_, input_.c_str(), input_.size() + 1);
  return true;
}

void ConsoleServices::ResetDisplay() {
  fields_.erase(ctl::kFileLabel);
  for (const CountField& field : kCountFields) fields_.erase(field.id);
}

void ConsoleServices::SetStatus(bool busy, const char* text) {
  status_ = (busy && text) ? text : "";
  ShowProgress(true);
}

bool ConsoleServices::ReadNumber(int id, unsigned* value) {
  return ParseFieldNumber(FieldText(id).c_str(), value);
}

void ConsoleServices::SetFieldText(int id, const char* text) {
  fields_[id] = text ? text : "";
  if (id == ctl::kLineCounter) ShowProgress(false);
}

void ConsoleServices::AddMessage(const char* line) {
  EndProgress();
  std::string utf8 = Cp1252ToUtf8(line);
  std::fprintf(out_, "%s\n", utf8.c_str());
}

void ConsoleServices::ShowMessageBox(const char* text, const char* caption, MessageIcon) {
  EndProgress();
  lastError_ = Cp1252ToUtf8(caption) + ": " + Cp1252ToUtf8(text);
}

void ConsoleServices::PrintCounts() {
  std::fprintf(out_, "\n");
  for (const CountField& field : kCountFields) {
    std::string text = Cp1252ToUtf8(FieldText(field.id));
    std::fprintf(out_, "%d\t%s\t%s\n", field.id, field.label, text.c_str());
  }
  std::fflush(out_);
}

void ConsoleServices::ShowProgress(bool force) {
  if (!progress_) return;
  auto now = std::chrono::steady_clock::now();
  if (!force && now - lastProgress_ < std::chrono::milliseconds(200)) return;
  lastProgress_ = now;
  if (status_.empty()) {
    EndProgress();
    return;
  }
  std::string counter = FieldText(ctl::kLineCounter);
  std::fprintf(err_, "\r\033[K%s %s", Cp1252ToUtf8(status_).c_str(), counter.c_str());
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleServices::EndProgress() {
  if (!progressShown_) return;
  std::fprintf(err_, "\r\033[K");
  std::fflush(err_);
  progressShown_ = false;
}

}  // namespace brimsel
