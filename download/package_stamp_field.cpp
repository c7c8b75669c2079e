#include "download/package_stamp.h"

// The field lives apart from the rest of the stamp code so that only the program carries one,
// not the stamping tool. The delivered identifier is 00000; published copies carry their own.
const PackageStamp packageStamp = {
    "#@#@#@#@#@#@#@#@#@#@#@##00000#$%$%$%$%$%$%$%$%$%$%$%#"
    "                                                                                "
    "                                                                                "
    "                                 "};

std::string readPackageIdentifier() {
  // Read through a volatile view so the field is taken from the program image as the
  // stamping tool left it, never from a value the compiler might know.
  const volatile char* field = packageStamp.text;
  std::string text;
  for (size_t i = 0; i < kPackageStampLength && field[i] != '\0'; ++i) text += field[i];
  return textBetween(text, kStampBeginMarker, kStampEndMarker);
}

