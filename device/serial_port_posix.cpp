// Serial ports on POSIX systems: termios in raw mode, non-blocking reads.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "base/system_user.h"
#include "device/line_settings.h"
#include "device/serial_port.h"

namespace {

bool SpeedOf(unsigned baud, speed_t& speed) {
  static const struct {
    unsigned baud;
    speed_t speed;
  } kSpeeds[] = {
      {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
      {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
      {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
  };
  for (const auto& s : kSpeeds) {
    if (s.baud == baud) {
      speed = s.speed;
      return true;
    }
  }
  return false;
}

String SystemMessage(int error) {
  char buffer[256];
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return String::FromBytes(text, cp::kUtf8);
}

// The group that owns the device file, which an account must belong to.
std::string OwningGroup(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return "dialout";
  const group* g = ::getgrgid(st.st_gid);
  return g ? g->gr_name : std::to_string(st.st_gid);
}

// Why a port did not open, in the operator's words, with what to do.
String OpenFailureText(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return u"串口设备不存在，请检查检测仪的数据线是否插好";
    case EBUSY:
      return u"串口正被别的程序使用，请先关闭那个程序";
    case EACCES:
    case EPERM: {
      const std::string owner = OwningGroup(path);
      // Joining the group root would hand the account the whole machine:
      // such a device is no detector port for a normal account.
      if (owner == "root" || owner == "0")
        return u"这个串口设备只对管理员开放，普通用户不能使用。请管理员确认它是不是检测仪的串口"
               u"（检测仪的 USB 串口通常是 ttyUSB 或 ttyACM）";
      const String group = String::FromBytes(owner, cp::kUtf8);
      const String account = String::FromBytes(SystemUserName(), cp::kUtf8);
      return u"当前用户 " + account + u" 没有使用这个串口的权限。请管理员把用户加入 " + group +
             u" 组（sudo usermod -aG " + group + u" " + account + u"），然后重新登录";
    }
    case EIO:
      return u"串口读写出错，请拔下检测仪再重新插上";
    case ENOTTY:
      return u"这个设备不是串口";
    default:
      return u"无法打开串口：" + SystemMessage(error);
  }
}

class PosixSerialPort : public SerialPort {
 public:
  ~PosixSerialPort() override { Close(); }

  Status Open(const String& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) return Status::Ok();
    const std::string native = path.ToBytes(cp::kUtf8);
    int fd = ::open(native.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      return Status::Failed(OpenFailureText(errno, native));
    }
    termios tio;
    if (::tcgetattr(fd, &tio) != 0) {
      const int failure = errno;
      ::close(fd);
      return Status::Failed(OpenFailureText(failure, native));
    }
    // One program per port: a second copy reading the same port would split
    // the detector's byte stream between them. The advisory lock stops every
    // cooperating program (root included); TIOCEXCL stops other opens too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return Status::Failed(u"串口正被另一个程序使用，请先关闭那个程序");
    }
    ::ioctl(fd, TIOCEXCL);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &tio);
    fd_ = fd;
    return Status::Ok();
  }

  bool SetTimeoutsZero() override {
    return WithTermios([](termios& tio) {
      tio.c_cc[VMIN] = 0;
      tio.c_cc[VTIME] = 0;
      return true;
    });
  }

  bool SetLineSettings(const String& text) override {
    LineSettings settings;
    speed_t speed;
    if (!ParseLineSettings(text, settings) || !SpeedOf(settings.baud, speed)) return false;
    return WithTermios([&](termios& tio) {
      if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
      tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
      static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
      tio.c_cflag |= kSizes[settings.dataBits - 5];
      if (settings.parity != 'N') tio.c_cflag |= PARENB;
      if (settings.parity == 'O') tio.c_cflag |= PARODD;
      if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
      return true;
    });
  }

  bool SetRtsOn() override {
    std::lock_guard<std::mutex> lock(mutex_);
    int bits = TIOCM_RTS;
    return fd_ >= 0 && ::ioctl(fd_, TIOCMBIS, &bits) == 0;
  }

  bool PurgeAll() override { return Flush(TCIOFLUSH); }
  bool PurgeReceive() override { return Flush(TCIFLUSH); }

  int BytesWaiting() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) return -1;
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) return -1;
    if (waiting > 0) return waiting;
    // Nothing waiting: tell an idle line from one whose device went away.
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 && errno != EINTR) return -1;
    return p.revents & (POLLHUP | POLLERR | POLLNVAL) ? -1 : 0;
  }

  int ReadByte(uint8_t& byte) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) return -1;
    ssize_t n = ::read(fd_, &byte, 1);
    if (n == 1) return 1;
    if (n == 0 || errno == EAGAIN || errno == EINTR) return 0;
    return -1;
  }

  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) ::ioctl(fd_, TIOCNXCL);  // the lock goes with the descriptor
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  bool IsOpen() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return fd_ >= 0;
  }

 private:
  template <class Change>
  bool WithTermios(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    termios tio;
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0 || !change(tio)) return false;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
  }

  bool Flush(int queues) {
    std::lock_guard<std::mutex> lock(mutex_);
    return fd_ >= 0 && ::tcflush(fd_, queues) == 0;
  }

  mutable std::mutex mutex_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() { return std::make_unique<PosixSerialPort>(); }
