// The part of PDFium's C interface the viewer uses, declared here so that
// the build needs only the prebuilt libpdfium.so (scripts/fetch-pdfium),
// not PDFium's headers. Names, types and values follow PDFium's public
// interface exactly: the library resolves these symbols by name and the
// record layout must match its ABI.
//
// PDFium is not thread-safe: every call, and every block callback PDFium
// makes from inside a call, happens on one thread (the GUI thread here).
#ifndef PAGEVIEW_DOCUMENT_PDFIUM_API_H
#define PAGEVIEW_DOCUMENT_PDFIUM_API_H

extern "C" {

// Opaque handles, each a distinct pointer type so that they cannot be mixed.
typedef struct fpdf_document_t__ *FPDF_DOCUMENT;
typedef struct fpdf_page_t__ *FPDF_PAGE;
typedef struct fpdf_bitmap_t__ *FPDF_BITMAP;

typedef int FPDF_BOOL;              // 0 false, anything else true
typedef unsigned int FPDF_DWORD;    // 32 bits
typedef const char *FPDF_BYTESTRING;
typedef const char *FPDF_STRING;

// Custom document source: PDFium pulls every byte of the document through
// m_GetBlock instead of reading a file itself.
typedef struct {
  // Document length in bytes. Every request PDFium makes lies inside it.
  // (unsigned long: 64 bits on Linux, 32 bits on Windows.)
  unsigned long m_FileLen;

  // Copies document bytes [position, position + size) into pBuf.
  //   param:    m_Param, passed back unchanged.
  //   position: byte offset from the start of the document.
  //   pBuf:     never null; holds at least size bytes.
  //   size:     never 0.
  //   position + size never exceeds m_FileLen.
  // PDFium may ask for the same range more than once and in any order.
  // Returns non-zero when all size bytes were delivered, 0 on failure
  // (PDFium then treats the document as unreadable at that point).
  int (*m_GetBlock)(void *param, unsigned long position, unsigned char *pBuf,
                    unsigned long size);

  // Anything the embedder likes; PDFium only hands it to m_GetBlock.
  void *m_Param;
} FPDF_FILEACCESS;

// FPDF_RenderPageBitmap flags.
#define FPDF_ANNOT 0x01               // draw annotations' appearances (not form fields)
#define FPDF_NO_NATIVETEXT 0x04       // no platform text rendering calls
#define FPDF_REVERSE_BYTE_ORDER 0x10  // R, G, B, A in memory instead of B, G, R, A

// Sets up PDFium's process-wide state; needed before any other call. Called
// once, then again only after FPDF_DestroyLibrary.
void FPDF_InitLibrary();
// Releases that state; every document must be closed first.
void FPDF_DestroyLibrary();

// Opens a document served by pFileAccess, which PDFium keeps reading from
// until FPDF_CloseDocument: the record and what m_GetBlock reads must stay
// valid that long. password: null for none. Null on failure.
FPDF_DOCUMENT FPDF_LoadCustomDocument(FPDF_FILEACCESS *pFileAccess, FPDF_BYTESTRING password);
// Opens a document from a file path (tests and benchmarks only: the viewer
// never hands PDFium a path). Null on failure.
FPDF_DOCUMENT FPDF_LoadDocument(FPDF_STRING file_path, FPDF_BYTESTRING password);
// Closes a document; its pages must be closed first.
void FPDF_CloseDocument(FPDF_DOCUMENT document);

// Number of pages.
int FPDF_GetPageCount(FPDF_DOCUMENT document);
// Loads page page_index (from 0). Null when the index is out of range or
// the page cannot be parsed. Close with FPDF_ClosePage.
FPDF_PAGE FPDF_LoadPage(FPDF_DOCUMENT document, int page_index);
void FPDF_ClosePage(FPDF_PAGE page);
// Page size in points (1/72 inch).
double FPDF_GetPageWidth(FPDF_PAGE page);
double FPDF_GetPageHeight(FPDF_PAGE page);
// Whether anything on the page is transparent, so that rendering onto a
// transparent background gives a different result than onto white.
FPDF_BOOL FPDFPage_HasTransparency(FPDF_PAGE page);

// A 32-bit-per-pixel bitmap owned by PDFium: with alpha != 0 four channels;
// without, the fourth byte is no channel to PDFium, yet filling and
// rendering set it to 0xFF (the viewer relies on that to show the bytes as
// opaque RGBA, and its tests check it). Null when it cannot be allocated.
FPDF_BITMAP FPDFBitmap_Create(int width, int height, int alpha);
// Pixel formats of FPDFBitmap_CreateEx: four bytes a pixel, without and with
// an alpha channel.
#define FPDFBitmap_BGRx 3
#define FPDFBitmap_BGRA 4
// A bitmap over the caller's buffer of stride * height bytes, which must
// outlive it; PDFium renders into it and never frees it. Null on failure.
FPDF_BITMAP FPDFBitmap_CreateEx(int width, int height, int format, void *first_scan, int stride);
// Fills a rectangle with color, 0xAARRGGBB (the alpha is ignored without an
// alpha channel). Newer PDFium releases return a success flag; older ones
// return nothing, so the result is not declared and never read.
void FPDFBitmap_FillRect(FPDF_BITMAP bitmap, int left, int top, int width, int height,
                         FPDF_DWORD color);
// Bytes from one row to the next (at least width * 4).
int FPDFBitmap_GetStride(FPDF_BITMAP bitmap);
int FPDFBitmap_GetHeight(FPDF_BITMAP bitmap);
// The pixels, stride * height bytes, valid until FPDFBitmap_Destroy.
void *FPDFBitmap_GetBuffer(FPDF_BITMAP bitmap);
// Renders page into the device rectangle (start_x, start_y, size_x,
// size_y) of bitmap, scaling the page to fill it. rotate: 0 none, 1, 2, 3
// quarter turns clockwise. flags: FPDF_ values above, or-ed. The rectangle
// may reach far outside the bitmap (a negative start places the part of a
// large page to draw): everything is clipped to the bitmap, so time and
// memory follow the bitmap's size, not the rectangle's.
void FPDF_RenderPageBitmap(FPDF_BITMAP bitmap, FPDF_PAGE page, int start_x, int start_y,
                           int size_x, int size_y, int rotate, int flags);
void FPDFBitmap_Destroy(FPDF_BITMAP bitmap);

// Form fields. A document's interactive form is drawn through a form
// handle; without one, FPDF_ANNOT draws every annotation but the fields.
typedef void *FPDF_FORMHANDLE;
// The embedder's callbacks, version 1 layout: the version, then fifteen
// callbacks (release, invalidate, selection, cursor, timers, local time,
// change, page look-ups, rotation, named actions, focus, URI and go-to
// actions) and the JavaScript platform. Any may be null: PDFium checks each
// before calling it, and the viewer needs none, since it never hands the
// form any input (nothing is editable) and runs no JavaScript.
typedef struct {
  int version;  // 1
  void *callbacks[15];
  void *m_pJsPlatform;
} FPDF_FORMFILLINFO;
// The form handle of document; formInfo must outlive it. Null on failure.
FPDF_FORMHANDLE FPDFDOC_InitFormFillEnvironment(FPDF_DOCUMENT document,
                                                FPDF_FORMFILLINFO *formInfo);
// Releases it; before the document is closed.
void FPDFDOC_ExitFormFillEnvironment(FPDF_FORMHANDLE hHandle);
// Tell the form a page was loaded / is about to be closed.
void FORM_OnAfterLoadPage(FPDF_PAGE page, FPDF_FORMHANDLE hHandle);
void FORM_OnBeforeClosePage(FPDF_PAGE page, FPDF_FORMHANDLE hHandle);
// Draws the page's form fields into bitmap, placed as FPDF_RenderPageBitmap
// places the page (same rectangle, rotation and flags), after it.
void FPDF_FFLDraw(FPDF_FORMHANDLE hHandle, FPDF_BITMAP bitmap, FPDF_PAGE page, int start_x,
                  int start_y, int size_x, int size_y, int rotate, int flags);

// Page coordinates (points, origin at the bottom left, before the page's
// /Rotate) to the device rectangle (start_x, start_y, size_x, size_y) as
// FPDF_RenderPageBitmap places the page there. True on success.
FPDF_BOOL FPDF_PageToDevice(FPDF_PAGE page, int start_x, int start_y, int size_x, int size_y,
                            int rotate, double page_x, double page_y, int *device_x,
                            int *device_y);

// Text of a page, for searching. UTF-16LE strings, null-terminated.
typedef struct fpdf_textpage_t__ *FPDF_TEXTPAGE;
typedef struct fpdf_schhandle_t__ *FPDF_SCHHANDLE;
typedef const unsigned short *FPDF_WIDESTRING;
// Null when the page's text cannot be had. Close with FPDFText_ClosePage.
FPDF_TEXTPAGE FPDFText_LoadPage(FPDF_PAGE page);
void FPDFText_ClosePage(FPDF_TEXTPAGE text_page);
// A search for findwhat from character start_index on; flags 0: case is
// ignored, parts of words match. Close with FPDFText_FindClose.
FPDF_SCHHANDLE FPDFText_FindStart(FPDF_TEXTPAGE text_page, FPDF_WIDESTRING findwhat,
                                  unsigned long flags, int start_index);
// Moves to the next match; false when there is none.
FPDF_BOOL FPDFText_FindNext(FPDF_SCHHANDLE handle);
// The current match: its first character and its number of characters.
int FPDFText_GetSchResultIndex(FPDF_SCHHANDLE handle);
int FPDFText_GetSchCount(FPDF_SCHHANDLE handle);
void FPDFText_FindClose(FPDF_SCHHANDLE handle);
// The rectangles (one per line or run) covering count characters from
// start_index; -1 on failure. FPDFText_GetRect then reads them, in page
// coordinates.
int FPDFText_CountRects(FPDF_TEXTPAGE text_page, int start_index, int count);
FPDF_BOOL FPDFText_GetRect(FPDF_TEXTPAGE text_page, int rect_index, double *left, double *top,
                           double *right, double *bottom);

// The document outline (bookmarks).
typedef struct fpdf_bookmark_t__ *FPDF_BOOKMARK;
typedef struct fpdf_dest_t__ *FPDF_DEST;
typedef struct fpdf_action_t__ *FPDF_ACTION;
// The first child of bookmark (null: of the outline's root); null if none.
FPDF_BOOKMARK FPDFBookmark_GetFirstChild(FPDF_DOCUMENT document, FPDF_BOOKMARK bookmark);
FPDF_BOOKMARK FPDFBookmark_GetNextSibling(FPDF_DOCUMENT document, FPDF_BOOKMARK bookmark);
// Writes the title (UTF-16LE with its terminator) into buffer when buflen
// bytes hold it; returns the bytes it needs.
unsigned long FPDFBookmark_GetTitle(FPDF_BOOKMARK bookmark, void *buffer, unsigned long buflen);
// Where the bookmark leads: a destination, or an action holding one.
FPDF_DEST FPDFBookmark_GetDest(FPDF_DOCUMENT document, FPDF_BOOKMARK bookmark);
FPDF_ACTION FPDFBookmark_GetAction(FPDF_BOOKMARK bookmark);
FPDF_DEST FPDFAction_GetDest(FPDF_DOCUMENT document, FPDF_ACTION action);
// The destination's page index; -1 when it names no page of the document.
int FPDFDest_GetDestPageIndex(FPDF_DOCUMENT document, FPDF_DEST dest);

}  // extern "C"

#endif
