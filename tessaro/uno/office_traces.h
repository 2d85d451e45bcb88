// What an office leaves on disk for one conversion, and removing it: the
// private folder "$TMPDIR/tessaro-office-<pid>-XXXXXX" (profile, HOME,
// temporary files: for workbooks a clear copy of the source), the pipe it
// accepts the caller on ("OSL_PIPE_<uid>_tessaro-<pid>-...") and its
// single-instance pipe, both sockets in /tmp or /var/tmp. The pid in the
// names is the caller's: a later call removes what a caller that died
// (kill -9) could not, and an interrupted Brevint removes its own.
#ifndef TESSARO_UNO_OFFICE_TRACES_H
#define TESSARO_UNO_OFFICE_TRACES_H

#include <functional>
#include <string>
#include <vector>

namespace tessaro::uno_backend {

// Removes a file or a folder with everything in it; errors are ignored.
void remove_tree(const std::string &path);

// The names in a folder ("." and ".." among them); none when unreadable.
std::vector<std::string> entries(const std::string &folder);

// The folder private folders are made in: $TMPDIR, or /tmp.
std::string temporary_folder();

// The template of this process's next private folder.
std::string private_folder_template();

// The file URL of a path (ASCII, the rest percent-encoded).
std::string file_url(const std::string &path);

// The profile's URL, which names the office's single-instance pipe.
std::string profile_url(const std::string &private_folder);

// Removes the private folder and the sockets of the office that ran in it
// and listened on pipe_name.
void remove_office_traces(const std::string &private_folder, const std::string &pipe_name);

// Removes the private folders and sockets of every caller of this user
// whose process id `owned` accepts. Errors are ignored: a leftover that
// cannot be removed is no reason to fail a conversion.
void remove_callers_traces(const std::function<bool(long pid)> &owned);

}  // namespace tessaro::uno_backend

#endif
