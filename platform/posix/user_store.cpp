// The per-user store as a folder tree under the user's configuration folder:
//   key "SOFTWARE\A\B" -> ${XDG_CONFIG_HOME:-$HOME/.config}/A/B/
//   value "Name"       -> the file A/B/Name
// Binary values are the bytes as they are, strings UTF-8 text without a terminator, numbers
// decimal text. Every write goes to a temporary file renamed into place.
#include "platform/user_store.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/atomic_file.h"

namespace stellix {

struct UserStoreKey::Impl {
  std::string folder;  // ends with '/'
};

namespace {

// Strings and numbers are short; a longer file under their name is not ours.
constexpr std::size_t kMaxTextValueBytes = 64 * 1024;

std::string configRoot() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;  // relative settings are ignored, as the XDG rules say
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return {};
}

bool isPlainName(std::string_view s) {
  return !s.empty() && s != "." && s != ".." && s.find('/') == std::string_view::npos &&
         s.find('\0') == std::string_view::npos;
}

// Value names never start with a dot: those names belong to temporary files.
bool isValueName(const char* name) { return name && name[0] != '.' && isPlainName(name); }

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder of a key, or empty when the path is not a valid key.
std::string keyFolder(std::string_view keyPath) {
  std::string folder = configRoot();
  if (folder.empty()) return {};
  bool first = true;
  while (true) {
    const std::size_t sep = keyPath.find('\\');
    const std::string_view part = keyPath.substr(0, sep);
    // "SOFTWARE" only says that the key holds program settings, which the folder says already.
    if (!(first && part == "SOFTWARE")) {
      if (!isPlainName(part)) return {};
      folder += '/';
      folder += part;
    }
    first = false;
    if (sep == std::string_view::npos) break;
    keyPath.remove_prefix(sep + 1);
  }
  return folder + '/';
}

bool makeFolders(const std::string& folder) {
  // Every missing level is created private to the user.
  for (std::size_t pos = 1; pos < folder.size(); ++pos) {
    if (folder[pos] != '/') continue;
    const std::string level = folder.substr(0, pos);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return isFolder(folder);
}

// Reads a whole regular file of at most maxBytes bytes.
std::optional<std::vector<char>> readFile(const std::string& path, std::size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::vector<char>> result;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= maxBytes) {
    std::vector<char> data(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < data.size()) {
      const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == data.size()) result = std::move(data);
  }
  ::close(fd);
  return result;
}

}  // namespace

UserStoreKey::UserStoreKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
UserStoreKey::~UserStoreKey() = default;

std::unique_ptr<UserStoreKey> UserStoreKey::open(std::string_view keyPath, Access access) {
  std::string folder = keyFolder(keyPath);
  if (folder.empty()) return nullptr;
  if (access == Access::Write ? !makeFolders(folder) : !isFolder(folder)) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->folder = std::move(folder);
  return std::unique_ptr<UserStoreKey>(new UserStoreKey(std::move(impl)));
}

std::optional<std::size_t> UserStoreKey::valueSize(const char* name) const {
  if (!isValueName(name)) return std::nullopt;
  struct stat st {};
  if (::stat((impl_->folder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::size_t>(st.st_size);
}

std::optional<std::size_t> UserStoreKey::readBinary(const char* name, void* data, std::size_t capacity) const {
  if (!isValueName(name) || (capacity > 0 && !data)) return std::nullopt;
  auto bytes = readFile(impl_->folder + name, capacity);
  if (!bytes) return std::nullopt;
  if (!bytes->empty()) std::memcpy(data, bytes->data(), bytes->size());
  return bytes->size();
}

std::optional<std::string> UserStoreKey::readString(const char* name) const {
  if (!isValueName(name)) return std::nullopt;
  auto bytes = readFile(impl_->folder + name, kMaxTextValueBytes);
  if (!bytes) return std::nullopt;
  std::string text(bytes->begin(), bytes->end());
  text.resize(std::strlen(text.c_str()));  // a NUL ends the text, as a terminator would
  return text;
}

std::optional<std::uint32_t> UserStoreKey::readUInt32(const char* name) const {
  const auto text = readString(name);
  if (!text) return std::nullopt;
  // Decimal digits, with white space around them tolerated (the file may be edited by hand).
  const char* p = text->c_str();
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  if (*p < '0' || *p > '9') return std::nullopt;
  std::uint64_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + static_cast<std::uint64_t>(*p - '0');
    if (v > 0xFFFFFFFFu) return std::nullopt;
  }
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  if (*p != '\0') return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

bool UserStoreKey::writeBinary(const char* name, const void* data, std::size_t size) {
  return isValueName(name) && writeFileAtomically(impl_->folder + name, data, size);
}

bool UserStoreKey::writeString(const char* name, std::string_view text) {
  return isValueName(name) && writeFileAtomically(impl_->folder + name, text.data(), text.size());
}

bool UserStoreKey::writeUInt32(const char* name, std::uint32_t value) {
  const std::string text = std::to_string(value);
  return isValueName(name) && writeFileAtomically(impl_->folder + name, text.data(), text.size());
}

bool UserStoreKey::deleteValue(const char* name) {
  if (!isValueName(name)) return false;
  return ::unlink((impl_->folder + name).c_str()) == 0 || errno == ENOENT;
}

}  // namespace stellix
