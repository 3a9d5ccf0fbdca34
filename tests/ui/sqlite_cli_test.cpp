// End-to-end tests of the database output: --format, failures, README queries.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_run.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TempDir;
using Names = std::set<std::string>;

const std::string kExample = std::string(BRIMSEL_SOURCE_DIR) + "/examples/famille.ged";

Names Listing(const std::string& dir) {
  Names names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.path().filename().string()[0] != '.') names.insert(fs::relative(e.path(), dir).string());
  }
  return names;
}

// Runs `script` with sh in `dir`; its exit status.
int Shell(const TempDir& dir, const std::string& script) {
  const int raw = std::system(("cd " + test::ShellQuote(dir.Path()) + " && " + script).c_str());
  return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

const Names kTables = {"famille_NAME.txt",   "famille_SURNAME.txt", "famille_PLAC.txt",
                       "famille_INDI.txt",   "famille_FAM.txt",     "famille_INDInote.txt",
                       "famille_FAMnote.txt"};

TEST(SqliteCli, FormatChoosesTheOutputs) {
  Names both = kTables;
  both.insert("famille.sqlite");
  const struct {
    std::vector<std::string> options;
    int status;
    Names written;  // besides famille.ged, in the folder's listing
  } cases[] = {
      {{}, 0, kTables},
      {{"--format", "tsv"}, 0, kTables},
      {{"--format", "sqlite"}, 0, {"famille.sqlite"}},
      {{"--format", "tsv,sqlite"}, 0, both},
      {{"--format", "sqlite,tsv", "--nbref", "--indi-base", "0"}, 0, both},
      {{"--format", "sqlite", "-o", "out"}, 0, {"out", "out/famille.sqlite"}},
      {{"--format", "sqlite", "--check"}, 0, {}},
      {{"--format", "csv"}, 2, {}},
      {{"--format", "tsv,"}, 2, {}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    fs::copy_file(kExample, dir / "famille.ged");
    if (c.written.count("out") != 0) fs::create_directory(dir / "out");
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("famille.ged");
    const test::CliRun r = RunCli(dir, args);
    EXPECT_EQ(r.status, c.status) << r.Describe();
    Names expected = c.written;
    expected.insert("famille.ged");
    EXPECT_EQ(Listing(dir.Path()), expected) << r.Describe();
    const bool database =
        c.written.count("famille.sqlite") + c.written.count("out/famille.sqlite") != 0;
    EXPECT_EQ(r.out.find("\nBase SQLite ") != std::string::npos, database) << r.Describe();
    if (c.status == 2) {
      EXPECT_NE(r.err.find("--format"), std::string::npos) << r.Describe();
    }
  }
}

// Outputs that cannot be written: folders in their way, a read-only folder, a full device
// (these two in a mount namespace of their own, skipped where none can be made), a file size
// limit reached while the rows of a larger file go in; each for the database (the seven tables
// alone, or the complete one), the tables and both. The run fails naming the first output that failed and the cause; every earlier output
// is left as it was, although the failed run would have written each one differently; no
// temporary file remains.
TEST(SqliteCli, FailuresLeaveTheEarlierDatabase) {
  const bool namespaces = std::system("unshare -rm true >/dev/null 2>&1") == 0;
  const std::string generate =
      test::ShellQuote(BRIMSEL_GEDCOM_GEN) + " --individuals 30000 w/famille.ged";
  const std::string copy = "cp " + test::ShellQuote(kExample) + " w/";
  const struct {
    const char* name;
    bool mounts;
    std::string before;  // run in the folder before the earlier outputs are made
    const char* after;   // run after them; none: there are no earlier outputs
    const char* cause;
    const char* failedTable;  // what the tables' line says: the caption and the table
    Names extra;              // in the folder besides famille.ged and the outputs
  } cases[] = {
      {"folders", false, "mkdir -p w/famille.sqlite/inside w/famille_INDI.txt/inside && " + copy,
       nullptr, "Is a directory", "Erreur ouverture: w/famille_INDI.txt",
       {"famille.sqlite", "famille_INDI.txt"}},
      {"read-only", true, copy, "mount --bind w w && mount -o remount,bind,ro w",
       "Read-only file system", "Erreur ouverture: w/famille_NAME.txt", {}},
      {"full", true, "mount -t tmpfs -o size=1m tmpfs w && " + copy,
       "head -c 2M /dev/zero >w/filler 2>/dev/null", "No space left on device",
       "Erreur \xC3\xA9" "criture: w/famille_NAME.txt", {"filler"}},
      {"size limit", false, generate, "trap '' XFSZ && ulimit -f 2000", "File too large",
       "Erreur \xC3\xA9" "criture: w/famille_INDI.txt", {}},
  };
  Names both = kTables;
  both.insert("famille.sqlite");
  const struct {
    const char* format;
    const char* database;
    Names outputs;
  } formats[] = {{"sqlite", "classic", {"famille.sqlite"}},
                 {"sqlite", "complete", {"famille.sqlite"}},
                 {"tsv", "classic", kTables},
                 {"tsv,sqlite", "classic", both}};
  for (const auto& c : cases) {
    if (c.mounts && !namespaces) continue;
    for (const auto& [formatName, database, outputs] : formats) {
      const std::string format = std::string(formatName) + " --database " + database;
      TempDir dir;
      fs::create_directory(dir / "w");
      const std::string cli = test::ShellQuote(BRIMSEL_CLI);
      std::string script = c.before;
      if (c.after != nullptr) {
        script += " && " + cli + " convert --format " + format +
                  " w/famille.ged >/dev/null && mkdir old";
        for (const std::string& name : outputs) script += " && cp w/" + name + " old/";
        script += " && " + std::string(c.after);
      }
      // Every output of this run differs from the earlier one: the notes, the reference
      // counts and the numbers all change.
      script += "; " + cli + " convert --notes --nbref --indi-base 7 --format " + format +
                " w/famille.ged >/dev/null 2>err; echo $?;"
                " for f in $(ls old 2>/dev/null); do cmp -s old/$f w/$f || echo changed $f; done;"
                " LC_ALL=C ls -A w; cat err";
      const std::string command = std::string(c.mounts ? "unshare -rm " : "") + "sh -c " +
                                  test::ShellQuote(script) + " >out 2>&1";
      Shell(dir, command);
      Names listing = c.extra;
      listing.insert("famille.ged");
      if (c.after != nullptr) listing.insert(outputs.begin(), outputs.end());
      std::string expected = "1\n";
      for (const std::string& name : listing) expected += name + "\n";
      expected += std::string(formatName) == "sqlite"
                      ? "brimsel-cli: database not written: Erreur \xC3\xA9" "criture: w/famille.sqlite ("
                      : std::string("brimsel-cli: tables not written: ") + c.failedTable + " (";
      expected += std::string(c.cause) + ")\n";
      EXPECT_EQ(test::ReadBytes(dir / "out"), expected) << c.name << ", " << format << "\n" << command;
      if (c.after == nullptr) {
        EXPECT_TRUE(fs::is_directory(dir / "w/famille.sqlite/inside"));
        EXPECT_TRUE(fs::is_directory(dir / "w/famille_INDI.txt/inside"));
      }
    }
  }
}

// SIGINT or SIGTERM once the outputs are being written (a temporary file has appeared): the run
// stops with 128 plus the signal, one line on stderr, every earlier output byte-identical and no
// temporary file left.
TEST(SqliteCli, ASignalStopsAndLeavesTheEarlierOutputs) {
  TempDir dir;
  const std::string cli = test::ShellQuote(BRIMSEL_CLI);
  ASSERT_EQ(Shell(dir, test::ShellQuote(BRIMSEL_GEDCOM_GEN) +
                           " --individuals 300000 big.ged && mkdir w && " + cli +
                           " convert --notes --format tsv,sqlite -o w big.ged >/dev/null && "
                           "md5sum w/* >sums"),
            0);
  const Names earlier = Listing(dir / "w");
  for (const char* signal : {"INT", "TERM"}) {
    const std::string script =
        "{ " + cli + " convert --format tsv,sqlite -o w big.ged >/dev/null 2>err & pid=$!; "
        "until ls w/*.txt.* w/*.sqlite.* >/dev/null 2>&1; do kill -0 $pid 2>/dev/null || break; done; "
        "kill -" + std::string(signal) + " $pid; wait $pid; echo $? >status; md5sum -c --quiet sums; }";
    EXPECT_EQ(Shell(dir, script), 0) << signal << ": an earlier output changed";
    EXPECT_EQ(test::ReadBytes(dir / "status"), std::string(signal) == "INT" ? "130\n" : "143\n");
    EXPECT_EQ(test::ReadBytes(dir / "err"),
              std::string("brimsel-cli: stopped by SIG") + signal + ": no output was written\n");
    EXPECT_EQ(Listing(dir / "w"), earlier) << signal;
  }
}

// The "$ sqlite3 ..." examples of `section` in `document` (under the source folder), run in
// `dir`: each prints what the document shows after it. Returns how many ran, and the text of
// the section's ```sql block in `schema`.
int RunDocumentedQueries(const TempDir& dir, const std::string& document, const std::string& section,
                         std::string& schema) {
  std::istringstream text(test::ReadBytes(std::string(BRIMSEL_SOURCE_DIR) + "/" + document));
  std::string line, command, shown;
  bool inSection = false, inSchema = false;
  int examples = 0;
  auto check = [&] {
    if (command.empty()) return;
    test::WriteBytes(dir / "query.sh", command + "\n");
    const int status = Shell(dir, "sh query.sh >out 2>&1");
    std::istringstream out(test::ReadBytes(dir / "out"));
    std::string printed, l;
    while (std::getline(out, l)) printed += l.erase(l.find_last_not_of(' ') + 1) + "\n";
    EXPECT_EQ(status, 0) << command;
    EXPECT_EQ(printed, shown) << command;
    ++examples;
    command.clear();
  };
  while (std::getline(text, line)) {
    if (line.rfind("## ", 0) == 0) inSection = line == section;
    if (!inSection) continue;
    if (line == "```sql" || (inSchema && line == "```")) {
      inSchema = line == "```sql";
    } else if (inSchema) {
      schema += line + " ";
    }
    if (line.rfind("    $ sqlite3 ", 0) == 0) {
      check();
      command = line.substr(6);
      shown.clear();
    } else if (!command.empty() && line.rfind("    ", 0) == 0) {
      shown += line.substr(4) + "\n";
    } else {
      check();
    }
  }
  check();
  return examples;
}

// The seven tables' queries and schema in docs/database.md, on the bundled example; the complete
// database's five queries in the README, on the example with sources.
TEST(SqliteCli, TheDocumentedQueriesPrintWhatTheDocumentsShow) {
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  TempDir dir;
  fs::copy_file(kExample, dir / "famille.ged");
  fs::copy_file(std::string(BRIMSEL_SOURCE_DIR) + "/examples/famille-sources.ged",
                dir / "famille-sources.ged");
  ASSERT_EQ(RunCli(dir, {"convert", "--format", "sqlite", "famille.ged"}).status, 0);
  ASSERT_EQ(RunCli(dir, {"convert", "--format", "sqlite", "famille-sources.ged"}).status, 0);
  std::string schema, none;
  EXPECT_EQ(RunDocumentedQueries(dir, "docs/database.md", "## The schema and three queries", schema), 3);
  EXPECT_EQ(RunDocumentedQueries(dir, "README.md", "## The complete database", none), 5);
  // The schema shown is the database's, statement by statement, white space aside.
  ASSERT_EQ(Shell(dir, "sqlite3 famille.sqlite .schema >schema"), 0);
  const auto flat = [](std::string text) {
    std::erase_if(text, [](char ch) { return ch == ' ' || ch == '\n'; });
    return text;
  };
  const std::string actual = flat(test::ReadBytes(dir / "schema"));
  std::istringstream statements(schema);
  int found = 0;
  for (std::string statement; std::getline(statements, statement, ';');) {
    const std::string st = flat(statement);
    if (st.find("CREATE") == std::string::npos) continue;
    EXPECT_NE(actual.find(st.substr(st.find("CREATE")) + ";"), std::string::npos) << statement;
    ++found;
  }
  EXPECT_EQ(found, 18);
}

}  // namespace
}  // namespace brimsel
