#include "commands/help_text.h"

namespace folio_host {

namespace {

struct CommandHelp {
  const char *name;
  const char *synopsis;
  const char *description;
  const char *options;  // lines for the options besides --help
};

const CommandHelp kCommandHelp[] = {
    {"protect", "folio-host protect <in> <out> [--kind pdf|image] [--variant v1|v2]",
     "Enciphers <in> with AES-256 under a fresh random content key and writes the\n"
     "protected file <out>. A v1 PDF is a 512-byte header followed by the\n"
     "ciphertext; a v2 PDF and an image are the ciphertext alone, with no header.\n"
     "The kind, the variant, the key, the nonce, the size and the MD5 digest of\n"
     "<in> go to the key file <out>.key (mode 0600). Keep it secret: it is the only\n"
     "way back to the plaintext. Both files appear only when the whole operation\n"
     "succeeded.\n"
     "An Office document (.docx .doc .odt .rtf, .xlsx .xls .ods, .pptx .ppt .odp)\n"
     "is converted to PDF first, through the office installed here as Brevint\n"
     "does; that PDF is made in memory and never reaches a named file. The key\n"
     "file then describes the PDF.\n"
     "Inputs over 4 GiB are refused: past that size the keystream would repeat.\n",
     "  --kind pdf|image   what <in> is (default pdf); an image is always\n"
     "                     ciphertext only\n"
     "  --variant v1|v2    layout of a PDF (default v1): v1 with the header, v2\n"
     "                     ciphertext only\n"},
    {"convert", "folio-host convert <document or folder>... [--out <folder>]",
     "Converts Office documents (.docx .doc .odt .rtf, .xlsx .xls .ods, .pptx .ppt\n"
     ".odp) to PDF, as protect does, through one office started once for all of\n"
     "them in a private profile that is removed at the end. A folder stands for\n"
     "the Office documents directly in it, by extension. Each PDF is named after\n"
     "its document (report.docx -> report.pdf) and goes beside it, or into the\n"
     "--out folder; an existing PDF there is replaced, but never by the PDF of a\n"
     "second document with the same name: that document fails instead. A PDF\n"
     "appears only when whole.\n"
     "Prints \"<document> -> <pdf>\" for each document converted and the reason\n"
     "for each one that failed, with a progress line on a terminal. A document\n"
     "that kills the office, or keeps it busy past 120 s, fails; the next one\n"
     "gets a fresh office. Exits with status 1 when any document failed.\n",
     "  --out <folder>     where the PDFs go (default: beside each document)\n"},
    {"unprotect", "folio-host unprotect <in> <out> --key-file <file>",
     "Deciphers the protected file <in> with the key file <file> made when it was\n"
     "protected, and writes the plaintext to <out> only if its MD5 digest matches\n"
     "the one the key file records. The key file says whether <in> has a header\n"
     "(v1) or is ciphertext only (v2 PDFs and images).\n",
     "  --key-file <file>  the key file of <in> (required)\n"},
    {"digest", "folio-host digest <file>...",
     "Prints the MD5 digest of each file as \"<md5>  <file>\", the format md5sum\n"
     "reads back with -c.\n",
     ""},
    {"inspect", "folio-host inspect <protected file>",
     "Prints the header fields of a protected file and whether its checksum and\n"
     "length check out. Exits with status 1 when the checksum does not match or\n"
     "the file is shorter or longer than its header says.\n"
     "Only v1 PDFs have a header: v2 PDFs and images are ciphertext only, and for\n"
     "them inspect says \"header: none\" and exits with status 1.\n",
     ""},
    {"token", "folio-host token <protected file> --key-file <file> [--watermark <text>]",
     "Prints the seven arguments a viewer is started with for <protected file>, one\n"
     "per line: the path, the launch token, the nonce (Base64), the variant, the\n"
     "kind, the watermark (an empty line without --watermark) and \"-\".\n"
     "The launch token is the content key from <file>, enciphered under the\n"
     "viewers' built-in token key as 150 hexadecimal digits; its text starts with\n"
     "\"1\" and the Unix time of issue in 10 digits. The file is checked against the\n"
     "key file first.\n",
     "  --key-file <file>  the key file of <protected file> (required)\n"
     "  --watermark <text> one line of text the viewer tiles over every page\n"},
    {"open",
     "folio-host open <protected file> --key-file <file> [--watermark <text>]\n"
     "                [--viewer <program>]",
     "Starts the viewer for <protected file> with the seven arguments \"token\"\n"
     "prints, except that the fresh launch token goes to the viewer's standard\n"
     "input as one line and its argument is \"-\": no secret on the viewer's\n"
     "command line. Waits for the viewer to be closed and exits with its exit\n"
     "status (128 plus the signal number when a signal ended it).\n"
     "SIGINT, SIGTERM and SIGHUP sent to folio-host meanwhile go to the viewer.\n"
     "The viewer is the --viewer program, else the program named by the\n"
     "environment variable FOLIO_PAGEVIEW, else the pageview installed beside\n"
     "folio-host, else the one built with it. The file is checked against the key\n"
     "file first.\n",
     "  --key-file <file>  the key file of <protected file> (required)\n"
     "  --watermark <text> one line of text the viewer tiles over every page\n"
     "  --viewer <program> the viewer to start (run directly, not through a shell)\n"},
#ifdef FOLIO_HOST_VIDEO
    {"protect-video", "folio-host protect-video <in> <out> [--key-file <file>] [--verbose]",
     "Rewrites the media file <in> as the protected video <out>: a header stream\n"
     "holding a 512-byte header block (the nonce and the content key wrapped under\n"
     "the viewers' built-in token key), then the video, audio and subtitle streams\n"
     "of <in> packet for packet. Video packets after the first second or so are\n"
     "enciphered with AES-256 under a fresh random content key; the rest stays\n"
     "clear. <out> must end in .mp4: other containers cannot carry the header\n"
     "stream, or (MPEG-TS) do not give enciphered packets back as stored.\n"
     "The kind (video), the key, the nonce, and the size and MD5 digest of <in> go\n"
     "to the key file (mode 0600). Keep it secret. Both files appear only when the\n"
     "whole operation succeeded.\n",
     "  --key-file <file>  where the key file goes (default <out>.key)\n"
     "  --verbose          show FFmpeg's descriptions of the input and output\n"
     "                     (otherwise only its errors)\n"},
    {"unprotect-video", "folio-host unprotect-video <in> <out> --key-file <file> [--verbose]",
     "Writes the clear form of the protected video <in> to <out>, in the container\n"
     "that <out>'s extension names: the header stream is left out and every\n"
     "enciphered video packet is deciphered. The key file must be the one\n"
     "protect-video wrote for <in>: its nonce (and key) must be those of the\n"
     "header block <in> carries.\n",
     "  --key-file <file>  the key file of <in> (required)\n"
     "  --verbose          show FFmpeg's descriptions of the input and output\n"
     "                     (otherwise only its errors)\n"},
    {"play",
     "folio-host play <protected video> --key-file <file> [--player <program>]\n"
     "       folio-host play --encrypt <video> [--player <program>]",
     "Starts the video player on <protected video> with three arguments: the path,\n"
     "\"-\" and \"-\"; a fresh launch token and the video's header block go to the\n"
     "player's standard input, one line each, so that its command line holds no\n"
     "secret (the player's own three-argument form takes them in their places).\n"
     "The token's text is \"1\", the Unix time of issue in 10 digits, a space and\n"
     "the content key from <file> in 64 hexadecimal digits, enciphered under the\n"
     "viewers' built-in token key and written as 152 hexadecimal digits; the header\n"
     "block is enciphered under the same key, in Base64. The video is checked\n"
     "against the key file first.\n"
     "With --encrypt, <video> is a clear .mp4 that the player encrypts with its\n"
     "own key into a file beside it, named with \"_e\" before the extension\n"
     "(clip.mp4 -> clip_e.mp4; refused when that file exists), and then plays;\n"
     "a fourth argument, \"1\", asks for this.\n"
     "folio-host waits for the player to end and exits with its exit status (128\n"
     "plus the signal number when a signal ended it). SIGINT, SIGTERM and SIGHUP\n"
     "sent to folio-host meanwhile go to the player. The player is the --player\n"
     "program, else the program named by the environment variable FOLIO_MORLAN,\n"
     "else the Morlan installed beside folio-host, else the one built with it.\n"
     "Anyone who could read the token and the header block together with the\n"
     "video's own header block would have its key: they never appear on a\n"
     "command line.\n",
     "  --key-file <file>  the key file of <protected video> (required without\n"
     "                     --encrypt)\n"
     "  --encrypt          have the player encrypt <video>, then play it\n"
     "  --player <program> the player to start (run directly, not through a shell)\n"},
#endif
};

const CommandHelp *find_help(const std::string &command) {
  for (const CommandHelp &help : kCommandHelp)
    if (command == help.name) return &help;
  return nullptr;
}

#ifdef FOLIO_HOST_VIDEO
#define VIDEO_COMMANDS_HELP                                                               \
  "  protect-video <in> <out>                protect the media file <in> as the video\n"  \
  "                                          <out> (.mp4); its key goes to\n"             \
  "                                          <out>.key (--key-file <file>)\n"             \
  "  unprotect-video <in> <out> --key-file <file>\n"                                      \
  "                                          restore a protected video\n"                 \
  "  play <protected video> --key-file <file>\n"                                          \
  "                                          play a protected video in the player\n"      \
  "                                          (--encrypt <video>, --player <program>)\n"
#define VIDEO_COMMAND_NAMES ", protect-video, unprotect-video, play"
#else
#define VIDEO_COMMANDS_HELP ""
#define VIDEO_COMMAND_NAMES ""
#endif

const char kToolHelp[] =
    "folio-host - protect documents and videos, and show them in the viewers\n"
    "\n"
    "Usage: folio-host <command> [options] [arguments]\n"
    "       folio-host help [<command>]\n"
    "       folio-host --version\n"
    "\n"
    "Commands:\n"
    "  protect <in> <out>                      encipher <in> into the protected file\n"
    "                                          <out>; its key goes to <out>.key\n"
    "                                          (--kind pdf|image, --variant v1|v2)\n"
    "  convert <document or folder>...         convert Office documents to PDF\n"
    "                                          through one office (--out <folder>)\n"
    "  unprotect <in> <out> --key-file <file>  restore a protected file and check\n"
    "                                          its digest\n"
    "  digest <file>...                        print the MD5 digest of each file\n"
    "  inspect <protected file>                print the header of a protected file\n"
    "  token <protected file> --key-file <file>\n"
    "                                          print a viewer's arguments for a\n"
    "                                          protected file, with its launch token\n"
    "  open <protected file> --key-file <file>\n"
    "                                          show a protected file in the viewer\n"
    "                                          (--watermark <text>, --viewer <program>)\n"
    VIDEO_COMMANDS_HELP
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
         "Commands: protect, convert, unprotect, digest, inspect, token, open" VIDEO_COMMAND_NAMES ".\n"
         "Try 'folio-host --help' for more information.\n";
}

std::string version_text() { return "folio-host " FOLIO_HOST_VERSION "\n"; }

}  // namespace folio_host
