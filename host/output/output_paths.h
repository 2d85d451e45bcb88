// The steps every output shares: the hidden names an unfinished output can
// have beside its destination, refusing a directory as the destination,
// creating the file with no name at all where the file system allows it,
// and making a rename durable.
//
// A hidden name carries the id of the process that made it:
// ".<name>.folio-<pid>-XXXXXX<suffix>", so that a later run can tell the
// leftovers of a killed run (its process gone) from the files of one still
// at work (ended_runs.h).
#ifndef FOLIO_HOST_OUTPUT_PATHS_H
#define FOLIO_HOST_OUTPUT_PATHS_H

#include <cstddef>
#include <functional>
#include <string>

namespace folio_host {

// How many random characters (the X's) a hidden name has.
constexpr std::size_t kHiddenNameRandomCharacters = 6;

// "<directory>/.<name>.folio-<pid>-XXXXXX<suffix>"; throws Failure naming
// `name` when it is empty.
std::string hidden_template(const std::string &directory, const std::string &name,
                            const std::string &suffix = "");

// hidden_template beside destination, for destination's own file name.
std::string temporary_template(const std::string &destination, const std::string &suffix = "");

// Throws Failure (EISDIR) when destination is an existing directory.
void reject_directory(const std::string &destination);

// Fills the X's of path (a template; suffix_length bytes after them are
// kept) with random characters until create(candidate) succeeds, and
// replaces path with that name. create returns false with errno set; only
// EEXIST makes another name worth trying. Throws Failure naming
// destination, with what, when no name can be made.
void create_uniquely(std::string &path, int suffix_length,
                     const std::function<bool(const std::string &)> &create,
                     const std::string &destination, const std::string &what);

// Creates the file that path (a template) names, mode 0600, and replaces
// path with its real name; suffix_length bytes after the X's are kept.
// Returns the open descriptor; throws Failure naming destination.
int create_temporary(std::string &path, const std::string &destination, int suffix_length = 0);

// A new file without any name in directory (O_TMPFILE), mode 0600, open
// for reading and writing: if the process dies before the file is linked
// in, nothing of it stays on disk. -1 where the file system (or the
// system) refuses such files.
int create_unnamed(const std::string &directory);

// A path by which this process can open its descriptor fd again, and by
// which linkat can give an unnamed file a name.
std::string descriptor_path(int fd);

// A rename is only durable once the directory entry itself reaches the disk.
void sync_directory(const std::string &directory);

}  // namespace folio_host

#endif
