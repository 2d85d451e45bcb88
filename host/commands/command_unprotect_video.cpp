// unprotect-video: restore the clear form of a protected video with its key
// file, once the video's own header block shows that the key file is its.
#include <cstdio>

#include "cinelock.h"
#include "commands/commands.h"
#include "output/input_file.h"
#include "keys/key_file.h"
#include "video/media_log.h"
#include "video/media_source_check.h"
#include "commands/messages.h"
#include "video/protected_video_check.h"
#include "video/video_container.h"
#include "video/video_output.h"
#include "video/video_pass_progress.h"

namespace folio_host {

namespace {

void check_writable_container(const std::string &out) {
  if (!names_known_container(out))
    throw Failure(out, "its extension names no container FFmpeg can write (use e.g. .mp4)");
}

void decrypt_video(const InputFile &input, const KeyMaterial &material,
                   const PendingVideoOutput &output) {
  const VideoPassProgress progress("restoring " + input.path(), input.size());
  const int code = video_crypt_decrypt(
      ffmpeg_file_url(input.path()).c_str(), ffmpeg_file_url(output.temporary_path()).c_str(),
      material.key.data(), kContentKeyBits, material.nonce.data());
  if (code != CINELOCK_OK) {
    end_media_log_line();
    throw Failure(input.path(), "the video library could not restore it");
  }
  // The library succeeds without writing anything for a clear input.
  if (output.current_size() == 0) throw Failure(input.path(), "is not a protected video");
}

}  // namespace

int run_unprotect_video(const CommandArguments &arguments) {
  const std::string &in = arguments.operands[0];
  const std::string &out = arguments.operands[1];
  const std::string *key_path = arguments.option("--key-file");
  if (!key_path) throw UsageError(arguments.command, "missing --key-file");
  check_writable_container(out);
  set_media_log_verbosity(arguments.option("--verbose") != nullptr);

  const KeyMaterial material = read_video_key_file(*key_path);
  const InputFile input(in);
  if (input.is_same_file_as(out)) throw Failure(out, "is the input file itself");
  if (names_same_file(out, *key_path)) throw Failure(out, "is the key file itself");
  check_media_source(in);
  check_protected_video(input, material, *key_path);

  PendingVideoOutput output(out);
  decrypt_video(input, material, output);
  input.check_unchanged("it was being restored");
  output.finish(default_file_mode());
  output.commit(nullptr);

  std::printf("restored %s\n", out.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
