#include "recording_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>

#include "support/files.h"

using namespace folio_test;

namespace host_test {

std::string write_recording_program(const ScratchDir &dir, const std::string &name,
                                    const std::string &record_path,
                                    const RecordingBehaviour &behaviour) {
  const std::string path = dir.path(name);
  // The input first: the arguments' record is what tests wait for.
  std::string script = "#!/bin/sh\ncat > '" + record_path + ".stdin'\nprintf '%s\\0' \"$0\" \"$@\" > '" +
                       record_path + "'\n";
  if (behaviour.wait_for_signal) script += "exec sleep 600\n";
  script += "exit " + std::to_string(behaviour.exit_status) + "\n";
  write_text(path, script);
  if (::chmod(path.c_str(), 0755) != 0) throw std::runtime_error("chmod " + path);
  return path;
}

std::vector<std::string> recorded_arguments(const std::string &record_path) {
  const std::string text = read_text(record_path);
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    words.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every argument ends with a NUL";
  return words;
}

std::vector<std::string> recorded_input_lines(const std::string &record_path) {
  const std::string text = read_text(record_path + ".stdin");
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with a newline";
  return lines;
}

}  // namespace host_test
