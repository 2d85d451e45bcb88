#include "video/video_output.h"

#include "video/video_container.h"

namespace folio_host {

PendingVideoOutput::PendingVideoOutput(std::string destination)
    : output_(destination, extension_of(destination)) {}

void PendingVideoOutput::commit(PendingOutput *companion) {
  if (companion)
    commit_together({&output_, companion});
  else
    commit_together({&output_});
}

}  // namespace folio_host
