#include "folioc_binding.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "folioc.h"
#endif

namespace morlan {

namespace {

#if defined(_WIN32)
// The ordinals of Folioc.def are fixed for all releases of the library.
enum FoliocOrdinal : WORD {
  kFoliocInit = 1,
  kFoliocrypt = 2,
  kDocDecrypt = 3,
  kFoliocClean = 4,
  kBase64Decode = 9,
};

template <typename Function>
void bindOrdinal(HMODULE library, WORD ordinal, Function &slot) {
  slot = library ? reinterpret_cast<Function>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal)))
                 : nullptr;
}

FoliocFunctions bindFolioc() {
  FoliocFunctions functions;
  const HMODULE library = LoadLibraryW(L"Folioc.dll");
  bindOrdinal(library, kFoliocInit, functions.init);
  bindOrdinal(library, kFoliocrypt, functions.crypt);
  bindOrdinal(library, kDocDecrypt, functions.decrypt);
  bindOrdinal(library, kFoliocClean, functions.clean);
  bindOrdinal(library, kBase64Decode, functions.base64Decode);
  return functions;
}
#else
FoliocFunctions bindFolioc() {
  FoliocFunctions functions;
  functions.init = &FoliocInit;
  functions.crypt = &Foliocrypt;
  functions.decrypt = &DocDecrypt;
  functions.clean = &FoliocClean;
  functions.base64Decode = &Base64Decode;
  return functions;
}
#endif

}  // namespace

const FoliocFunctions &folioc() {
  static const FoliocFunctions functions = bindFolioc();
  return functions;
}

}  // namespace morlan
