#include "uno/office_traces.h"

#include <dirent.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "crypto/md5.h"
#include "platform/process_gone.h"

namespace tessaro::uno_backend {

namespace {

constexpr char kFolderPrefix[] = "tessaro-office-";
constexpr char kPipePrefix[] = "tessaro-";
constexpr const char *kSocketFolders[] = {"/tmp", "/var/tmp"};

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
  remove(path);
  return 0;
}

std::string socket_prefix() { return "OSL_PIPE_" + std::to_string(getuid()) + "_"; }

// The name of the office's single-instance pipe: derived from its profile's
// URL, as the MD5 digest of the URL's UTF-16 code units (little-endian),
// each byte in hexadecimal without leading zeros.
std::string instance_pipe_name(const std::string &profile_url) {
  MD5_CTX md5;
  MD5Init(&md5);
  for (unsigned char c : profile_url) {
    const unsigned char unit[2] = {c, 0};  // the URL is ASCII
    MD5Update(&md5, unit, 2);
  }
  MD5Final(&md5);
  std::string name = "SingleOfficeIPC_";
  for (unsigned char byte : md5.digest) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%x", byte);
    name += hex;
  }
  return name;
}

// The caller's process id in a name that starts with prefix followed by
// it and a dash; -1 for any other name.
long owner_after(const std::string &name, const std::string &prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return -1;
  const std::string rest = name.substr(prefix.size());
  const long pid = leading_process_id(rest);
  const std::size_t digits = pid > 0 ? std::to_string(pid).size() : 0;
  return pid > 0 && rest.size() > digits && rest[digits] == '-' ? pid : -1;
}

bool mine(const std::string &path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && info.st_uid == geteuid();
}

}  // namespace

void remove_tree(const std::string &path) {
  nftw(path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> entries(const std::string &folder) {
  std::vector<std::string> names;
  if (DIR *dir = opendir(folder.c_str())) {
    while (const dirent *entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
  }
  return names;
}

std::string temporary_folder() {
  const char *tmp = getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

std::string private_folder_template() {
  return temporary_folder() + "/" + kFolderPrefix + std::to_string(getpid()) + "-XXXXXX";
}

std::string file_url(const std::string &path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        std::strchr("/-._~", c)) {
      url.push_back(static_cast<char>(c));
    } else {
      url.push_back('%');
      url.push_back(hex[c >> 4]);
      url.push_back(hex[c & 15]);
    }
  }
  return url;
}

std::string profile_url(const std::string &private_folder) {
  return file_url(private_folder + "/profile");
}

void remove_office_traces(const std::string &private_folder, const std::string &pipe_name) {
  remove_tree(private_folder);
  // A killed office leaves its sockets behind: the one it accepted our
  // connection on, and the one every office opens so that a second start
  // in the same profile hands over to it.
  const std::string prefix = socket_prefix();
  for (const char *folder : kSocketFolders) {
    for (const std::string &name : {pipe_name, instance_pipe_name(profile_url(private_folder))}) {
      if (name.empty()) continue;
      unlink((std::string(folder) + "/" + prefix + name).c_str());
    }
  }
}

void remove_callers_traces(const std::function<bool(long pid)> &owned) {
  const std::string folder = temporary_folder();
  for (const std::string &name : entries(folder)) {
    const std::string path = folder + "/" + name;
    const long pid = owner_after(name, kFolderPrefix);
    if (pid > 0 && owned(pid) && mine(path)) remove_office_traces(path, std::string());
  }
  const std::string prefix = socket_prefix() + kPipePrefix;
  for (const char *sockets : kSocketFolders) {
    for (const std::string &name : entries(sockets)) {
      const std::string path = std::string(sockets) + "/" + name;
      const long pid = owner_after(name, prefix);
      if (pid > 0 && owned(pid) && mine(path)) unlink(path.c_str());
    }
  }
}

}  // namespace tessaro::uno_backend
