// What a hardening test hands the viewers: protected documents, images and
// clips made with OpenSSL (and the video library for clips), their launch
// arguments, and the plaintext markers whose appearance in anything the
// viewer writes would show clear content leaving it.
#ifndef FOLIO_TESTS_HARDENING_PROTECTED_INPUTS_H
#define FOLIO_TESTS_HARDENING_PROTECTED_INPUTS_H

#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace hardening_test {

using folio_test::Bytes;

// A protected file and the secrets a viewer is launched with.
struct ProtectedInput {
  std::string path;
  Bytes clear;
  std::string token;   // the launch token (pageview: 150 digits; Morlan: up to 254)
  std::string nonce;   // pageview: Base64 of the 8-byte nonce
  std::string header;  // Morlan: the enciphered header block, Base64
  std::vector<std::string> markers;  // plaintext only deciphering gives
};

// The sample report (samples/report.pdf) with a marker line after its end,
// protected as a v1 document (512 header bytes, then the ciphertext).
ProtectedInput protectedPdf(const folio_test::ScratchDir &dir);

// A PNG carrying a marker in a text chunk, protected (ciphertext only).
ProtectedInput protectedImage(const folio_test::ScratchDir &dir);

// A clip of the given length (160 x 120, with sound) protected with the
// video library; the markers are pieces of its enciphered video packets.
ProtectedInput protectedClip(const folio_test::ScratchDir &dir, double seconds);

// pageview's seven arguments for input; the token is "-" when
// tokenFromInput (it then goes on standard input).
std::vector<std::string> pageviewArguments(const ProtectedInput &input, const std::string &kind,
                                           bool tokenFromInput);

// Morlan's three arguments for input; "-" for token and header block when
// fromInput.
std::vector<std::string> morlanArguments(const ProtectedInput &input, bool fromInput);

// Pieces of clear that ciphertext does not hold: 24 bytes at every step
// bytes, leaving out runs of few distinct bytes (such as padding).
std::vector<std::string> clearPieces(const Bytes &clear, const Bytes &ciphertext, std::size_t step);

// Makes the scratch directory and the given files readable by every user,
// for a viewer run as another user.
void openToEveryone(const folio_test::ScratchDir &dir, const std::vector<std::string> &files);

}  // namespace hardening_test

#endif
