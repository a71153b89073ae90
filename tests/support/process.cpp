// Process runner for the tests: fork, exec, capture both streams, wait with a time limit.
#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace ulvane_test {

ProcessResult run_process(const std::vector<std::string>& argv, const RunOptions& options) {
  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int null_in = open("/dev/null", O_RDONLY);
    dup2(null_in, 0);
    if (!options.stdout_path.empty()) {
      int file = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(file, 1);
    } else {
      dup2(out_pipe[1], 1);
    }
    dup2(options.merge_output ? out_pipe[1] : err_pipe[1], 2);
    close(out_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[0]);
    close(err_pipe[1]);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);

  ProcessResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  bool timed_out = false;
  while (open_count > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  if (timed_out) kill(pid, SIGKILL);
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.max_rss_kb = usage.ru_maxrss;
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  if (timed_out) result.err += "\n<killed after " + std::to_string(options.timeout_seconds) + " s>";
  return result;
}

// Every folder make_temp_dir() made, removed with all it holds when the test program ends,
// whether its tests passed or failed: a run leaves the temporary folder as it found it.
namespace {
struct TempDirs {
  std::vector<std::string> paths;
  ~TempDirs() {
    for (const std::string& path : paths) {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  }
};
}  // namespace

std::string make_temp_dir() {
  static TempDirs made;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/ulvane-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  made.paths.push_back(pattern);
  return pattern;
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

bool from_text_mode(const std::string& written, std::string& bytes) {
  std::string result;
  for (size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') continue;
    if (written[i] == '\n' && (i == 0 || written[i - 1] != '\r')) return false;
    result += written[i];
  }
  bytes = std::move(result);
  return true;
}

std::string escape(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    switch (c) {
      case '\n': text += "\\n"; break;
      case '\t': text += "\\t"; break;
      case '\r': text += "\\r"; break;
      case '\\': text += "\\\\"; break;
      case '"': text += "\\\""; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          text += hex;
        } else {
          text += static_cast<char>(c);
        }
    }
  }
  return text;
}

static int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool unescape(const std::string& text, std::string& bytes) {
  bytes.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 'n': bytes += '\n'; break;
      case 't': bytes += '\t'; break;
      case 'r': bytes += '\r'; break;
      case '0': bytes += '\0'; break;
      case '\\': bytes += '\\'; break;
      case '"': bytes += '"'; break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        int high = hex_value(text[i + 1]);
        int low = hex_value(text[i + 2]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

}  // namespace ulvane_test
