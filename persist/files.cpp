#include "persist/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string* text, std::string* error) {
  text->clear();
  // Non-blocking, so that a pipe of that name cannot hold the game up.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::Missing;
    *error = std::strerror(errno);
    return ReadResult::Failed;
  }
  auto fail = [&](const char* why) {
    close(fd);
    *error = why;
    text->clear();
    return ReadResult::Failed;
  };
  struct stat st;
  if (fstat(fd, &st) != 0) return fail(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return fail("is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return fail("is not a regular file");
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) return fail("is too large");
  char chunk[65536];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    if (text->size() + static_cast<size_t>(n) > maxBytes) return fail("is too large");
    text->append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return ReadResult::Read;
}

bool WriteAll(int fd, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    std::remove(temporary.c_str());
    *error = std::strerror(err != 0 ? err : EIO);
  }
  return ok;
}
