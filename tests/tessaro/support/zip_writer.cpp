#include "support/zip_writer.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "crypto/crc32.h"

namespace tessaro_test {

namespace {

void put16(std::string &out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string &out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

void ZipWriter::add(const std::string &name, const std::string &content) {
  entries_.push_back({name, content});
}

void ZipWriter::write(const std::string &path) const {
  std::string archive;
  std::string directory;
  for (const Entry &entry : entries_) {
    const auto *data = reinterpret_cast<const unsigned char *>(entry.content.data());
    const std::uint32_t crc = crc32_compute(data, static_cast<std::uint32_t>(entry.content.size()));
    const auto size = static_cast<std::uint32_t>(entry.content.size());
    const auto name_length = static_cast<std::uint32_t>(entry.name.size());
    const auto offset = static_cast<std::uint32_t>(archive.size());

    put32(archive, 0x04034B50);  // local file header
    put16(archive, 20);          // version needed
    put16(archive, 0);           // flags
    put16(archive, 0);           // stored
    put16(archive, 0);           // time
    put16(archive, 0x21);        // date: 1980-01-01
    put32(archive, crc);
    put32(archive, size);
    put32(archive, size);
    put16(archive, name_length);
    put16(archive, 0);
    archive += entry.name;
    archive += entry.content;

    put32(directory, 0x02014B50);  // central directory header
    put16(directory, 20);
    put16(directory, 20);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, 0x21);
    put32(directory, crc);
    put32(directory, size);
    put32(directory, size);
    put16(directory, name_length);
    put16(directory, 0);  // extra
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, 0);  // internal attributes
    put32(directory, 0);  // external attributes
    put32(directory, offset);
    directory += entry.name;
  }
  const auto directory_offset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  put32(archive, 0x06054B50);  // end of central directory
  put16(archive, 0);
  put16(archive, 0);
  put16(archive, static_cast<std::uint32_t>(entries_.size()));
  put16(archive, static_cast<std::uint32_t>(entries_.size()));
  put32(archive, static_cast<std::uint32_t>(directory.size()));
  put32(archive, directory_offset);
  put16(archive, 0);

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace tessaro_test
