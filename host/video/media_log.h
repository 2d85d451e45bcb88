// FFmpeg's own messages. The video library describes every input and
// output at information level; the tool shows only FFmpeg's errors unless
// asked to be verbose, and silences FFmpeg while it merely probes a file.
#ifndef FOLIO_HOST_MEDIA_LOG_H
#define FOLIO_HOST_MEDIA_LOG_H

namespace folio_host {

// Errors only, or everything FFmpeg reports by default with verbose.
// FFmpeg's messages keep going to standard error as FFmpeg prints them.
void set_media_log_verbosity(bool verbose);

// Ends the line of an FFmpeg message printed without its newline (some of
// the video library's own messages are), so that the tool's report of the
// failure starts a line of its own.
void end_media_log_line();

// FFmpeg says nothing while it lives: a probe's failure is the tool's to
// report, in its own words.
class MediaLogSilenced {
 public:
  MediaLogSilenced();
  ~MediaLogSilenced();
  MediaLogSilenced(const MediaLogSilenced &) = delete;
  MediaLogSilenced &operator=(const MediaLogSilenced &) = delete;

 private:
  int previous_level_;
};

}  // namespace folio_host

#endif
