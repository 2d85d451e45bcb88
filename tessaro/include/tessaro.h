// Tessaro: converts one Word, Excel or PowerPoint document to PDF by driving
// the installed office application.
//
// On Windows the application is Microsoft Office, reached through COM
// automation. On Linux it is LibreOffice (its Writer, Calc and Impress
// components), started headless and invisible for each call in a private
// user profile that is removed again before the call returns.
//
// Every function takes caller-owned, NUL-terminated paths and keeps no
// pointer after returning. Calls are synchronous and self-contained: each
// starts its own office application and ends it before returning, so calls
// on different threads do not share anything.
#ifndef TESSARO_H
#define TESSARO_H

#ifdef __cplusplus
extern "C" {
#endif

// TESSARO_BUILDING: compiling the conversion itself (the libraries, and
// programs that carry the conversion code, such as Brevint). On Windows each
// DLL's export list names its one export, so that a program carrying the
// same code exports nothing.
#if defined(_WIN32) && defined(TESSARO_BUILDING)
#define TESSARO_API
#elif defined(_WIN32)
#define TESSARO_API __declspec(dllimport)
#else
#define TESSARO_API __attribute__((visibility("default")))
#endif

// The kind of document, named by the application that converts it.
enum {
  TESSARO_WORD = 0,       // text documents (.docx, .doc, .odt, .rtf ...)
  TESSARO_EXCEL = 1,      // workbooks (.xlsx, .xls, .ods ...)
  TESSARO_POWERPOINT = 2  // presentations (.pptx, .ppt, .odp ...)
};

// Results of ConvertOfficeFileToPdf. No other value is ever returned.
enum {
  TESSARO_OK = 0,      // the PDF was written
  TESSARO_FAILED = -1  // anything else: unknown type, application not
                       // installed, source missing or unreadable, a
                       // protected or damaged document, a chart sheet in a
                       // workbook, the PDF not writable, the application
                       // not finishing within the time allowed
};

// Converts the document at sourcePath (officeType says which application
// opens it) to a PDF at pdfPath, replacing a file already there.
//
// On Linux, pdfPath may instead name a descriptor the caller holds open for
// writing, as "/dev/fd/N" or "/proc/self/fd/N" (an unnamed file, a memory
// file): the PDF is written into it from its current offset and never under
// a name. On failure the descriptor may hold part of a PDF; it stays open.
//
// Workbooks are printed with gridlines, one page wide, and every used row
// but the last of each worksheet 10 points taller than it is (409 points at
// most); the source workbook itself is never written. Presentations are
// opened read-only.
//
// Paths are in the process's narrow encoding (UTF-8 on Linux, the ANSI code
// page on Windows).
TESSARO_API int ConvertOfficeFileToPdf(int officeType, const char *sourcePath,
                                       const char *pdfPath);

// Installation probe (the separate library TessaroProbe): whether the
// application for officeType is installed, found without starting it.
// Returns 1 when it is, 0 when it is not (and for every type other than
// 0, 1 and 2).
TESSARO_API int IsInstallOffice(int officeType);

#ifdef __cplusplus
}
#endif

#endif
