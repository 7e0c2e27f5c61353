#include "cli/run_binary.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "base/read_file.h"

extern char** environ;

namespace vantrel::testing {

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) { return vantrel::base::read_file(p).value_or(std::string()); }

std::vector<std::string> merged_environment(const std::map<std::string, std::optional<std::string>>& overrides) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    auto eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [k, v] : overrides) {
    if (v) env[k] = *v;
    else env.erase(k);
  }
  std::vector<std::string> out;
  for (const auto& [k, v] : env) out.push_back(k + "=" + v);
  return out;
}

}  // namespace

RunResult run_vantrel(const std::vector<std::string>& args, const fs::path& cwd,
                      const std::map<std::string, std::optional<std::string>>& env) {
  TempDir capture;
  fs::path out_path = capture.path() / "stdout";
  fs::path err_path = capture.path() / "stderr";
  std::string binary = std::string(VANTREL_BINARY_DIR) + "/vantrel";

  std::vector<std::string> argv_storage{binary};
  argv_storage.insert(argv_storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_storage = merged_environment(env);
  std::vector<char*> envp;
  for (auto& e : env_storage) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(cwd.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(binary.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = slurp(out_path);
  r.err = slurp(err_path);
  return r;
}

TempDir::TempDir() {
  std::string templ = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  // Canonical so that paths compare equal to what the binary sees as its cwd.
  path_ = fs::canonical(templ);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempDir::write(const fs::path& relative, const std::string& text) const {
  fs::path p = path_ / relative;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

}  // namespace vantrel::testing
