// The help texts of folio-host and of each of its commands.
#ifndef FOLIO_HOST_HELP_TEXT_H
#define FOLIO_HOST_HELP_TEXT_H

#include <string>

namespace folio_host {

// The whole help of the tool (command empty) or of one command; empty for
// a command that does not exist.
std::string full_help(const std::string &command);

// The synopsis and a pointer to --help, printed after a usage error.
std::string short_usage(const std::string &command);

std::string version_text();

}  // namespace folio_host

#endif
