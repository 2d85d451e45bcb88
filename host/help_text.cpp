#include "help_text.h"

namespace folio_host {

namespace {

struct CommandHelp {
  const char *name;
  const char *synopsis;
  const char *description;
  const char *options;  // lines for the options besides --help
};

const CommandHelp kCommandHelp[] = {
    {"protect", "folio-host protect <in> <out>",
     "Enciphers <in> with AES-256 under a fresh random content key and writes the\n"
     "protected file <out>: a 512-byte header followed by the ciphertext.\n"
     "The key, the nonce, the size and the MD5 digest of <in> go to the key file\n"
     "<out>.key (mode 0600). Keep it secret: it is the only way back to the\n"
     "plaintext. Both files appear only when the whole operation succeeded.\n"
     "Inputs over 4 GiB are refused: past that size the keystream would repeat.\n",
     ""},
    {"unprotect", "folio-host unprotect <in> <out> --key-file <file>",
     "Deciphers the protected file <in> with the key file <file> made when it was\n"
     "protected, and writes the plaintext to <out> only if its MD5 digest matches\n"
     "the one the key file records.\n",
     "  --key-file <file>  the key file of <in> (required)\n"},
    {"digest", "folio-host digest <file>...",
     "Prints the MD5 digest of each file as \"<md5>  <file>\", the format md5sum\n"
     "reads back with -c.\n",
     ""},
    {"inspect", "folio-host inspect <protected file>",
     "Prints the header fields of a protected file and whether its checksum and\n"
     "length check out. Exits with status 1 when the checksum does not match or\n"
     "the file is shorter or longer than its header says.\n",
     ""},
};

const CommandHelp *find_help(const std::string &command) {
  for (const CommandHelp &help : kCommandHelp)
    if (command == help.name) return &help;
  return nullptr;
}

const char kToolHelp[] =
    "folio-host - protect documents, and restore them with their key files\n"
    "\n"
    "Usage: folio-host <command> [options] [arguments]\n"
    "       folio-host help [<command>]\n"
    "       folio-host --version\n"
    "\n"
    "Commands:\n"
    "  protect <in> <out>                      encipher <in> into the protected file\n"
    "                                          <out>; its key goes to <out>.key\n"
    "  unprotect <in> <out> --key-file <file>  restore a protected file and check\n"
    "                                          its digest\n"
    "  digest <file>...                        print the MD5 digest of each file\n"
    "  inspect <protected file>                print the header of a protected file\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help, or a command's help after its name\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be handled, 2 when the\n"
    "command line is wrong.\n";

}  // namespace

std::string full_help(const std::string &command) {
  if (command.empty()) return kToolHelp;
  const CommandHelp *help = find_help(command);
  if (!help) return {};
  return std::string("Usage: ") + help->synopsis + "\n\n" + help->description + "\nOptions:\n" +
         help->options + "  -h, --help         show this help\n";
}

std::string short_usage(const std::string &command) {
  if (const CommandHelp *help = find_help(command))
    return std::string("Usage: ") + help->synopsis + "\nTry 'folio-host " + command +
           " --help' for more information.\n";
  return "Usage: folio-host <command> [options] [arguments]\n"
         "Commands: protect, unprotect, digest, inspect.\n"
         "Try 'folio-host --help' for more information.\n";
}

std::string version_text() { return "folio-host " FOLIO_HOST_VERSION "\n"; }

}  // namespace folio_host
