/*
 * folioc.h - document encryption library
 *
 * folioc enciphers and deciphers buffers and whole files with AES in counter
 * mode, wraps protected documents in a 512-byte header, and computes MD5
 * digests and Base64 for its callers.
 *
 * USING IT
 *   A host opens a cipher handle with a content key and an 8-byte nonce
 *   (FoliocInit), ciphers any buffer at any stream offset through it
 *   (Foliocrypt, DocDecrypt: the same XOR operation), and releases it
 *   (FoliocClean). The keystream byte for a byte depends only on that byte's
 *   stream offset, so any slice of a protected stream can be deciphered on
 *   its own, in any order.
 *
 *   A protected document file is the 512-byte header followed by the
 *   ciphertext: file byte 512 + p holds stream offset p for every p below
 *   2 GiB (see STORED-FILE OFFSETS for larger files). DocFileEncrypt
 *   writes only the ciphertext and hands the header back; the host stores a
 *   wrapped content key in it (DocSetKeyCipher) and writes header and
 *   ciphertext to the file. Readers take the header back with DocGetHeader,
 *   DocGetKeyCipher and DocGetNonce.
 *
 * STORED-FILE OFFSETS
 *   The whole-file exports (DocFileEncrypt, DocFileDecrypt, FileEncrypt,
 *   FileDecrypt) keep the stream offset as a signed 32-bit running count of
 *   bytes, widened with sign extension. Files stored this way depend on it,
 *   so it never changes. The byte p bytes into the ciphertext (file byte
 *   512 + p of a protected document, file byte headerLength + p after
 *   FileEncrypt's header) is ciphered at stream offset
 *
 *       offset(p) = (uint64_t)(int64_t)(int32_t)(uint32_t)p
 *
 *   which is p below 2 GiB; 0xFFFFFFFF00000000 + p from 2 GiB to 4 GiB
 *   (0xFFFFFFFF80000000 at 2 GiB); and offset(p - 4 GiB) from 4 GiB on, so
 *   the keystream repeats every 4 GiB. A host that deciphers a stored file
 *   block by block through a handle must pass offset(p), not p, past 2 GiB,
 *   or it reads garbage; and it should not store more than 4 GiB under one
 *   key and nonce, since two parts of the ciphertext 4 GiB apart XOR to the
 *   XOR of their plaintexts.
 *
 * CONVENTIONS
 *   - Every function returns an int: FOLIOC_OK (0) or one of the result
 *     codes below. FoliocInit returns a handle instead. Codes are only ever
 *     added, never renumbered or removed. FoliocResultText names them.
 *   - Buffers and paths belong to the caller; nothing is kept after a call
 *     returns. Sizes are in bytes. Paths are NUL-terminated UTF-8.
 *   - Outputs of variable size take their capacity through a pointer, which
 *     is updated to the length produced or needed.
 *   - Files are streamed through one 1 MiB buffer: memory use does not grow
 *     with file size.
 *   - Thread safety: every function may be called from any thread at any
 *     time. A handle released while another thread ciphers through it stays
 *     usable until that call returns.
 *   - Integrity: the header's CRC-32 is the only check. A wrong key deciphers
 *     to garbage without an error; hosts that must know keep a digest.
 *
 * THE SEVEN-EXPORT BUILD
 *   Built with FOLIOC_SEVEN_EXPORTS, the library exports only FoliocInit,
 *   Foliocrypt, DocDecrypt, FoliocClean, FileEncrypt, FileDecrypt and
 *   MD5File, and every failure of FileEncrypt and FileDecrypt is
 *   DOC_ERR_FAIL (-1) instead of a specific code.
 */
#ifndef FOLIOC_H
#define FOLIOC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#if defined(FOLIOC_BUILDING)
#define FOLIOC_API /* the export table comes from Folioc.def */
#else
#define FOLIOC_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define FOLIOC_API __attribute__((visibility("default")))
#else
#define FOLIOC_API
#endif

#if defined(__GNUC__)
#define FOLIOC_CHECK __attribute__((warn_unused_result))
#else
#define FOLIOC_CHECK
#endif

/* ---- Result codes --------------------------------------------------------- */

#define DOC_OK                 0          /*  0: success */
#define DOC_ERR_ARGUMENT       0x00020000 /* a required pointer is null, a header size is not
                                             512, a header capacity is below 512, or a length
                                             that must be positive is not */
#define DOC_ERR_NO_MEMORY      0x00020001 /* the 1 MiB working buffer could not be allocated */
#define DOC_ERR_SIZE           0x00020002 /* the output buffer is too small (the needed size is
                                             written back), or a key cipher over 48 bytes */
#define DOC_ERR_OPEN           0x00020003 /* the source or destination file could not be opened */
#define DOC_ERR_READ           0x00020004 /* the source could not be read (nothing where a
                                             header was expected, or a read error) */
#define DOC_ERR_WRITE          0x00020005 /* the destination did not take every byte (disk full,
                                             I/O error); its contents are incomplete */
#define DOC_ERR_SEEK           0x00020006 /* the source could not be positioned past the header */
#define DOC_ERR_CRC            0x00020007 /* the header's CRC-32 does not match bytes 0..507 */
#define DOC_ERR_ENCRYPT_CHUNK  0x00010001 /* FileEncrypt: the cipher handle is not open */
#define DOC_ERR_DECRYPT_CHUNK  0x00010002 /* FileDecrypt: the cipher handle is not open */
#define DOC_ERR_FAIL           (-1)       /* see each function */
#define B64_ERR_CAPACITY       4          /* Base64 output capacity too small */
#define B64_ERR_NULL           6          /* Base64 input pointer null (codec level only) */
#define B64_ERR_LENGTH         7          /* Base64 text length not a multiple of 4 */
#define DOC_ERR_SAME_FILE      0x00020008 /* the destination is the source itself (the same file
                                             under any name: a hard link, "..", a symbolic
                                             link); nothing was opened, the file is untouched */

/* Short English text for a result code; never null. */
static inline const char *FoliocResultText(int code) {
  switch (code) {
    case DOC_OK: return "success";
    case DOC_ERR_ARGUMENT: return "invalid argument";
    case DOC_ERR_NO_MEMORY: return "out of memory";
    case DOC_ERR_SIZE: return "buffer too small or key cipher too long";
    case DOC_ERR_OPEN: return "file could not be opened";
    case DOC_ERR_READ: return "file could not be read";
    case DOC_ERR_WRITE: return "file could not be written";
    case DOC_ERR_SEEK: return "file could not be positioned past the header";
    case DOC_ERR_CRC: return "header checksum mismatch";
    case DOC_ERR_ENCRYPT_CHUNK: return "cipher handle not open (encrypting)";
    case DOC_ERR_DECRYPT_CHUNK: return "cipher handle not open (decrypting)";
    case DOC_ERR_FAIL: return "failed";
    case B64_ERR_CAPACITY: return "Base64 output buffer too small";
    case B64_ERR_NULL: return "Base64 input missing";
    case B64_ERR_LENGTH: return "Base64 text length not a multiple of 4";
    case DOC_ERR_SAME_FILE: return "destination is the source file itself";
    default: return "unknown result code";
  }
}

/* ---- Sizes ------------------------------------------------------------------ */

#define FOLIOC_NONCE_BYTES        8       /* counter-mode nonce */
#define FOLIOC_DIGEST_TEXT_BYTES  33      /* 32 lowercase hex digits and a NUL */
#define FOLIOC_KEY_BLOCK_BYTES    36      /* bytes 4..35: the AES-256 content key */
#define FOLIOC_KEY_BLOCK_KEY      4       /* offset of the key in a key block */
#define FOLIOC_CHUNK_BYTES        0x100000

/* ---- Protected document header ---------------------------------------------
 * 512 bytes, integers little-endian, every unlisted byte zero when created.
 */
#define FOLIOC_HEADER_BYTES            512
#define FOLIOC_HEADER_MAGIC            "tesmir"   /* offset 0, 6 bytes, then a 0 byte */
#define FOLIOC_HEADER_VERSION_AT       8          /* u32, FOLIOC_HEADER_VERSION */
#define FOLIOC_HEADER_VERSION          0x01000001u /* readers check the CRC only for this */
#define FOLIOC_HEADER_PLAIN_SIZE_AT    16         /* i64, plaintext bytes */
#define FOLIOC_HEADER_CIPHER_SIZE_AT   24         /* i64, ciphertext bytes (the same) */
#define FOLIOC_HEADER_MARKER_AT        40         /* u32, FOLIOC_HEADER_MARKER */
#define FOLIOC_HEADER_MARKER           0x00400001u
#define FOLIOC_HEADER_KEY_CIPHER_LEN_AT 44        /* u32, 0..48 */
#define FOLIOC_HEADER_KEY_CIPHER_AT    48         /* 48 bytes, opaque to the library */
#define FOLIOC_KEY_CIPHER_MAX          48
#define FOLIOC_HEADER_NONCE_AT         96         /* 8 bytes, in counter-block order */
#define FOLIOC_HEADER_CRC_AT           508        /* u32, CRC-32 (zlib's) of bytes 0..507 */

/* ---- Cipher handles ----------------------------------------------------------- */

/* Opens a cipher handle for keyLength bytes of key (16, 24 or 32: AES-128,
 * -192, -256) and the first 8 bytes of nonce. Returns the handle, the lowest
 * number from 1 up that is not open, or DOC_ERR_FAIL when keyLength is
 * refused or key or nonce is null (no number is used up). */
FOLIOC_API FOLIOC_CHECK int FoliocInit(const unsigned char *key, int keyLength,
                                       const unsigned char *nonce);

/* XORs the keystream for stream offsets offset .. offset + length - 1 into
 * data, in place. Note the order: length before offset. Returns DOC_OK, or
 * DOC_ERR_FAIL with data untouched when the handle is not open (or data is
 * null with a nonzero length). */
FOLIOC_API int Foliocrypt(int handle, unsigned char *data, uint64_t length, uint64_t offset);

/* The same operation as Foliocrypt: counter mode is symmetric. */
FOLIOC_API int DocDecrypt(int handle, unsigned char *data, uint64_t length, uint64_t offset);

/* Releases a handle. DOC_OK, or DOC_ERR_FAIL when it was not open. */
FOLIOC_API int FoliocClean(int handle);

/* ---- Whole files with a caller's header -------------------------------------- */

/* Writes headerLength bytes of header to dstPath, then the ciphertext of the
 * whole srcPath through handle (file byte headerLength + p holds stream
 * offset offset(p) of STORED-FILE OFFSETS), and puts the MD5 text form of
 * the ciphertext in digestText. The handle stays open. dstPath is created
 * or truncated even when srcPath cannot be opened.
 * Returns DOC_OK, DOC_ERR_ARGUMENT (null pointer, headerLength <= 0),
 * DOC_ERR_SAME_FILE (dstPath is srcPath), DOC_ERR_OPEN, DOC_ERR_NO_MEMORY,
 * DOC_ERR_READ, DOC_ERR_WRITE, or
 * DOC_ERR_ENCRYPT_CHUNK (handle not open; the header is already written).
 * An empty source writes the header alone, without ciphering anything. */
FOLIOC_API int FileEncrypt(int handle, const char *srcPath, const char *dstPath,
                           const unsigned char *header, int headerLength,
                           char digestText[FOLIOC_DIGEST_TEXT_BYTES]);

/* Deciphers srcPath from file byte headerLength on (stream offset 0, then
 * offset(p) of STORED-FILE OFFSETS) into dstPath through handle. With a
 * header buffer, the first headerLength bytes of the source are copied into
 * it (a shorter file fills only part of it); with header null they are
 * skipped.
 * Returns DOC_OK (also for nothing after the header), DOC_ERR_ARGUMENT,
 * DOC_ERR_SAME_FILE (dstPath is srcPath: nothing opened),
 * DOC_ERR_OPEN, DOC_ERR_READ (no header byte, or a read error),
 * DOC_ERR_SEEK (header null and the source cannot be positioned past
 * headerLength bytes: not seekable, or shorter than the header),
 * DOC_ERR_NO_MEMORY, DOC_ERR_WRITE, or DOC_ERR_DECRYPT_CHUNK. */
FOLIOC_API int FileDecrypt(int handle, const char *srcPath, const char *dstPath,
                           unsigned char *header, int headerLength);

/* MD5 of a whole file in text form. Also prints, to standard output,
 * " <path>" after a digest or "<path> can't be opened." without one, in
 * which case digestText is left untouched.
 * Returns DOC_OK, DOC_ERR_ARGUMENT, DOC_ERR_OPEN, DOC_ERR_READ or
 * DOC_ERR_NO_MEMORY. */
FOLIOC_API int MD5File(const char *path, char digestText[FOLIOC_DIGEST_TEXT_BYTES]);

/* ---- Base64 (RFC 4648 alphabet, "=" padding, one line) ------------------------ */

/* Encodes length (> 0) bytes. *capacity: in, the size of output, which needs
 * 4 * ceil(length / 3) + 1 bytes; out, the text length without its NUL.
 * Returns DOC_OK, DOC_ERR_ARGUMENT (null pointer, length or *capacity <= 0),
 * B64_ERR_CAPACITY (*capacity unchanged) or B64_ERR_LENGTH (length over
 * 1,610,612,733: the text would not fit an int). */
FOLIOC_API int Base64Encode(const unsigned char *input, int length, char *output, int *capacity);

/* Decodes length (> 0) characters. *capacity: in, the size of output; out,
 * the number of bytes decoded. No terminator is written. Characters outside
 * the alphabet are not rejected.
 * Returns DOC_OK, DOC_ERR_ARGUMENT, B64_ERR_LENGTH or B64_ERR_CAPACITY. */
FOLIOC_API int Base64Decode(const char *text, int length, unsigned char *output, int *capacity);

/* ---- Protected documents ------------------------------------------------------ */

/* Enciphers srcPath into dstPath (ciphertext only) with AES-256 under the key
 * at keyBlock + 4 and a fresh nonce from the operating system's random
 * source, and writes a fresh 512-byte header (key cipher empty, CRC valid)
 * into header. *headerCapacity: in, at least 512; out, 512. Byte p of the
 * ciphertext is at stream offset offset(p) of STORED-FILE OFFSETS.
 * Returns DOC_OK, DOC_ERR_ARGUMENT, DOC_ERR_SAME_FILE (dstPath is srcPath:
 * nothing opened), DOC_ERR_OPEN, DOC_ERR_NO_MEMORY,
 * DOC_ERR_READ, DOC_ERR_WRITE, or DOC_ERR_FAIL (no random nonce). On any
 * failure no header is produced and dstPath is incomplete. */
FOLIOC_API int DocFileEncrypt(const char *srcPath, const char *dstPath,
                              const unsigned char keyBlock[FOLIOC_KEY_BLOCK_BYTES],
                              unsigned char *header, int *headerCapacity);

/* Stores length (0..48) bytes of keyCipher in header and reseals its CRC.
 * Bytes of the 48-byte area past length keep their value. *headerCapacity:
 * in, at least 512; out, 512.
 * Returns DOC_OK, DOC_ERR_ARGUMENT, DOC_ERR_CRC (checked whatever the format
 * version) or DOC_ERR_SIZE (length over 48 or negative). */
FOLIOC_API int DocSetKeyCipher(const unsigned char *keyCipher, int length, unsigned char *header,
                               int *headerCapacity);

/* Copies the key cipher out of a 512-byte header. *outCapacity: in, the
 * size of out, whose first *outCapacity bytes are zeroed before the copy;
 * out, the key cipher length.
 * Returns DOC_OK, DOC_ERR_ARGUMENT (also for a stored length over 48, which
 * no valid header has), DOC_ERR_CRC, or DOC_ERR_SIZE (*outCapacity set to
 * the length needed). */
FOLIOC_API int DocGetKeyCipher(const unsigned char *header, int headerSize, unsigned char *out,
                               unsigned int *outCapacity);

/* Deciphers a ciphertext-only srcPath into dstPath with AES-256 under the
 * key at keyBlock + 4 and the nonce of header (byte p at stream offset
 * offset(p) of STORED-FILE OFFSETS).
 * Returns DOC_OK, DOC_ERR_FAIL for an empty source, DOC_ERR_ARGUMENT,
 * DOC_ERR_SAME_FILE (dstPath is srcPath: nothing opened), DOC_ERR_OPEN,
 * DOC_ERR_CRC (dstPath already truncated), DOC_ERR_NO_MEMORY,
 * DOC_ERR_READ or DOC_ERR_WRITE. */
FOLIOC_API int DocFileDecrypt(const char *srcPath, const char *dstPath,
                              const unsigned char keyBlock[FOLIOC_KEY_BLOCK_BYTES],
                              const unsigned char *header, int headerSize);

/* Reads up to 512 bytes from the start of path into header; *capacity: in,
 * at least 512; out, the bytes read (fewer for a short file). Nothing is
 * validated.
 * Returns DOC_OK, DOC_ERR_ARGUMENT, DOC_ERR_SIZE (*capacity set to 512, the
 * file not opened), DOC_ERR_OPEN or DOC_ERR_READ (empty file). */
FOLIOC_API int DocGetHeader(const char *path, unsigned char *header, int *capacity);

/* Copies the 8-byte nonce out of a 512-byte header.
 * Returns DOC_OK, DOC_ERR_ARGUMENT or DOC_ERR_CRC. */
FOLIOC_API int DocGetNonce(const unsigned char *header, int headerSize,
                           unsigned char out[FOLIOC_NONCE_BYTES]);

#ifdef __cplusplus
}
#endif

#endif /* FOLIOC_H */
