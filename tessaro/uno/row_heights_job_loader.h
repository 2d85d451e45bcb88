// The row-heights job (tessaro/office_helper), loaded into a session's
// office: its library is carried inside ours, written into the session's
// private folder and handed to the office's shared-library loader.
#ifndef TESSARO_UNO_ROW_HEIGHTS_JOB_LOADER_H
#define TESSARO_UNO_ROW_HEIGHTS_JOB_LOADER_H

#include <com/sun/star/task/XJob.hpp>

#include "uno/office_session.h"

namespace tessaro::uno_backend {

// The job, running inside the office; empty when it cannot be loaded (the
// caller then does the same work over the bridge).
css::uno::Reference<css::task::XJob> load_row_heights_job(OfficeSession &session);

}  // namespace tessaro::uno_backend

#endif
