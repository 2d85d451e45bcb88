#include "video/source_digest.h"

#include "output/interrupt_cleanup.h"
#include "commands/messages.h"

namespace folio_host {

SourceDigest::SourceDigest(const std::string &path)
    : thread_(start_shielded_thread(
          [this, path] { result_ = md5_file_digest(path.c_str(), text_); })) {}

SourceDigest::~SourceDigest() { wait(); }

void SourceDigest::wait() {
  if (thread_.joinable()) thread_.join();
}

std::string SourceDigest::get(const std::string &path) {
  wait();
  switch (result_) {
    case Md5FileResult::ok: return text_;
    case Md5FileResult::open_failed: throw Failure(path, "could not be opened to digest it");
    case Md5FileResult::read_failed: throw Failure(path, "could not be read to digest it");
    case Md5FileResult::no_memory: throw Failure(path, "out of memory while digesting it");
  }
  throw Failure(path, "could not be digested");
}

}  // namespace folio_host
