/* A host's first steps with the installed libraries: a fresh header block
 * from cinelock gives a random nonce; folioc enciphers a message under a
 * content key and that nonce, then deciphers two slices of it on their own,
 * as a viewer reading blocks at arbitrary offsets would. Exits 0 when every
 * step gives what it should. */
#include <cinelock.h>
#include <folioc.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  unsigned char header[512];
  int header_len = sizeof header;
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (video_header_block_create(header, &header_len) != CINELOCK_OK ||
      video_header_block_nonce(header, header_len, nonce) != CINELOCK_OK) {
    fprintf(stderr, "consumer: no header block\n");
    return 1;
  }

  unsigned char key[32];
  for (int i = 0; i < 32; ++i) key[i] = (unsigned char)(7 * i + 1);
  const int handle = FoliocInit(key, sizeof key, nonce);
  if (handle < 1) {
    fprintf(stderr, "consumer: FoliocInit failed (%d)\n", handle);
    return 1;
  }

  const char message[] = "Enciphered by offset: any slice deciphers on its own.";
  const size_t length = sizeof message - 1;
  unsigned char text[sizeof message];
  memcpy(text, message, sizeof message);
  Foliocrypt(handle, text, length, 0);
  const int changed = memcmp(text, message, length) != 0;

  /* The second half first, then the first: order does not matter. */
  const size_t half = length / 2;
  DocDecrypt(handle, text + half, length - half, half);
  DocDecrypt(handle, text, half, 0);
  FoliocClean(handle);

  if (!changed || memcmp(text, message, length) != 0) {
    fprintf(stderr, "consumer: the round trip failed\n");
    return 1;
  }
  printf("consumer: %s\n", (const char *)text);
  return 0;
}
