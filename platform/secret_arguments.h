// Launch secrets (a launch token, a header block) taken from where a host
// hands them over, without leaving copies behind: arguments overwritten in
// the process's own argument memory, so that /proc/<pid>/cmdline and ps
// no longer show them, and lines read from standard input into buffers
// that are wiped when they go out of scope.
#ifndef FOLIO_PLATFORM_SECRET_ARGUMENTS_H
#define FOLIO_PLATFORM_SECRET_ARGUMENTS_H

#include <cstddef>

// The argument a host passes instead of a secret to say "read it from
// standard input"; never a valid token or header block.
constexpr char kSecretFromStandardInput[] = "-";

// True when argument is exactly kSecretFromStandardInput.
bool secret_comes_from_standard_input(const char *argument);

// Overwrites memory in a way the compiler may not drop (explicit_bzero).
void wipe_secret(void *data, std::size_t size);

// Overwrites every character of argument with NUL, in place: main's argv
// strings are the process's argument memory, which /proc/<pid>/cmdline
// reads. The argument's length stays visible there, its text does not.
// Null does nothing.
void wipe_argument(char *argument);

// Wipes two secret arguments (by position, when argc reaches them) as it
// goes out of scope, whichever way the start-up leaves. A "-" stays: it says
// where the secret came from, and is none.
class SecretArgumentsWiped {
 public:
  SecretArgumentsWiped(int argc, char **argv, int first, int second)
      : argc_(argc), argv_(argv), positions_{first, second} {}
  ~SecretArgumentsWiped();
  SecretArgumentsWiped(const SecretArgumentsWiped &) = delete;
  SecretArgumentsWiped &operator=(const SecretArgumentsWiped &) = delete;

 private:
  int argc_;
  char **argv_;
  int positions_[2];
};

// A line of secret text read from a descriptor, wiped on every way out.
class SecretLine {
 public:
  static constexpr std::size_t kCapacity = 2048;  // characters, a NUL after them

  SecretLine() = default;
  ~SecretLine();
  SecretLine(const SecretLine &) = delete;
  SecretLine &operator=(const SecretLine &) = delete;

  // Reads up to and including the next '\n' (or to end of file after at
  // least one character), one byte at a time so that nothing past the line
  // is consumed or left in a library buffer; a '\r' before the '\n' is
  // dropped. False when the descriptor fails, ends before any character,
  // or the line holds a NUL or does not fit kCapacity; the text is then empty.
  bool read_from(int fd);

  const char *c_str() const { return text_; }
  std::size_t size() const { return length_; }

 private:
  char text_[kCapacity + 1] = {};
  std::size_t length_ = 0;
};

#endif
