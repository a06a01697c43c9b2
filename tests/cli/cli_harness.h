#pragma once

// Runs the built quorvex binary in a fresh temporary folder and captures what it did.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace cli {

namespace fs = std::filesystem;

struct RunResult {
  int exitStatus = -1;  // as a POSIX shell sees it: -1 from main is 255
  std::string out;
  std::string err;
};

inline std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void writeFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A temporary working folder, removed with its contents at the end of the test.
class Sandbox {
 public:
  Sandbox() {
    std::string pattern = (fs::temp_directory_path() / "quorvex-cli-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
  }
  ~Sandbox() {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const fs::path& root() const { return root_; }
  fs::path operator/(const std::string& relative) const { return root_ / relative; }
  void write(const std::string& relative, const std::string& text) const {
    writeFile(root_ / relative, text);
  }
  std::string read(const std::string& relative) const { return readFile(root_ / relative); }
  bool exists(const std::string& relative) const { return fs::exists(root_ / relative); }

  // Runs quorvex with `args` inside the sandbox (relative paths resolve there).
  RunResult run(const std::vector<std::string>& args) const {
    std::string command = "cd " + shellQuote(root_.string()) + " && " + QUORVEX_BINARY;
    for (const std::string& arg : args) {
      command += ' ';
      command += shellQuote(arg);
    }
    command += " >" + shellQuote((root_ / ".stdout").string()) + " 2>" +
               shellQuote((root_ / ".stderr").string()) + " </dev/null";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(root_ / ".stdout");
    result.err = readFile(root_ / ".stderr");
    fs::remove(root_ / ".stdout");
    fs::remove(root_ / ".stderr");
    return result;
  }

  // Names of the files below `relative`, recursively, relative to it; hidden files included.
  std::vector<std::string> listing(const std::string& relative = ".") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root_ / relative)) {
      if (entry.is_regular_file()) {
        names.push_back(fs::relative(entry.path(), root_ / relative).string());
      }
    }
    return names;
  }

 private:
  fs::path root_;
};

// The numbers of the `v` lines of an OBJ text, three per vertex.
inline std::vector<double> vertexNumbers(const std::string& objText) {
  std::vector<double> numbers;
  std::istringstream lines(objText);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream tokens(line);
    std::string keyword;
    tokens >> keyword;
    if (keyword != "v") continue;
    for (int k = 0; k < 3; ++k) {
      double value = 0;
      tokens >> value;
      numbers.push_back(value);
    }
  }
  return numbers;
}

}  // namespace cli
