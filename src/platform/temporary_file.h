// An output written under a temporary name beside its final one, and renamed over it only once
// complete: a failure or a stop leaves the earlier file as it was.
#pragma once

#include <string>

namespace brimsel {

// A file named after `final` with a unique ending (FINAL.XXXXXX), created empty in the same
// folder with the permissions a new file gets; removed when destroyed unless committed.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string final);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // The temporary name; empty when no file could be created (Error() says why).
  const std::string& Path() const { return path_; }
  const std::string& Final() const { return final_; }
  // The system's error number of the last failure, 0 when none.
  int Error() const { return error_; }
  // Renames the file over the final name, with `sync` after writing its data to the device
  // first. False, with the reason in Error(), when either fails; the temporary file is then
  // still removed when destroyed.
  bool Commit(bool sync);

 private:
  std::string final_;
  std::string path_;
  int error_ = 0;
};

// The reason a final name cannot take an output, checked before any work: a folder in its way
// shows only at the rename otherwise. 0 when nothing is in the way.
int FinalNameBlocked(const std::string& final);

}  // namespace brimsel
