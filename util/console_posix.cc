// The terminal on POSIX systems: keys and lines are read from /dev/tty, so redirected input is no answer.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "util/console.h"

namespace {

// Reads one byte from fd; -1 at end of input or on failure.
int ReadByte(int fd) {
  unsigned char c = 0;
  ssize_t got;
  do {
    got = read(fd, &c, 1);
  } while (got < 0 && errno == EINTR);
  return got == 1 ? c : -1;
}

// Whether another byte arrives on fd within milliseconds.
bool MoreInput(int fd, int milliseconds) {
  struct pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

// The second code of an arrow or function key, handed out by the next ConsoleReadKey.
int g_pending_key = -1;

}  // namespace

bool ConsoleOutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

void ConsoleWrite(const char* text) {
  fputs(text, stdout);
  fflush(stdout);
}

int ConsoleReadKey() {
  if (g_pending_key >= 0) {
    int key = g_pending_key;
    g_pending_key = -1;
    return key;
  }
  int fd = open("/dev/tty", O_RDONLY | O_NOCTTY);
  if (fd < 0) return -1;
  struct termios saved;
  bool restore = tcgetattr(fd, &saved) == 0;
  if (restore) {
    struct termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &raw);
  }
  int key = ReadByte(fd);
  if (key == 27 && MoreInput(fd, 30)) {
    // An escape sequence (arrow or function key), not the Escape key itself. As on a Windows console
    // it reads as a zero code followed by a second code (here the sequence's last byte).
    int last = 0;
    while (MoreInput(fd, 10)) last = ReadByte(fd);
    g_pending_key = last > 0 ? last : 0;
    key = 0;
  }
  // Keys as a Windows console reports them: Enter is a carriage return, Backspace is 8.
  if (key == '\n') key = '\r';
  if (key == 127) key = 8;
  if (restore) tcsetattr(fd, TCSANOW, &saved);
  close(fd);
  return key;
}

bool ConsoleReadLine(std::string* line, size_t max_length) {
  line->clear();
  int fd = open("/dev/tty", O_RDONLY | O_NOCTTY);
  if (fd < 0) return false;
  bool got_any = false;
  while (true) {
    int c = ReadByte(fd);
    if (c < 0) break;
    got_any = true;
    if (c == '\n') break;
    if (c == '\r') continue;
    // Characters beyond the limit are read and dropped, so the rest of the line does not linger.
    if (line->size() < max_length) line->push_back(static_cast<char>(c));
  }
  close(fd);
  return got_any;
}

int ConsoleRows() {
  struct winsize size = {};
  int fd = open("/dev/tty", O_RDONLY | O_NOCTTY);
  int rows = 0;
  if (fd >= 0) {
    if (ioctl(fd, TIOCGWINSZ, &size) == 0) rows = size.ws_row;
    close(fd);
  }
  if (rows < 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) rows = size.ws_row;
  return rows >= 1 ? rows : 24;
}
