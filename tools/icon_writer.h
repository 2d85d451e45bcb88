// What the build-time icon makers share: a Qt application without a
// display, the one argument (the output directory), and PNG writing that
// names the file it could not write.
#ifndef FOLIO_TOOLS_ICON_WRITER_H
#define FOLIO_TOOLS_ICON_WRITER_H

#include <QDir>
#include <QImage>
#include <QString>
#include <functional>

namespace folio_tools {

// Saves image as dir/name in the format its suffix names; false, with a
// message on stderr, when it cannot.
bool save_icon(const QDir &dir, const QString &name, const QImage &image);

// The main function of an icon maker called as "<program> <directory>":
// makes the directory, then calls draw_all with it. The exit status: 0 when
// draw_all returned true, 1 when it did not or the directory cannot be
// made, 2 on a wrong command line.
int run_icon_maker(int argc, char **argv, const std::function<bool(const QDir &)> &draw_all);

}  // namespace folio_tools

#endif
