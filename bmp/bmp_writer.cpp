#include "bmp_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace iconfinder::bmp {
namespace {

void putU16(std::byte* at, std::uint32_t v)
{
    at[0] = std::byte(v & 0xFF);
    at[1] = std::byte(v >> 8 & 0xFF);
}

void putU32(std::byte* at, std::uint32_t v)
{
    putU16(at, v & 0xFFFF);
    putU16(at + 2, v >> 16);
}

std::size_t strideOf(const PixelImage& image) { return (static_cast<std::size_t>(image.width()) * 3 + 3) / 4 * 4; }

constexpr std::size_t kHeadersSize = 54;

void encodeHeaders(const PixelImage& image, std::byte* out)
{
    const std::uint64_t imageSize = strideOf(image) * static_cast<std::uint64_t>(image.height());
    if (kHeadersSize + imageSize > 0xFFFFFFFFu)
        throw std::length_error("picture is too large for a bitmap file");
    std::memset(out, 0, kHeadersSize);
    out[0] = std::byte{'B'};
    out[1] = std::byte{'M'};
    putU32(out + 2, static_cast<std::uint32_t>(kHeadersSize + imageSize));
    putU32(out + 10, kHeadersSize);
    putU32(out + 14, 40);
    putU32(out + 18, static_cast<std::uint32_t>(image.width()));
    putU32(out + 22, static_cast<std::uint32_t>(image.height()));
    putU16(out + 26, 1);
    putU16(out + 28, 24);
    putU32(out + 34, static_cast<std::uint32_t>(imageSize));
    putU32(out + 38, 2835); // 72 dots per inch
    putU32(out + 42, 2835);
}

void encodeRow(const PixelImage& image, int y, std::byte* out)
{
    const Pixel* row = image.row(y);
    for (int x = 0; x < image.width(); ++x) {
        *out++ = std::byte(blueOf(row[x]));
        *out++ = std::byte(greenOf(row[x]));
        *out++ = std::byte(redOf(row[x]));
    }
}

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

void writeAll(int fd, const std::byte* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            fail("cannot write");
        data += done;
        size -= static_cast<std::size_t>(done);
    }
}

void writeEncoded(const PixelImage& image, int fd)
{
    std::vector<std::byte> buffer(kHeadersSize);
    encodeHeaders(image, buffer.data());
    writeAll(fd, buffer.data(), buffer.size());
    buffer.assign(strideOf(image), std::byte{0});
    for (int y = image.height() - 1; y >= 0; --y) {
        encodeRow(image, y, buffer.data());
        writeAll(fd, buffer.data(), buffer.size());
    }
}

struct Descriptor {
    explicit Descriptor(int opened) : fd(opened) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Data may only reach the disk at close, so its failure is a failed write.
    void close()
    {
        const int result = ::close(std::exchange(fd, -1));
        if (result != 0)
            fail("cannot write");
    }
    int fd;
};

} // namespace

std::vector<std::byte> encode(const PixelImage& image)
{
    std::vector<std::byte> file(kHeadersSize + strideOf(image) * static_cast<std::size_t>(image.height()));
    encodeHeaders(image, file.data());
    for (int y = 0; y < image.height(); ++y)
        encodeRow(image, y, file.data() + kHeadersSize + strideOf(image) * static_cast<std::size_t>(image.height() - 1 - y));
    return file;
}

void writeFile(const PixelImage& image, const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode))
            throw std::runtime_error("is a directory");
        Descriptor device(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
        if (device.fd < 0)
            fail("cannot open");
        writeEncoded(image, device.fd);
        device.close();
        return;
    }

    std::string hidden = path.filename().string();
    hidden.insert(0, 1, '.');
    hidden.append(".XXXXXX");
    std::string temporary = (path.parent_path() / hidden).string();
    Descriptor file(::mkstemp(temporary.data()));
    if (file.fd < 0)
        fail("cannot create a file in " + (path.has_parent_path() ? path.parent_path().string() : std::string(".")));
    try {
        writeEncoded(image, file.fd);
        if (::fchmod(file.fd, 0644) != 0 || ::fsync(file.fd) != 0)
            fail("cannot write");
        file.close();
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            fail("cannot rename the finished file");
    } catch (...) {
        const int reason = errno;
        ::unlink(temporary.c_str());
        errno = reason;
        throw;
    }
}

} // namespace iconfinder::bmp
