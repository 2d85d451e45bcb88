// The chunked file pass at the 2 GiB and 4 GiB turns of the stream offset
// convention, reached through run_pass's starting count instead of
// gigabytes of input. Stored files use a signed 32-bit running count,
// sign-extended: 0xFFFFFFFF80000000 at 2 GiB, back to 0 after 4 GiB.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "aes.h"
#include "aes_ctr.h"
#include "file_pass.h"
#include "support/files.h"
#include "support/open_handle.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

constexpr std::size_t kChunk = 0x100000;
const unsigned char kNonce[8] = {0x31, 0x41, 0x59, 0x26, 0x53, 0x58, 0x97, 0x93};

struct ChunkCall {
  std::size_t length;
  std::uint64_t offset;
};

// Runs a pass over `input` from a file into a file and returns what the
// cipher was asked to do and what reached the destination.
struct PassRun {
  folioc::PassResult result;
  std::vector<ChunkCall> calls;
  Bytes output;
  std::string digest_hex;
};

PassRun run_recorded_pass(const ScratchDir &dir, const Bytes &input, std::uint32_t start_count,
                          const folioc::ChunkCipher &inner) {
  write_file(dir.path("source"), input);
  std::FILE *source = std::fopen(dir.path("source").c_str(), "rb");
  std::FILE *destination = std::fopen(dir.path("destination").c_str(), "wb");
  PassRun run{};
  if (!source || !destination) {
    ADD_FAILURE() << "cannot open the pass files";
    if (source) std::fclose(source);
    if (destination) std::fclose(destination);
    return run;
  }
  const auto buffer = folioc::make_chunk_buffer();
  const folioc::ChunkCipher recording = [&](unsigned char *chunk, std::size_t length, std::uint64_t offset) {
    run.calls.push_back({length, offset});
    return inner(chunk, length, offset);
  };
  MD5_CTX digest;
  MD5Init(&digest);
  run.result = folioc::run_pass(source, destination, buffer.get(), recording, &digest, start_count);
  std::fclose(source);
  std::fclose(destination);
  MD5Final(&digest);
  char text[kMd5TextBytes];
  MDPrint(&digest, text);
  run.digest_hex = text;
  run.output = read_file(dir.path("destination"));
  return run;
}

bool leave_alone(unsigned char *, std::size_t, std::uint64_t) { return true; }

std::vector<std::uint64_t> offsets_of(const std::vector<ChunkCall> &calls) {
  std::vector<std::uint64_t> offsets;
  for (const auto &call : calls) offsets.push_back(call.offset);
  return offsets;
}

}  // namespace

TEST(PassOffsets, RunningCountIsSignExtendedFrom32Bits) {
  EXPECT_EQ(folioc::pass_offset(0), 0u);
  EXPECT_EQ(folioc::pass_offset(0x100000), 0x100000u);
  EXPECT_EQ(folioc::pass_offset(0x7FFFFFFF), 0x7FFFFFFFu);
  EXPECT_EQ(folioc::pass_offset(0x80000000u), 0xFFFFFFFF80000000ull);
  EXPECT_EQ(folioc::pass_offset(0xFFFFFFFFu), 0xFFFFFFFFFFFFFFFFull);
}

TEST(PassOffsets, ChunksReaching2GiBGetSignExtendedOffsets) {
  ScratchDir dir;
  const Bytes input = random_bytes(2 * kChunk + 100, 1);
  const PassRun run = run_recorded_pass(dir, input, 0x7FF00000u, leave_alone);
  EXPECT_EQ(offsets_of(run.calls),
            (std::vector<std::uint64_t>{0x7FF00000ull, 0xFFFFFFFF80000000ull, 0xFFFFFFFF80100000ull}));
  ASSERT_EQ(run.calls.size(), 3u);
  EXPECT_EQ(run.calls[0].length, kChunk);
  EXPECT_EQ(run.calls[2].length, 100u);
  EXPECT_EQ(run.result.status, folioc::PassStatus::completed);
  EXPECT_EQ(run.result.bytes, input.size()) << "the byte count is the true one";
  EXPECT_EQ(run.result.chunks, 3u);
  EXPECT_TRUE(run.output == input);
}

TEST(PassOffsets, CountCrossing2GiBInsideAChunk) {
  ScratchDir dir;
  const PassRun run =
      run_recorded_pass(dir, random_bytes(kChunk + 10, 2), 0x7FFFFFF0u, leave_alone);
  EXPECT_EQ(offsets_of(run.calls), (std::vector<std::uint64_t>{0x7FFFFFF0ull, 0xFFFFFFFF800FFFF0ull}));
}

TEST(PassOffsets, CountWrapsToZeroPast4GiB) {
  ScratchDir dir;
  const Bytes input = random_bytes(2 * kChunk + 1, 3);
  const PassRun at_boundary = run_recorded_pass(dir, input, 0xFFF00000u, leave_alone);
  EXPECT_EQ(offsets_of(at_boundary.calls),
            (std::vector<std::uint64_t>{0xFFFFFFFFFFF00000ull, 0x0ull, 0x100000ull}));
  EXPECT_EQ(at_boundary.result.bytes, input.size());

  const PassRun inside_chunk =
      run_recorded_pass(dir, random_bytes(kChunk + 1, 4), 0xFFFFFFF0u, leave_alone);
  EXPECT_EQ(offsets_of(inside_chunk.calls), (std::vector<std::uint64_t>{0xFFFFFFFFFFFFFFF0ull, 0xFFFF0ull}));
}

class PassCiphering : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(PassCiphering, OutputDeciphersAtTheSignExtendedOffsets) {
  ScratchDir dir;
  const Bytes key = random_bytes(32, 5);
  const Bytes input = random_bytes(2 * kChunk + 300, 6);
  OpenHandle handle(key, kNonce);
  ASSERT_GE(handle.get(), 1);
  const PassRun run = run_recorded_pass(dir, input, GetParam(), folioc::through_handle(handle.get()));
  ASSERT_EQ(run.result.status, folioc::PassStatus::completed);
  ASSERT_EQ(run.output.size(), input.size());
  ASSERT_EQ(run.calls.size(), 3u);
  EXPECT_EQ(run.digest_hex, oracle::md5_hex(run.output)) << "the digest covers the ciphertext";

  aes_key_schedule schedule;
  aes_init(&schedule);
  ASSERT_EQ(aes_setkey_enc(&schedule, key.data(), 256), 0);
  std::size_t position = 0;
  for (const ChunkCall &call : run.calls) {
    const Bytes cipher_chunk = slice(run.output, position, call.length);
    const Bytes plain_chunk = slice(input, position, call.length);
    EXPECT_TRUE(cipher_chunk == oracle::aes_ctr(key, kNonce, call.offset, plain_chunk))
        << "chunk at file position " << position;
    Bytes deciphered(call.length);
    aes_crypt_ctr(&schedule, AES_ENCRYPT, static_cast<std::int32_t>(call.length), kNonce,
                  static_cast<std::int64_t>(call.offset), cipher_chunk.data(), deciphered.data());
    EXPECT_TRUE(deciphered == plain_chunk) << "chunk at file position " << position;
    position += call.length;
  }
  aes_free(&schedule);
}

INSTANTIATE_TEST_SUITE_P(StartCounts, PassCiphering,
                         ::testing::Values(0u, 0x7FF00000u, 0x7FFFFFF0u, 0xFFF00000u, 0xFFFFFFF0u));

TEST(PassFailures, CipherFailureStopsBeforeThatChunkIsWritten) {
  ScratchDir dir;
  const Bytes input = random_bytes(3 * kChunk, 7);
  int calls = 0;
  const PassRun run = run_recorded_pass(dir, input, 0, [&](unsigned char *, std::size_t, std::uint64_t) {
    return ++calls < 2;
  });
  EXPECT_EQ(run.result.status, folioc::PassStatus::cipher_failed);
  EXPECT_EQ(run.result.chunks, 1u);
  EXPECT_EQ(run.result.bytes, kChunk);
  EXPECT_TRUE(run.output == slice(input, 0, kChunk));
}

TEST(PassFailures, DirectoryAsSourceIsAReadFailure) {
  ScratchDir dir;
  std::FILE *source = std::fopen(dir.root().c_str(), "rb");
  ASSERT_NE(source, nullptr) << "opening a directory for reading is expected to succeed here";
  std::FILE *destination = std::fopen(dir.path("destination").c_str(), "wb");
  ASSERT_NE(destination, nullptr);
  const auto buffer = folioc::make_chunk_buffer();
  const folioc::PassResult result = folioc::run_pass(source, destination, buffer.get(), leave_alone);
  std::fclose(source);
  std::fclose(destination);
  EXPECT_EQ(result.status, folioc::PassStatus::read_failed);
  EXPECT_EQ(result.bytes, 0u);
}

// A regular file of several chunks is ciphered on a second thread while
// the pass reads and writes; a pipe is passed in turn. Both must hand the
// cipher the same chunks and write the same bytes.
namespace {

PassRun run_pass_from_pipe(const ScratchDir &dir, const Bytes &input, const folioc::ChunkCipher &inner) {
  int ends[2];
  PassRun run{};
  if (pipe(ends) != 0) {
    ADD_FAILURE() << "no pipe";
    return run;
  }
  std::thread writer([&input, fd = ends[1]] {
    std::size_t done = 0;
    while (done < input.size()) {
      const ssize_t put = write(fd, input.data() + done, input.size() - done);
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
    close(fd);
  });
  std::FILE *source = fdopen(ends[0], "rb");
  std::FILE *destination = std::fopen(dir.path("from-pipe").c_str(), "wb");
  const auto buffer = folioc::make_chunk_buffer();
  const folioc::ChunkCipher recording = [&](unsigned char *chunk, std::size_t length, std::uint64_t offset) {
    run.calls.push_back({length, offset});
    return inner(chunk, length, offset);
  };
  run.result = folioc::run_pass(source, destination, buffer.get(), recording);
  writer.join();
  std::fclose(source);
  std::fclose(destination);
  run.output = read_file(dir.path("from-pipe"));
  return run;
}

}  // namespace

TEST(PassOverlap, RegularFileAndPipeGiveTheSameChunksAndBytes) {
  ScratchDir dir;
  const Bytes key = random_bytes(32, 8);
  const Bytes input = random_bytes(4 * kChunk + 12345, 9);
  OpenHandle handle(key, kNonce);
  ASSERT_GE(handle.get(), 1);
  const PassRun from_file = run_recorded_pass(dir, input, 0, folioc::through_handle(handle.get()));
  const PassRun from_pipe = run_pass_from_pipe(dir, input, folioc::through_handle(handle.get()));

  ASSERT_EQ(from_file.result.status, folioc::PassStatus::completed);
  ASSERT_EQ(from_pipe.result.status, folioc::PassStatus::completed);
  EXPECT_EQ(from_file.result.bytes, input.size());
  EXPECT_EQ(from_pipe.result.bytes, input.size());
  // A pipe may deliver a chunk in pieces, so compare what the offsets cover.
  ASSERT_EQ(from_file.calls.size(), 5u);
  for (std::size_t k = 0; k < from_file.calls.size(); ++k)
    EXPECT_EQ(from_file.calls[k].offset, k * kChunk) << "chunk " << k;
  EXPECT_TRUE(from_file.output == oracle::aes_ctr(key, kNonce, 0, input));
  EXPECT_TRUE(from_pipe.output == from_file.output);
}

TEST(PassOverlap, WriteFailureStopsThePassWithTheNextChunkInHand) {
  ScratchDir dir;
  write_file(dir.path("source"), random_bytes(4 * kChunk, 10));
  std::FILE *source = std::fopen(dir.path("source").c_str(), "rb");
  std::FILE *destination = std::fopen("/dev/full", "wb");
  ASSERT_TRUE(source && destination);
  std::setvbuf(destination, nullptr, _IONBF, 0);
  std::atomic<int> calls{0};
  const auto buffer = folioc::make_chunk_buffer();
  const folioc::PassResult result = folioc::run_pass(
      source, destination, buffer.get(), [&](unsigned char *, std::size_t, std::uint64_t) {
        ++calls;
        return true;
      });
  std::fclose(source);
  std::fclose(destination);
  EXPECT_EQ(result.status, folioc::PassStatus::write_failed);
  EXPECT_EQ(result.bytes, 0u);
  EXPECT_LE(calls.load(), 2) << "no chunk is ciphered beyond the one already in hand";
}

