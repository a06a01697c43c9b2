#pragma once

// Runs the built quorvex binary in a fresh temporary folder and captures what it did.

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "portable.h"

namespace cli {

// CGCS2000 Gauss-Krüger, central meridian 117°, false easting 500000 m, base point (117°, 30°).
inline constexpr char kCoord117[] =
    R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117,
        "xoffset": 500000, "basepoint": [117, 30]}})";

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

#ifdef _WIN32
// One argument as the Windows C runtime splits a command line back into argv.
inline std::string windowsQuote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// Standard output and error are text streams: on Windows each line ends in CR LF there.
inline std::string textModeToLf(std::string text) {
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lf += text[i];
  }
  return lf;
}
#endif

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
  Sandbox() : root_(portable::makeTempFolder("quorvex-cli")) {}
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
    RunResult result;
#ifdef _WIN32
    std::string command = windowsQuote(QUORVEX_BINARY);
    for (const std::string& arg : args) command += ' ' + windowsQuote(arg);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const fs::path& path) {
      return CreateFileA(path.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = create(root_ / ".stdout");
    const HANDLE err = create(root_ / ".stderr");
    const HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::string folder = root_.string();
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.c_str(), &startup, &process)) {
      WaitForSingleObject(process.hProcess, INFINITE);
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      result.exitStatus = static_cast<int>(code & 0xff);  // as a POSIX shell sees it
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    result.out = textModeToLf(readFile(root_ / ".stdout"));
    result.err = textModeToLf(readFile(root_ / ".stderr"));
#else
    std::string command = "cd " + shellQuote(root_.string()) + " && " + QUORVEX_BINARY;
    for (const std::string& arg : args) {
      command += ' ';
      command += shellQuote(arg);
    }
    command += " >" + shellQuote((root_ / ".stdout").string()) + " 2>" +
               shellQuote((root_ / ".stderr").string()) + " </dev/null";
    const int status = std::system(command.c_str());
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(root_ / ".stdout");
    result.err = readFile(root_ / ".stderr");
#endif
    fs::remove(root_ / ".stdout");
    fs::remove(root_ / ".stderr");
    return result;
  }

  // Names of the files below `relative`, recursively, relative to it; hidden files included;
  // sorted (byte order), whatever order the folder lists them in.
  std::vector<std::string> listing(const std::string& relative = ".") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root_ / relative)) {
      if (entry.is_regular_file()) {
        names.push_back(fs::relative(entry.path(), root_ / relative).string());
      }
    }
    std::sort(names.begin(), names.end());
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
