// Stand-ins for the programs folio-host starts (the viewer, the player): a
// shell script that records the arguments it was given and exits with a
// chosen status, so that a test can check what the real program would have
// received without running it.
#ifndef FOLIO_TESTS_HOST_RECORDING_PROGRAM_H
#define FOLIO_TESTS_HOST_RECORDING_PROGRAM_H

#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace host_test {

struct RecordingBehaviour {
  int exit_status = 0;
  // Keep running after recording until a signal ends it.
  bool wait_for_signal = false;
};

// Writes <dir>/<name>, an executable that copies its standard input to
// <record_path>.stdin (until end of file), then writes its arguments
// (program name first) to record_path, each followed by a NUL.
std::string write_recording_program(const folio_test::ScratchDir &dir, const std::string &name,
                                    const std::string &record_path,
                                    const RecordingBehaviour &behaviour = {});

// The arguments a recording program wrote, program name first.
std::vector<std::string> recorded_arguments(const std::string &record_path);

// The lines a recording program read from its standard input.
std::vector<std::string> recorded_input_lines(const std::string &record_path);

}  // namespace host_test

#endif
