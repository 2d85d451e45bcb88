#include "keys/key_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "commands/messages.h"
#include "keys/text_codec.h"

namespace folio_host {

namespace {

constexpr char kFormatLine[] = "folio-key 1";
// Far above any real key file; keeps a wrong path from being read whole.
constexpr std::size_t kMaxKeyFileBytes = 64 * 1024;
const char *const kFields[] = {"format", "kind", "variant", "key", "nonce", "size", "md5"};

bool known_field(const std::string &name) {
  for (const char *field : kFields)
    if (name == field) return true;
  return false;
}

std::string trim(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool parse_size(const std::string &text, std::uint64_t &size) {
  if (text.empty() || text.size() > 19) return false;
  std::uint64_t value = 0;
  for (char digit : text) {
    if (digit < '0' || digit > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  // Sizes are signed 64-bit in the protected file's header.
  if (value > static_cast<std::uint64_t>(INT64_MAX)) return false;
  size = value;
  return true;
}

bool parse_md5(const std::string &text, std::string &md5) {
  unsigned char digest[kMd5HexDigits / 2];
  if (!from_hex(text, digest, sizeof digest)) return false;
  md5 = to_hex(digest, sizeof digest);
  return true;
}

std::map<std::string, std::string> read_fields(const std::string &text, const std::string &path) {
  std::map<std::string, std::string> fields;
  int line_number = 0;
  for (const std::string &raw : split_lines(text)) {
    ++line_number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const std::string where = "line " + std::to_string(line_number) + ": ";
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
      throw Failure(path, "not a key file (" + where + "no \"name: value\")");
    const std::string name = trim(line.substr(0, colon));
    if (fields.empty() && name != "format")
      throw Failure(path, "not a key file (it does not start with a format line)");
    if (!known_field(name))
      throw Failure(path, "corrupt key file (" + where + "unknown field '" + name + "')");
    if (fields.count(name))
      throw Failure(path, "corrupt key file (" + where + "'" + name + "' given twice)");
    fields.emplace(name, trim(line.substr(colon + 1)));
  }
  if (fields.empty()) throw Failure(path, "not a key file (it is empty)");
  return fields;
}

// Key file text, wiped when it goes out of scope.
struct WipedText {
  std::string value;
  char buffer[4096];
  ~WipedText() {
    ::explicit_bzero(value.data(), value.size());
    ::explicit_bzero(buffer, sizeof buffer);
  }
};

}  // namespace

KeyMaterial::~KeyMaterial() { ::explicit_bzero(key.data(), key.size()); }

std::string format_key_file(const KeyMaterial &material, const std::string &protected_name) {
  std::string text;
  text += "# folio-host key file: keep it secret, it deciphers " + protected_name + "\n";
  text += std::string("format: ") + kFormatLine + "\n";
  text += std::string("kind: ") + kind_name(material.kind) + "\n";
  if (material.kind != DocumentKind::video)
    text += std::string("variant: ") + variant_name(material.variant) + "\n";
  text += "key: " + to_hex(material.key.data(), material.key.size()) + "\n";
  text += "nonce: " + to_base64(material.nonce.data(), material.nonce.size()) + "\n";
  text += "size: " + std::to_string(material.size) + "\n";
  text += "md5: " + material.md5 + "\n";
  return text;
}

namespace {

// A key file of any kind: a document's with its variant, or a video's,
// which has none.
KeyMaterial parse_any_key_file(const std::string &text, const std::string &path) {
  const auto fields = read_fields(text, path);
  const auto field = [&](const char *name) -> const std::string & {
    const auto it = fields.find(name);
    if (it == fields.end())
      throw Failure(path, std::string("corrupt key file (no '") + name + "' line)");
    return it->second;
  };

  if (field("format") != kFormatLine)
    throw Failure(path, "unsupported key file format '" + field("format") + "'");
  KeyMaterial material;
  const auto kind = fields.find("kind");
  if (kind != fields.end() && !parse_recorded_kind(kind->second, material.kind))
    throw Failure(path, "unsupported document kind '" + kind->second + "'");
  if (material.kind == DocumentKind::video) {
    if (fields.count("variant"))
      throw Failure(path, "corrupt key file (a video has no variant)");
  } else {
    if (!parse_variant(field("variant"), material.variant))
      throw Failure(path, "unsupported key variant '" + field("variant") + "'");
    if (material.kind == DocumentKind::image && carries_header(material.variant))
      throw Failure(path, "corrupt key file (an image is never v1: images carry no header)");
  }
  if (!from_hex(field("key"), material.key.data(), material.key.size()))
    throw Failure(path, "corrupt key file (the key is not 64 hexadecimal digits)");
  if (!from_base64(field("nonce"), material.nonce.data(), material.nonce.size()))
    throw Failure(path, "corrupt key file (the nonce is not the Base64 of 8 bytes)");
  if (!parse_size(field("size"), material.size))
    throw Failure(path, "corrupt key file (the size is not a byte count)");
  if (!parse_md5(field("md5"), material.md5))
    throw Failure(path, "corrupt key file (the md5 is not 32 hexadecimal digits)");
  return material;
}

using KeyFileParser = KeyMaterial (*)(const std::string &text, const std::string &path);

KeyMaterial read_and_parse(const std::string &path, KeyFileParser parse) {
  // Non-blocking so that a FIFO given by mistake is refused, not waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw Failure(path, error_text(errno));
  const auto fail = [&](const std::string &reason) {
    ::close(fd);
    throw Failure(path, reason);
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0) fail(error_text(errno));
  if (S_ISDIR(info.st_mode)) fail(error_text(EISDIR));
  if (!S_ISREG(info.st_mode)) fail("not a regular file");

  // Reserved up front so that no reallocation leaves key text behind.
  WipedText text;
  text.value.reserve(kMaxKeyFileBytes + sizeof text.buffer);
  for (;;) {
    const ssize_t got = ::read(fd, text.buffer, sizeof text.buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail(error_text(errno));
    if (got == 0) break;
    text.value.append(text.buffer, static_cast<std::size_t>(got));
    if (text.value.size() > kMaxKeyFileBytes) fail("not a key file (far too large)");
  }
  ::close(fd);
  return parse(text.value, path);
}

}  // namespace

KeyMaterial parse_key_file(const std::string &text, const std::string &path) {
  KeyMaterial material = parse_any_key_file(text, path);
  if (material.kind == DocumentKind::video)
    throw Failure(path, "is the key file of a video, not of a document (unprotect-video reads it)");
  return material;
}

KeyMaterial parse_video_key_file(const std::string &text, const std::string &path) {
  KeyMaterial material = parse_any_key_file(text, path);
  if (material.kind != DocumentKind::video)
    throw Failure(path, "is the key file of a document, not of a video (unprotect reads it)");
  return material;
}

KeyMaterial read_key_file(const std::string &path) { return read_and_parse(path, parse_key_file); }

KeyMaterial read_video_key_file(const std::string &path) {
  return read_and_parse(path, parse_video_key_file);
}

}  // namespace folio_host
