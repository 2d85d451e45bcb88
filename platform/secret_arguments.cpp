#include "secret_arguments.h"

#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool secret_comes_from_standard_input(const char *argument) {
  return argument && std::strcmp(argument, kSecretFromStandardInput) == 0;
}

void wipe_secret(void *data, std::size_t size) {
  if (data && size) ::explicit_bzero(data, size);
}

void wipe_argument(char *argument) {
  if (argument) wipe_secret(argument, std::strlen(argument));
}

SecretArgumentsWiped::~SecretArgumentsWiped() {
  if (!argv_) return;
  for (const int position : positions_)
    if (position < argc_ && !secret_comes_from_standard_input(argv_[position]))
      wipe_argument(argv_[position]);
}

SecretLine::~SecretLine() { wipe_secret(text_, sizeof text_); }

bool SecretLine::read_from(int fd) {
  wipe_secret(text_, sizeof text_);
  length_ = 0;
  bool ended = false, refused = false;
  while (!ended) {
    char c = 0;
    const ssize_t got = ::read(fd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      refused = true;
      break;
    }
    if (got == 0) {
      refused = length_ == 0;  // end of file: a last line without '\n' counts
      break;
    }
    if (c == '\n') {
      ended = true;
    } else if (c == '\0' || length_ == kCapacity) {
      refused = true;
      // Whatever is left of the line is not taken for the next one.
      while (c != '\n') {
        const ssize_t more = ::read(fd, &c, 1);
        if (more == 0 || (more < 0 && errno != EINTR)) break;
      }
      break;
    } else {
      text_[length_++] = c;
    }
  }
  if (!refused && length_ > 0 && text_[length_ - 1] == '\r') text_[--length_] = '\0';
  if (refused) {
    wipe_secret(text_, sizeof text_);
    length_ = 0;
  }
  return !refused;
}
