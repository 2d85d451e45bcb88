// The name encrypt-then-play mode writes the protected copy to.
#ifndef MORLAN_ENCRYPTED_COPY_PATH_H
#define MORLAN_ENCRYPTED_COPY_PATH_H

#include <string>

namespace morlan {

// sourcePath with "_e" inserted before its last "." wherever that lies
// (clip.mp4 -> clip_e.mp4, /a.b/clip -> /a_e.b/clip), or appended when the
// path has no "." at all.
std::string encryptedCopyPath(const std::string &sourcePath);

}  // namespace morlan

#endif
