// SPDX-License-Identifier: GPL-3.0-or-later
// The least work a RAR listing can do, as the benchmarks' yardstick: every block header
// read once, in large sequential reads into a buffer that is never zero-filled, the data
// between headers skipped, and every file name written from that buffer, one a line.
// RAR 1.5 to 4.x and RAR 5; no check beyond staying inside the file and the buffer.
// Usage: rar_lower_bound ARCHIVE > NAMES
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kLargestHeader = 2 * 1024 * 1024 + 16; // RAR 5 allows 2 MiB

// The file read forward a chunk at a time; a header that straddles the chunk's end is
// read again from its start.
class Window
{
public:
    explicit Window(int fd, std::uint64_t size)
        : m_fd(fd), m_size(size), m_buffer(new std::uint8_t[kLargestHeader])
    {
    }

    std::uint64_t size() const { return m_size; }

    // The count bytes at offset, or null past the end of the file.
    const std::uint8_t* at(std::uint64_t offset, std::size_t count)
    {
        if (offset > m_size || count > m_size - offset || count > kLargestHeader) return nullptr;
        if (offset < m_start || offset + count > m_start + m_filled) {
            const std::size_t fill = static_cast<std::size_t>(
                std::min<std::uint64_t>(std::max(count, kChunk), m_size - offset));
            std::size_t got = 0;
            while (got < fill) {
                const ssize_t n =
                    pread(m_fd, m_buffer.get() + got, fill - got, static_cast<off_t>(offset + got));
                if (n <= 0) return nullptr;
                got += static_cast<std::size_t>(n);
            }
            m_start = offset;
            m_filled = fill;
        }
        return m_buffer.get() + (offset - m_start);
    }

private:
    int m_fd;
    std::uint64_t m_size;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint64_t m_start = 0;
    std::size_t m_filled = 0;
};

// Names gathered into large writes to standard output.
class Output
{
public:
    Output() : m_buffer(new char[kSize + kLargestHeader]) {}
    ~Output() { flush(); }

    void line(const std::uint8_t* name, std::size_t length)
    {
        std::memcpy(m_buffer.get() + m_used, name, length);
        m_used += length;
        m_buffer[m_used++] = '\n';
        if (m_used >= kSize) flush();
    }

private:
    static constexpr std::size_t kSize = 1 << 20;

    void flush()
    {
        if (m_used > 0 && write(1, m_buffer.get(), m_used) != static_cast<ssize_t>(m_used))
            std::exit(1);
        m_used = 0;
    }

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
};

std::uint64_t le(const std::uint8_t* p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes; i-- > 0;)
        value = value << 8 | p[i];
    return value;
}

std::uint64_t vint(const std::uint8_t*& p)
{
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        const std::uint8_t byte = *p++;
        value |= std::uint64_t{byte & 0x7Fu} << shift;
        if (byte < 0x80) break;
    }
    return value;
}

// RAR 1.5 to 4.x: 7-byte block headers; a file block's packed size (with its high word
// when flagged) is the data that follows, other long blocks give theirs in ADD_SIZE.
void listRar4(Window& window, Output& out)
{
    for (std::uint64_t at = 7;;) {
        const std::uint8_t* head = window.at(at, 7);
        if (!head || head[2] == 0x7B) return;
        const std::uint16_t flags = static_cast<std::uint16_t>(le(head + 3, 2));
        const std::size_t headSize = le(head + 5, 2);
        const std::uint8_t* block = window.at(at, std::max<std::size_t>(headSize, 11));
        if (!block || headSize < 7) return;
        std::uint64_t data = flags & 0x8000 ? le(block + 7, 4) : 0;
        if (block[2] == 0x74) {
            const bool large = flags & 0x100;
            if (large) data |= le(block + 32, 4) << 32;
            const std::uint8_t* name = block + 32 + (large ? 8 : 0);
            const std::size_t field = le(block + 26, 2);
            if (name + field > block + headSize) return;
            const auto* zero = static_cast<const std::uint8_t*>(std::memchr(name, 0, field));
            out.line(name, zero ? static_cast<std::size_t>(zero - name) : field);
        }
        at += headSize + data;
    }
}

// RAR 5: CRC, a vint size, then type, flags, extra and data sizes as flagged; a file
// header's name follows its file flags, size, attributes, time, CRC, method and host.
void listRar5(Window& window, Output& out)
{
    for (std::uint64_t at = 8;;) {
        const std::uint64_t room = window.size() - at;
        const std::uint8_t* prefix =
            window.at(at, static_cast<std::size_t>(std::min<std::uint64_t>(room, 7)));
        if (!prefix || room < 5) return;
        const std::uint8_t* p = prefix + 4;
        const std::uint64_t headerSize = vint(p);
        const std::uint64_t headerAt = at + static_cast<std::uint64_t>(p - prefix);
        const std::uint8_t* header = window.at(headerAt, static_cast<std::size_t>(headerSize));
        if (!header) return;
        p = header;
        const std::uint64_t type = vint(p);
        const std::uint64_t flags = vint(p);
        if (flags & 1) vint(p);
        const std::uint64_t data = flags & 2 ? vint(p) : 0;
        if (type == 4 || type == 5) return;
        if (type == 2) {
            const std::uint64_t fileFlags = vint(p);
            vint(p); // unpacked size
            vint(p); // attributes
            p += (fileFlags & 2 ? 4 : 0) + (fileFlags & 4 ? 4 : 0);
            vint(p); // compression
            vint(p); // host
            const std::uint64_t length = vint(p);
            if (p + length > header + headerSize) return;
            out.line(p, static_cast<std::size_t>(length));
        }
        at = headerAt + headerSize + data;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const int fd = open(argv[1], O_RDONLY);
    struct stat st
    {
    };
    if (fd < 0 || fstat(fd, &st) != 0) return 1;
    Window window(fd, static_cast<std::uint64_t>(st.st_size));
    const std::uint8_t* signature = window.at(0, 8);
    if (!signature || std::memcmp(signature, "Rar!\x1a\x07", 6) != 0) return 1;
    Output out;
    if (signature[6] == 0)
        listRar4(window, out);
    else
        listRar5(window, out);
    return 0;
}
