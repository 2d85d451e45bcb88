// The arguments the video player is started with: the video's path, a
// launch token carrying the content key (launch_token.h), the video's
// 512-byte header block enciphered with the token cipher (token_cipher.h)
// in Base64, and, to have the player encrypt the file itself before
// playing it, the mode "1".
//
// The header block lies in the video file in clear, and the token and the
// enciphered block share one keystream: anyone who can read the player's
// command line and the video can recover the content key.
#ifndef FOLIO_HOST_PLAYER_ARGUMENTS_H
#define FOLIO_HOST_PLAYER_ARGUMENTS_H

#include <string>
#include <vector>

#include "commands/command_line.h"

namespace folio_host {

// The player's file name buffer holds 255 bytes and a final NUL.
constexpr std::size_t kPlayerMaxPathBytes = 255;

// For a protected video: reads the operand and --key-file, checks the video
// against its key file and issues a fresh token for its key. Throws
// UsageError for a missing --key-file, Failure for a video that does not
// check out.
std::vector<std::string> play_arguments(const CommandArguments &arguments);

// For a clear video the player is to encrypt and then play: checks that it
// is media the player can protect into an .mp4 beside it, under a name
// ("_e" before the extension) that is not taken yet, and issues a token and
// header block for a fresh random key (the player checks them, then uses
// its own). Throws Failure naming the file the player could not handle.
std::vector<std::string> encrypt_then_play_arguments(const CommandArguments &arguments);

}  // namespace folio_host

#endif
