// The package identifier stamped into the program file, and the download address made from it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The field a stamping tool rewrites in each published copy: the begin marker, the
// identifier, the end marker, spaces up to 246 characters, then a NUL.
constexpr size_t kPackageStampLength = 246;
struct PackageStamp {
  char text[kPackageStampLength + 1];
};
static_assert(sizeof(PackageStamp) == 247, "the field is 247 bytes in the program file");

// The delivered field. Defined alone in its own file and read only through readPackageIdentifier,
// so the compiler cannot fold its value into the code.
extern const PackageStamp packageStamp;

// The marker texts the search uses; separate constants, never rewritten with the field.
extern const char kStampBeginMarker[];  // "#@" eleven times, then "##"
extern const char kStampEndMarker[];    // "#", then "$%" eleven times, then "#"
constexpr size_t kStampMarkerLength = 24;
// The longest identifier the field has room for.
constexpr size_t kLongestIdentifier = kPackageStampLength - 2 * kStampMarkerLength;

// Called between two searches in all mode (the program lets pending window events through).
using BetweenSearches = void (*)();

// Single mode: the text between the first `begin` (empty: the start) and the next `end`
// after it (empty: the end of the text); empty when either is missing.
// All mode: every such piece, each followed by `separator`; an empty separator is first set
// to CR LF for the caller. An end marker may serve as the next piece's begin marker. `begin`
// must not be empty in all mode.
std::string textBetween(const std::string& text, const std::string& begin, const std::string& end,
                        bool ignoreCase, bool allOccurrences, std::string& separator,
                        BetweenSearches betweenSearches = nullptr);
std::string textBetween(const std::string& text, const std::string& begin,
                        const std::string& end);

// The identifier in packageStamp, exactly as it stands there (possibly empty).
std::string readPackageIdentifier();

// "http://" + the build's download host + "/down/ID/ID.zip".
std::string downloadAddress(const std::string& identifier);

// Where a stamping tool finds fields: offsets of every run that has the field's shape (the
// begin marker, no NUL for 246 bytes, the end marker after the begin marker within them,
// only spaces after the end marker, a NUL at 246). The marker constants do not have it.
std::vector<size_t> findStampFields(const std::string& bytes);

// The 246 characters of a field holding `identifier`; empty when it is longer than
// kLongestIdentifier, holds a NUL or either marker, or would not read back as given.
std::string stampFieldFor(const std::string& identifier);
