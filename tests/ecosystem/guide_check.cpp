// Guide checker: runs every example of a guide through the real binary and compares what it
// prints with what the guide shows, byte for byte. An example is a block tagged `ulvane`; the
// next blocks tagged `output` (standard output) and `error` (standard error, exit status 1)
// hold what it prints. No output block means it prints nothing; no error block means it ends
// with status 0. In Markdown a block is fenced with ``` and tagged after the opening fence;
// in a manual page it runs from .EX to .EE, tagged by a comment line `.\" TAG` just before.
// Every block must say what it holds (sh, text, ...), so that no example can be shown in an
// untagged block and escape the check.
// Usage: guide_check ULVANE FILE.md|PAGE.1...
#include <cstdio>
#include <string>
#include <vector>

#include "support/process.h"

using ulvane_test::escape;

namespace {

struct Block {
  std::string tag;   // what kind of block: ulvane, output, error or another
  std::string text;  // every line of the block, each with its newline
  int line = 0;      // line where the block opens
};

struct Example {
  const Block* script = nullptr;
  const Block* out = nullptr;
  const Block* err = nullptr;
};

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool starts_with(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

// A manual page line as it is shown: roff writes a backslash as \e and a minus as \-.
std::string unescape_roff(const std::string& line) {
  std::string text;
  for (size_t i = 0; i < line.size(); ++i) {
    char next = i + 1 < line.size() ? line[i + 1] : '\0';
    if (line[i] == '\\' && (next == 'e' || next == '-')) {
      text += next == 'e' ? '\\' : '-';
      ++i;
    } else {
      text += line[i];
    }
  }
  return text;
}

// The blocks in order, Markdown fences and .EX blocks alike; an unclosed block is a problem.
bool read_blocks(const std::string& guide, std::vector<Block>& blocks, std::string& problem) {
  std::vector<std::string> lines = split_lines(guide);
  for (size_t i = 0; i < lines.size(); ++i) {
    bool fenced = starts_with(lines[i], "```");
    if (!fenced && lines[i] != ".EX") continue;
    Block block;
    block.line = static_cast<int>(i) + 1;
    if (fenced) {
      std::string info = lines[i].substr(3);
      block.tag = info.substr(0, info.find(' '));
    } else if (i > 0 && starts_with(lines[i - 1], ".\\\" ")) {
      block.tag = lines[i - 1].substr(4);
    }
    size_t j = i + 1;
    while (j < lines.size() && !(fenced ? starts_with(lines[j], "```") : lines[j] == ".EE")) {
      block.text += (fenced ? lines[j] : unescape_roff(lines[j])) + "\n";
      ++j;
    }
    if (j == lines.size()) {
      problem = "line " + std::to_string(block.line) + ": block is never closed";
      return false;
    }
    blocks.push_back(block);
    i = j;
  }
  return true;
}

// Pairs each example with the result blocks after it; reports result blocks that follow
// no example and examples that show no result.
int pair_examples(const std::vector<Block>& blocks, const char* guide, std::vector<Example>& examples) {
  int problems = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const Block& block = blocks[i];
    if (block.tag == "output" || block.tag == "error") {
      std::printf("%s:%d: %s block follows no example\n", guide, block.line, block.tag.c_str());
      ++problems;
      continue;
    }
    if (block.tag.empty()) {
      std::printf("%s:%d: block has no tag saying what it holds\n", guide, block.line);
      ++problems;
      continue;
    }
    if (block.tag != "ulvane") continue;
    Example example;
    example.script = &block;
    if (i + 1 < blocks.size() && blocks[i + 1].tag == "output") example.out = &blocks[++i];
    if (i + 1 < blocks.size() && blocks[i + 1].tag == "error") example.err = &blocks[++i];
    if (!example.out && !example.err) {
      std::printf("%s:%d: example shows no output or error block\n", guide, block.line);
      ++problems;
      continue;
    }
    examples.push_back(example);
  }
  return problems;
}

bool run_example(const char* ulvane, const char* guide, const std::string& path,
                 const Example& example) {
  ulvane_test::write_file(path, example.script->text);
  ulvane_test::ProcessResult actual = ulvane_test::run_process({ulvane, path});
  std::string out = example.out ? example.out->text : "";
  std::string err = example.err ? example.err->text : "";
  int status = example.err ? 1 : 0;
  bool ok = true;
  int line = example.script->line;
  if (actual.out != out) {
    std::printf("%s:%d: stdout differs\n  guide:  \"%s\"\n  actual: \"%s\"\n", guide, line,
                escape(out).c_str(), escape(actual.out).c_str());
    ok = false;
  }
  if (actual.err != err) {
    std::printf("%s:%d: stderr differs\n  guide:  \"%s\"\n  actual: \"%s\"\n", guide, line,
                escape(err).c_str(), escape(actual.err).c_str());
    ok = false;
  }
  if (actual.status != status) {
    std::printf("%s:%d: exit status %d, the guide implies %d\n", guide, line, actual.status,
                status);
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: guide_check ULVANE FILE...\n");
    return 2;
  }
  const char* ulvane = argv[1];
  std::string path = ulvane_test::make_temp_dir() + "/example.ulv";
  size_t examples_run = 0;
  int failed = 0;
  for (int i = 2; i < argc; ++i) {
    const char* guide = argv[i];
    std::vector<Block> blocks;
    std::string problem;
    if (!read_blocks(ulvane_test::read_file(guide), blocks, problem)) {
      std::printf("%s: %s\n", guide, problem.c_str());
      ++failed;
      continue;
    }
    std::vector<Example> examples;
    failed += pair_examples(blocks, guide, examples);
    for (const Example& example : examples) {
      if (!run_example(ulvane, guide, path, example)) ++failed;
    }
    examples_run += examples.size();
  }
  std::printf("%zu examples run, %d problems\n", examples_run, failed);
  return failed == 0 && examples_run > 0 ? 0 : 1;
}
