// protect-video: rewrite a media file as a protected video (a header
// stream carrying the header block, video packets after the clear lead-in
// enciphered) through the video library, and write its key file.
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <cerrno>
#include <cstdio>

#include "output/atomic_output.h"
#include "cinelock.h"
#include "commands/commands.h"
#include "output/input_file.h"
#include "keys/key_file.h"
#include "video/media_log.h"
#include "video/media_source_check.h"
#include "commands/messages.h"
#include "output/path_names.h"
#include "platform/os_random.h"
#include "video/source_digest.h"
#include "video/video_container.h"
#include "video/video_header_block.h"
#include "video/video_output.h"
#include "video/video_pass_progress.h"

namespace folio_host {

namespace {

void check_protected_container(const std::string &out) {
  if (!carries_header_stream(out))
    throw Failure(out, std::string("not a container for a protected video: use ") +
                           kProtectedVideoContainers +
                           " (other containers cannot carry the header stream)");
}

// Where a file would be created: its directory resolved, so that two
// spellings of one destination compare equal before either file exists.
std::string resolved_destination(const std::string &path) {
  char directory[PATH_MAX];
  if (!::realpath(directory_of(path).c_str(), directory)) return path;
  return std::string(directory) + "/" + file_name_of(path);
}

void check_not_yet_protected(const std::string &in) {
  VideoHeaderBlock existing{};
  if (read_video_header_block(in, existing) != HeaderBlockRead::none)
    throw Failure(in, "is already a protected video");
}

void fresh_content_key(KeyMaterial &material, const std::string &input_path) {
  if (!os_random(material.key.data(), material.key.size()))
    throw Failure(input_path, "no random content key: " + error_text(errno));
}

void encrypt_video(const InputFile &input, const KeyMaterial &material,
                   const VideoHeaderBlock &header, const PendingVideoOutput &output) {
  const VideoPassProgress progress("protecting " + input.path(), input.size());
  const int code = video_crypt_encrypt(
      ffmpeg_file_url(input.path()).c_str(), ffmpeg_file_url(output.temporary_path()).c_str(),
      material.key.data(), kContentKeyBits, material.nonce.data(), header.data(),
      static_cast<int>(header.size()));
  if (code != CINELOCK_OK) {
    end_media_log_line();
    throw Failure(input.path(), "the video library could not protect it");
  }
}

// The library reports success for what it could do; the tool keeps the
// file only when it reads back as protected with this very header block.
void check_header_written(const PendingVideoOutput &output, const VideoHeaderBlock &header) {
  VideoHeaderBlock written{};
  if (read_video_header_block(output.temporary_path(), written) != HeaderBlockRead::found ||
      written != header)
    throw Failure(output.destination(), "was written without its header block");
}

}  // namespace

int run_protect_video(const CommandArguments &arguments) {
  const std::string &in = arguments.operands[0];
  const std::string &out = arguments.operands[1];
  check_protected_container(out);
  const std::string *key_option = arguments.option("--key-file");
  const std::string key_path = key_option ? *key_option : out + ".key";
  set_media_log_verbosity(arguments.option("--verbose") != nullptr);

  const InputFile input(in);
  if (input.is_same_file_as(out)) throw Failure(out, "is the input file itself");
  if (input.is_same_file_as(key_path)) throw Failure(key_path, "is the input file itself");
  if (resolved_destination(key_path) == resolved_destination(out))
    throw Failure(key_path, "is the output file itself");
  check_media_source(in);
  check_not_yet_protected(in);
  PendingVideoOutput protected_video(out);
  PendingOutput key_file(key_path);

  KeyMaterial material;
  material.kind = DocumentKind::video;
  material.size = input.size();
  fresh_content_key(material, in);
  const VideoHeaderBlock header = make_video_header_block(material.key, in);
  material.nonce = video_header_nonce(header, in);
  {
    SourceDigest digest(in);
    encrypt_video(input, material, header, protected_video);
    material.md5 = digest.get(in);
  }
  input.check_unchanged("it was being protected");
  check_header_written(protected_video, header);
  protected_video.finish(default_file_mode());

  std::string key_text = format_key_file(material, file_name_of(out));
  key_file.write_all(key_text.data(), key_text.size());
  ::explicit_bzero(key_text.data(), key_text.size());
  key_file.finish(0600);
  protected_video.commit(&key_file);

  std::printf("protected %s -> %s (key: %s)\n", in.c_str(), out.c_str(), key_path.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
