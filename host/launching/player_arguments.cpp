#include "launching/player_arguments.h"

#include <string.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "output/input_file.h"
#include "keys/key_file.h"
#include "keys/launch_token.h"
#include "video/media_source_check.h"
#include "commands/messages.h"
#include "platform/os_random.h"
#include "video/protected_video_check.h"
#include "keys/text_codec.h"
#include "keys/token_cipher.h"
#include "video/video_container.h"
#include "video/video_header_block.h"

namespace folio_host {

namespace {

constexpr char kEncryptThenPlayMode[] = "1";

void check_fits_player(const std::string &path) {
  if (path.size() > kPlayerMaxPathBytes)
    throw Failure(path, "path too long for the player (" + std::to_string(path.size()) +
                            " bytes, at most " + std::to_string(kPlayerMaxPathBytes) + ")");
}

std::string enciphered_header_base64(const VideoHeaderBlock &header) {
  VideoHeaderBlock enciphered{};
  token_cipher(header.data(), header.size(), enciphered.data(), "header block");
  return to_base64(enciphered.data(), enciphered.size());
}

std::vector<std::string> player_launch(const std::string &path,
                                       const std::array<unsigned char, kContentKeyBytes> &key,
                                       const VideoHeaderBlock &header) {
  return {path, make_player_launch_token(key, std::time(nullptr)),
          enciphered_header_base64(header)};
}

// The name the player gives its encrypted copy: "_e" inserted before the
// last "." of the path, which must lie in the file name.
std::string player_encrypted_copy_path(const std::string &source) {
  const std::size_t dot = source.rfind('.');
  return source.substr(0, dot) + "_e" + source.substr(dot);
}

// The player writes its copy beside the source under a name of its own
// making; what it could not write, or would write over, is refused here.
void check_encrypted_copy(const std::string &source) {
  if (extension_of(source).empty())
    throw Failure(source, "has no extension: the player names its encrypted copy by inserting "
                          "\"_e\" before it");
  const std::string copy = player_encrypted_copy_path(source);
  check_fits_player(copy);
  if (!carries_header_stream(copy))
    throw Failure(source, std::string("the player cannot encrypt it: its copy would not be a "
                                      "container for a protected video (use ") +
                              kProtectedVideoContainers + ")");
  struct stat existing {};
  if (::lstat(copy.c_str(), &existing) == 0)
    throw Failure(copy, "already exists: the player would overwrite it with its encrypted copy");
  if (errno != ENOENT) throw Failure(copy, error_text(errno));
}

void check_not_protected(const std::string &path) {
  VideoHeaderBlock existing{};
  if (read_video_header_block(path, existing) != HeaderBlockRead::none)
    throw Failure(path, "is already a protected video (play it with --key-file)");
}

// A key nothing ever deciphers with: the player only checks that the token
// carries one.
struct FreshKey {
  std::array<unsigned char, kContentKeyBytes> bytes{};
  explicit FreshKey(const std::string &for_file) {
    if (!os_random(bytes.data(), bytes.size()))
      throw Failure(for_file, "no random key for the launch token: " + error_text(errno));
  }
  ~FreshKey() { ::explicit_bzero(bytes.data(), bytes.size()); }
  FreshKey(const FreshKey &) = delete;
  FreshKey &operator=(const FreshKey &) = delete;
};

}  // namespace

std::vector<std::string> play_arguments(const CommandArguments &arguments) {
  const std::string &path = arguments.operands[0];
  const std::string *key_path = arguments.option("--key-file");
  if (!key_path) throw UsageError(arguments.command, "missing --key-file");
  check_fits_player(path);

  const KeyMaterial material = read_video_key_file(*key_path);
  const InputFile input(path);
  check_media_source(path);
  const VideoHeaderBlock header = check_protected_video(input, material, *key_path);
  return player_launch(path, material.key, header);
}

std::vector<std::string> encrypt_then_play_arguments(const CommandArguments &arguments) {
  const std::string &path = arguments.operands[0];
  if (arguments.option("--key-file"))
    throw UsageError(arguments.command, "--key-file does not go with --encrypt "
                                        "(the player encrypts with its own key)");
  check_fits_player(path);
  const InputFile input(path);
  check_encrypted_copy(path);
  check_media_source(path);
  check_not_protected(path);

  const FreshKey key(path);
  const VideoHeaderBlock header = make_video_header_block(key.bytes, path);
  std::vector<std::string> launch = player_launch(path, key.bytes, header);
  launch.push_back(kEncryptThenPlayMode);
  return launch;
}

}  // namespace folio_host
