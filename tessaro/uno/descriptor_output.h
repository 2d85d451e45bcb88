// A PDF written into a descriptor the caller holds open instead of under a
// name: the caller's unnamed file or memory file never has a path another
// process could open, so a clear PDF made only to be protected next never
// lies on disk under a name.
#ifndef TESSARO_UNO_DESCRIPTOR_OUTPUT_H
#define TESSARO_UNO_DESCRIPTOR_OUTPUT_H

#include <string>

#include <com/sun/star/io/XOutputStream.hpp>

namespace tessaro::uno_backend {

// The descriptor a path of the form /dev/fd/N or /proc/self/fd/N names
// when it is open for writing in this process; -1 for any other path.
int named_descriptor(const std::string &path);

// A stream the office writes into: each block goes to the descriptor at its
// current offset; a failing write throws IOException.
css::uno::Reference<css::io::XOutputStream> descriptor_stream(int descriptor);

}  // namespace tessaro::uno_backend

#endif
