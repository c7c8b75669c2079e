#include "tools/settings/settings_tool.h"

#include <cstdint>
#include <optional>

#include "register/encrypted_file.h"
#include "register/platform_file.h"
#include "register/settings_lookup.h"
#include "tools/settings/output_file.h"
#include "tools/settings/tool_messages.h"
#include "tools/settings/terminal_text.h"

namespace {

const char kUsage[] =
    "usage: settings [--password P] [--plain-prefix N] encrypt IN OUT\n"
    "       settings [--password P] [--plain-prefix N] decrypt IN OUT\n"
    "       settings [--password P] get FILE SECTION KEY [DEFAULT]\n"
    "\n"
    "encrypt  enciphers the plain file IN (GBK text, taken as it is) into OUT\n"
    "decrypt  deciphers IN into the plain file OUT\n"
    "get      prints the value of KEY in [SECTION] of the enciphered FILE as the installer\n"
    "         reads it, or DEFAULT (empty when not given) when it has none\n"
    "\n"
    "--password P      the password (default: the packages' own); an empty one means plain\n"
    "--plain-prefix N  leave the first N bytes plain (default 0, as the installer reads)\n"
    "OUT is replaced only when it has been written completely.\n";

struct CommandLine {
  std::string password = kPackagePassword;
  std::optional<int64_t> plainPrefix;
  std::vector<std::string> words;  // the command and its operands
  bool help = false;
};

class Tool : ToolMessages {
 public:
  Tool(std::ostream& out, std::ostream& errors)
      : ToolMessages("settings", kToolUsageError, out, errors) {}

  int run(const std::vector<std::string>& arguments);

 private:
  std::optional<CommandLine> parse(const std::vector<std::string>& arguments);
  int transform(const CommandLine& line, bool encipher);
  int get(const CommandLine& line);
};

std::optional<int64_t> parseCount(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (char digit : text) {
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + (digit - '0');
  }
  return value;
}

std::optional<CommandLine> Tool::parse(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (size_t at = 0; at < arguments.size(); ++at) {
    const std::string& word = arguments[at];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      line.words.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      line.help = true;
      continue;
    }
    std::string name = word;
    std::optional<std::string> value;
    size_t equals = word.find('=');
    if (equals != std::string::npos) {
      name = word.substr(0, equals);
      value = word.substr(equals + 1);
    }
    if (name != "--password" && name != "--plain-prefix") {
      fail(kToolUsageError, "unknown option '" + word + "'");
      return std::nullopt;
    }
    if (!value) {
      if (at + 1 == arguments.size()) {
        fail(kToolUsageError, "option " + name + " needs a value");
        return std::nullopt;
      }
      value = arguments[++at];
    }
    if (name == "--password") {
      std::optional<std::string> password = toGbk(*value, "the password");
      if (!password) return std::nullopt;
      line.password = *password;
    } else {
      line.plainPrefix = parseCount(*value);
      if (!line.plainPrefix) {
        fail(kToolUsageError, "--plain-prefix takes a count of bytes, not '" + *value + "'");
        return std::nullopt;
      }
    }
  }
  return line;
}

int Tool::run(const std::vector<std::string>& arguments) {
  std::optional<CommandLine> line = parse(arguments);
  if (!line) return kToolUsageError;
  if (line->help) {
    out_ << kUsage;
    return kToolSucceeded;
  }
  if (line->words.empty()) return fail(kToolUsageError, "no command given");
  const std::string& command = line->words[0];
  size_t operands = line->words.size() - 1;
  if (command == "encrypt" || command == "decrypt") {
    if (operands != 2) return fail(kToolUsageError, command + " takes IN and OUT");
    return transform(*line, command == "encrypt");
  }
  if (command == "get") {
    if (operands != 3 && operands != 4)
      return fail(kToolUsageError, "get takes FILE, SECTION, KEY and an optional DEFAULT");
    if (line->plainPrefix)
      return fail(kToolUsageError, "--plain-prefix applies to encrypt and decrypt only");
    return get(*line);
  }
  return fail(kToolUsageError, "unknown command '" + command + "'");
}

// The whole content of a file, or nothing when it cannot be read to its end.
std::optional<std::string> readWhole(EncryptedFile& file) {
  std::string content;
  for (;;) {
    std::string chunk = file.read(1 << 16);
    if (chunk.empty()) break;
    content += chunk;
  }
  if (!file.atEnd(false)) return std::nullopt;
  return content;
}

int Tool::transform(const CommandLine& line, bool encipher) {
  const std::string& inName = line.words[1];
  const std::string& outName = line.words[2];
  int64_t prefix = line.plainPrefix.value_or(0);
  const std::string noPassword;

  EncryptedFile in = EncryptedFile::open(inName, OpenMode::readExisting, Sharing::denyWrite,
                                         encipher ? noPassword : line.password, prefix);
  if (!in.isOpen()) return fail(kToolFailed, "cannot open '" + inName + "' for reading");
  std::optional<std::string> content = readWhole(in);
  if (!content) return fail(kToolFailed, "cannot read '" + inName + "' to its end");
  in.close();

  const std::string temporary = temporaryNameBeside(outName);
  EncryptedFile out =
      EncryptedFile::open(temporary, OpenMode::writeCreateOrEmpty, Sharing::exclusive,
                          encipher ? line.password : noPassword, prefix);
  if (!out.isOpen())
    return fail(kToolFailed, "cannot write '" + outName + "': its folder takes no new file");
  bool written = out.write(*content);
  out.close();
  if (!written || !replaceFile(temporary, outName)) {
    removeFile(temporary);
    return fail(kToolFailed, "cannot write '" + outName + "'");
  }
  return kToolSucceeded;
}

int Tool::get(const CommandLine& line) {
  const std::string& fileName = line.words[1];
  std::optional<std::string> section = toGbk(line.words[2], "the section");
  if (!section) return kToolUsageError;
  std::optional<std::string> key = toGbk(line.words[3], "the key");
  if (!key) return kToolUsageError;
  std::optional<std::string> defaultValue =
      line.words.size() > 4 ? toGbk(line.words[4], "the default") : std::string();
  if (!defaultValue) return kToolUsageError;

  if (!EncryptedFile::open(fileName, OpenMode::readExisting).isOpen())
    return fail(kToolFailed, "cannot open '" + fileName + "' for reading");
  // The installer opens its settings for reading and writing; tell why it would see nothing.
  if (!EncryptedFile::open(fileName, OpenMode::readWriteExisting).isOpen())
    errors_ << "settings: warning: '" << fileName
            << "' cannot be opened for writing (read-only?); the installer reads the default\n";

  std::string value =
      lookupSettingWithPassword(line.password, fileName, *section, *key, *defaultValue);
  std::optional<std::string> shown = terminalFromGbk(value);
  if (!shown) return fail(kToolFailed, "the value is not GBK text (wrong password?)");
  out_ << *shown << "\n";
  out_.flush();
  if (!out_) return fail(kToolFailed, "cannot write the value to the output");
  return kToolSucceeded;
}

}  // namespace

int runSettingsTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& errors) {
  return Tool(out, errors).run(arguments);
}
