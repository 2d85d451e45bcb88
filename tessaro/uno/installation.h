// Where LibreOffice is installed, and which of its components are: the
// counterpart of the registered ProgIDs, told from files alone.
#ifndef TESSARO_UNO_INSTALLATION_H
#define TESSARO_UNO_INSTALLATION_H

#include <string>

namespace tessaro::uno_backend {

// The installation root (the folder holding program/ and share/); the
// configured default unless a test has set another.
std::string installation_root();
void set_installation_root(const std::string &root);

// The office program started for each conversion.
std::string office_program();

// 1 when the component for the office type (0 Writer, 1 Calc, 2 Impress) is
// installed under the root: the office program, the component's
// configuration module in share/registry and its program library. 0
// otherwise, and for every other type.
int component_installed(int office_type);

}  // namespace tessaro::uno_backend

#endif
