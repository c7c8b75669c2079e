// A file read and written through a password: the package's settings files are stored this
// way. Every byte at offset p of at least `plainPrefixLength` is stored XOR the password's key
// stream byte ks(p) (register/key_stream.h); the file holds exactly the plain content's length,
// with no header, marker or check, so a wrong password simply yields wrong bytes. Opened with
// an empty password it is a plain file, and the installer writes its own plain files with it.
//
// Offsets and counts are bytes from the start of the file. A closed file (a failed open, or
// after close) answers every operation harmlessly: read and readLine give empty bytes, write
// and seek false, atEnd true, getPosition -1. An open file belongs to one caller at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "register/file_modes.h"

class EncryptedFile {
 public:
  // Opens `name` (a text in the system code page) with the open mode and sharing given.
  // The password is taken as its bytes (GBK for the installer's texts); an empty one gives a
  // plain file; a negative prefix length counts as 0. A closed file when the name is empty,
  // mode or sharing is out of range, or the platform refuses (a missing file in modes 1 to 3,
  // denied access such as a read-only file opened for writing, a sharing conflict).
  static EncryptedFile open(const std::string& name,
                            OpenMode mode = OpenMode::readWriteExisting,
                            Sharing sharing = Sharing::readWrite,
                            const std::string& password = std::string(),
                            int64_t plainPrefixLength = 0);

  EncryptedFile();
  ~EncryptedFile();
  EncryptedFile(EncryptedFile&&) noexcept;
  EncryptedFile& operator=(EncryptedFile&&) noexcept;
  EncryptedFile(const EncryptedFile&) = delete;
  EncryptedFile& operator=(const EncryptedFile&) = delete;

  bool isOpen() const;

  // Up to `count` deciphered bytes from the current offset, which advances past them; fewer
  // at the end of the file, empty at the end or on an error.
  std::string read(size_t count);

  // Enciphers a copy of the bytes and writes it at the current offset, which advances past
  // them. False on an error; part of the bytes may have been written then.
  bool write(const std::string& bytes);

  // The bytes of `text` followed by CR LF, as one write.
  bool writeLine(const std::string& text);

  // The next text line from the current offset. It ends at LF (consumed), or before a 0 or
  // 0x1A byte (not consumed: the offset stays on it), or at the end of the file; one CR
  // before the end is dropped. A byte of 0x80 or above takes the byte after it into the
  // line whatever it is (an LF too), except a 0, which still ends the line. Empty at the end
  // of the file; on a read error also empty, with the offset moved to the end of the file.
  std::string readLine();

  // True at or past the end of the file. In text mode a 0 or 0x1A byte at the offset also
  // counts as the end (the offset is left as it was). An error counts as the end.
  bool atEnd(bool textMode);

  // The current offset, or -1.
  int64_t getPosition();

  // Moves the offset to `distance` from the start, the end or the current offset; false
  // (offset unchanged) for a target before the start or a base out of range.
  bool seek(SeekBase base, int64_t distance);
  bool seekToStart() { return seek(SeekBase::start, 0); }

  void close();

 private:
  struct State;
  explicit EncryptedFile(std::unique_ptr<State> state);

  // Reads at the current offset and deciphers: the count read, or -1.
  int64_t readDeciphered(uint8_t* out, size_t count);
  std::string failedLine();

  std::unique_ptr<State> state_;
};
