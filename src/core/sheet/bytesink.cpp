#include "core/sheet/bytesink.h"

#include <algorithm>

namespace pirumoa {

void ByteSink::putNumber(long long v) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    // Negated as unsigned: the smallest long long has no positive counterpart.
    unsigned long long u =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *--p = '-';
    put(std::string_view(p, std::size_t(end - p)));
}

void ByteSink::grow(qsizetype need) {
    const qsizetype size = std::max(m_size + need, std::max<qsizetype>(2 * m_bytes.size(), 4096));
    m_bytes.resize(size);
    m_room = size - m_size;
}

void ByteSink::flush() {
    if (!m_failed && m_size > 0 &&
        std::fwrite(m_bytes.constData(), 1, std::size_t(m_size), m_file) != std::size_t(m_size))
        m_failed = true;
    m_room += m_size;
    m_size = 0;
}

bool ByteSink::finish() {
    if (!m_file) return true;
    flush();
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) m_failed = true;
    return !m_failed;
}

}  // namespace pirumoa
