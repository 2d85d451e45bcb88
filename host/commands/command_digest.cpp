// digest: MD5 of files, one "<md5>  <file>" line each, as md5sum prints.
#include <cstdio>

#include "commands/commands.h"
#include "crypto/md5.h"
#include "output/input_file.h"
#include "commands/messages.h"

namespace folio_host {

namespace {

// md5sum's convention: a name holding a backslash or a newline is escaped
// and its line starts with a backslash, so every line reads back unambiguously.
std::string digest_line(const std::string &digest, const std::string &path) {
  std::string escaped;
  bool needs_escape = false;
  for (char c : path) {
    if (c == '\\') {
      escaped += "\\\\";
      needs_escape = true;
    } else if (c == '\n') {
      escaped += "\\n";
      needs_escape = true;
    } else {
      escaped += c;
    }
  }
  return (needs_escape ? "\\" : "") + digest + "  " + escaped + "\n";
}

std::string file_digest(const std::string &path) {
  const InputFile input(path);  // the system's reason for an unusable file
  char text[kMd5TextBytes];
  switch (md5_file_digest(path.c_str(), text)) {
    case Md5FileResult::ok: return text;
    case Md5FileResult::open_failed: throw Failure(path, "could not be opened");
    case Md5FileResult::read_failed: throw Failure(path, "could not be read");
    case Md5FileResult::no_memory: throw Failure(path, "out of memory");
  }
  throw Failure(path, "could not be digested");
}

}  // namespace

int run_digest(const CommandArguments &arguments) {
  int status = kExitSuccess;
  for (const std::string &path : arguments.operands) {
    try {
      std::fputs(digest_line(file_digest(path), path).c_str(), stdout);
    } catch (const Failure &failure) {
      // Like md5sum: report the file, go on with the others, fail at the end.
      std::fflush(stdout);
      report_failure(failure);
      status = kExitFailure;
    }
  }
  return status;
}

}  // namespace folio_host
